#include "platform/raster/surface.hpp"

namespace lupe {

void Surface::resize(int32_t width, int32_t height, Pixel fill) {
  pixels();
  raster_.resize(width, height, fill);
}

RasterView Surface::pixels() {
  if (pendingFill_) {
    raster_.view().fill(*pendingFill_);
    pendingFill_.reset();
  }
  return raster_.view();
}

RasterView Surface::pixelsToCover(const PixelRect& area) {
  if (intersection(area, {0, 0, width(), height()}) == PixelRect{0, 0, width(), height()})
    pendingFill_.reset();
  return pixels();
}

}  // namespace lupe
