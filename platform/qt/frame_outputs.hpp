#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/raster/surface.hpp"

namespace lupe::qt {

// Makes the output that shows a view's frames in its native window (by the
// window's id); nullptr where it cannot, and Qt paints the frames instead.
using FrameOutputs = std::function<std::unique_ptr<FrameOutput>(uint64_t window)>;

}  // namespace lupe::qt
