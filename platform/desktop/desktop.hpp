#pragma once

#include <cstdint>

namespace lupe {

// Window, device-context and other handles: signed 32-bit, 0 is "none".
using Handle = int32_t;

// Opaque identity of one of the program's top-level windows, given by the
// toolkit backend that made it.
using WindowId = uintptr_t;

struct PointApi {
  int32_t x = 0;
  int32_t y = 0;
};

inline constexpr Handle HWND_TOPMOST = -1;
inline constexpr Handle HWND_NOTOPMOST = -2;
inline constexpr uint32_t SWP_NOSIZE = 0x0001;
inline constexpr uint32_t SWP_NOMOVE = 0x0002;
inline constexpr uint32_t SRCCOPY = 0x00CC0020;
inline constexpr uint32_t WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr int32_t HTCAPTION = 2;

// What the program asks of the window system and the screen, shaped like
// the few user32/gdi32 calls it makes. Results are those of the calls; the
// program looks at none but the handles.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // The handle of the desktop window, the whole screen.
  virtual Handle GetDesktopWindow() = 0;
  // A device context through which the window's image can be read; 0 when none can be had.
  virtual Handle GetDC(Handle window) = 0;
  // Gives back a device context taken with GetDC for that window; 1 if it was one, else 0.
  virtual int32_t ReleaseDC(Handle window, Handle dc) = 0;
  // The pointer in screen pixels; leaves `point` as it is and returns 0 when it cannot be told.
  virtual int32_t GetCursorPos(PointApi& point) = 0;
  // Copies the source rectangle, scaled without smoothing, over the destination
  // rectangle; 0 (and nothing drawn) when a context is not usable or a size is empty.
  virtual int32_t StretchBlt(Handle dst, int32_t x, int32_t y, int32_t width, int32_t height,
                             Handle src, int32_t srcX, int32_t srcY, int32_t srcWidth,
                             int32_t srcHeight, uint32_t rop) = 0;
  // Changes the window's z-order; only the topmost layer (HWND_TOPMOST /
  // HWND_NOTOPMOST with SWP_NOMOVE | SWP_NOSIZE) is supported: 1 if asked for, else 0.
  virtual int32_t SetWindowPos(Handle window, Handle insertAfter, int32_t x, int32_t y,
                               int32_t width, int32_t height, uint32_t flags) = 0;
  // Ends a mouse capture of the program's windows; 1 on success.
  virtual int32_t ReleaseCapture() = 0;
  // Only WM_NCLBUTTONDOWN with HTCAPTION is understood: it starts the window
  // system's interactive move of the window. 0 for anything else.
  virtual int32_t SendMessageA(Handle window, uint32_t message, int32_t wParam, int32_t lParam) = 0;
};

}  // namespace lupe
