// What a new picture changed within the area the last reads saw, where the
// compositor does not say.
#include <gtest/gtest.h>

#include "platform/raster/raster.hpp"
#include "platform/wayland/seen_area.hpp"

namespace lupe::wayland {
namespace {

TEST(SeenArea, TellsTheRunsThatChangedWithinWhatWasSeen) {
  const PixelRect monitor{100, 50, 300, 200};  // placed off the origin
  Raster picture(monitor.width, monitor.height, 0);
  for (int32_t y = 0; y < monitor.height; ++y)
    for (int32_t x = 0; x < monitor.width; ++x) picture.view().row(y)[x] = Pixel(x * 7 + y * 131);
  const PixelRect seen{130, 60, 150, 40};  // runs from x 130, 194, 258 (22 wide)

  struct Case {
    const char* what;
    int32_t x, y;     // the changed pixel, on the desktop
    Pixel value;      // its new value
    PixelRect runs;   // what must be told
  } cases[] = {
      {"nothing", 0, 0, 0, {}},
      {"the first pixel", 130, 60, 1, {130, 60, 64, 1}},
      {"the last run, cut off at the edge", 279, 99, 1, {258, 99, 22, 1}},
      {"outside the seen area", 129, 60, 1, {}},
      {"the alpha byte alone", 200, 70, 0xff000000u, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Raster changed = picture;
    SeenArea area;
    area.fingerprint(seen, monitor, picture.view());
    if (c.x || c.y) changed.view().row(c.y - monitor.y)[c.x - monitor.x] ^= c.value;
    EXPECT_EQ(area.differing(monitor, changed.view()), c.runs);
  }
}

TEST(SeenArea, APartReadAgainTakesItsNewPixelsAndAnAreaElsewhereStartsAnew) {
  const PixelRect monitor{0, 0, 200, 100};
  Raster picture(monitor.width, monitor.height, 5);
  SeenArea area;
  area.fingerprint({10, 10, 150, 50}, monitor, picture.view());
  picture.view().row(20)[20] = 6;
  picture.view().row(40)[140] = 6;
  area.fingerprint({15, 15, 10, 10}, monitor, picture.view());  // the first change, read again
  EXPECT_EQ(area.differing(monitor, picture.view()), (PixelRect{138, 40, 22, 1}));
  area.fingerprint({0, 80, 20, 20}, monitor, picture.view());
  EXPECT_EQ(area.area(), (PixelRect{0, 80, 20, 20}));
  EXPECT_EQ(area.differing(monitor, picture.view()), PixelRect{});
  area.fingerprint({190, 90, 20, 20}, monitor, picture.view());  // past the monitor: nothing kept
  EXPECT_TRUE(area.area().empty());
}

}  // namespace
}  // namespace lupe::wayland
