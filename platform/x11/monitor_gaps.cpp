#include "platform/x11/monitor_gaps.hpp"

#include <algorithm>
#include <cstdint>

namespace lupe::x11 {

namespace {

int64_t right(const PixelRect& r) { return int64_t{r.x} + r.width; }
int64_t bottom(const PixelRect& r) { return int64_t{r.y} + r.height; }

}  // namespace

void blackOutUnshown(const PixelRect& area, std::span<const PixelRect> monitors, RasterView out) {
  if (monitors.empty() || area.empty()) return;
  for (const PixelRect& m : monitors)
    if (intersection(area, m) == area) return;  // the usual case: all on one monitor

  // Sweep bands of rows in which no monitor edge starts or ends; within a
  // band, walk the columns and black out what no monitor covers.
  const int64_t areaBottom = bottom(area);
  const int64_t areaRight = right(area);
  int64_t y = area.y;
  while (y < areaBottom) {
    int64_t bandEnd = areaBottom;
    for (const PixelRect& m : monitors) {
      if (m.empty()) continue;
      if (m.y > y) bandEnd = std::min<int64_t>(bandEnd, m.y);
      if (bottom(m) > y) bandEnd = std::min(bandEnd, bottom(m));
    }
    auto coversBand = [y](const PixelRect& m) { return !m.empty() && m.y <= y && bottom(m) > y; };

    int64_t x = area.x;
    while (x < areaRight) {
      int64_t coveredTo = x;
      int64_t nextLeft = areaRight;
      for (const PixelRect& m : monitors) {
        if (!coversBand(m)) continue;
        if (m.x <= x && right(m) > x)
          coveredTo = std::max(coveredTo, right(m));
        else if (m.x > x)
          nextLeft = std::min<int64_t>(nextLeft, m.x);
      }
      if (coveredTo > x) {
        x = coveredTo;
        continue;
      }
      out.fill({static_cast<int32_t>(x - area.x), static_cast<int32_t>(y - area.y),
                static_cast<int32_t>(nextLeft - x), static_cast<int32_t>(bandEnd - y)},
               kBlack);
      x = nextLeft;
    }
    y = bandEnd;
  }
}

}  // namespace lupe::x11
