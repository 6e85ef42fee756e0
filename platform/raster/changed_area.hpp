#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "platform/raster/raster.hpp"

namespace lupe {

// The smallest rectangle holding both; an empty one adds nothing.
PixelRect enclosing(const PixelRect& a, const PixelRect& b);

// What changed of a picture or of the screen: a few rectangles, or all of
// it however large. Past kMost rectangles they merge into one that encloses
// them, so keeping track costs nothing however much changes.
class ChangedArea {
 public:
  static constexpr size_t kMost = 8;

  void add(const PixelRect& area);
  void add(const ChangedArea& other);
  void addEverything() { everything_ = true; }
  void clear();

  bool empty() const { return !everything_ && count_ == 0; }
  bool everything() const { return everything_; }
  // The rectangles, for an area that is not everything.
  std::span<const PixelRect> rects() const { return {rects_.data(), count_}; }
  // The smallest rectangle that holds what changed within `area`.
  PixelRect within(const PixelRect& area) const;

 private:
  std::array<PixelRect, kMost> rects_{};
  size_t count_ = 0;
  bool everything_ = false;
};

}  // namespace lupe
