#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <unordered_map>

#include "platform/desktop/desktop.hpp"
#include "platform/desktop/own_handles.hpp"
#include "platform/emulation/screen_source.hpp"
#include "platform/emulation/window_requests.hpp"
#include "platform/raster/raster.hpp"
#include "platform/raster/stretch.hpp"
#include "platform/raster/surface.hpp"

namespace lupe {

// The Desktop calls on a window system without device contexts: handles
// stand for the desktop window, the program's own windows, screen device
// contexts (read through a ScreenSource) and drawing surfaces (a window's
// pixel buffer). StretchBlt reads the on-screen part of the source rectangle
// and stretches it into the surface with our own kernel; when it repeats
// the last stretch into an untouched surface, it redraws only the pixels
// that show what changed on the screen since, and nothing when nothing did.
class EmulatedDesktop final : public Desktop, public OwnHandles {
 public:
  EmulatedDesktop(ScreenSource& screen, WindowRequests& windows);

  // OwnHandles
  Handle registerWindow(WindowId window) override;
  void unregisterWindow(Handle window) override;
  Handle registerSurface(Surface& surface, std::function<void()> drawn) override;
  void unregisterSurface(Handle dc) override;

  // Screen device contexts handed out by GetDC and not yet given back.
  size_t heldScreenContexts() const;

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
  enum class Kind { DesktopWindow, Window, ScreenContext, Surface };
  struct Entry {
    explicit Entry(Kind k) : kind(k) {}
    Kind kind;
    WindowId window = 0;          // Window
    Handle owner = 0;             // ScreenContext: the window it was taken for
    Surface* surface = nullptr;   // Surface
    std::function<void()> drawn;  // Surface
    // Surface: the last stretch from the screen and what changed on the
    // screen since.
    StretchRecord stretched;
    ChangedArea screenChanges;
  };

  Handle add(Entry entry);
  const Entry* find(Handle handle, Kind kind) const;
  Entry* find(Handle handle, Kind kind);
  // Looks at the screen anew and hands what changed to every surface drawn
  // from it.
  const ScreenLook& lookAtScreen();
  // Stretches the part of `source` that shows in `area` of the stretched
  // rectangle `target` into `into`.
  void stretchPart(const ScreenLook& look, const PixelRect& source, const PixelRect& target,
                   const PixelRect& area, RasterView into);

  ScreenSource& screen_;
  WindowRequests& windows_;
  std::unordered_map<Handle, Entry> handles_;
  Handle next_ = 0x10010;
  Handle desktopWindow_ = 0;
  Raster captured_;  // a source rectangle the screen cannot hand out in place, kept between ticks
  std::optional<ScreenLook> look_;  // the last look at the screen
  bool lookStretched_ = false;      // a stretch has read through it already
  NearestStretch stretch_;
};

}  // namespace lupe
