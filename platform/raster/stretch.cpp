#include "platform/raster/stretch.hpp"

#include <algorithm>
#include <cstring>

namespace lupe {
namespace {

// One enlarged row: each source pixel written as often as its run says.
// The first `quads` source pixels have runs of at most four, each followed
// by at least four pixels of the row: they go four pixels at a time, one
// store per source pixel, and what a store writes past its run the next
// run writes over. The rest go one pixel at a time.
void fillRuns(Pixel* __restrict out, const Pixel* __restrict in, const int32_t* runs, size_t quads,
              size_t count) {
  size_t s = 0;
  for (; s < quads; ++s) {
    const Pixel value = in[s] | kBlack;
    const Pixel quad[4] = {value, value, value, value};
    std::memcpy(out, quad, sizeof quad);
    out += runs[s];
  }
  for (; s < count; ++s) {
    const Pixel value = in[s] | kBlack;
    for (int32_t r = 0; r < runs[s]; ++r) out[r] = value;
    out += runs[s];
  }
}

// One row of a reduction: a gather through the column table.
void gatherColumns(Pixel* __restrict out, const Pixel* __restrict in, const int32_t* columns,
                   int32_t count) {
  for (int32_t i = 0; i < count; ++i) out[i] = in[columns[i]] | kBlack;
}

// One row at the same width.
void copyOpaque(Pixel* __restrict out, const Pixel* __restrict in, int32_t count) {
  for (int32_t i = 0; i < count; ++i) out[i] = in[i] | kBlack;
}

}  // namespace

void NearestStretch::buildColumns(int32_t sw, int32_t dw, int32_t first, int32_t count) {
  if (sw == builtSw_ && dw == builtDw_ && first == builtFirst_ && count == builtCount_) return;
  columns_.resize(static_cast<size_t>(count));
  const StretchMap column(sw, dw);
  for (int32_t i = 0; i < count; ++i) columns_[i] = column(first + i);
  // Source columns come in order, so the destination row is a sequence of
  // runs, one per source column from the first visible one to the last.
  runs_.assign(static_cast<size_t>(columns_.back() - columns_.front() + 1), 0);
  for (int32_t i = 0; i < count; ++i) ++runs_[columns_[i] - columns_.front()];
  quads_ = 0;
  for (int32_t start = 0; quads_ < runs_.size() && runs_[quads_] <= 4 && start + 4 <= count;
       start += runs_[quads_], ++quads_) {
  }
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
  const bool enlarging = dw > src.width;
  if (!sameWidth) buildColumns(src.width, dw, i0, count);
  const size_t rowBytes = static_cast<size_t>(count) * sizeof(Pixel);

  const StretchMap row(src.height, dh);
  int64_t previousSource = -1;
  Pixel* previousRow = nullptr;
  for (int32_t j = j0; j < j1; ++j) {
    const int64_t sy = row(j);
    Pixel* out = dst.row(dy + j) + dx + i0;
    if (sy == previousSource) {
      // Enlarged rows repeat: copy the finished row instead of gathering again.
      std::memcpy(out, previousRow, rowBytes);
    } else if (sameWidth) {
      copyOpaque(out, src.row(static_cast<int32_t>(sy)) + i0, count);
    } else if (enlarging) {
      fillRuns(out, src.row(static_cast<int32_t>(sy)) + columns_.front(), runs_.data(), quads_,
               runs_.size());
    } else {
      gatherColumns(out, src.row(static_cast<int32_t>(sy)), columns_.data(), count);
    }
    previousSource = sy;
    previousRow = out;
  }
}

}  // namespace lupe
