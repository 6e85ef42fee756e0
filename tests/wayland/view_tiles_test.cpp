// Which part of the frame a tile of the view shows: whole units of the
// window's surface, out to the frame's last row and column where it ends
// inside the tile, never past the memory's room.
#include "platform/wayland/view_tiles.hpp"

#include <gtest/gtest.h>

namespace lupe::wayland {
namespace {

TEST(ViewTiles, APartIsTheTileInTheFrameInWholeUnits) {
  Pixel pixel = 0;
  const struct {
    const char* what;
    PixelRect tile;
    RasterView memory;  // width, height, stride
    int32_t rows, scale;
    PixelRect part;
  } cases[] = {
      {"scale 1: the tile as it is", {0, 0, 100, 50}, {&pixel, 100, 50, 100}, 50, 1,
       {0, 0, 100, 50}},
      {"an odd frame at scale 2: out to its last row and column",
       {0, 0, 102, 50}, {&pixel, 101, 49, 102}, 50, 2, {0, 0, 102, 50}},
      {"a tile right of a control, up to the frame's edge", {60, 0, 42, 50},
       {&pixel, 101, 49, 102}, 50, 2, {60, 0, 42, 50}},
      {"cut by the window inside the frame", {0, 0, 60, 40}, {&pixel, 101, 49, 102}, 50, 2,
       {0, 0, 60, 40}},
      {"no room past the frame (made at another scale): in", {0, 0, 102, 50},
       {&pixel, 101, 49, 101}, 49, 2, {0, 0, 100, 48}},
      {"a tile the frame does not reach", {120, 0, 20, 20}, {&pixel, 101, 49, 102}, 50, 2, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(tilePart(c.tile, c.memory, c.rows, c.scale), c.part);
  }
  EXPECT_EQ(wholeUnits(349, 2), 350);
  EXPECT_EQ(wholeUnits(349, 1), 349);
}

}  // namespace
}  // namespace lupe::wayland
