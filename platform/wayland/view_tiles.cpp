#include "platform/wayland/view_tiles.hpp"

#include <algorithm>

namespace lupe::wayland {
namespace {

void toWholeUnits(int32_t start, int32_t& length, int32_t frameEnd, int32_t memoryEnd,
                  int32_t scale) {
  const int32_t out = wholeUnits(length, scale);
  length = start + length == frameEnd && start + out <= memoryEnd ? out : length - length % scale;
}

}  // namespace

int32_t wholeUnits(int32_t pixels, int32_t scale) {
  scale = std::max(scale, 1);
  return (pixels + scale - 1) / scale * scale;
}

PixelRect tilePart(const PixelRect& tile, const RasterView& memory, int32_t rows, int32_t scale) {
  scale = std::max(scale, 1);
  PixelRect part = intersection(tile, {0, 0, memory.width, memory.height});
  if (part.empty()) return {};
  toWholeUnits(part.x, part.width, memory.width, memory.stride, scale);
  toWholeUnits(part.y, part.height, memory.height, rows, scale);
  return part;
}

}  // namespace lupe::wayland
