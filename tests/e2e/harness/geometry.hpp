#pragma once

#include "pixels.hpp"

namespace lupe::e2e {

// The frame around a window's client area: the window manager's
// (_NET_FRAME_EXTENTS) on X11, the one Qt draws itself on Wayland.
struct FrameExtents {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
};

// Where a top-level window is and how large, in screen coordinates.
struct WindowGeometry {
  Rect client;  // the client area
  FrameExtents frame;
  // The outer rectangle: the client area with the frame around it.
  Rect outer() const {
    return Rect{client.x - frame.left, client.y - frame.top,
                client.width + frame.left + frame.right, client.height + frame.top + frame.bottom};
  }
};

}  // namespace lupe::e2e
