#include "platform/win32/win32_desktop.hpp"

#include "platform/raster/surface.hpp"
#include "platform/win32/handle_cast.hpp"

namespace lupe::win32 {

Handle Win32Desktop::registerWindow(WindowId window) {
  return toHandle(reinterpret_cast<HWND>(window));
}

Handle Win32Desktop::registerSurface(Surface& surface, std::function<void()> drawn) {
  const HDC dc = contexts_(surface);
  if (!dc) return 0;
  const Handle handle = toHandle(dc);
  DrawnSurface view;
  view.surface = &surface;
  view.drawn = std::move(drawn);
  surfaces_.insert_or_assign(handle, std::move(view));
  return handle;
}

Handle Win32Desktop::GetDesktopWindow() { return toHandle(::GetDesktopWindow()); }

Handle Win32Desktop::GetDC(Handle window) { return toHandle(::GetDC(fromHandle<HWND>(window))); }

int32_t Win32Desktop::ReleaseDC(Handle window, Handle dc) {
  return ::ReleaseDC(fromHandle<HWND>(window), fromHandle<HDC>(dc));
}

int32_t Win32Desktop::GetCursorPos(PointApi& point) {
  POINT p;
  if (!::GetCursorPos(&p)) return 0;
  point = {p.x, p.y};
  return 1;
}

int32_t Win32Desktop::StretchBlt(Handle dst, int32_t x, int32_t y, int32_t width, int32_t height,
                                 Handle src, int32_t srcX, int32_t srcY, int32_t srcWidth,
                                 int32_t srcHeight, uint32_t rop) {
  const auto view = surfaces_.find(dst);
  const bool copyable = rop == SRCCOPY && width > 0 && height > 0 && srcWidth > 0 && srcHeight > 0;
  if (view != surfaces_.end() && copyable &&
      stretchFromCopy(view->second, fromHandle<HDC>(src), {srcX, srcY, srcWidth, srcHeight},
                      {x, y, width, height}))
    return 1;
  // A put-off clear and the layers laid in for the last frame must be off
  // the picture before gdi32 draws into it.
  if (view != surfaces_.end()) view->second.surface->pixelsToCover({x, y, width, height});
  const BOOL done = ::StretchBlt(fromHandle<HDC>(dst), x, y, width, height, fromHandle<HDC>(src),
                                 srcX, srcY, srcWidth, srcHeight, rop);
  if (view != surfaces_.end()) {
    GdiFlush();
    view->second.stretched.forget();
    view->second.drawn();
  }
  return done;
}

bool Win32Desktop::stretchFromCopy(DrawnSurface& view, HDC screen, const PixelRect& source,
                                   const PixelRect& target) {
  if (!view.capture->take(screen, source)) return false;
  Surface& surface = *view.surface;
  if (view.capture->unchanged(view.stretched.repeatedBy(source, target, surface))) {
    surface.keepPicture();
    return true;
  }
  stretch_.run(view.capture->pixels(), surface.pixelsToCover(target), target.x, target.y,
               target.width, target.height);
  view.stretched.remember(source, target, surface);
  view.drawn();
  return true;
}

int32_t Win32Desktop::SetWindowPos(Handle window, Handle insertAfter, int32_t x, int32_t y,
                                   int32_t width, int32_t height, uint32_t flags) {
  return ::SetWindowPos(fromHandle<HWND>(window), fromHandle<HWND>(insertAfter), x, y, width,
                        height, flags);
}

int32_t Win32Desktop::ReleaseCapture() { return ::ReleaseCapture(); }

// Our window is a Unicode window and the message carries no text: the wide
// call spares the system a conversion.
int32_t Win32Desktop::SendMessageA(Handle window, uint32_t message, int32_t wParam,
                                   int32_t lParam) {
  // A caption drag asked for after the button already came up ends at once
  // on Windows; under Wine the X window manager would start a move that
  // sticks the window to the pointer until the next click. So it is asked
  // for only while the left button is down.
  if (message == WM_NCLBUTTONDOWN && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000)) return 0;
  return static_cast<int32_t>(::SendMessageW(
      fromHandle<HWND>(window), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)));
}

}  // namespace lupe::win32
