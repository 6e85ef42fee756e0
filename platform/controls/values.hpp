#pragma once

#include <cstdint>
#include <string>

namespace lupe {

// Colours are 0x00BBGGRR; the top bit marks a system colour.
using Color = uint32_t;
inline constexpr Color kSystemColorFlag = 0x80000000u;
inline constexpr Color kWindowTextColor = 0x80000008u;
inline constexpr Color kButtonTextColor = 0x80000012u;
inline constexpr Color kRed = 0x000000FFu, kGreen = 0x0000FF00u, kWhite = 0x00FFFFFFu,
                       kGrey = 0x00808080u;

struct Font {
  std::string face;
  float points = 8.25f;
  int weight = 400;  // 400 regular, 700 bold

  bool operator==(const Font&) const = default;
};

}  // namespace lupe
