#pragma once

#include <xcb/xcb.h>

#include "display.hpp"

namespace lupe::e2e {

// A panel of the test's own that reserves a strip along the screen's right
// edge (_NET_WM_STRUT_PARTIAL), as a taskbar does, so that a maximised
// window leaves that strip showing the screen. The panel itself is one
// pixel in the screen's top-right corner. Gone, and the strip given back,
// when destroyed.
class ReservedRightEdge {
 public:
  // Throws std::runtime_error when the window manager does not shrink its
  // work area (_NET_WORKAREA) within a few seconds.
  ReservedRightEdge(XDisplay& display, int width);
  ~ReservedRightEdge();
  ReservedRightEdge(const ReservedRightEdge&) = delete;
  ReservedRightEdge& operator=(const ReservedRightEdge&) = delete;

 private:
  bool workAreaWidthIs(int width);

  XDisplay& display_;
  xcb_window_t window_ = XCB_NONE;
};

}  // namespace lupe::e2e
