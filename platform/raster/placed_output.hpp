#pragma once

#include <cstdint>
#include <vector>

#include "platform/raster/surface.hpp"

namespace lupe {

// Where a view lies on the surface of its window, in the units of that
// surface (logical pixels): the window system's compositor shows a view of
// ours on surfaces of its own, placed there, over the window's.
struct ViewPlacement {
  int32_t x = 0, y = 0;  // the view's top-left corner
  int32_t scale = 1;     // native pixels to a unit
  // The rectangles of the view that show, in its native pixels: inside the
  // window, and around the controls that lie over the view.
  std::vector<PixelRect> tiles;

  bool operator==(const ViewPlacement&) const = default;
};

// Memory that surfaces of its own, lying over the window, show straight
// from (Wayland subsurfaces of shared memory): the window still paints the
// controls over the view and what the memory does not reach.
class PlacedOutput : public PixelMemory {
 public:
  // Follows the view on the window; the window's own surface may be new.
  virtual void place(const ViewPlacement& placement) = 0;
  // Shows the part `area` of the memory last provided, where it shows.
  virtual void show(const PixelRect& area) = 0;
};

}  // namespace lupe
