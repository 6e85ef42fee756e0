#include "platform/raster/stretch.hpp"

#include <algorithm>
#include <cstring>

namespace lupe {
namespace {

// One enlarged row: each source pixel written as often as its run says.
// The first `quads` source pixels are followed by at least four pixels of
// the row: their runs go four pixels a store, the last store of a run
// ending where it ends; what a store of a short run writes past its end the
// next run writes over. The rest go one pixel at a time.
void fillRuns(Pixel* __restrict out, const Pixel* __restrict in, const int32_t* runs, size_t quads,
              size_t count) {
  size_t s = 0;
  for (; s < quads; ++s) {
    const int32_t run = runs[s];
    const Pixel value = in[s] | kBlack;
    const Pixel quad[4] = {value, value, value, value};
    std::memcpy(out, quad, sizeof quad);
    for (int32_t k = 4; k < run; k += 4) std::memcpy(out + std::min(k, run - 4), quad, sizeof quad);
    out += run;
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

PixelRect showingPart(const PixelRect& changed, int32_t sw, int32_t sh, int32_t dw, int32_t dh) {
  const PixelRect inSource = intersection(changed, {0, 0, sw, sh});
  if (inSource.empty() || dw <= 0 || dh <= 0) return {};
  const StretchMap column(sw, dw), row(sh, dh);
  const int32_t i0 = column.firstShowing(0, dw, inSource.x);
  const int32_t i1 = column.firstShowing(i0, dw, int64_t{inSource.x} + inSource.width);
  const int32_t j0 = row.firstShowing(0, dh, inSource.y);
  const int32_t j1 = row.firstShowing(j0, dh, int64_t{inSource.y} + inSource.height);
  // A reduction may skip every column or row of a thin change.
  if (i1 <= i0 || j1 <= j0) return {};
  return {i0, j0, i1 - i0, j1 - j0};
}

void NearestStretch::buildColumns(int32_t sw, int32_t dw, int32_t first, int32_t count,
                                  int32_t origin) {
  if (sw == builtSw_ && dw == builtDw_ && first == builtFirst_ && count == builtCount_ &&
      origin == builtOrigin_)
    return;
  columns_.resize(static_cast<size_t>(count));
  const StretchMap column(sw, dw);
  for (int32_t i = 0; i < count; ++i) columns_[i] = column(first + i) - origin;
  // Source columns come in order, so the destination row is a sequence of
  // runs, one per source column from the first visible one to the last.
  runs_.assign(static_cast<size_t>(columns_.back() - columns_.front() + 1), 0);
  for (int32_t i = 0; i < count; ++i) ++runs_[columns_[i] - columns_.front()];
  quads_ = 0;
  for (int32_t start = 0; quads_ < runs_.size() && start + std::max(runs_[quads_], 4) <= count;
       start += runs_[quads_], ++quads_) {
  }
  builtSw_ = sw;
  builtDw_ = dw;
  builtFirst_ = first;
  builtCount_ = count;
  builtOrigin_ = origin;
}

void NearestStretch::run(ConstRasterView src, RasterView dst, int32_t dx, int32_t dy, int32_t dw,
                         int32_t dh) {
  run(src, {0, 0, src.width, src.height}, src.width, src.height, dst, dx, dy, dw, dh);
}

void NearestStretch::run(ConstRasterView known, const PixelRect& part, int32_t sw, int32_t sh,
                         RasterView dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh) {
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  // The visible part of the destination rectangle, in its own coordinates.
  const int32_t i0 = std::max<int64_t>(0, -int64_t{dx});
  const int32_t i1 = std::min<int64_t>(dw, int64_t{dst.width} - dx);
  const int32_t j0 = std::max<int64_t>(0, -int64_t{dy});
  const int32_t j1 = std::min<int64_t>(dh, int64_t{dst.height} - dy);
  if (i1 <= i0 || j1 <= j0) return;

  // The destination columns and rows that show the known part; the rest is black.
  const StretchMap column(sw, dw), row(sh, dh);
  const bool anything = !part.empty() && known.width >= part.width && known.height >= part.height;
  const int32_t ia = anything ? column.firstShowing(i0, i1, part.x) : i0;
  const int32_t ib = anything ? column.firstShowing(ia, i1, int64_t{part.x} + part.width) : ia;
  const int32_t ja = anything ? row.firstShowing(j0, j1, part.y) : j0;
  const int32_t jb = anything ? row.firstShowing(ja, j1, int64_t{part.y} + part.height) : ja;
  dst.fill({dx + i0, dy + j0, i1 - i0, ja - j0}, kBlack);
  dst.fill({dx + i0, dy + jb, i1 - i0, j1 - jb}, kBlack);
  dst.fill({dx + i0, dy + ja, ia - i0, jb - ja}, kBlack);
  dst.fill({dx + ib, dy + ja, i1 - ib, jb - ja}, kBlack);
  if (ib <= ia || jb <= ja) return;

  const int32_t count = ib - ia;
  const bool sameWidth = sw == dw;
  const bool enlarging = dw > sw;
  if (!sameWidth) buildColumns(sw, dw, ia, count, part.x);
  const size_t rowBytes = static_cast<size_t>(count) * sizeof(Pixel);
  int64_t previousSource = -1;
  Pixel* previousRow = nullptr;
  for (int32_t j = ja; j < jb; ++j) {
    const int64_t sy = row(j) - part.y;
    const Pixel* in = known.row(static_cast<int32_t>(sy));
    Pixel* out = dst.row(dy + j) + dx + ia;
    if (sy == previousSource) {
      // Enlarged rows repeat: copy the finished row instead of gathering again.
      std::memcpy(out, previousRow, rowBytes);
    } else if (sameWidth) {
      copyOpaque(out, in + ia - part.x, count);
    } else if (enlarging) {
      fillRuns(out, in + columns_.front(), runs_.data(), quads_, runs_.size());
    } else {
      gatherColumns(out, in, columns_.data(), count);
    }
    previousSource = sy;
    previousRow = out;
  }
}

}  // namespace lupe
