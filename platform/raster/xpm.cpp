#include "platform/raster/xpm.hpp"

#include <cstdint>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

namespace lupe {
namespace {

[[noreturn]] void malformed(const std::string& what) {
  throw std::invalid_argument("XPM picture: " + what);
}

// "#RRGGBB" as opaque 0xFFRRGGBB, "None" as fully transparent.
uint32_t parseColour(const std::string& text) {
  if (text == "None") return 0;
  unsigned rgb = 0;
  int used = 0;
  if (text.size() != 7 || std::sscanf(text.c_str(), "#%6x%n", &rgb, &used) != 1 || used != 7)
    malformed("colour \"" + text + "\" is neither #RRGGBB nor None");
  return 0xff000000u | rgb;
}

}  // namespace

Picture pictureFromXpm(std::span<const char* const> lines) {
  if (lines.empty()) malformed("no header");
  std::istringstream header(lines[0]);
  int width = 0, height = 0, colours = 0, perPixel = 0;
  if (!(header >> width >> height >> colours >> perPixel) || width <= 0 || height <= 0 ||
      colours <= 0 || perPixel <= 0 || width > 4096 || height > 4096)
    malformed("bad header \"" + std::string(lines[0]) + "\"");
  if (lines.size() != static_cast<size_t>(1 + colours + height))
    malformed("expected " + std::to_string(1 + colours + height) + " lines");

  std::map<std::string, uint32_t> palette;
  for (int i = 1; i <= colours; ++i) {
    const std::string line = lines[i];
    if (line.size() < static_cast<size_t>(perPixel)) malformed("short colour line");
    std::istringstream rest(line.substr(perPixel));
    std::string key, value;
    if (!(rest >> key >> value) || key != "c") malformed("colour line \"" + line + "\"");
    palette[line.substr(0, perPixel)] = parseColour(value);
  }

  Picture picture{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
  for (int y = 0; y < height; ++y) {
    const std::string row = lines[1 + colours + y];
    if (row.size() != static_cast<size_t>(width) * perPixel)
      malformed("row " + std::to_string(y) + " is not " + std::to_string(width) + " pixels");
    for (int x = 0; x < width; ++x) {
      const auto colour = palette.find(row.substr(static_cast<size_t>(x) * perPixel, perPixel));
      if (colour == palette.end())
        malformed("row " + std::to_string(y) + " uses an unknown colour");
      picture.argb[static_cast<size_t>(y) * width + x] = colour->second;
    }
  }
  return picture;
}

}  // namespace lupe
