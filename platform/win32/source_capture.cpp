#include "platform/win32/source_capture.hpp"

#include <algorithm>
#include <cstring>

namespace lupe::win32 {

SourceCapture::SourceCapture() : dc_(CreateCompatibleDC(nullptr)) {}

SourceCapture::~SourceCapture() {
  if (original_) SelectObject(dc_, original_);
  if (bitmap_) DeleteObject(bitmap_);
  DeleteDC(dc_);
}

bool SourceCapture::take(HDC screen, const PixelRect& area) {
  if (area.empty() || int64_t{area.width} * area.height > int64_t{1} << 26) return false;
  if (area.width > width_ || area.height > height_) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = std::max(area.width, width_);
    info.bmiHeader.biHeight = -std::max(area.height, height_);  // top-down, as our rasters are
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return false;
    const HGDIOBJ previous = SelectObject(dc_, bitmap);
    if (!original_) original_ = previous;
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = bitmap;
    bits_ = static_cast<Pixel*>(bits);
    width_ = info.bmiHeader.biWidth;
    height_ = -info.bmiHeader.biHeight;
  }
  pixels_ = {bits_, area.width, area.height, width_};
  GdiFlush();
  // Black beyond the screen whatever BitBlt leaves there; a rectangle on the
  // screen is written whole by BitBlt.
  const PixelRect shown{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  if (intersection(area, shown) != area) pixels_.fill(kBlack);
  return ::BitBlt(dc_, 0, 0, area.width, area.height, screen, area.x, area.y, SRCCOPY) != 0 &&
         GdiFlush();
}

bool SourceCapture::unchanged(bool comparable) {
  const size_t rowBytes = size_t(pixels_.width) * sizeof(Pixel);
  const size_t count = size_t(pixels_.width) * size_t(pixels_.height);
  bool same = comparable && kept_.size() == count;
  for (int32_t y = 0; same && y < pixels_.height; ++y)
    same = std::memcmp(kept_.data() + size_t(y) * pixels_.width, pixels_.row(y), rowBytes) == 0;
  if (same) return true;
  kept_.resize(count);
  for (int32_t y = 0; y < pixels_.height; ++y)
    std::memcpy(kept_.data() + size_t(y) * pixels_.width, pixels_.row(y), rowBytes);
  return false;
}

}  // namespace lupe::win32
