#include "view_model.hpp"

#include <cmath>
#include <cstdint>

namespace lupe::e2e {

ViewModel ViewModel::forOuterSize(int outerWidthPx, int outerHeightPx, int zoom) {
  ViewModel m;
  const float outerWidthTwips = float(outerWidthPx * kTwipsPerPixel);
  const float outerHeightTwips = float(outerHeightPx * kTwipsPerPixel);
  m.widthF = float(double(outerWidthTwips) / 12.1);
  m.heightF = float(double(outerHeightTwips) / 12.8);
  m.width = int(std::nearbyint(m.widthF));
  m.height = int(std::nearbyint(m.heightF));
  m.zoom = zoom;
  m.sourceWidth = int(std::nearbyint((1.0 / zoom) * double(m.width)));
  m.sourceHeight = int(std::nearbyint((1.0 / zoom) * double(m.height)));
  m.lineX = int(std::nearbyint(float(double(m.widthF) / 2.01)));
  m.lineY = int(std::nearbyint(float(double(m.heightF) / 2.01)));
  return m;
}

Rect ViewModel::source(int pointerX, int pointerY) const {
  return Rect{pointerX - sourceWidth / 2, pointerY - sourceHeight / 2, sourceWidth, sourceHeight};
}

namespace {

// gdi32's nearest neighbour: a 32.32 fixed-point step, sampled half a step in.
int sourceIndex(int i, int sourceLength, int targetLength) {
  const uint64_t step = (uint64_t(sourceLength) << 32) / uint64_t(targetLength);
  return int((uint64_t(i) * step + step / 2) >> 32);
}

}  // namespace

std::pair<int, int> ViewModel::screenPixel(const Rect& src, int dx, int dy) const {
  return {src.x + sourceIndex(dx, src.width, width), src.y + sourceIndex(dy, src.height, height)};
}

}  // namespace lupe::e2e
