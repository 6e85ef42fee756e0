#pragma once

#include "platform/raster/picture.hpp"

namespace lupe {

// The window's icon: a folder behind a magnifying glass.
const Picture& windowIcon();
// The arrow pointer of the marker and of its button; its tip is in the top
// row, two pixels from the left edge.
const Picture& arrowPicture();

}  // namespace lupe
