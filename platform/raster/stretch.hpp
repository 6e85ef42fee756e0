#pragma once

#include <cstdint>
#include <vector>

#include "platform/raster/raster.hpp"

namespace lupe {

// Nearest-neighbour stretching without smoothing: destination pixel (i, j)
// of a dw x dh rectangle shows source pixel (floor(i * sw / dw),
// floor(j * sh / dh)). Keeps its column table between calls, so stretching
// at a steady size allocates nothing.
class NearestStretch {
 public:
  // Stretches all of `src` over the dw x dh rectangle whose top-left corner
  // lies at (dx, dy) of `dst`; only the part inside `dst` is written.
  // Nothing is written when either rectangle is empty.
  void run(ConstRasterView src, RasterView dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh);

 private:
  void buildColumns(int32_t sw, int32_t dw, int32_t first, int32_t count);

  // For each visible destination column its source column; for an
  // enlargement, also how many destination columns each source column fills.
  std::vector<int32_t> columns_;
  std::vector<int32_t> runs_;
  int32_t builtSw_ = -1, builtDw_ = -1, builtFirst_ = -1, builtCount_ = -1;
};

}  // namespace lupe
