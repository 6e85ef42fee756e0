#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/raster/placed_output.hpp"
#include "platform/raster/surface.hpp"

class QWindow;

namespace lupe::qt {

// Makes the output that shows a view's frames in its native window (by the
// window's id); nullptr where it cannot, and Qt paints the frames instead.
using FrameOutputs = std::function<std::unique_ptr<FrameOutput>(uint64_t window)>;

// Makes the output that shows a view's frames on a surface of its own over
// the form's window; nullptr where it cannot.
using PlacedOutputs = std::function<std::unique_ptr<PlacedOutput>(QWindow& window)>;

}  // namespace lupe::qt
