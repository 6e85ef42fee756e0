#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/controls/controls.hpp"
#include "platform/raster/compositor.hpp"
#include "platform/raster/raster.hpp"

namespace lupe {

// The pixel of a system colour (top bit set) in the platform's current scheme.
using SystemColors = std::function<Pixel(Color)>;

// A control colour as a pixel: system colours through the platform's scheme.
Pixel resolveColor(Color color, const SystemColors& systemColors);

// How a line control is drawn, in its container's pixels; nothing when it
// is hidden or transparent (BorderStyle 0). Style 1 and 6 are solid, every
// other style dashed.
std::optional<LineLayer> lineLayer(const Line& line, const SystemColors& systemColors);

// What a container's lines and images lay over it, from the lowest to the
// topmost (see fromBottom), into `layers`.
void collectLayers(const Control& container, const SystemColors& systemColors,
                   std::vector<Layer>& layers);

// The lines and images a panel holds, for a panel whose face the toolkit
// paints (a view's go through its ViewPresenter). Keeps its buffers, so
// composing at a steady size allocates nothing.
class ViewComposer {
 public:
  // Only the lines and images of `container`, on a clear canvas of width x
  // height (alpha 0 where nothing lies).
  ConstRasterView composeLayers(const Control& container, int32_t width, int32_t height,
                                const SystemColors& systemColors);

 private:
  Raster frame_;
  std::vector<Layer> layers_;
};

}  // namespace lupe
