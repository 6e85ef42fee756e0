#include "platform/raster/surface.hpp"

#include <algorithm>

namespace lupe {

void Surface::resize(int32_t width, int32_t height, Pixel fill) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == view_.width && height == view_.height) return;
  writable();
  relocate(memory_, width, height, fill);
  drawnOver({0, 0, width, height});
}

void Surface::useMemory(PixelMemory* memory) {
  if (memory == memory_) return;
  makeWritable();
  relocate(memory, view_.width, view_.height, kBlack);
  drawnOver({0, 0, width(), height()});
}

void Surface::relocate(PixelMemory* memory, int32_t width, int32_t height, Pixel fill) {
  if (!memory && !memory_) {
    own_.resize(width, height, fill);  // keeps the overlap itself
    view_ = own_.view();
    return;
  }
  // Provided memory may lose its pixels when it is provided anew: keep a copy.
  Raster kept(view_.width, view_.height, fill);
  copyPixels(view_, kept.view());
  memory_ = memory;
  if (!memory) own_.resize(width, height, fill);
  view_ = memory ? memory->provide(width, height) : own_.view();
  view_.fill(fill);
  copyPixels(kept.view(), view_);
}

void Surface::makeWritable() {
  if (memory_) memory_->awaitWritable();
  overlay_.lift(view_);
}

void Surface::drawnOver(const PixelRect& area) {
  changed_.add(intersection(area, {0, 0, width(), height()}));
  ++revision_;
}

RasterView Surface::writable() {
  makeWritable();
  if (pendingFill_) {
    view_.fill(*pendingFill_);
    pendingFill_.reset();
    drawnOver({0, 0, width(), height()});
  }
  return view_;
}

RasterView Surface::pixels() {
  writable();
  drawnOver({0, 0, width(), height()});
  return view_;
}

RasterView Surface::pixelsToCover(const PixelRect& area) {
  if (intersection(area, {0, 0, width(), height()}) == PixelRect{0, 0, width(), height()}) {
    // Every pixel is drawn anew: neither the clear nor what lay below the
    // layers needs writing first.
    pendingFill_.reset();
    overlay_.drop();
  }
  writable();
  drawnOver(area);
  return view_;
}

RasterView Surface::pixelsToRedraw(const PixelRect& area) {
  pendingFill_.reset();
  writable();
  drawnOver(area);
  return view_;
}

ConstRasterView Surface::withLayers(std::span<const Layer> layers) {
  const RasterView picture = writable();
  overlay_.lay(picture, layers);
  return picture;
}

ChangedArea Surface::takeChanged() {
  ChangedArea changed = changed_;
  if (pendingFill_) changed.add({0, 0, width(), height()});
  changed_.clear();
  return changed;
}

}  // namespace lupe
