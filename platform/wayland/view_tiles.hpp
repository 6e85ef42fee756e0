#pragma once

#include <cstdint>

#include "platform/raster/raster.hpp"

namespace lupe::wayland {

// `pixels` grown to whole units of a surface of `scale` native pixels a
// unit: the frame's memory has that much room at its right and bottom.
int32_t wholeUnits(int32_t pixels, int32_t scale);

// The part of the frame that a tile of the view shows from `memory` (the
// frame, its stride and `rows` rows of room): the tile within the frame, in
// whole units of the surface, as a buffer must be. An edge where the frame
// ends goes out to the next whole unit, into the memory's room (what lies
// beyond the frame there the window paints over); any other goes in.
PixelRect tilePart(const PixelRect& tile, const RasterView& memory, int32_t rows, int32_t scale);

}  // namespace lupe::wayland
