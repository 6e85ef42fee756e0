#pragma once

#include "platform/win32/windows_api.hpp"

#include <vector>

#include "platform/raster/raster.hpp"

namespace lupe::win32 {

// A source rectangle of the screen copied into memory of our own, and the
// copy before it: gdi32 does not tell what changed on the screen, so a
// tick compares what it read with what the last one read.
class SourceCapture {
 public:
  SourceCapture();
  ~SourceCapture();
  SourceCapture(const SourceCapture&) = delete;
  SourceCapture& operator=(const SourceCapture&) = delete;

  // Copies `area` of `screen` (black where no monitor shows it); false when
  // gdi32 refuses. The pixels stay until the next take.
  bool take(HDC screen, const PixelRect& area);
  ConstRasterView pixels() const { return pixels_; }
  // Whether the pixels taken last equal the ones taken before them, when
  // `comparable` (the same rectangle, a view nobody drew into since).
  // Keeps them for the next comparison.
  bool unchanged(bool comparable);

 private:
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ original_ = nullptr;
  Pixel* bits_ = nullptr;
  int32_t width_ = 0, height_ = 0;  // of the bitmap
  RasterView pixels_;
  std::vector<Pixel> kept_;  // row after row
};

}  // namespace lupe::win32
