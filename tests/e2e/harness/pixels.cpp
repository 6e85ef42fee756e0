#include "pixels.hpp"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>

namespace lupe::e2e {

Rect Rect::intersected(const Rect& other) const {
  const int left = std::max(x, other.x);
  const int top = std::max(y, other.y);
  const int right = std::min(x + width, other.x + other.width);
  const int bottom = std::min(y + height, other.y + other.height);
  if (right <= left || bottom <= top) return Rect{left, top, 0, 0};
  return Rect{left, top, right - left, bottom - top};
}

std::string Rect::describe() const {
  return std::to_string(width) + "x" + std::to_string(height) + " at (" + std::to_string(x) + ", " +
         std::to_string(y) + ")";
}

std::string hexColour(Rgb colour) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06x", unsigned(colour & 0xffffff));
  return text;
}

bool Image::hasTwoColours() const {
  return std::adjacent_find(pixels_.begin(), pixels_.end(), std::not_equal_to<>()) != pixels_.end();
}

bool writePpm(const Image& image, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return false;
  out << "P6\n" << image.width() << ' ' << image.height() << "\n255\n";
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const Rgb c = image.at(x, y);
      const char rgb[3] = {char(c >> 16), char(c >> 8), char(c)};
      out.write(rgb, 3);
    }
  }
  return bool(out);
}

}  // namespace lupe::e2e
