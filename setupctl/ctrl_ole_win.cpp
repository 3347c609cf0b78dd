// TessalyCtrl's embedding side: client site, verbs, extent, advises, and the
// in-place window in which a container shows the listing.
#include "setupctl/com_module_win.h"
#include "setupctl/tessaly_ctrl_win.h"

namespace tessaly {

namespace {

// OLEMISC_RECOMPOSEONRESIZE | CANTLINKINSIDE | INSIDEOUT | ACTIVATEWHENVISIBLE |
// SETCLIENTSITEFIRST: the value the registry script announces as well.
constexpr DWORD kMiscStatus = 131473;
const char kWindowClass[] = "TessalyCtrlWindow";

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  if (message == WM_PAINT) {
    const auto* control = reinterpret_cast<const TessalyCtrl*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT client;
    ::GetClientRect(window, &client);
    if (control != nullptr && dc != nullptr) control->Paint(dc, client);
    ::EndPaint(window, &paint);
    return 0;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

bool RegisterWindowClass() {
  WNDCLASSA existing;
  if (::GetClassInfoA(ModuleInstance(), kWindowClass, &existing)) return true;
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = ControlWindowProc;
  windowClass.hInstance = ModuleInstance();
  windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kWindowClass;
  return ::RegisterClassA(&windowClass) != 0;
}

}  // namespace

STDMETHODIMP TessalyCtrl::SetClientSite(IOleClientSite* site) {
  clientSite_ = ComPtr<IOleClientSite>::Share(site);
  return S_OK;
}

STDMETHODIMP TessalyCtrl::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  clientSite_.CopyTo(site);
  return S_OK;
}

STDMETHODIMP TessalyCtrl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP TessalyCtrl::Close(DWORD) {
  (void)InPlaceDeactivate();
  if (adviseHolder_) adviseHolder_->SendOnClose();
  return S_OK;
}

STDMETHODIMP TessalyCtrl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP TessalyCtrl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TessalyCtrl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP TessalyCtrl::GetClipboardData(DWORD, IDataObject** data) {
  if (data != nullptr) *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TessalyCtrl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
  if (site != nullptr && !clientSite_) clientSite_ = ComPtr<IOleClientSite>::Share(site);
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace();
    case OLEIVERB_HIDE:
      if (window_ != nullptr) ::ShowWindow(window_, SW_HIDE);
      return S_OK;
    default:
      return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT TessalyCtrl::ActivateInPlace() {
  if (!clientSite_) return E_UNEXPECTED;
  if (!inPlaceSite_) {
    ComPtr<IOleInPlaceSite> site;
    if (FAILED(clientSite_->QueryInterface(IID_IOleInPlaceSite, site.put_void()))) return E_NOINTERFACE;
    if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
    (void)site->OnInPlaceActivate();
    inPlaceSite_ = std::move(site);
  }
  if (window_ == nullptr) {
    HWND parent = nullptr;
    if (FAILED(inPlaceSite_->GetWindow(&parent))) return E_FAIL;
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT pos = {};
    RECT clip = {};
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof(frameInfo);
    if (FAILED(inPlaceSite_->GetWindowContext(frame.put(), document.put(), &pos, &clip, &frameInfo)))
      return E_FAIL;
    const HRESULT hr = CreateControlWindow(parent, pos);
    if (FAILED(hr)) return hr;
  }
  ::ShowWindow(window_, SW_SHOW);
  return S_OK;
}

HRESULT TessalyCtrl::CreateControlWindow(HWND parent, const RECT& pos) {
  if (!RegisterWindowClass()) return HRESULT_FROM_WIN32(::GetLastError());
  window_ = ::CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_CLIPSIBLINGS, pos.left, pos.top,
                              pos.right - pos.left, pos.bottom - pos.top, parent, nullptr,
                              ModuleInstance(), this);
  return window_ == nullptr ? HRESULT_FROM_WIN32(::GetLastError()) : S_OK;
}

STDMETHODIMP TessalyCtrl::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs == nullptr) return E_POINTER;
  return ::OleRegEnumVerbs(CLSID_TessalyCtrl, verbs);
}

