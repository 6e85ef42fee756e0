#include "view_model.hpp"

#include <cmath>
#include <cstdint>

#include "controls.hpp"
#include "platform/raster/xpm.hpp"

namespace lupe::e2e {
namespace {
#include "app/pictures/arrow.xpm"
constexpr int kArrowWidth = 98, kArrowHeight = 100;
}  // namespace

ViewModel ViewModel::forOuterSize(int outerWidthPx, int outerHeightPx, int zoom) {
  ViewModel m;
  const float outerWidthTwips = float(outerWidthPx * twipsPerPixel());
  const float outerHeightTwips = float(outerHeightPx * twipsPerPixel());
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

std::optional<Rgb> ViewModel::markerPixel(int dx, int dy) const {
  if (marker.arrow) {
    static const lupe::Picture arrow = lupe::pictureFromXpm(arrow_xpm);
    const int ax = dx - lineX, ay = dy - lineY;
    if (ax >= 0 && ay >= 0 && ax < kArrowWidth && ay < kArrowHeight) {
      const uint32_t argb =
          arrow.argb[size_t(sourceIndex(ay, arrow.height, kArrowHeight)) * size_t(arrow.width) +
                     size_t(sourceIndex(ax, arrow.width, kArrowWidth))];
      if (argb >> 24) return argb & 0xffffff;
    }
  }
  if (!marker.lines) return std::nullopt;
  // Along a line: on unless in a dash's gap. Across it: within the width.
  const auto on = [&](int along) { return !marker.dashed || along % 24 < 18; };
  const auto across = [&](int d) { return d >= -(marker.width - 1) / 2 && d <= marker.width / 2; };
  if (across(dy - lineY) && dx < width && on(dx)) return marker.colour;
  if (across(dx - lineX) && dy < height && on(dy)) return marker.colour;
  return std::nullopt;
}

std::pair<int, int> ViewModel::screenPixel(const Rect& src, int dx, int dy) const {
  return {src.x + sourceIndex(dx, src.width, width), src.y + sourceIndex(dy, src.height, height)};
}

}  // namespace lupe::e2e
