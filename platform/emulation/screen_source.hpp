#pragma once

#include <cstdint>
#include <optional>

#include "platform/desktop/desktop.hpp"
#include "platform/raster/changed_area.hpp"
#include "platform/raster/raster.hpp"

namespace lupe {

// The screen's pixels as one look found them, read by rectangles in screen
// pixels that lie inside the look's bounds. Valid until the next look.
class ScreenPixels {
 public:
  virtual ~ScreenPixels() = default;

  // Reads `area` into `out` of the same size. False when the screen could
  // not be read; `out` is then undefined.
  virtual bool read(const PixelRect& area, RasterView out) = 0;
  // Reads `area` and hands out its pixels where the source already holds
  // them, valid until the next read; their alpha bytes may be anything.
  // False when the source cannot: read() then.
  virtual bool readInPlace(const PixelRect&, ConstRasterView&) { return false; }
};

// What one look at the screen tells, all of it as of the same moment: the
// pointer, the readable extent, what changed since the look before and the
// pixels to read. Every change shown before the pointer was asked for is in.
struct ScreenLook {
  std::optional<PointApi> pointer;  // in screen pixels; none when it cannot be told
  PixelRect bounds;                 // the readable extent (the whole desktop)
  // Since the last look; everything where the source cannot tell, so that
  // every read is a whole one.
  ChangedArea changes;
  ScreenPixels* pixels = nullptr;  // never null
};

// A live image of the screen. A tick takes one look and reads through it;
// a source takes in what it learnt between looks only when looked at, so
// nothing of a tick depends on the order of its questions.
class ScreenSource {
 public:
  virtual ~ScreenSource() = default;
  virtual ScreenLook look() = 0;
};

// The part of a screen rectangle that lies on the screen, and its pixels.
struct ScreenPart {
  PixelRect area;          // within the rectangle; empty when none of it could be read
  ConstRasterView pixels;  // alpha bytes may be anything
};
// Reads the on-screen part of `area` through `look`: in place where the
// source allows it, else into `spare`. Valid until the next read.
ScreenPart readOnScreenPart(const ScreenLook& look, const PixelRect& area, Raster& spare);

// Copies any rectangle of screen pixels into `out` (of the rectangle's size),
// as the tick does at zoom 1, from a look of its own: the part on the screen
// is read, the rest, and all of it when the read fails, is black. For
// one-off captures (tests, benchmarks); it may allocate.
bool captureScreen(ScreenSource& source, const PixelRect& area, RasterView out);

}  // namespace lupe
