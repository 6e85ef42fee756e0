#pragma once

#include "platform/win32/windows_api.hpp"

#include "platform/raster/surface.hpp"

namespace lupe::win32 {

// The view's picture in a DIB section, selected into a memory device
// context that the view's hDC names: gdi32's StretchBlt writes the tick's
// picture straight into the memory the view is shown from, and the frame
// goes to the window with one BitBlt. The section grows with a quarter to
// spare and is kept, so resizing does not make a new one each time.
class ViewMemory final : public FrameOutput {
 public:
  explicit ViewMemory(HWND view);
  ~ViewMemory() override;
  ViewMemory(const ViewMemory&) = delete;
  ViewMemory& operator=(const ViewMemory&) = delete;

  HDC context() const { return dc_; }

  RasterView provide(int32_t width, int32_t height) override;
  // GDI may batch drawing calls: the memory holds them only after a flush.
  void awaitWritable() override { GdiFlush(); }
  void show(const PixelRect& area) override;
  void fill(const PixelRect& area, Pixel color) override;

 private:
  HWND view_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ original_ = nullptr;
  Pixel* bits_ = nullptr;
  int32_t capacityWidth_ = 0, capacityHeight_ = 0;
};

}  // namespace lupe::win32
