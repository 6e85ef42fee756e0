#include "fuzz/reference_rules.hpp"

#include <cmath>
#include <cstdlib>

#include "fuzz/fuzz_input.hpp"

namespace lupe::fuzz {

int64_t gdiSource(int64_t i, int64_t source, int64_t target) {
  const uint64_t step = (static_cast<uint64_t>(source) << 32) / static_cast<uint64_t>(target);
  return static_cast<int64_t>((static_cast<uint64_t>(i) * step + step / 2) >> 32);
}

// A level or upright line: along it the pixels from its start up to its
// end, on or off by the dashes; across it its width.
bool covers(const LineLayer& line, int32_t x, int32_t y) {
  const int32_t before = (line.width - 1) / 2;
  const bool upright = line.x1 == line.x2;
  const int64_t from = upright ? line.y1 : line.x1, to = upright ? line.y2 : line.x2;
  const int64_t across = upright ? x : y, along = upright ? y : x;
  const int64_t place = upright ? line.x1 : line.y1;
  if (across < place - before || across >= place - before + line.width) return false;
  for (int64_t k = 0; k < std::abs(to - from); ++k) {
    const int64_t at = to >= from ? from + k : from - k;
    if (line.dashed && k % (kDashOn + kDashOff) >= kDashOn) continue;
    if (along == at) return true;
  }
  return false;
}

// A slanted line, by what any walk from its start towards its end must
// cover, written apart from the compositor's own walk: its start's square,
// in every step along its longer axis a pixel (unless a dash is off there),
// and nothing farther from the ideal segment than half its width and a
// pixel's diagonal.
namespace {

bool nearSlanted(const LineLayer& line, int32_t x, int32_t y) {
  const double dx = line.x2 - line.x1, dy = line.y2 - line.y1, length = std::hypot(dx, dy);
  const double across = std::abs(dx * (y - line.y1) - dy * (x - line.x1)) / length;
  const double along = (dx * (x - line.x1) + dy * (y - line.y1)) / length;
  const double reach = (line.width / 2.0 + 1.0) * std::sqrt(2.0);
  return across <= reach && along >= -reach && along <= length + reach;
}

}  // namespace

void checkSlanted(const LineLayer& line, ConstRasterView drawn) {
  if (line.color == kUntouched) return;  // drawn or not, it looks the same
  const auto at = [&](int64_t x, int64_t y) {
    return x >= 0 && y >= 0 && x < drawn.width && y < drawn.height ? drawn.row(y)[x] : kUntouched;
  };
  for (int32_t y = 0; y < drawn.height; ++y)
    for (int32_t x = 0; x < drawn.width; ++x)
      if (at(x, y) != kUntouched) CHECK(at(x, y) == line.color && nearSlanted(line, x, y));
  const bool startShows =
      line.x1 >= 0 && line.y1 >= 0 && line.x1 < drawn.width && line.y1 < drawn.height;
  CHECK(!startShows || at(line.x1, line.y1) != kUntouched);
  const bool xMajor = std::abs(line.x2 - line.x1) >= std::abs(line.y2 - line.y1);
  const int64_t major = xMajor ? line.x2 - line.x1 : line.y2 - line.y1;
  const int64_t minor = xMajor ? line.y2 - line.y1 : line.x2 - line.x1;
  const int64_t majorSize = xMajor ? drawn.width : drawn.height;
  const int64_t minorSize = xMajor ? drawn.height : drawn.width;
  for (int64_t k = 0; k < std::abs(major); ++k) {
    if (line.dashed && k % (kDashOn + kDashOff) >= kDashOn) continue;
    const int64_t along = (xMajor ? line.x1 : line.y1) + (major > 0 ? k : -k);
    const double ideal = (xMajor ? line.y1 : line.x1) + double(k) * double(minor) / std::abs(major);
    if (along < 0 || along >= majorSize || ideal < 1 || ideal > minorSize - 2) continue;
    bool any = false;
    for (int64_t m = 0; m < minorSize && !any; ++m)
      any = (xMajor ? at(along, m) : at(m, along)) != kUntouched;
    CHECK(any);
  }
}

}  // namespace lupe::fuzz
