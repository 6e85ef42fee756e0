#pragma once

#include "platform/win32/windows_api.hpp"

#include <functional>
#include <memory>
#include <unordered_map>

#include "platform/desktop/desktop.hpp"
#include "platform/desktop/own_handles.hpp"
#include "platform/raster/stretch.hpp"
#include "platform/raster/surface.hpp"
#include "platform/win32/source_capture.hpp"

namespace lupe::win32 {

// The device context that draws into a surface's memory (a view's DIB
// section), or nullptr when the surface has none.
using SurfaceContexts = std::function<HDC(Surface&)>;

// The desktop calls as the very calls of user32 and gdi32. The program's own
// window is its real HWND and a view's hDC the memory context of its DIB
// section. StretchBlt into a view copies the source rectangle first and
// stretches it with our kernel (the same pixels as gdi32's); when it repeats
// the last stretch into an untouched view and the copy equals the last one,
// the view keeps its picture and nothing is drawn or shown. Otherwise the
// view is told afterwards that it was drawn.
class Win32Desktop final : public Desktop, public OwnHandles {
 public:
  explicit Win32Desktop(SurfaceContexts contexts) : contexts_(std::move(contexts)) {}

  // OwnHandles
  Handle registerWindow(WindowId window) override;
  void unregisterWindow(Handle) override {}
  Handle registerSurface(Surface& surface, std::function<void()> drawn) override;
  void unregisterSurface(Handle dc) override { surfaces_.erase(dc); }

  Handle GetDesktopWindow() override;
  Handle GetDC(Handle window) override;
  int32_t ReleaseDC(Handle window, Handle dc) override;
  int32_t GetCursorPos(PointApi& point) override;
  int32_t StretchBlt(Handle dst, int32_t x, int32_t y, int32_t width, int32_t height, Handle src,
                     int32_t srcX, int32_t srcY, int32_t srcWidth, int32_t srcHeight,
                     uint32_t rop) override;
  int32_t SetWindowPos(Handle window, Handle insertAfter, int32_t x, int32_t y, int32_t width,
                       int32_t height, uint32_t flags) override;
  int32_t ReleaseCapture() override;
  int32_t SendMessageA(Handle window, uint32_t message, int32_t wParam, int32_t lParam) override;

 private:
  struct DrawnSurface {
    Surface* surface = nullptr;
    std::function<void()> drawn;
    std::unique_ptr<SourceCapture> capture = std::make_unique<SourceCapture>();
    StretchRecord stretched;
  };
  // Through our own copy of the source; false when it cannot be taken.
  bool stretchFromCopy(DrawnSurface& view, HDC screen, const PixelRect& source,
                       const PixelRect& target);

  SurfaceContexts contexts_;
  NearestStretch stretch_;
  std::unordered_map<Handle, DrawnSurface> surfaces_;
};

}  // namespace lupe::win32
