#include <cstdint>
#include <functional>

#include <gtest/gtest.h>

#include "platform/controls/view_composer.hpp"
#include "platform/controls/view_presenter.hpp"
#include "platform/raster/compositor.hpp"
#include "tests/unit/fake_host.hpp"
#include "tests/unit/fake_screen.hpp"

namespace lupe::test {
namespace {

constexpr Pixel kUnder = 0xff5a5a5au, kInk = 0xff00ff00u;

TEST(Compositor, ALineCoversItsPixelsByWidthDashAndDirectionClippedToTheFrame) {
  const bool dashed = true;
  const struct {
    const char* what;
    LineLayer line;
    std::function<bool(int, int)> covered;
  } cases[] = {
      {"upright, width 1",
       {10, 0, 10, 30, kInk, 1},
       [](int x, int y) { return x == 10 && y < 30; }},
      {"width 3 centred",
       {10, 0, 10, 30, kInk, 3},
       [](int x, int y) { return x >= 9 && x <= 11 && y < 30; }},
      {"width 2: the extra pixel right",
       {10, 0, 10, 30, kInk, 2},
       [](int x, int y) { return (x == 10 || x == 11) && y < 30; }},
      {"dashed from the start",
       {10, 0, 10, 40, kInk, 1, dashed},
       [](int x, int y) { return x == 10 && y % 24 < 18; }},
      {"dashed at width 3",
       {0, 20, 40, 20, kInk, 3, dashed},
       [](int x, int y) { return y >= 19 && y <= 21 && x % 24 < 18; }},
      {"backwards: the start, not the end",
       {30, 5, 2, 5, kInk, 1, dashed},
       [](int x, int y) { return y == 5 && x > 2 && x <= 30 && (30 - x) % 24 < 18; }},
      {"across the frame's edges", {-50, 0, 100, 0, kInk, 3}, [](int, int y) { return y <= 1; }},
      {"far outside",
       {-900000000, 7, 900000000, 7, kInk, 1, dashed},
       [](int x, int y) { return y == 7 && (x + 900000000) % 24 < 18; }},
      {"length 0", {12, 12, 12, 12, kInk, 3}, [](int, int) { return false; }},
      {"slanted: Bresenham, end left out",
       {0, 0, 4, 2, kInk, 1},
       [](int x, int y) {
         return (x == 0 && y == 0) || (x == 1 && y == 1) || (x == 2 && y == 1) ||
                (x == 3 && y == 2);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Raster frame(40, 40, kUnder);
    drawLine(frame.view(), c.line);
    expectEveryPixel(frame.view(),
                     [&](int32_t x, int32_t y) { return c.covered(x, y) ? kInk : kUnder; });
  }
}

TEST(Compositor, AnImageIsStretchedByTheGdiRuleKeepsWhatLiesBelowItsMaskAndIsClipped) {
  // 3 x 2, its middle top pixel transparent.
  const Picture picture{
      3, 2, {0xff000001u, 0x00ffffffu, 0xff000003u, 0xff000004u, 0xff000005u, 0xff000006u}};
  for (const ImageLayer image :
       {ImageLayer{&picture, -1, 1, 7, 5}, ImageLayer{&picture, 2, 3, 3, 2},
        ImageLayer{&picture, 4, 4, 9, 9}, ImageLayer{&picture, 0, 0, 0, 4}}) {
    Raster frame(6, 6, kUnder);
    drawImage(frame.view(), image);
    expectEveryPixel(frame.view(), [&](int32_t x, int32_t y) {
      const int32_t i = x - image.x, j = y - image.y;
      if (i < 0 || j < 0 || i >= image.width || j >= image.height) return kUnder;
      const uint32_t argb =
          picture.argb[gdiSource(j, 2, image.height) * 3 + gdiSource(i, 3, image.width)];
      return argb >> 24 ? argb : kUnder;
    });
  }
}

// The view shown straight from its surface's memory: the layers laid into
// the picture make the same frame as composing it apart, and the picture
// comes back whole before anyone draws into it or looks at it again.
TEST(Surface, LayersLaidInPlaceMakeTheComposedFrameAndLiftOffBeforeTheNextDrawing) {
  const Picture picture{2, 2, {0xff000001u, 0x00ffffffu, 0xff000003u, 0xff000004u}};
  const Layer layers[] = {
      LineLayer{-5, 7, 40, 7, kInk, 3, true},    // across and past both edges, dashed
      LineLayer{9, 30, 9, -2, 0xffff0000u, 2},   // upwards, crossing the first
      LineLayer{1, 1, 20, 12, kInk, 1},          // slanted
      ImageLayer{&picture, 25, 10, 8, 8},        // partly outside
  };
  struct CountingMemory final : PixelMemory {
    RasterView provide(int32_t width, int32_t height) override {
      buffer = Raster(width + 5, height, 0);
      return buffer.view().sub({0, 0, width, height});
    }
    void awaitWritable() override { ++awaited; }
    Raster buffer;
    int awaited = 0;
  } memory;
  Surface surface;
  surface.useMemory(&memory);
  surface.resize(30, 16, kUnder);
  const RasterView drawn = surface.pixels();
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 30; ++x) drawn.row(y)[x] = screenPixel(x, y);
  Raster expected(30, 16, 0);
  composeFrame(drawn, kUnder, layers, expected.view());

  const int awaitedBefore = memory.awaited;
  const ConstRasterView frame = surface.withLayers(layers);
  EXPECT_EQ(frame.pixels, drawn.pixels) << "the frame is not the surface's own memory";
  EXPECT_GT(memory.awaited, awaitedBefore) << "laid while the window system may still read";
  expectEveryPixel(frame, [&](int32_t x, int32_t y) { return expected.view().row(y)[x]; });
  expectEveryPixel(surface.pixels(), [](int32_t x, int32_t y) { return screenPixel(x, y); });

  surface.withLayers(layers);  // again, then a drawing over all of it
  surface.pixelsToCover({0, 0, 30, 16}).fill(kUnder);
  expectEveryPixel(surface.pixels(), [](int32_t, int32_t) { return kUnder; });
}

// A native window that shows its memory as it is put, and fills where it
// is told.
class ShownWindow final : public FrameOutput {
 public:
  explicit ShownWindow(PixelSize size) : window(size.width, size.height, 0) {}
  RasterView provide(int32_t width, int32_t height) override {
    memory.reshape(width, height);
    return memory.view();
  }
  void show(const PixelRect& area) override {
    for (int32_t y = area.y; y < area.y + area.height; ++y)
      for (int32_t x = area.x; x < area.x + area.width; ++x)
        window.view().row(y)[x] = memory.view().row(y)[x];
  }
  void fill(const PixelRect& area, Pixel color) override { window.view().fill(area, color); }

  Raster memory, window;
};

TEST(ViewPresenter, TheViewShowsItsSurfaceThenLine1Line2AndImage1OnTopOnlyWhenVisible) {
  Rig rig;
  frmLupe& f = rig.form;
  f.Picture1.Width = 40.0f;
  f.Picture1.Height = 30.0f;
  f.Picture1.surface().pixels().fill(0xff000010u);
  f.Line1.X1 = 20.5f;  // halves to even: column 20
  f.Line1.X2 = 20.5f;
  f.Line1.Y2 = 30.0f;
  f.Line1.BorderColor = kWindowTextColor;
  f.Line2.X2 = 40.0f;
  f.Line2.Y1 = 15.0f;
  f.Line2.Y2 = 15.0f;
  f.Line2.BorderColor = Color{0x000000ff};
  const Picture dot{1, 1, {0xff0000ffu}};
  f.Image1.Picture = &dot;
  f.Image1.Left = 19.0f;
  f.Image1.Top = 14.0f;
  const SystemColors scheme = [](Color c) {
    return c == kWindowTextColor ? 0xff123456u : 0xffabcdefu;
  };
  ShownWindow shown({42, 31});
  ViewPresenter presenter(f.Picture1, shown, scheme);
  const auto at = [&](int32_t x, int32_t y) {
    presenter.redrawn(true, {42, 31});
    return shown.window.view().row(y)[x];
  };
  EXPECT_EQ(at(20, 5), 0xff123456u);   // Line1 in the window-text colour of the scheme
  EXPECT_EQ(at(20, 15), 0xffff0000u);  // Line2, red, above Line1
  EXPECT_EQ(at(19, 14), 0xff0000ffu);  // Image1 above both
  EXPECT_EQ(at(10, 10), 0xff000010u);  // the surface
  EXPECT_EQ(at(41, 3), 0xffffffffu);   // beyond the surface: the view's background
  EXPECT_EQ(at(3, 30), 0xffffffffu);
  f.Image1.Visible = false;
  f.Line2.Visible = false;
  EXPECT_EQ(at(19, 14), 0xff000010u);
  EXPECT_EQ(at(20, 15), 0xff123456u);
}

}  // namespace
}  // namespace lupe::test
