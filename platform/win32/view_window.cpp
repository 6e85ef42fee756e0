#include "platform/win32/view_window.hpp"

#include "platform/win32/win32_convert.hpp"

namespace lupe::win32 {

ViewWindow::ViewWindow(PictureBox& picture, HWND window)
    : picture_(picture),
      window_(window),
      memory_(window),
      presenter_(picture, memory_, systemColors()) {}

void ViewWindow::changed() {
  presenter_.changed();
  InvalidateRect(window_, nullptr, FALSE);
}

PixelSize ViewWindow::clientSize() const {
  RECT client{};
  GetClientRect(window_, &client);
  return {client.right, client.bottom};
}

bool ViewWindow::handle(UINT message, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND:
      result = 1;  // every pixel is painted from the picture
      return true;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window_, &paint);
      const RECT& r = paint.rcPaint;
      presenter_.paint({r.left, r.top, r.right - r.left, r.bottom - r.top}, clientSize());
      EndPaint(window_, &paint);
      result = 0;
      return true;
    }
    case WM_SIZE:
      presenter_.changed();
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace lupe::win32
