#pragma once

#include <functional>

#include "platform/desktop/desktop.hpp"
#include "platform/raster/surface.hpp"

namespace lupe {

// How the desktop calls name the program's own window (hWnd) and the drawing
// surfaces of its picture boxes (hDC): handles of the emulated desktop on
// X11, the real window and device context on Windows.
class OwnHandles {
 public:
  virtual ~OwnHandles() = default;

  // A handle for one of the program's windows.
  virtual Handle registerWindow(WindowId window) = 0;
  virtual void unregisterWindow(Handle window) = 0;
  // A device context drawing into `surface`; `drawn` runs after each drawing.
  virtual Handle registerSurface(Surface& surface, std::function<void()> drawn) = 0;
  virtual void unregisterSurface(Handle dc) = 0;
};

}  // namespace lupe
