#include "platform/raster/stretch.hpp"

#include <algorithm>
#include <cstring>

namespace lupe {

void NearestStretch::buildColumns(int32_t sw, int32_t dw, int32_t first, int32_t count) {
  if (sw == builtSw_ && dw == builtDw_ && first == builtFirst_ && count == builtCount_) return;
  columns_.resize(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i)
    columns_[i] = static_cast<int32_t>(int64_t{first + i} * sw / dw);
  builtSw_ = sw;
  builtDw_ = dw;
  builtFirst_ = first;
  builtCount_ = count;
}

void NearestStretch::run(ConstRasterView src, RasterView dst, int32_t dx, int32_t dy, int32_t dw,
                         int32_t dh) {
  if (src.width <= 0 || src.height <= 0 || dw <= 0 || dh <= 0) return;
  // The visible part of the destination rectangle, in its own coordinates.
  const int32_t i0 = std::max<int64_t>(0, -int64_t{dx});
  const int32_t i1 = std::min<int64_t>(dw, int64_t{dst.width} - dx);
  const int32_t j0 = std::max<int64_t>(0, -int64_t{dy});
  const int32_t j1 = std::min<int64_t>(dh, int64_t{dst.height} - dy);
  if (i1 <= i0 || j1 <= j0) return;

  const int32_t count = i1 - i0;
  const bool sameWidth = src.width == dw;
  if (!sameWidth) buildColumns(src.width, dw, i0, count);
  const int32_t* columns = columns_.data();
  const size_t rowBytes = static_cast<size_t>(count) * sizeof(Pixel);

  int64_t previousSource = -1;
  Pixel* previousRow = nullptr;
  for (int32_t j = j0; j < j1; ++j) {
    const int64_t sy = int64_t{j} * src.height / dh;
    Pixel* out = dst.row(dy + j) + dx + i0;
    if (sy == previousSource) {
      // Enlarged rows repeat: copy the finished row instead of gathering again.
      std::memcpy(out, previousRow, rowBytes);
    } else if (sameWidth) {
      std::memcpy(out, src.row(static_cast<int32_t>(sy)) + i0, rowBytes);
    } else {
      const Pixel* in = src.row(static_cast<int32_t>(sy));
      for (int32_t i = 0; i < count; ++i) out[i] = in[columns[i]];
    }
    previousSource = sy;
    previousRow = out;
  }
}

}  // namespace lupe
