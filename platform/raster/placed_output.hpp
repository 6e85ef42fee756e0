#pragma once

#include <cstdint>

#include "platform/raster/surface.hpp"

namespace lupe {

// Where a view lies on the surface of its window, in the units of that
// surface (logical pixels): the window system's compositor shows a view of
// ours on a surface of its own, placed there, over the window's.
struct ViewPlacement {
  int32_t x = 0, y = 0;  // the view's top-left corner
  int32_t scale = 1;     // native pixels to a unit
  PixelRect visible;     // the part of the view inside the window, in native pixels
  bool shown = false;

  bool operator==(const ViewPlacement&) const = default;
};

// Memory that a surface of its own, lying over the window, shows straight
// from (a Wayland subsurface of shared memory): the window still paints
// what the memory does not reach.
class PlacedOutput : public PixelMemory {
 public:
  // Follows the view on the window; the window's own surface may be new.
  virtual void place(const ViewPlacement& placement) = 0;
  // Shows the part `area` of the memory last provided, where it is visible.
  virtual void show(const PixelRect& area) = 0;
};

}  // namespace lupe
