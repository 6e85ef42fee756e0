#include "platform/raster/changed_area.hpp"

#include <algorithm>

namespace lupe {

PixelRect enclosing(const PixelRect& a, const PixelRect& b) {
  if (a.empty()) return b.empty() ? PixelRect{} : b;
  if (b.empty()) return a;
  const int64_t x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const int64_t x1 = std::max(int64_t{a.x} + a.width, int64_t{b.x} + b.width);
  const int64_t y1 = std::max(int64_t{a.y} + a.height, int64_t{b.y} + b.height);
  return {static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
          static_cast<int32_t>(y1 - y0)};
}

void ChangedArea::add(const PixelRect& area) {
  if (area.empty() || everything_) return;
  for (size_t i = 0; i < count_; ++i) {
    if (intersection(rects_[i], area) == area) return;  // already held
  }
  if (count_ == kMost) {
    for (size_t i = 1; i < count_; ++i) rects_[0] = enclosing(rects_[0], rects_[i]);
    rects_[0] = enclosing(rects_[0], area);
    count_ = 1;
    return;
  }
  rects_[count_++] = area;
}

void ChangedArea::add(const ChangedArea& other) {
  if (other.everything_) everything_ = true;
  for (const PixelRect& area : other.rects()) add(area);
}

void ChangedArea::clear() {
  count_ = 0;
  everything_ = false;
}

PixelRect ChangedArea::within(const PixelRect& area) const {
  if (everything_) return area.empty() ? PixelRect{} : area;
  PixelRect held;
  for (const PixelRect& changed : rects()) held = enclosing(held, intersection(changed, area));
  return held;
}

}  // namespace lupe
