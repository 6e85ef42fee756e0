#include "platform/x11/monitor_gaps.hpp"

#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace lupe::x11 {
namespace {

constexpr Pixel kShown = 0xff123456u;

bool onAMonitor(int32_t x, int32_t y, const std::vector<PixelRect>& monitors) {
  for (const PixelRect& m : monitors)
    if (x >= m.x && x < m.x + m.width && y >= m.y && y < m.y + m.height) return true;
  return false;
}

// Runs blackOutUnshown on a picture of `area` (inside a larger raster, to
// catch writes past the view) and checks every pixel against the monitors.
void expectGaps(const PixelRect& area, const std::vector<PixelRect>& monitors) {
  Raster canvas(area.width + 2, area.height + 2, kShown);
  const RasterView view = canvas.view().sub({1, 1, area.width, area.height});
  blackOutUnshown(area, monitors, view);
  const bool noneKnown = monitors.empty();
  for (int32_t y = 0; y < canvas.height(); ++y)
    for (int32_t x = 0; x < canvas.width(); ++x) {
      const bool inView = x >= 1 && y >= 1 && x <= area.width && y <= area.height;
      const bool shown =
          !inView || noneKnown || onAMonitor(area.x + x - 1, area.y + y - 1, monitors);
      ASSERT_EQ(canvas.view().row(y)[x], shown ? kShown : kBlack)
          << "canvas (" << x << ", " << y << ") of area " << area.x << "," << area.y << " "
          << area.width << "x" << area.height;
    }
}

TEST(MonitorGaps, BlacksOutWhatNoMonitorShows) {
  // Two heads side by side, the right one shorter: 800x600 @ 0,0 and
  // 640x480 @ 800,0 in a 1440x600 root.
  const std::vector<PixelRect> heads = {{0, 0, 800, 600}, {800, 0, 640, 480}};
  expectGaps({700, 400, 240, 113}, heads);  // across the corner under the short head
  expectGaps({900, 500, 100, 100}, heads);  // wholly under it
  expectGaps({100, 100, 240, 113}, heads);  // wholly on the left head
  expectGaps({790, 470, 20, 20}, heads);    // the corner, pixel by pixel
  expectGaps({0, 0, 1440, 600}, heads);     // the whole root
  expectGaps({100, 100, 50, 50}, {});       // layout unknown: nothing touched
  // A gap between two heads, overlapping heads, a head standing out of the area.
  expectGaps({0, 0, 800, 300}, {{0, 0, 300, 300}, {500, 0, 300, 300}});
  expectGaps({0, 0, 400, 400}, {{0, 0, 300, 300}, {100, 100, 300, 200}, {350, 350, 100, 100}});
  expectGaps({50, 50, 100, 100}, {{-20, 60, 100, 1000}});
}

TEST(MonitorGaps, AgreesWithPixelTestOnRandomLayouts) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int32_t> coord(0, 120), size(0, 70), count(1, 5);
  for (int round = 0; round < 300; ++round) {
    std::vector<PixelRect> monitors(count(random));
    for (PixelRect& m : monitors) m = {coord(random), coord(random), size(random), size(random)};
    const PixelRect area{coord(random), coord(random), 1 + size(random), 1 + size(random)};
    expectGaps(area, monitors);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace lupe::x11
