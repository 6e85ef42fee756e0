#pragma once

#include "platform/win32/windows_api.hpp"

#include "platform/controls/control.hpp"
#include "platform/controls/view_composer.hpp"
#include "platform/raster/picture.hpp"

// Conversions at the backend's edge: the control model's colours, fonts,
// places and mouse input into GDI's and user32's.
namespace lupe::win32 {

// A 0x00BBGGRR colour is a COLORREF already; a system colour (top bit) is
// the scheme's, from GetSysColor.
COLORREF toColorRef(Color color);
// A pixel of our rasters (0xAARRGGBB) as a COLORREF.
constexpr COLORREF colorRefOf(Pixel pixel) {
  return RGB((pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff);
}
// The system colours as pixels, for the compositor.
SystemColors systemColors();
// The font at `dpi` dots per inch; the caller deletes it.
HFONT makeFont(const Font& font, int dpi);
// A placed control's rectangle in its container, in pixels.
RECT rectOf(const PlacedControl& control);
// The mouse button of a message as the model numbers it (1 left, 2 right,
// 4 middle) and the keys held as its Shift (1 shift, 2 ctrl, 4 alt).
int16_t buttonOf(UINT message);
int16_t shiftNow();
// Draws the picture at (x, y), its transparent pixels showing `background`.
void drawPicture(HDC dc, const Picture& picture, int x, int y, COLORREF background);

}  // namespace lupe::win32
