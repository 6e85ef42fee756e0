#pragma once

#include <spa/buffer/buffer.h>
#include <spa/param/video/raw.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/desktop/desktop.hpp"
#include "platform/raster/raster.hpp"

namespace lupe::wayland {

// What one buffer of a monitor's stream carries, read from its chunk and
// metadata alone: nothing here maps memory or talks to PipeWire.

// Where a buffer's picture lies in its memory, when it holds a whole one.
struct PictureLayout {
  uint32_t offset = 0;      // bytes from the data's start
  int32_t strideBytes = 0;  // positive
};

// The picture of `buffer` in the negotiated `size`, or none: a buffer that
// only moves the pointer comes with chunk size 0 (mutter, KWin 5.27) or
// flagged corrupted with its size kept (Plasma 6), and a picture that would
// run past the memory PipeWire gave is not read at all.
std::optional<PictureLayout> pictureIn(const spa_buffer& buffer, const spa_rectangle& size);

// The pointer's hot spot relative to the monitor, in the stream's pixels;
// none when the buffer tells nothing of it or says it is not on this
// monitor (cursor id 0, positions -1, -1 on KWin).
std::optional<PointApi> pointerIn(const spa_buffer& buffer);

// The desktop rectangles a picture of `monitor` says it changed, clipped to
// the monitor; none when it says nothing useful: no damage metadata (mutter
// 43), an empty list (KWin 5.27 re-sends whole pictures so) or one rectangle
// over the whole monitor (mutter 45 and later on every picture of a monitor
// stream). A picture that says nothing is compared with what we last read.
std::optional<std::vector<PixelRect>> damageIn(const spa_buffer& buffer, const PixelRect& monitor);

}  // namespace lupe::wayland
