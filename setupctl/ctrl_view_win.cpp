// TessalyCtrl's view: how a container has it drawn and learns of changes.
#include "setupctl/listing_draw_win.h"
#include "setupctl/tessaly_ctrl_win.h"

namespace tessaly {

void TessalyCtrl::Paint(HDC dc, const RECT& rect) const {
  // Painting is when a page that only set parameters gets its file written.
  settings_.WriteIni();
  DrawListing(dc, rect, settings_.Listing());
}

STDMETHODIMP TessalyCtrl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                               LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                               ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (dc == nullptr || bounds == nullptr) return E_INVALIDARG;
  const RECT rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
  Paint(dc, rect);
  return S_OK;
}

STDMETHODIMP TessalyCtrl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
  if (colors == nullptr) return E_POINTER;
  *colors = nullptr;
  return S_FALSE;
}

STDMETHODIMP TessalyCtrl::Freeze(DWORD, LONG, void*, DWORD* freeze) {
  if (freeze != nullptr) *freeze = 0;
  return E_NOTIMPL;
}

STDMETHODIMP TessalyCtrl::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP TessalyCtrl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  viewAspects_ = aspects;
  viewFlags_ = flags;
  viewSink_ = ComPtr<IAdviseSink>::Share(sink);
  return S_OK;
}

STDMETHODIMP TessalyCtrl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects != nullptr) *aspects = viewAspects_;
  if (flags != nullptr) *flags = viewFlags_;
  if (sink != nullptr) viewSink_.CopyTo(sink);
  return S_OK;
}

STDMETHODIMP TessalyCtrl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

}  // namespace tessaly
