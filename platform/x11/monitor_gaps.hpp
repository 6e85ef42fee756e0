#pragma once

#include <span>

#include "platform/raster/raster.hpp"

namespace lupe::x11 {

// Paints black each pixel of `out`, which holds the screen rectangle `area`,
// that lies on none of `monitors` (screen rectangles). The root window spans
// the bounding box of all monitors, and what it holds between them is
// undefined. With no monitors known, everything counts as shown.
void blackOutUnshown(const PixelRect& area, std::span<const PixelRect> monitors, RasterView out);

}  // namespace lupe::x11
