#pragma once

// What every fuzz check reads and how it fails.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/raster/raster.hpp"

namespace lupe::fuzz {

[[noreturn]] inline void fault(const char* what) {
  std::fprintf(stderr, "view_fuzz: %s\n", what);
  std::abort();
}

#define CHECK(condition) \
  if (!(condition)) ::lupe::fuzz::fault(#condition)

// The colour a checked canvas starts in: what nothing drew into keeps it.
inline constexpr Pixel kUntouched = 0xff5a5a5au;

// The fuzzer's bytes as numbers; zeros once they run out.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint32_t next() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | (at_ < size_ ? data_[at_++] : 0);
    return value;
  }
  int32_t in(int32_t low, int32_t high) {
    return low + static_cast<int32_t>(next() % (uint32_t(high - low) + 1));
  }
  bool flag() { return next() & 1; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

}  // namespace lupe::fuzz
