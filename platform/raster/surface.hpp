#pragma once

#include <optional>

#include "platform/raster/raster.hpp"

namespace lupe {

// Memory for a surface's pixels that a backend provides, so that it can
// draw into them with its own calls and show them without a copy: a
// shared-memory segment on X11, a DIB section on Windows. Same pixel layout
// as a Raster; rows may be longer than the width.
class PixelMemory {
 public:
  virtual ~PixelMemory() = default;
  // Memory for width x height pixels, valid until the next call; what the
  // memory held before may be gone.
  virtual RasterView provide(int32_t width, int32_t height) = 0;
};

// A drawing surface that keeps its picture until it is drawn again. Clearing
// is put off until the pixels are needed, so a clear followed by a drawing
// that covers the whole surface (every tick) writes each pixel once. Its
// pixels live in its own buffer or in memory a backend provides.
class Surface {
 public:
  int32_t width() const { return view_.width; }
  int32_t height() const { return view_.height; }

  // New size; kept pixels stay, new ones get `fill`.
  void resize(int32_t width, int32_t height, Pixel fill);
  // Keeps the pixels in `memory` from now on (nullptr: in its own buffer);
  // the picture moves along, a put-off clear stays put off.
  void useMemory(PixelMemory* memory);
  // Fills the whole surface with `fill`, at the latest when next looked at.
  void clear(Pixel fill) { pendingFill_ = fill; }
  // The pixels, a put-off clear done. A backend drawing with its own calls
  // asks for them first, so that the clear comes before its drawing.
  RasterView pixels();
  // The pixels for a drawing that writes every pixel of `area`: a put-off
  // clear is dropped when the area covers the whole surface.
  RasterView pixelsToCover(const PixelRect& area);

 private:
  // Moves to memory of the new size, keeping the top-left picture.
  void relocate(PixelMemory* memory, int32_t width, int32_t height, Pixel fill);

  Raster own_;
  PixelMemory* memory_ = nullptr;
  RasterView view_;
  std::optional<Pixel> pendingFill_;
};

}  // namespace lupe
