#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lupe::e2e {

// A rectangle in pixels; x and y may be negative (a source reaching past
// the screen's left or top edge).
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool empty() const { return width <= 0 || height <= 0; }
  bool contains(int px, int py) const {
    return px >= x && py >= y && px < x + width && py < y + height;
  }
  Rect intersected(const Rect& other) const;
  bool intersects(const Rect& other) const { return !intersected(other).empty(); }
  bool operator==(const Rect&) const = default;
  std::string describe() const;
};

// A colour as 0xRRGGBB.
using Rgb = uint32_t;
inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kGreen = 0x00ff00;

// "0xRRGGBB".
std::string hexColour(Rgb colour);

// The colour of screen pixel (x, y) in the test pattern: red is x's low byte,
// green y's low byte, blue holds bits 8..11 of x (low nibble) and of y (high
// nibble), so every pixel of a screen up to 4096 x 4096 has its own colour.
inline Rgb patternColour(int x, int y) {
  const uint32_t blue = ((x >> 8) & 0xf) | (((y >> 8) & 0xf) << 4);
  return uint32_t(x & 0xff) << 16 | uint32_t(y & 0xff) << 8 | blue;
}

// Pixels read from the screen, row by row, each as 0xRRGGBB.
class Image {
 public:
  Image() = default;
  Image(int width, int height, Rgb fill = kBlack)
      : width_(width), height_(height), pixels_(size_t(width) * size_t(height), fill) {}

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb at(int x, int y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }
  void set(int x, int y, Rgb colour) { pixels_[size_t(y) * size_t(width_) + size_t(x)] = colour; }
  bool operator==(const Image&) const = default;

  // True when at least two pixels differ.
  bool hasTwoColours() const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Rgb> pixels_;
};

// Writes `image` as a binary PPM (P6); false when the file cannot be written.
bool writePpm(const Image& image, const std::string& path);

}  // namespace lupe::e2e
