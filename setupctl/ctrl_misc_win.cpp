// TessalyCtrl's answers for what it does not have: no data formats, no
// events, no property pages. Each says so in the documented way, so a
// container can go on without them.
#include <olectl.h>

#include <new>

#include "setupctl/single_interface_win.h"

#include "setupctl/tessaly_ctrl_win.h"

namespace tessaly {

namespace {

// An enumerator over no connection points.
class EmptyConnectionPoints final : public SingleInterface<IEnumConnectionPoints, IID_IEnumConnectionPoints> {
 public:
  STDMETHODIMP Next(ULONG, IConnectionPoint** points, ULONG* fetched) override {
    if (fetched != nullptr) *fetched = 0;
    if (points != nullptr) *points = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override { return count == 0 ? S_OK : S_FALSE; }
  STDMETHODIMP Reset() override { return S_OK; }
  STDMETHODIMP Clone(IEnumConnectionPoints** copy) override {
    if (copy == nullptr) return E_POINTER;
    *copy = new (std::nothrow) EmptyConnectionPoints();
    return *copy == nullptr ? E_OUTOFMEMORY : S_OK;
  }
};

}  // namespace

STDMETHODIMP TessalyCtrl::GetData(FORMATETC*, STGMEDIUM*) { return DV_E_FORMATETC; }
STDMETHODIMP TessalyCtrl::GetDataHere(FORMATETC*, STGMEDIUM*) { return DV_E_FORMATETC; }
STDMETHODIMP TessalyCtrl::QueryGetData(FORMATETC*) { return DV_E_FORMATETC; }

STDMETHODIMP TessalyCtrl::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (out != nullptr) out->ptd = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TessalyCtrl::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP TessalyCtrl::EnumFormatEtc(DWORD, IEnumFORMATETC** formats) {
  if (formats != nullptr) *formats = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TessalyCtrl::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD* connection) {
  if (connection != nullptr) *connection = 0;
  return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP TessalyCtrl::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

STDMETHODIMP TessalyCtrl::EnumDAdvise(IEnumSTATDATA** advises) {
  if (advises != nullptr) *advises = nullptr;
  return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP TessalyCtrl::GetClassInfo(ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  const HRESULT hr = EnsureTypeInfo(CLSID_TessalyCtrl, classInfo_);
  if (FAILED(hr)) return hr;
  classInfo_.CopyTo(info);
  return S_OK;
}

STDMETHODIMP TessalyCtrl::GetGUID(DWORD kind, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  *guid = GUID_NULL;
  // No outgoing interface: there is no default source to name.
  return kind == GUIDKIND_DEFAULT_SOURCE_DISP_IID ? E_FAIL : E_INVALIDARG;
}

STDMETHODIMP TessalyCtrl::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points == nullptr) return E_POINTER;
  *points = new (std::nothrow) EmptyConnectionPoints();
  return *points == nullptr ? E_OUTOFMEMORY : S_OK;
}

STDMETHODIMP TessalyCtrl::FindConnectionPoint(REFIID, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP TessalyCtrl::GetPages(CAUUID* pages) {
  if (pages == nullptr) return E_POINTER;
  pages->cElems = 0;
  pages->pElems = nullptr;
  return S_OK;
}

}  // namespace tessaly
