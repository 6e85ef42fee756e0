#include "slider_thumb.hpp"

#include <algorithm>
#include <map>

namespace lupe::e2e {

namespace {

Rgb mostCommonInRow(const Image& image, int y) {
  std::map<Rgb, int> counts;
  for (int x = 0; x < image.width(); ++x) ++counts[image.at(x, y)];
  return std::max_element(counts.begin(), counts.end(),
                          [](const auto& a, const auto& b) { return a.second < b.second; })
      ->first;
}

}  // namespace

std::optional<ThumbSpan> findSliderThumb(const Image& slider) {
  // A focus frame may run along the slider's edges (Windows draws a dotted
  // one): its columns are left out, and its rows, like the groove's, show
  // more than one narrow run.
  constexpr int kEdge = 2;
  for (int y = 0; y < slider.height(); ++y) {
    const Rgb background = mostCommonInRow(slider, y);
    int first = -1, last = -1, count = 0;
    for (int x = kEdge; x < slider.width() - kEdge; ++x) {
      if (slider.at(x, y) == background) continue;
      if (first < 0) first = x;
      last = x;
      ++count;
    }
    if (count == 0) continue;
    // One run, narrower than a third of the slider: the thumb's top.
    const int width = last - first + 1;
    if (count == width && width >= 4 && width * 3 <= slider.width()) return ThumbSpan{first, width};
  }
  return std::nullopt;
}

}  // namespace lupe::e2e
