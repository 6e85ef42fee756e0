#pragma once

#include <span>
#include <stdexcept>

#include "platform/raster/picture.hpp"

namespace lupe {

// A picture given as the strings of an XPM image: "width height colours
// chars-per-pixel", then one "<chars> c <colour>" line per colour, where the
// colour is #RRGGBB or None (transparent: the picture's 1-bit mask), then
// one string per row. Throws std::invalid_argument when the text is not such
// an image.
Picture pictureFromXpm(std::span<const char* const> lines);

}  // namespace lupe