STDMETHODIMP TessalyCtrl::Update() { return S_OK; }
STDMETHODIMP TessalyCtrl::IsUpToDate() { return S_OK; }

STDMETHODIMP TessalyCtrl::GetUserClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_TessalyCtrl;
  return S_OK;
}

STDMETHODIMP TessalyCtrl::GetUserType(DWORD form, LPOLESTR* type) {
  if (type == nullptr) return E_POINTER;
  return ::OleRegGetUserType(CLSID_TessalyCtrl, form, type);
}

STDMETHODIMP TessalyCtrl::SetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  extent_ = *size;
  dirty_ = true;
  return S_OK;
}

STDMETHODIMP TessalyCtrl::GetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}

STDMETHODIMP TessalyCtrl::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!adviseHolder_) {
    const HRESULT hr = ::CreateOleAdviseHolder(adviseHolder_.put());
    if (FAILED(hr)) return hr;
  }
  return adviseHolder_->Advise(sink, connection);
}

STDMETHODIMP TessalyCtrl::Unadvise(DWORD connection) {
  return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP TessalyCtrl::EnumAdvise(IEnumSTATDATA** advises) {
  if (advises == nullptr) return E_POINTER;
  *advises = nullptr;
  return adviseHolder_ ? adviseHolder_->EnumAdvise(advises) : E_FAIL;
}

STDMETHODIMP TessalyCtrl::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
  return S_OK;
}

STDMETHODIMP TessalyCtrl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

STDMETHODIMP TessalyCtrl::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = window_;
  return window_ != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP TessalyCtrl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP TessalyCtrl::InPlaceDeactivate() {
  if (window_ != nullptr) {
    ::DestroyWindow(window_);
    window_ = nullptr;
  }
  if (inPlaceSite_) {
    (void)inPlaceSite_->OnInPlaceDeactivate();
    inPlaceSite_.reset();
  }
  return S_OK;
}

STDMETHODIMP TessalyCtrl::UIDeactivate() { return S_OK; }

STDMETHODIMP TessalyCtrl::SetObjectRects(LPCRECT pos, LPCRECT) {
  if (pos == nullptr) return E_POINTER;
  if (window_ != nullptr) {
    ::MoveWindow(window_, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
  }
  return S_OK;
}

STDMETHODIMP TessalyCtrl::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }
STDMETHODIMP TessalyCtrl::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP TessalyCtrl::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP TessalyCtrl::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP TessalyCtrl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP TessalyCtrl::EnableModeless(BOOL) { return S_OK; }

STDMETHODIMP TessalyCtrl::GetControlInfo(CONTROLINFO* info) {
  if (info == nullptr) return E_POINTER;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP TessalyCtrl::OnMnemonic(MSG*) { return S_OK; }
STDMETHODIMP TessalyCtrl::OnAmbientPropertyChange(DISPID) { return S_OK; }
STDMETHODIMP TessalyCtrl::FreezeEvents(BOOL) { return S_OK; }

STDMETHODIMP TessalyCtrl::QuickActivate(QACONTAINER* container, QACONTROL* control) {
  if (container == nullptr || control == nullptr) return E_POINTER;
  if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL)) return E_INVALIDARG;
  (void)SetClientSite(container->pClientSite);
  if (container->pAdviseSink != nullptr) (void)SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
  control->dwMiscStatus = kMiscStatus;
  control->dwViewStatus = 0;
  control->dwEventCookie = 0;
  control->dwPropNotifyCookie = 0;
  control->dwPointerActivationPolicy = 0;
  return S_OK;
}

STDMETHODIMP TessalyCtrl::SetContentExtent(LPSIZEL size) { return SetExtent(DVASPECT_CONTENT, size); }
STDMETHODIMP TessalyCtrl::GetContentExtent(LPSIZEL size) { return GetExtent(DVASPECT_CONTENT, size); }

}  // namespace tessaly
