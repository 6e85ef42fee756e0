#pragma once

#include <cstdint>

#include "platform/raster/changed_area.hpp"
#include "platform/raster/raster.hpp"

namespace lupe {

// A live image of the screen, read by rectangles in screen pixels.
class ScreenSource {
 public:
  virtual ~ScreenSource() = default;

  // The readable extent of the screen in screen pixels (the whole desktop).
  virtual PixelRect bounds() = 0;
  // Reads `area`, which lies inside bounds(), into `out` of the same size.
  // False when the screen could not be read; `out` is then undefined.
  virtual bool read(const PixelRect& area, RasterView out) = 0;
  // Reads `area`, which lies inside bounds(), and hands out its pixels where
  // the source already holds them, valid until the next read; their alpha
  // bytes may be anything. False when the source cannot: read() then.
  virtual bool readInPlace(const PixelRect&, ConstRasterView&) { return false; }
  // The pointer's position in screen pixels; false when it cannot be told.
  virtual bool pointer(int32_t& x, int32_t& y) = 0;
  // Whether the left mouse button is down now; true when it cannot be told.
  virtual bool leftButtonHeld() = 0;
  // Adds to `into` what of the screen changed since the last call, in
  // screen pixels: every change shown before the source last answered a
  // question (the pointer's position, a read) is in. A source that cannot
  // tell says everything changed, so that every read is a whole one.
  virtual void takeChanges(ChangedArea& into) { into.addEverything(); }
};

// The part of a screen rectangle that lies on the screen, and its pixels.
struct ScreenPart {
  PixelRect area;          // within the rectangle; empty when none of it could be read
  ConstRasterView pixels;  // alpha bytes may be anything
};
// Reads the on-screen part of `area`: in place where the source allows it,
// else into `spare`. Valid until the next read.
ScreenPart readOnScreenPart(ScreenSource& source, const PixelRect& area, Raster& spare);

// Copies any rectangle of screen pixels into `out` (of the rectangle's size),
// as the tick does at zoom 1: the part on the screen is read, the rest, and
// all of it when the read fails, is black. For one-off captures (tests,
// benchmarks); it may allocate.
bool captureScreen(ScreenSource& source, const PixelRect& area, RasterView out);

}  // namespace lupe
