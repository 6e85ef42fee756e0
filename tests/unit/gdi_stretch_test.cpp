// Our stretch kernel against the system's own StretchBlt: on Windows the tick
// uses gdi32, on X11 our kernel, and both must show the same pixels. Runs
// only in the Windows build (under Wine here).
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <utility>

#include <gtest/gtest.h>

#include "platform/raster/raster.hpp"
#include "platform/raster/stretch.hpp"

namespace lupe::test {
namespace {

// A memory device context with a top-down 32-bit DIB section selected.
class DibContext {
 public:
  DibContext(int32_t width, int32_t height) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
    view_ = {static_cast<Pixel*>(bits), width, height, width};
  }
  ~DibContext() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  DibContext(const DibContext&) = delete;
  DibContext& operator=(const DibContext&) = delete;

  HDC dc() const { return dc_; }
  RasterView view() const { return view_; }

 private:
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  RasterView view_;
};

// How many pixels of a sw x sh source stretched over dw x dh differ between
// gdi32 and our kernel.
int64_t mismatches(int32_t sw, int32_t sh, int32_t dw, int32_t dh) {
  DibContext source(sw, sh), gdi(dw, dh);
  for (int32_t y = 0; y < sh; ++y)
    for (int32_t x = 0; x < sw; ++x)
      source.view().row(y)[x] = static_cast<Pixel>(x) << 12 | static_cast<Pixel>(y);
  EXPECT_TRUE(StretchBlt(gdi.dc(), 0, 0, dw, dh, source.dc(), 0, 0, sw, sh, SRCCOPY));
  GdiFlush();
  Raster ours(dw, dh, 0);
  NearestStretch stretch;
  stretch.run(source.view(), ours.view(), 0, 0, dw, dh);
  int64_t differing = 0;
  for (int32_t y = 0; y < dh; ++y)
    for (int32_t x = 0; x < dw; ++x)
      differing += (gdi.view().row(y)[x] & 0xffffffu) != (ours.view().row(y)[x] & 0xffffffu);
  return differing;
}

TEST(GdiStretch, OurKernelPicksTheSamePixelsAsTheSystemsWhenEnlarging) {
  // The tick's own sizes: the view at its first size and maximised on a
  // 1280 x 1024 screen, every zoom; the source is the view over the zoom.
  for (const auto& [vw, vh] : {std::pair{719, 340}, std::pair{1056, 784}})
    for (int32_t zoom = 1; zoom <= 10; ++zoom) {
      const int32_t sw = static_cast<int32_t>(std::nearbyint(vw / double(zoom)));
      const int32_t sh = static_cast<int32_t>(std::nearbyint(vh / double(zoom)));
      EXPECT_EQ(mismatches(sw, sh, vw, vh), 0) << vw << "x" << vh << " zoom " << zoom;
    }
  // Random enlargements: thin sources exercise columns and rows alike.
  std::mt19937 random(20261208);
  for (int i = 0; i < 400; ++i) {
    const int32_t sw = std::uniform_int_distribution<int32_t>(1, 400)(random);
    const int32_t dw = std::uniform_int_distribution<int32_t>(sw, 2000)(random);
    const int32_t sh = std::uniform_int_distribution<int32_t>(1, 6)(random);
    const int32_t dh = std::uniform_int_distribution<int32_t>(sh, 40)(random);
    ASSERT_EQ(mismatches(sw, sh, dw, dh), 0) << sw << "x" << sh << " over " << dw << "x" << dh;
    ASSERT_EQ(mismatches(sh, sw, dh, dw), 0) << sh << "x" << sw << " over " << dh << "x" << dw;
  }
}

}  // namespace
}  // namespace lupe::test
