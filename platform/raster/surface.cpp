#include "platform/raster/surface.hpp"

#include <algorithm>

namespace lupe {

void Surface::resize(int32_t width, int32_t height, Pixel fill) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == view_.width && height == view_.height) return;
  pixels();
  relocate(memory_, width, height, fill);
}

void Surface::useMemory(PixelMemory* memory) {
  if (memory == memory_) return;
  makeWritable();
  relocate(memory, view_.width, view_.height, kBlack);
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

RasterView Surface::pixels() {
  makeWritable();
  if (pendingFill_) {
    view_.fill(*pendingFill_);
    pendingFill_.reset();
  }
  return view_;
}

RasterView Surface::pixelsToCover(const PixelRect& area) {
  if (intersection(area, {0, 0, width(), height()}) == PixelRect{0, 0, width(), height()}) {
    // Every pixel is drawn anew: neither the clear nor what lay below the
    // layers needs writing first.
    pendingFill_.reset();
    overlay_.drop();
  }
  return pixels();
}

ConstRasterView Surface::withLayers(std::span<const Layer> layers) {
  const RasterView picture = pixels();
  overlay_.lay(picture, layers);
  return picture;
}

}  // namespace lupe
