#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "platform/raster/raster.hpp"
#include "platform/raster/stretch.hpp"
#include "platform/raster/surface.hpp"
#include "tests/unit/fake_screen.hpp"

namespace lupe::test {
namespace {

constexpr Pixel kUntouched = 0xff5a5a5au;

// Stretches a sw x sh source of screenPixel colours, kept inside a wider
// buffer so the stride counts, over (dx, dy, dw, dh) of a target and checks
// every target pixel against gdi32's source pixel.
void expectStretch(NearestStretch& stretch, int32_t sw, int32_t sh, int32_t dx, int32_t dy,
                   int32_t dw, int32_t dh, int32_t targetW, int32_t targetH) {
  Raster buffer(sw + 3, sh + 2, kUntouched);
  const RasterView source = buffer.view().sub({2, 1, sw, sh});
  for (int32_t y = 0; y < sh; ++y)
    for (int32_t x = 0; x < sw; ++x) source.row(y)[x] = screenPixel(x, y);
  Raster target(targetW, targetH, kUntouched);
  stretch.run(source, target.view(), dx, dy, dw, dh);
  SCOPED_TRACE(testing::Message() << sw << "x" << sh << " over " << dw << "x" << dh << " at " << dx
                                  << "," << dy);
  expectEveryPixel(target.view(), [&](int32_t x, int32_t y) {
    const int64_t i = x - dx, j = y - dy;
    if (i < 0 || j < 0 || i >= dw || j >= dh) return kUntouched;
    return screenPixel(gdiSource(i, sw, dw), gdiSource(j, sh, dh));
  });
}

TEST(NearestStretch, EveryDestinationPixelShowsTheSourcePixelGdiPicks) {
  const struct {
    int32_t sw, sh, dw, dh;
  } cases[] = {{4, 3, 12, 9},  {3, 2, 30, 20},   {7, 7, 10, 10}, {6, 6, 10, 10},
               {10, 10, 7, 7}, {240, 2, 719, 3}, {1, 5, 9, 11},  {5, 1, 11, 9},
               {1, 1, 6, 4},   {1, 1, 1, 1},     {5, 3, 5, 9},   {100, 67, 300, 200}};
  NearestStretch stretch;  // one kernel for all, as the desktop keeps one
  for (const auto& c : cases) expectStretch(stretch, c.sw, c.sh, 0, 0, c.dw, c.dh, c.dw, c.dh);
  // Where the ratio is not whole, gdi's half-step differs from flooring
  // i * sw / dw: 3 columns over 10 give 0 0 0 1 1 1 1 2 2 2, not 0 0 0 0 1 ...
  // A source straight from the server has no alpha: what is written is opaque.
  Raster source(3, 1, 0), target(10, 1, 0);
  for (int32_t x = 0; x < 3; ++x) source.view().row(0)[x] = static_cast<Pixel>(x);
  stretch.run(source.view(), target.view(), 0, 0, 10, 1);
  const Pixel* row = target.view().row(0);
  const Pixel k0 = kBlack, k1 = kBlack | 1, k2 = kBlack | 2;
  EXPECT_EQ(std::vector<Pixel>(row, row + 10),
            (std::vector<Pixel>{k0, k0, k0, k1, k1, k1, k1, k2, k2, k2}));
  for (const int32_t width : {3, 2}) {  // at the same width, and reduced
    stretch.run(source.view(), target.view(), 0, 0, width, 1);
    for (int32_t x = 0; x < width; ++x) EXPECT_EQ(row[x] >> 24, 0xffu) << width << " " << x;
  }
}

TEST(NearestStretch, OnlyThePartInsideTheTargetIsWrittenAndEmptySizesWriteNothing) {
  const struct {
    int32_t sw, sh, dx, dy, dw, dh;
  } cases[] = {{7, 5, -5, 12, 16, 16}, {7, 5, 12, -6, 16, 16}, {6, 6, -3, -3, 26, 26},
               {8, 4, -3, 2, 8, 12},   {6, 6, 20, 0, 5, 5},    {4, 4, 0, 0, 0, 8},
               {4, 4, 0, 0, 8, 0},     {4, 4, 0, 0, -8, 8},    {4, 4, 0, 20, 8, 8}};
  NearestStretch stretch;
  for (const auto& c : cases) expectStretch(stretch, c.sw, c.sh, c.dx, c.dy, c.dw, c.dh, 20, 20);
  Raster target(4, 4, kUntouched);
  stretch.run(ConstRasterView{}, target.view(), 0, 0, 4, 4);
  expectEveryPixel(target.view(), [](int32_t, int32_t) { return kUntouched; });
}

// A source reaching past the screen: only its part on the screen is known,
// every destination pixel that shows a source pixel outside it is black.
TEST(NearestStretch, ASourceKnownOnlyInPartIsBlackElsewhereWithTheSameMapping) {
  const struct {
    int32_t sw, sh;
    PixelRect part;
    int32_t dx, dy, dw, dh;
  } cases[] = {{10, 8, {3, 2, 7, 6}, 0, 0, 30, 24},  {10, 8, {0, 0, 4, 5}, -7, 3, 30, 24},
               {240, 113, {100, 0, 140, 50}, 0, 0, 719, 340}, {12, 12, {2, 3, 8, 8}, 0, 0, 12, 12},
               {20, 20, {5, 5, 10, 10}, 1, 1, 7, 7},   {9, 9, {}, 0, 0, 18, 18}};
  NearestStretch stretch;
  for (const auto& c : cases) {
    Raster known(c.part.width + 2, std::max(c.part.height, 1), kUntouched);
    for (int32_t y = 0; y < c.part.height; ++y)
      for (int32_t x = 0; x < c.part.width; ++x)
        known.view().row(y)[x] = screenPixel(c.part.x + x, c.part.y + y) & 0x00ffffffu;
    Raster target(40, 30, kUntouched);
    if (c.sw == 240) target = Raster(719, 340, kUntouched);
    stretch.run(known.view(), c.part, c.sw, c.sh, target.view(), c.dx, c.dy, c.dw, c.dh);
    SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " over " << c.dw << "x" << c.dh);
    expectEveryPixel(target.view(), [&](int32_t x, int32_t y) {
      const int64_t i = x - c.dx, j = y - c.dy;
      if (i < 0 || j < 0 || i >= c.dw || j >= c.dh) return kUntouched;
      const int32_t sx = gdiSource(i, c.sw, c.dw), sy = gdiSource(j, c.sh, c.dh);
      const bool inside = sx >= c.part.x && sx < c.part.x + c.part.width && sy >= c.part.y &&
                          sy < c.part.y + c.part.height;
      return inside ? screenPixel(sx, sy) : kBlack;
    });
  }
}

TEST(Raster, ResizingKeepsTheTopLeftPixelsAndAnEmptySideKeepsNone) {
  Raster raster(3, 2, kUntouched);
  raster.view().row(1)[2] = 1;
  raster.resize(4, 3, 9);
  expectEveryPixel(raster.view(), [](int32_t x, int32_t y) {
    return x == 2 && y == 1 ? 1u : x < 3 && y < 2 ? kUntouched : 9u;
  });
  raster.resize(0, 3, 8);  // a view of width 0 keeps its rows but no pixels
  raster.resize(2, 3, 7);
  expectEveryPixel(raster.view(), [](int32_t, int32_t) { return 7u; });
}

// Memory as a backend provides it: rows padded like a bitmap's, and new
// memory at each size, the old contents gone.
class PaddedMemory final : public PixelMemory {
 public:
  RasterView provide(int32_t width, int32_t height) override {
    ++provided;
    buffer = Raster(width + 3, height, 0xff0badu);
    return buffer.view().sub({0, 0, width, height});
  }
  Raster buffer;
  int provided = 0;
};

TEST(Surface, InMemoryABackendProvidesItKeepsItsPictureAndAPutOffClearComesFirst) {
  Surface surface;
  surface.resize(4, 3, 7);
  surface.pixels().row(1)[2] = 1;
  PaddedMemory memory;
  surface.useMemory(&memory);
  EXPECT_EQ(surface.pixels().pixels, memory.buffer.view().pixels);  // drawn in place
  surface.resize(5, 4, 9);
  EXPECT_EQ(memory.provided, 2);
  expectEveryPixel(surface.pixels(), [](int32_t x, int32_t y) {
    return x == 2 && y == 1 ? 1u : x < 4 && y < 3 ? 7u : 9u;
  });
  surface.clear(5);  // a backend drawing part of it with its own calls asks for the pixels first
  surface.pixelsToCover({1, 1, 2, 2}).row(1)[1] = 2;
  expectEveryPixel(surface.pixels(),
                   [](int32_t x, int32_t y) { return x == 1 && y == 1 ? 2u : 5u; });
  surface.clear(6);  // one that covers it all makes the clear needless
  surface.pixelsToCover({0, 0, 5, 4});
  EXPECT_EQ(surface.pixels().row(0)[0], 5u);
  surface.useMemory(nullptr);
  EXPECT_EQ(surface.pixels().row(1)[1], 2u);
  EXPECT_NE(surface.pixels().pixels, memory.buffer.view().pixels);
}

}  // namespace
}  // namespace lupe::test
