#include "platform/win32/control_painting.hpp"

#include <string>

#include "platform/raster/raster.hpp"
#include "platform/win32/wide_text.hpp"
#include "platform/win32/win32_convert.hpp"

namespace lupe::win32 {
namespace {

constexpr int kPictureMargin = 4;  // above a button's picture

}  // namespace

void drawButton(const DRAWITEMSTRUCT& item, const CommandButton& button, HFONT font) {
  const HDC dc = item.hDC;
  RECT r = item.rcItem;
  const COLORREF face = toColorRef(button.BackColor);
  const HBRUSH brush = CreateSolidBrush(face);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  const bool pressed = item.itemState & ODS_SELECTED;
  DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  if (pressed) OffsetRect(&r, 1, 1);

  if (font) SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  std::wstring caption = widen(button.Caption.get());
  if (button.Picture) {
    const Picture& picture = *button.Picture;
    drawPicture(dc, picture, r.left + (r.right - r.left - picture.width) / 2,
                r.top + kPictureMargin, face);
    RECT below = r;
    below.top += kPictureMargin + picture.height;
    DrawTextW(dc, caption.c_str(), -1, &below, DT_CENTER | DT_TOP | DT_SINGLELINE);
  } else {
    DrawTextW(dc, caption.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  if (item.itemState & ODS_FOCUS) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

void paintPanel(HWND window, const Frame& frame, HFONT font, ViewComposer& composer) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (font) SelectObject(dc, font);
  const std::wstring caption = widen(frame.Caption.get());
  SIZE text{0, 0};
  GetTextExtentPoint32W(dc, caption.empty() ? L" " : caption.c_str(),
                        caption.empty() ? 1 : static_cast<int>(caption.size()), &text);
  RECT edge = client;
  edge.top += text.cy / 2;
  DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
  if (!caption.empty()) {
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const RECT behind{6, 0, 10 + text.cx, text.cy};
    ExtTextOutW(dc, 8, 0, ETO_OPAQUE, &behind, caption.c_str(), static_cast<UINT>(caption.size()),
                nullptr);
  }
  // Lines are few and thin: set pixel by pixel where the canvas has one.
  const ConstRasterView lines =
      composer.composeLayers(frame, client.right, client.bottom, systemColors());
  for (int32_t y = 0; y < lines.height; ++y) {
    const Pixel* row = lines.row(y);
    for (int32_t x = 0; x < lines.width; ++x)
      if (row[x] >> 24) SetPixelV(dc, x, y, colorRefOf(row[x]));
  }
  EndPaint(window, &paint);
}

}  // namespace lupe::win32
