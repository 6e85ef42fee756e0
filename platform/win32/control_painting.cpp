// How the backend draws what the system's controls do not: buttons in their
// own colour and the settings panel with its caption and lines.
#include <cstring>
#include <string>

#include "platform/raster/compositor.hpp"
#include "platform/raster/raster.hpp"
#include "platform/win32/wide_text.hpp"
#include "platform/win32/win32_backend.hpp"
#include "platform/win32/win32_convert.hpp"

namespace lupe::win32 {
namespace {

constexpr int kPictureMargin = 4;  // above a button's picture

}  // namespace

// A graphical button: its face in BackColor with a raised edge, sunken while
// pressed; a picture stands above the caption.
void Win32Backend::drawButton(const DRAWITEMSTRUCT& item) {
  const auto& button = static_cast<const CommandButton&>(*controlOf(item.hwndItem));
  const HDC dc = item.hDC;
  RECT r = item.rcItem;
  const COLORREF face = toColorRef(button.BackColor);
  const HBRUSH brush = CreateSolidBrush(face);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  const bool pressed = item.itemState & ODS_SELECTED;
  DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  if (pressed) OffsetRect(&r, 1, 1);

  if (const auto font = fonts_.find(&button); font != fonts_.end()) SelectObject(dc, font->second);
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

// The panel: the face colour, an etched group edge with the caption set into
// its top, and the panel's own lines by the same pixel rule as the view's.
void Win32Backend::paintFrame(HWND window, const Frame& frame) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, face_);
  if (const auto font = fonts_.find(&frame); font != fonts_.end()) SelectObject(dc, font->second);
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
  // Lines are few and thin: drawn on a clear canvas, set pixel by pixel.
  Raster canvas(client.right, client.bottom, 0);
  bool any = false;
  for (const Control* child : frame.children()) {
    if (child->kind() != ControlKind::Line) continue;
    if (const auto layer = lineLayer(static_cast<const Line&>(*child), systemColors())) {
      drawLine(canvas.view(), *layer);
      any = true;
    }
  }
  for (int32_t y = 0; any && y < canvas.view().height; ++y) {
    const Pixel* row = canvas.view().row(y);
    for (int32_t x = 0; x < canvas.view().width; ++x)
      if (row[x] >> 24) SetPixelV(dc, x, y, colorRefOf(row[x]));
  }
  EndPaint(window, &paint);
}

}  // namespace lupe::win32
