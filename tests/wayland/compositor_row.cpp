#include "compositor_row.hpp"

#include <algorithm>
#include <cmath>

#include "platform/raster/changed_area.hpp"

namespace lupe::wayland::test {
namespace {

// The pointer's picture, hot spot at its top left: what Plasma 6 finds
// touching a monitor.
constexpr int32_t kCursorPicture = 24;

int32_t rounded(double v) { return static_cast<int32_t>(std::lround(v)); }

}  // namespace

CompositorLayout::CompositorLayout(const CompositorRow& row) : row_(row) {
  if (!row.logicalPositions) return;
  for (size_t i = 0; i < row.monitors.size(); ++i) layoutScale_ = std::max(layoutScale_, scale(i));
}

PointApi CompositorLayout::portalPosition(size_t i) const {
  return {rounded(left(i)), rounded(top(i))};
}

SessionScreen CompositorLayout::screen(size_t i) const {
  const PixelRect& m = row_.monitors[i];
  return {"Virtual-" + std::to_string(i + 1),
          {rounded(left(i)), rounded(top(i)), rounded(m.width / scale(i)),
           rounded(m.height / scale(i))},
          scale(i)};
}

std::optional<PointApi> CompositorLayout::pointerOn(size_t i, PointApi pointer) const {
  std::optional<size_t> under;
  for (size_t m = 0; m < row_.monitors.size(); ++m)
    if (!intersection({pointer.x, pointer.y, 1, 1}, row_.monitors[m]).empty()) under = m;
  if (!under) return std::nullopt;
  const PixelRect& on = row_.monitors[*under];
  const double x = left(*under) + (pointer.x - on.x) / scale(*under),
               y = top(*under) + (pointer.y - on.y) / scale(*under);
  const PixelRect& monitor = row_.monitors[i];
  const double right = left(i) + monitor.width / scale(i),
               bottom = top(i) + monitor.height / scale(i);
  const double reach = row_.pointerOnTouchingMonitors ? kCursorPicture : 0;
  if (i != *under && (x + reach <= left(i) || x >= right || y + reach <= top(i) || y >= bottom))
    return std::nullopt;
  return PointApi{static_cast<int32_t>(std::floor((x - left(i)) * scale(i))),
                  static_cast<int32_t>(std::floor((y - top(i)) * scale(i)))};
}

}  // namespace lupe::wayland::test
