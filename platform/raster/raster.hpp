#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lupe {

// Pixels are 32-bit 0xAARRGGBB words in native byte order (on little-endian
// machines exactly the layout of an RGB32 image), alpha always 0xff.
using Pixel = uint32_t;

inline constexpr Pixel kBlack = 0xff000000u;

// A colour of the control model (0x00BBGGRR) as a pixel.
constexpr Pixel pixelFromColor(uint32_t bgr) {
  return 0xff000000u | ((bgr & 0xffu) << 16) | (bgr & 0xff00u) | ((bgr >> 16) & 0xffu);
}

struct PixelRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;

  bool empty() const { return width <= 0 || height <= 0; }
  bool operator==(const PixelRect&) const = default;
};

// The overlap of two rectangles; empty (0 x 0) when they do not meet.
PixelRect intersection(const PixelRect& a, const PixelRect& b);

// A window onto pixels owned elsewhere; stride counts pixels, not bytes.
struct RasterView {
  Pixel* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  ptrdiff_t stride = 0;

  Pixel* row(int32_t y) const { return pixels + y * stride; }
  // The part of this view at `area`, which must lie inside it.
  RasterView sub(const PixelRect& area) const;
  void fill(Pixel value) const;
  void fill(const PixelRect& area, Pixel value) const;
};

struct ConstRasterView {
  const Pixel* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  ptrdiff_t stride = 0;

  ConstRasterView() = default;
  ConstRasterView(const Pixel* p, int32_t w, int32_t h, ptrdiff_t s)
      : pixels(p), width(w), height(h), stride(s) {}
  ConstRasterView(const RasterView& v)  // NOLINT: a writable view reads as well
      : pixels(v.pixels), width(v.width), height(v.height), stride(v.stride) {}
  const Pixel* row(int32_t y) const { return pixels + y * stride; }
};

// Copies the top-left part the two views share from `from` into `to`.
void copyPixels(ConstRasterView from, RasterView to);

// A pixel buffer that owns its memory. Growing allocates; shrinking and
// resizing to a size it held before do not, so a steady size costs nothing.
class Raster {
 public:
  Raster() = default;
  Raster(int32_t width, int32_t height, Pixel fill);

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  RasterView view() { return {pixels_.data(), width_, height_, width_}; }
  ConstRasterView view() const { return {pixels_.data(), width_, height_, width_}; }

  // New size; the overlapping top-left part keeps its pixels, new parts get `fill`.
  void resize(int32_t width, int32_t height, Pixel fill);
  // New size with undefined contents: for scratch buffers overwritten at once.
  void reshape(int32_t width, int32_t height);

 private:
  std::vector<Pixel> pixels_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace lupe
