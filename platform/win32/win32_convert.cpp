#include "platform/win32/win32_convert.hpp"

#include <cmath>
#include <vector>

#include "platform/controls/control_tree.hpp"
#include "platform/controls/controls.hpp"
#include "platform/win32/wide_text.hpp"

namespace lupe::win32 {

COLORREF toColorRef(Color color) {
  if (color & kSystemColorFlag) return GetSysColor(static_cast<int>(color & 0xffu));
  return color & 0x00ffffffu;
}

SystemColors systemColors() {
  return [](Color color) { return pixelFromColor(toColorRef(color)); };
}

HFONT makeFont(const Font& font, int dpi) {
  const int height = -static_cast<int>(std::lround(font.points * dpi / 72.0));
  return CreateFontW(height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, widen(font.face).c_str());
}

RECT rectOf(const PlacedControl& control) {
  const PixelRect r = placeOf(control);
  return {r.x, r.y, r.x + r.width, r.y + r.height};
}

int16_t buttonOf(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      return 2;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return 4;
    default:
      return 0;
  }
}

int16_t shiftNow() {
  const auto held = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
  return static_cast<int16_t>((held(VK_SHIFT) ? 1 : 0) | (held(VK_CONTROL) ? 2 : 0) |
                              (held(VK_MENU) ? 4 : 0));
}

void drawPicture(HDC dc, const Picture& picture, int x, int y, COLORREF background) {
  if (picture.width <= 0 || picture.height <= 0) return;
  const Pixel face = pixelFromColor(background);
  std::vector<Pixel> pixels(picture.argb.size());
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = (picture.argb[i] >> 24) ? picture.argb[i] : face;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, x, y, picture.width, picture.height, 0, 0, 0, picture.height, pixels.data(),
                    &info, DIB_RGB_COLORS);
}

}  // namespace lupe::win32
