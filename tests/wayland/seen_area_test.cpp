// What a new picture changed within the area the last reads saw, where the
// compositor does not say.
#include <utility>
#include <vector>

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

// Several pixels changed after a read, then perhaps a part read again: what
// is told, at the runs' edges and where the seen area leaves the monitor.
TEST(SeenArea, TellsTheRunsAroundEveryChangeSinceEachRunWasLastRead) {
  const PixelRect monitor{100, 50, 300, 200};
  Raster picture(monitor.width, monitor.height, 0);
  for (int32_t y = 0; y < monitor.height; ++y)
    for (int32_t x = 0; x < monitor.width; ++x) picture.view().row(y)[x] = Pixel(x * 5 + y * 97);
  const PixelRect seen{100, 60, 200, 40};  // runs from x 100, 164, 228, 292 (8 wide)

  struct Case {
    const char* what;
    PixelRect seen;
    std::vector<std::pair<int32_t, int32_t>> changed;  // on the desktop
    PixelRect readAgain;                               // after the changes; empty: none
    PixelRect told;
    PixelRect comparedOn = {};  // where the new picture lies; empty: the monitor
  } cases[] = {
      {"two runs in two rows", seen, {{170, 61}, {295, 90}}, {}, {164, 61, 136, 30}},
      {"the first and the last run", seen, {{100, 99}, {299, 60}}, {}, {100, 60, 200, 40}},
      {"the last pixel of a run", seen, {{227, 70}}, {}, {164, 70, 64, 1}},
      {"the first pixel of a run", seen, {{228, 70}}, {}, {228, 70, 64, 1}},
      {"a seen area of whole runs, ending on a boundary", {100, 60, 128, 5}, {{227, 64}, {228, 64}},
       {}, {164, 64, 64, 1}},
      {"a part read again takes its new pixels", seen, {{185, 70}, {230, 80}},
       {180, 65, 10, 10}, {228, 80, 64, 1}},
      {"a part ending on a run's boundary leaves the next run", seen, {{163, 70}, {164, 70}},
       {100, 70, 64, 1}, {164, 70, 64, 1}},
      {"a part reaching out of the seen area starts anew", seen, {{170, 70}}, {280, 70, 40, 5},
       {}},
      {"a seen area reaching off the monitor is not kept", {350, 60, 60, 10}, {{360, 61}}, {}, {}},
      {"a picture that no longer holds the seen area", seen, {}, {}, seen, {100, 50, 150, 200}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Raster changed = picture;
    SeenArea area;
    area.fingerprint(c.seen, monitor, picture.view());
    for (const auto& [x, y] : c.changed) changed.view().row(y - monitor.y)[x - monitor.x] ^= 1;
    if (!c.readAgain.empty()) area.fingerprint(c.readAgain, monitor, changed.view());
    const PixelRect on = c.comparedOn.empty() ? monitor : c.comparedOn;
    EXPECT_EQ(area.differing(on, ConstRasterView(changed.view().pixels, on.width, on.height,
                                                 monitor.width)),
              c.told);
  }
}

}  // namespace
}  // namespace lupe::wayland
