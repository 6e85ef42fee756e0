#pragma once

#include <cstdint>
#include <vector>

#include "platform/raster/raster.hpp"

namespace lupe {

// Which source index each destination index shows when `srcLength` pixels
// are stretched over `dstLength`, exactly as gdi32's StretchBlt picks it
// (SRCCOPY, default stretch mode): with the 32.32 fixed-point step
// s = floor(srcLength * 2^32 / dstLength), index i shows
// floor((i * s + s / 2) / 2^32). At whole-number enlargements this is
// floor(i * srcLength / dstLength). Both lengths must be positive.
class StretchMap {
 public:
  StretchMap(int32_t srcLength, int32_t dstLength)
      : step_((uint64_t{static_cast<uint32_t>(srcLength)} << 32) /
              static_cast<uint32_t>(dstLength)) {}
  // For i within 0..dstLength-1; the result lies within 0..srcLength-1.
  int32_t operator()(int64_t i) const {
    return static_cast<int32_t>((static_cast<uint64_t>(i) * step_ + step_ / 2) >> 32);
  }
  // The first index in [from, to) that shows source index `at` or a later
  // one; `to` when there is none. Source indices grow with the index.
  int32_t firstShowing(int32_t from, int32_t to, int64_t at) const {
    while (from < to) {
      const int32_t middle = from + (to - from) / 2;
      if ((*this)(middle) < at) {
        from = middle + 1;
      } else {
        to = middle;
      }
    }
    return from;
  }

 private:
  uint64_t step_;
};

// Where part of a source shows when sw x sh pixels are stretched over
// dw x dh: the destination pixels that show any source pixel of `changed`,
// both relative to their rectangle's top-left corner; empty when none does.
PixelRect showingPart(const PixelRect& changed, int32_t sw, int32_t sh, int32_t dw, int32_t dh);

// Nearest-neighbour stretching without smoothing: destination pixel (i, j)
// of a dw x dh rectangle shows source pixel (StretchMap(sw, dw)(i),
// StretchMap(sh, dh)(j)), so our stretch shows the same pixels as the
// system's on Windows. The source's alpha bytes may be anything (a screen
// image as the server lays it out): what is written is opaque. Keeps its column table between calls, so stretching
// at a steady size allocates nothing.
class NearestStretch {
 public:
  // Stretches all of `src` over the dw x dh rectangle whose top-left corner
  // lies at (dx, dy) of `dst`; only the part inside `dst` is written.
  // Nothing is written when either rectangle is empty.
  void run(ConstRasterView src, RasterView dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh);
  // The same for a sw x sh source of which only the rectangle `part` is
  // known, its pixels in `known`, and the rest is black (a screen rectangle
  // reaching past the screen's edges).
  void run(ConstRasterView known, const PixelRect& part, int32_t sw, int32_t sh, RasterView dst,
           int32_t dx, int32_t dy, int32_t dw, int32_t dh);

 private:
  // Column table for `count` destination columns from `first`, as indices
  // into source pixels that begin at source column `origin`.
  void buildColumns(int32_t sw, int32_t dw, int32_t first, int32_t count, int32_t origin);

  // For each visible destination column its source column; for an
  // enlargement, also how many destination columns each source column fills.
  std::vector<int32_t> columns_;
  std::vector<int32_t> runs_;
  size_t quads_ = 0;  // leading runs that are written four pixels at a time
  int32_t builtSw_ = -1, builtDw_ = -1, builtFirst_ = -1, builtCount_ = -1, builtOrigin_ = 0;
};

}  // namespace lupe
