#pragma once

#include "platform/desktop/desktop.hpp"

namespace lupe {

// The requests the program makes of the window manager for its own windows.
class WindowRequests {
 public:
  virtual ~WindowRequests() = default;

  // Puts the window into the always-on-top layer or takes it out, without
  // moving, resizing or re-creating it; false when the request cannot be made.
  virtual bool setTopmost(WindowId window, bool on) = 0;
  // Starts the window manager's interactive move from the pointer's position
  // while the left button is held; false when it is not held any more (a
  // quick click that came up before the press was handled must not leave
  // the window on the pointer) or no move can be made.
  virtual bool beginMove(WindowId window) = 0;
  // Releases any pointer grab the program's windows hold; false if it cannot.
  virtual bool releaseCapture() = 0;
};

}  // namespace lupe
