// What changed of a picture: a few rectangles, merged into one past the
// limit, or everything; and the part of it within an area.
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/raster/changed_area.hpp"

namespace lupe {
namespace {

PixelRect square(int32_t i) { return {i * 10, 0, 5, 5}; }  // ten pixels apart

void squares(ChangedArea& area, int32_t count) {
  for (int32_t i = 0; i < count; ++i) area.add(square(i));
}

TEST(ChangedArea, HoldsAFewRectanglesMergesPastItsLimitOrHoldsEverything) {
  static_assert(ChangedArea::kMost == 8);
  const PixelRect part{20, 0, 100, 3};
  struct Case {
    const char* what;
    std::function<void(ChangedArea&)> make;
    bool everything;
    std::vector<PixelRect> rects;
    PixelRect within;  // of `part`
  } cases[] = {
      {"nothing", [](ChangedArea&) {}, false, {}, {}},
      {"an empty rectangle", [](ChangedArea& a) { a.add({5, 5, 0, 3}); }, false, {}, {}},
      {"one inside one held",
       [](ChangedArea& a) {
         a.add({0, 0, 30, 10});
         a.add({2, 2, 3, 3});
       },
       false, {{0, 0, 30, 10}}, {20, 0, 10, 3}},
      {"eight apart", [](ChangedArea& a) { squares(a, 8); }, false,
       {square(0), square(1), square(2), square(3), square(4), square(5), square(6), square(7)},
       {20, 0, 55, 3}},
      {"the ninth merges all", [](ChangedArea& a) { squares(a, 9); }, false, {{0, 0, 85, 5}},
       {20, 0, 65, 3}},
      {"apart again after merging",
       [](ChangedArea& a) {
         squares(a, 9);
         a.add({200, 0, 5, 5});
       },
       false, {{0, 0, 85, 5}, {200, 0, 5, 5}}, {20, 0, 65, 3}},
      {"another area's rectangles",
       [](ChangedArea& a) {
         ChangedArea other;
         other.add(square(3));
         a.add(square(2));
         a.add(other);
       },
       false, {square(2), square(3)}, {20, 0, 15, 3}},
      {"everything, then more",
       [](ChangedArea& a) {
         a.add(square(0));
         a.addEverything();
         a.add(square(9));
       },
       true, {}, part},
      {"another area's everything",
       [](ChangedArea& a) {
         ChangedArea other;
         other.addEverything();
         a.add(other);
       },
       true, {}, part},
      {"cleared",
       [](ChangedArea& a) {
         squares(a, 9);
         a.addEverything();
         a.clear();
       },
       false, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ChangedArea area;
    c.make(area);
    EXPECT_EQ(area.everything(), c.everything);
    EXPECT_EQ(area.empty(), !c.everything && c.rects.empty());
    if (!c.everything) {
      EXPECT_EQ(std::vector<PixelRect>(area.rects().begin(), area.rects().end()), c.rects);
    }
    EXPECT_EQ(area.within(part), c.within);
  }
}

}  // namespace
}  // namespace lupe
