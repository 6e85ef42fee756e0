#pragma once

#include <optional>

#include "platform/raster/raster.hpp"

namespace lupe {

// A drawing surface that keeps its picture until it is drawn again. Clearing
// is put off until the pixels are needed, so a clear followed by a drawing
// that covers the whole surface (every tick) writes each pixel once.
class Surface {
 public:
  int32_t width() const { return raster_.width(); }
  int32_t height() const { return raster_.height(); }

  // New size; kept pixels stay, new ones get `fill`.
  void resize(int32_t width, int32_t height, Pixel fill);
  // Fills the whole surface with `fill`, at the latest when next looked at.
  void clear(Pixel fill) { pendingFill_ = fill; }
  // The pixels, a put-off clear done.
  RasterView pixels();
  // The pixels for a drawing that writes every pixel of `area`: a put-off
  // clear is dropped when the area covers the whole surface.
  RasterView pixelsToCover(const PixelRect& area);

 private:
  Raster raster_;
  std::optional<Pixel> pendingFill_;
};

}  // namespace lupe
