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
// out above the groove, so the topmost row that shows, besides its
// background (its most common colour), one narrow run of columns shows the
// thumb's top. nullopt when no row looks like that.
std::optional<ThumbSpan> findSliderThumb(const Image& slider);

}  // namespace lupe::e2e
