#include "platform/wayland/seen_area.hpp"

#include <algorithm>

namespace lupe::wayland {

uint64_t SeenArea::hashRun(const PixelRect& monitor, ConstRasterView picture, int32_t row,
                           int32_t run) const {
  const int32_t x = area_.x + run * kRun, end = std::min(x + kRun, area_.x + area_.width);
  const Pixel* pixels = picture.row(area_.y + row - monitor.y) - monitor.x;
  // The alpha byte is padding in the compositor's pixels: left out.
  uint64_t hash = 0x9e3779b97f4a7c15ull;
  for (int32_t i = x; i < end; ++i) hash = (hash ^ (pixels[i] & 0xffffffu)) * 0x100000001b3ull;
  return hash;
}

void SeenArea::fingerprint(const PixelRect& area, const PixelRect& monitor, ConstRasterView picture) {
  if (intersection(area, monitor) != area) return forget();
  const bool part = !area_.empty() && intersection(area, area_) == area;
  if (!part) {
    area_ = area;
    hashes_.assign(static_cast<size_t>(area_.height) * static_cast<size_t>(runsPerRow()), 0);
  }
  const int32_t firstRun = (area.x - area_.x) / kRun,
                lastRun = (area.x + area.width - 1 - area_.x) / kRun;
  for (int32_t row = area.y - area_.y; row < area.y + area.height - area_.y; ++row)
    for (int32_t run = firstRun; run <= lastRun; ++run)
      hashes_[static_cast<size_t>(row) * static_cast<size_t>(runsPerRow()) +
              static_cast<size_t>(run)] = hashRun(monitor, picture, row, run);
}

PixelRect SeenArea::differing(const PixelRect& monitor, ConstRasterView picture) const {
  if (area_.empty() || intersection(area_, monitor) != area_) return area_;
  int32_t left = runsPerRow(), right = -1, top = -1, bottom = -1;
  for (int32_t row = 0; row < area_.height; ++row)
    for (int32_t run = 0; run < runsPerRow(); ++run) {
      if (hashes_[static_cast<size_t>(row) * static_cast<size_t>(runsPerRow()) +
                  static_cast<size_t>(run)] == hashRun(monitor, picture, row, run))
        continue;
      left = std::min(left, run);
      right = std::max(right, run);
      if (top < 0) top = row;
      bottom = row;
    }
  if (top < 0) return {};
  const int32_t x = area_.x + left * kRun;
  return {x, area_.y + top, std::min(area_.x + (right + 1) * kRun, area_.x + area_.width) - x,
          bottom - top + 1};
}

}  // namespace lupe::wayland
