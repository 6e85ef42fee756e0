#include "app/pictures.hpp"

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

// Both pictures are drawn here, pixel by pixel, into 32 x 32 images whose
// transparent parts have alpha 0.
namespace lupe {
namespace {

constexpr int kSide = 32;
constexpr uint32_t kClear = 0x00000000u;

struct Point {
  double x, y;
};

bool inside(const std::vector<Point>& polygon, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Point& a = polygon[i];
    const Point& b = polygon[j];
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

Picture blank() { return {kSide, kSide, std::vector<uint32_t>(kSide * kSide, kClear)}; }

Picture drawArrow() {
  // The classic pointer, tip at (2, 0), pointing to the upper left.
  const std::vector<Point> arrow{{2, 0},   {2, 24},      {8, 18.5},   {12.5, 28.5},
                                 {16, 27}, {11.5, 17.5}, {19.5, 17.5}};
  std::vector<Point> shadow;
  for (const Point& p : arrow) shadow.push_back({p.x + 2, p.y + 2});

  Picture picture = blank();
  auto at = [&](int x, int y) -> uint32_t& { return picture.argb[y * kSide + x]; };
  auto inArrow = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < kSide && y < kSide && inside(arrow, x + 0.5, y + 0.5);
  };
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      if (inArrow(x, y)) {
        const bool edge =
            !inArrow(x - 1, y) || !inArrow(x + 1, y) || !inArrow(x, y - 1) || !inArrow(x, y + 1);
        at(x, y) = edge ? 0xff000000u : 0xffe01010u;
      } else if (inside(shadow, x + 0.5, y + 0.5)) {
        at(x, y) = 0xff808080u;
      }
    }
  at(2, 0) = 0xff000000u;  // the tip itself is always drawn
  return picture;
}

Picture drawIcon() {
  Picture picture = blank();
  auto set = [&](int x, int y, uint32_t argb) {
    if (x >= 0 && y >= 0 && x < kSide && y < kSide) picture.argb[y * kSide + x] = argb;
  };
  // The folder: tab and body in light yellow with a brown outline.
  for (int y = 4; y <= 26; ++y)
    for (int x = 1; x <= 25; ++x) {
      const bool tab = y < 8 && x <= 11;
      const bool body = y >= 8;
      if (!tab && !body) continue;
      const bool outline = x == 1 || x == 25 || y == 26 || (tab && (y == 4 || x == 11)) ||
                           (body && y == 8 && x > 11);
      set(x, y, outline ? 0xff9a7a20u : 0xfffff2a8u);
    }
  // The magnifying glass: lens with a red plus, dark rim, blue handle.
  const double cx = 17.5, cy = 15.5;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      if (d <= 6.0)
        set(x, y, 0xffeaf6ffu);
      else if (d <= 8.0)
        set(x, y, 0xff404850u);
    }
  for (int i = -3; i <= 3; ++i)
    for (int w = 0; w < 2; ++w) {
      set(17 + i, 15 + w, 0xffe00000u);
      set(17 + w, 15 + i, 0xffe00000u);
    }
  for (int t = 0; t <= 8; ++t)
    for (int w = -1; w <= 1; ++w) {
      set(23 + t + w, 21 + t, 0xff1840c0u);
      set(23 + t, 21 + t + w, 0xff1840c0u);
    }
  return picture;
}

}  // namespace

const Picture& windowIcon() {
  static const Picture icon = drawIcon();
  return icon;
}

const Picture& arrowPicture() {
  static const Picture arrow = drawArrow();
  return arrow;
}

}  // namespace lupe
