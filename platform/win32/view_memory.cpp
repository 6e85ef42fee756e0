#include "platform/win32/view_memory.hpp"

#include <algorithm>

#include "platform/win32/win32_convert.hpp"

namespace lupe::win32 {

ViewMemory::ViewMemory(HWND view) : view_(view), dc_(CreateCompatibleDC(nullptr)) {}

ViewMemory::~ViewMemory() {
  if (original_) SelectObject(dc_, original_);
  if (bitmap_) DeleteObject(bitmap_);
  DeleteDC(dc_);
}

RasterView ViewMemory::provide(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return {};
  if (width > capacityWidth_ || height > capacityHeight_) {
    const int32_t w = std::max(width, capacityWidth_ + capacityWidth_ / 4);
    const int32_t h = std::max(height, capacityHeight_ + capacityHeight_ / 4);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down, as our rasters are
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return {};
    const HGDIOBJ previous = SelectObject(dc_, bitmap);
    if (!original_) original_ = previous;
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = bitmap;
    bits_ = static_cast<Pixel*>(bits);
    capacityWidth_ = w, capacityHeight_ = h;
  }
  GdiFlush();
  return {bits_, width, height, capacityWidth_};
}

void ViewMemory::show(const PixelRect& area) {
  if (area.width <= 0 || area.height <= 0 || !bitmap_) return;
  const HDC window = GetDC(view_);
  BitBlt(window, area.x, area.y, area.width, area.height, dc_, area.x, area.y, SRCCOPY);
  ReleaseDC(view_, window);
}

void ViewMemory::fill(const PixelRect& area, Pixel color) {
  if (area.width <= 0 || area.height <= 0) return;
  const HDC window = GetDC(view_);
  const HBRUSH brush = CreateSolidBrush(colorRefOf(color));
  const RECT r{area.x, area.y, area.x + area.width, area.y + area.height};
  FillRect(window, &r, brush);
  DeleteObject(brush);
  ReleaseDC(view_, window);
}

}  // namespace lupe::win32
