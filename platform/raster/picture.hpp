#pragma once

#include <cstdint>
#include <vector>

namespace lupe {

// An embedded picture: straight (not premultiplied) 0xAARRGGBB pixels, alpha
// 0 where the picture's mask makes it transparent.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> argb;
};

}  // namespace lupe
