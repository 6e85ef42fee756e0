#pragma once

#include <cstdint>
#include <vector>

#include "platform/raster/raster.hpp"

namespace lupe::wayland {

// A fingerprint of what the magnifier last read of one monitor's picture,
// a 64-bit hash per run of up to kRun pixels of each row. Where the
// compositor sends a new picture without saying what changed (mutter 43
// tells no damage), comparing the picture with it tells which part of the
// seen area changed, without keeping a copy of any pixels: a still screen
// then costs no redraw, and our own window's redraws do not feed back.
class SeenArea {
 public:
  static constexpr int32_t kRun = 64;

  // After a read of `area` from `picture` (the monitor's picture, placed at
  // `monitor`): a part of the seen area is fingerprinted anew, anything
  // else becomes the seen area.
  void fingerprint(const PixelRect& area, const PixelRect& monitor, ConstRasterView picture);
  // The smallest rectangle holding every run of the seen area that differs
  // in `picture` (of `monitor`) from its fingerprint; empty when none does.
  PixelRect differing(const PixelRect& monitor, ConstRasterView picture) const;
  // The seen area; empty before any read.
  const PixelRect& area() const { return area_; }
  void forget() { area_ = {}; }

 private:
  int32_t runsPerRow() const { return (area_.width + kRun - 1) / kRun; }
  uint64_t hashRun(const PixelRect& monitor, ConstRasterView picture, int32_t row,
                   int32_t run) const;

  PixelRect area_;
  std::vector<uint64_t> hashes_;
};

}  // namespace lupe::wayland
