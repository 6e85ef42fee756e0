#include "platform/raster/raster.hpp"

#include <algorithm>
#include <cstring>

namespace lupe {

PixelRect intersection(const PixelRect& a, const PixelRect& b) {
  const int64_t x0 = std::max<int64_t>(a.x, b.x);
  const int64_t y0 = std::max<int64_t>(a.y, b.y);
  const int64_t x1 = std::min<int64_t>(int64_t{a.x} + a.width, int64_t{b.x} + b.width);
  const int64_t y1 = std::min<int64_t>(int64_t{a.y} + a.height, int64_t{b.y} + b.height);
  if (x1 <= x0 || y1 <= y0) return {};
  return {static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
          static_cast<int32_t>(y1 - y0)};
}

RasterView RasterView::sub(const PixelRect& area) const {
  return {pixels + area.y * stride + area.x, area.width, area.height, stride};
}

void RasterView::fill(Pixel value) const {
  for (int32_t y = 0; y < height; ++y) std::fill_n(row(y), width, value);
}

void RasterView::fill(const PixelRect& area, Pixel value) const {
  const PixelRect clipped = intersection(area, {0, 0, width, height});
  if (!clipped.empty()) sub(clipped).fill(value);
}

void copyPixels(ConstRasterView from, RasterView to) {
  const int32_t w = std::min(from.width, to.width), h = std::min(from.height, to.height);
  for (int32_t y = 0; w > 0 && y < h; ++y)
    std::memcpy(to.row(y), from.row(y), static_cast<size_t>(w) * sizeof(Pixel));
}

Raster::Raster(int32_t width, int32_t height, Pixel fill) { resize(width, height, fill); }

void Raster::resize(int32_t width, int32_t height, Pixel fill) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  std::vector<Pixel> next(static_cast<size_t>(width) * height, fill);
  const int32_t keepW = std::min(width, width_);
  const int32_t keepH = std::min(height, height_);
  for (int32_t y = 0; keepW > 0 && y < keepH; ++y)
    std::memcpy(next.data() + static_cast<size_t>(y) * width,
                pixels_.data() + static_cast<size_t>(y) * width_, keepW * sizeof(Pixel));
  pixels_.swap(next);
  width_ = width;
  height_ = height;
}

void Raster::reshape(int32_t width, int32_t height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  const size_t needed = static_cast<size_t>(width_) * height_;
  if (pixels_.size() < needed) pixels_.resize(needed);
}

}  // namespace lupe
