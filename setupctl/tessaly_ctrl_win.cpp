#include "setupctl/tessaly_ctrl_win.h"

#include <new>

#include "setupctl/com_module_win.h"

namespace tessaly {

namespace {

// Two inches by one and a half, in HIMETRIC: a size a page can see at once.
constexpr LONG kDefaultWidth = 5080;
constexpr LONG kDefaultHeight = 3810;

}  // namespace

Value ValueOf(BSTR text) {
  if (text == nullptr) return std::nullopt;
  return std::u16string(reinterpret_cast<const char16_t*>(text), ::SysStringLen(text));
}

HRESULT TessalyCtrl::Create(REFIID iid, void** object) noexcept {
  auto* control = new (std::nothrow) TessalyCtrl();
  if (control == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = control->QueryInterface(iid, object);
  control->Release();
  return hr;
}

TessalyCtrl::TessalyCtrl() : extent_{kDefaultWidth, kDefaultHeight} { AddModuleReference(); }

TessalyCtrl::~TessalyCtrl() {
  if (window_ != nullptr) ::DestroyWindow(window_);
  ReleaseModuleReference();
}

STDMETHODIMP TessalyCtrl::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  struct Entry {
    const IID* iid;
    void* pointer;
  };
  const Entry table[] = {
      {&IID_IUnknown, static_cast<ITessalyCtrl*>(this)},
      {&IID_IDispatch, static_cast<ITessalyCtrl*>(this)},
      {&IID_ITessalyCtrl, static_cast<ITessalyCtrl*>(this)},
      {&IID_IOleObject, static_cast<IOleObject*>(this)},
      {&IID_IOleWindow, static_cast<IOleInPlaceObject*>(this)},
      {&IID_IOleInPlaceObject, static_cast<IOleInPlaceObject*>(this)},
      {&IID_IOleInPlaceActiveObject, static_cast<IOleInPlaceActiveObject*>(this)},
      {&IID_IOleControl, static_cast<IOleControl*>(this)},
      {&IID_IViewObject, static_cast<IViewObject2*>(this)},
      {&IID_IViewObject2, static_cast<IViewObject2*>(this)},
      {&IID_IPersist, static_cast<IPersistStreamInit*>(this)},
      {&IID_IPersistPropertyBag, static_cast<IPersistPropertyBag*>(this)},
      {&IID_IPersistStreamInit, static_cast<IPersistStreamInit*>(this)},
      {&IID_IPersistStorage, static_cast<IPersistStorage*>(this)},
      {&IID_IQuickActivate, static_cast<IQuickActivate*>(this)},
      {&IID_IDataObject, static_cast<IDataObject*>(this)},
      {&IID_IProvideClassInfo, static_cast<IProvideClassInfo2*>(this)},
      {&IID_IProvideClassInfo2, static_cast<IProvideClassInfo2*>(this)},
      {&IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
      {&IID_ISpecifyPropertyPages, static_cast<ISpecifyPropertyPages*>(this)},
  };
  for (const Entry& entry : table) {
    if (::IsEqualIID(iid, *entry.iid)) {
      *object = entry.pointer;
      AddRef();
      return S_OK;
    }
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TessalyCtrl::AddRef() {
  return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) TessalyCtrl::Release() {
  const LONG left = ::InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT TessalyCtrl::EnsureTypeInfo(REFGUID guid, ComPtr<ITypeInfo>& info) {
  if (info) return S_OK;
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(ModuleInstance(), path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return E_FAIL;
  ComPtr<ITypeLib> library;
  HRESULT hr = ::LoadTypeLibEx(path, REGKIND_NONE, library.put());
  if (FAILED(hr)) return hr;
  return library->GetTypeInfoOfGuid(guid, info.put());
}

STDMETHODIMP TessalyCtrl::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP TessalyCtrl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  const HRESULT hr = EnsureTypeInfo(IID_ITessalyCtrl, dispatchInfo_);
  if (FAILED(hr)) return hr;
  dispatchInfo_.CopyTo(info);
  return S_OK;
}

STDMETHODIMP TessalyCtrl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                        DISPID* ids) {
  if (!::IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const HRESULT hr = EnsureTypeInfo(IID_ITessalyCtrl, dispatchInfo_);
  if (FAILED(hr)) return hr;
  return dispatchInfo_->GetIDsOfNames(names, count, ids);
}

STDMETHODIMP TessalyCtrl::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  if (!::IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const HRESULT hr = EnsureTypeInfo(IID_ITessalyCtrl, dispatchInfo_);
  if (FAILED(hr)) return hr;
  return dispatchInfo_->Invoke(static_cast<ITessalyCtrl*>(this), id, flags, params, result,
                               exception, argError);
}

HRESULT TessalyCtrl::GetProperty(long dispid, BSTR* value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  Value stored;
  if (!settings_.Get(dispid, stored)) return DISP_E_MEMBERNOTFOUND;
  if (!stored) return S_OK;
  *value = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(stored->data()),
                               static_cast<UINT>(stored->size()));
  return *value == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT TessalyCtrl::PutProperty(long dispid, BSTR value) { return PutValue(dispid, ValueOf(value)); }

HRESULT TessalyCtrl::PutValue(long dispid, const Value& value) {
  if (!settings_.Put(dispid, value)) return DISP_E_MEMBERNOTFOUND;
  dirty_ = true;
  RequestRedraw();
  settings_.WriteIni();
  return S_OK;
}

STDMETHODIMP TessalyCtrl::WriteIni() {
  settings_.WriteIni();
  return S_OK;
}

void TessalyCtrl::RequestRedraw() {
  if (window_ != nullptr) {
    ::InvalidateRect(window_, nullptr, TRUE);
  } else if (viewSink_) {
    viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
  }
}

}  // namespace tessaly
