#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/emulation/screen_source.hpp"
#include "platform/emulation/window_requests.hpp"
#include "platform/raster/raster.hpp"

namespace lupe::test {

// Screen pixel (x, y) of the fake screen: its colour tells its place.
constexpr Pixel screenPixel(int32_t x, int32_t y) {
  return 0xff000000u | (static_cast<uint32_t>(x) & 0xfffu) << 12 |
         (static_cast<uint32_t>(y) & 0xfffu);
}

// The source index gdi32's StretchBlt shows at destination index `i`,
// written out on its own: a 32.32 fixed-point step, sampled half a step in.
inline int32_t gdiSource(int64_t i, int64_t sourceLength, int64_t targetLength) {
  const uint64_t step = (static_cast<uint64_t>(sourceLength) << 32) / targetLength;
  return static_cast<int32_t>((i * step + step / 2) >> 32);
}

// A 1000 x 800 screen of screenPixel colours that remembers what was read.
class FakeScreen final : public ScreenSource, public ScreenPixels {
 public:
  ScreenLook look() override {
    ++looks;
    ScreenLook look{PointApi{pointerX, pointerY}, {0, 0, 1000, 800}, {}, this};
    if (tracksChanges)
      look.changes.add(changes);
    else
      look.changes.addEverything();
    changes.clear();
    return look;
  }
  bool read(const PixelRect& rect, RasterView out) override {
    reads.push_back(rect);
    for (int32_t j = 0; j < rect.height; ++j)
      for (int32_t i = 0; i < rect.width; ++i) out.row(j)[i] = at(rect.x + i, rect.y + j);
    return !readFails;
  }
  // Like a server's image in shared memory: the alpha bytes are not set.
  bool readInPlace(const PixelRect& rect, ConstRasterView& out) override {
    if (!inPlace) return false;
    inPlaceReads.push_back(rect);
    held = Raster(rect.width, rect.height, 0);
    for (int32_t j = 0; j < rect.height; ++j)
      for (int32_t i = 0; i < rect.width; ++i)
        held.view().row(j)[i] = at(rect.x + i, rect.y + j) & 0x00ffffffu;
    out = held.view();
    return true;
  }
  // Draws `colour` over `area` of the screen, and tells it as a change.
  void draw(const PixelRect& area, Pixel colour) {
    drawings.push_back({area, colour});
    changes.add(area);
  }
  Pixel at(int32_t x, int32_t y) const {
    for (auto it = drawings.rbegin(); it != drawings.rend(); ++it)
      if (intersection(it->first, {x, y, 1, 1}).width == 1) return it->second;
    return screenPixel(x, y);
  }

  bool readFails = false;
  bool inPlace = false;
  bool tracksChanges = false;
  std::vector<std::pair<PixelRect, Pixel>> drawings;
  ChangedArea changes;
  int32_t pointerX = 0, pointerY = 0;
  int looks = 0;
  std::vector<PixelRect> reads, inPlaceReads;
  Raster held;
};

// A window manager that grants (or refuses) every request and remembers it.
class FakeWindowRequests final : public WindowRequests {
 public:
  bool setTopmost(WindowId window, bool on) override {
    topmost.push_back({window, on});
    return grants;
  }
  bool beginMove(WindowId window) override {
    moves.push_back(window);
    return grants;
  }
  bool releaseCapture() override { return grants; }

  bool grants = true;
  std::vector<std::pair<WindowId, bool>> topmost;
  std::vector<WindowId> moves;
};

// Asserts that every pixel (x, y) of `pixels` is expected(x, y).
template <class Expected>
void expectEveryPixel(ConstRasterView pixels, Expected expected) {
  for (int32_t y = 0; y < pixels.height; ++y)
    for (int32_t x = 0; x < pixels.width; ++x)
      ASSERT_EQ(pixels.row(y)[x], expected(x, y)) << "at (" << x << ", " << y << ")";
}

}  // namespace lupe::test
