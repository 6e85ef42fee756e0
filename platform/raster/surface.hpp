#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/raster/changed_area.hpp"
#include "platform/raster/compositor.hpp"
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
  // Returns once the memory may be written: memory the window system is
  // still reading from to show it waits until it is done.
  virtual void awaitWritable() {}
};

// Memory that a native window shows straight from, without a copy in
// between: a shared-memory segment put into an X window, a DIB section
// blitted into a window on Windows.
class FrameOutput : public PixelMemory {
 public:
  // Shows the part `area` of the memory last provided at the same place of
  // the window.
  virtual void show(const PixelRect& area) = 0;
  // Fills `area` of the window, which the memory does not reach, with `color`.
  virtual void fill(const PixelRect& area, Pixel color) = 0;
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
  // The pixels to look at, a put-off clear done.
  ConstRasterView picture() { return writable(); }
  // The pixels for a drawing that writes every pixel of `area`: a put-off
  // clear is dropped when the area covers the whole surface.
  RasterView pixelsToCover(const PixelRect& area);
  // For a drawing over the whole surface of which only `area` comes out
  // different: a put-off clear is dropped, the rest of the picture stays.
  RasterView pixelsToRedraw(const PixelRect& area);
  // A drawing over the whole surface would draw exactly what it holds: a
  // put-off clear is dropped and nothing else is touched.
  void keepPicture() { pendingFill_.reset(); }

  // The pixels with `layers` laid over them in place: the frame a view
  // shows, without a copy. The layers are lifted off again before the
  // pixels are next drawn or looked at.
  ConstRasterView withLayers(std::span<const Layer> layers);
  // Where the layers last laid lie, one rectangle each.
  std::span<const PixelRect> layerAreas() const { return overlay_.areas(); }

  // What was drawn since the last call, a put-off clear counting as all.
  ChangedArea takeChanged();
  // Counts the times the picture was handed out for drawing, resized or
  // moved: the same count means the same picture.
  uint64_t revision() const { return revision_; }

 private:
  // Moves to memory of the new size, keeping the top-left picture.
  void relocate(PixelMemory* memory, int32_t width, int32_t height, Pixel fill);
  // Waits until the memory may be written, then takes an overlay off.
  void makeWritable();
  // The pixels, a put-off clear done; no drawing of its own counted.
  RasterView writable();
  void drawnOver(const PixelRect& area);

  Raster own_;
  PixelMemory* memory_ = nullptr;
  RasterView view_;
  std::optional<Pixel> pendingFill_;
  InPlaceOverlay overlay_;
  ChangedArea changed_;
  uint64_t revision_ = 0;
};

// The last stretch from the screen into a surface. A stretch like it into
// the same, untouched picture needs to redraw only what changed on the
// screen since; nothing when nothing did.
class StretchRecord {
 public:
  void remember(const PixelRect& source, const PixelRect& target, const Surface& surface) {
    last_ = Last{source, target, surface.revision()};
  }
  void forget() { last_.reset(); }
  bool any() const { return last_.has_value(); }
  bool repeatedBy(const PixelRect& source, const PixelRect& target, const Surface& surface) const {
    return last_ && last_->source == source && last_->target == target &&
           last_->revision == surface.revision();
  }

 private:
  struct Last {
    PixelRect source, target;
    uint64_t revision;  // of the surface right after it
  };
  std::optional<Last> last_;
};

}  // namespace lupe
