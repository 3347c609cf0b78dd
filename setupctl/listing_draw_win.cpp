#include "setupctl/listing_draw_win.h"

#include "os/unique_handle.h"

namespace tessaly {

namespace {

struct GdiObjectTraits {
  static HGDIOBJ Invalid() noexcept { return nullptr; }
  static void Close(HGDIOBJ object) noexcept { ::DeleteObject(object); }
};
using UniqueGdiObject = os::UniqueHandle<HGDIOBJ, GdiObjectTraits>;

// Selects an object into a DC for one scope; the previous one comes back
// before the object is deleted.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~ScopedSelection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace

void DrawListing(HDC dc, const RECT& rect, const std::string& text) {
  UniqueGdiObject brush(::CreateSolidBrush(kFillColour));
  UniqueGdiObject pen(::CreatePen(PS_SOLID, kOutlineWidth, kOutlineColour));
  if (!brush || !pen) return;
  {
    ScopedSelection brushSelection(dc, brush.get());
    ScopedSelection penSelection(dc, pen.get());
    ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
  }
  // Transparent text keeps the fill green between the letters.
  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  RECT textRect = rect;
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
  ::SetBkMode(dc, oldMode);
}

}  // namespace tessaly
