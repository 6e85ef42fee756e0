#pragma once

// The pixel rules of the stretch and of lines, written apart from the
// program's own code, for the fuzz target to hold the program against.
#include <cstdint>

#include "platform/raster/compositor.hpp"

namespace lupe::fuzz {

// gdi32's source index of destination index `i`, stretching `source` to `target`.
int64_t gdiSource(int64_t i, int64_t source, int64_t target);

// Whether a level or upright line covers pixel (x, y).
bool covers(const LineLayer& line, int32_t x, int32_t y);

// Checks a slanted line alone on a canvas of kUntouched.
void checkSlanted(const LineLayer& line, ConstRasterView drawn);

}  // namespace lupe::fuzz
