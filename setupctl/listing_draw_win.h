// The control's picture: a green rectangle with a white outline and the
// listing text, word-wrapped and centred, inside it.
#pragma once

#include <windows.h>

#include <string>

namespace tessaly {

constexpr COLORREF kFillColour = RGB(0, 255, 0);
constexpr COLORREF kOutlineColour = RGB(255, 255, 255);
constexpr int kOutlineWidth = 2;

// Draws into dc and leaves its pen, brush, text colour and background mode
// as they were.
void DrawListing(HDC dc, const RECT& rect, const std::string& text);

}  // namespace tessaly
