#pragma once

#include <optional>

#include "pixels.hpp"

namespace lupe::e2e {

// The columns that a horizontal slider's thumb covers.
struct ThumbSpan {
  int left = 0;
  int width = 0;
  int centre() const { return left + width / 2; }
};

// Finds the thumb in the pixels of a horizontal slider: the thumb stands
// out above the groove, so the topmost row that shows anything but its
// background (its most common colour) shows the thumb alone, as one run of
// columns. nullopt when no row looks like that.
std::optional<ThumbSpan> findSliderThumb(const Image& slider);

}  // namespace lupe::e2e
