#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include <sys/types.h>

#include "geometry.hpp"
#include "pixels.hpp"

namespace lupe::e2e {

// The pictures the magnifier's window puts on the screen, counted from
// outside: every time the window system shows it drawn anew, whether it
// looks different or not.
class PictureCount {
 public:
  virtual ~PictureCount() = default;
  // Only what comes from now on counts.
  virtual void reset() = 0;
  // Takes in what comes for `time` (at least once); the pictures since the
  // last reset.
  virtual int takeFor(std::chrono::milliseconds time) = 0;
};

// The desktop the magnifier runs on, as the suites that work on every kind
// of session see it: the screen shows the test pattern wherever no window
// lies, the tests read it back, drive the pointer and the keyboard as a
// user would, and find and place the program's window. An X11 session
// (Xvfb and a window manager) or a GNOME Wayland one (mutter, read back
// through a screen cast); sessionFromEnvironment() picks by WAYLAND_DISPLAY
// and DISPLAY.
class TestSession {
 public:
  virtual ~TestSession() = default;

  // The screen's extent (every monitor), and its pixels in `area` there.
  virtual Rect screenRect() = 0;
  virtual Image read(const Rect& area) = 0;
  // Makes the screen show patternColour(x, y) wherever no window lies.
  virtual void showPattern() = 0;
  // One patch of `colour` over the pattern at `area` instead of the last
  // one (an empty area: none), away from the magnifier's window: a change
  // of the screen under a still pointer. An unmanaged window on X11, a part
  // of the pattern's own picture on Wayland. Returns once the screen shows it.
  virtual void showPatch(const Rect& area, Rgb colour) = 0;
  // Counts the pictures of the magnifier's window from now on, while the
  // screen changes only by the test's doing; nullptr where the session
  // cannot tell (an X server without DAMAGE).
  virtual std::unique_ptr<PictureCount> countPictures() = 0;

  // The left button, and the keyboard's keys by keysym (to the window with
  // the focus). Each returns once the session has taken the event in.
  virtual void moveTo(int x, int y) = 0;
  virtual void press() = 0;
  virtual void release() = 0;
  void click(int x, int y) {
    moveTo(x, y);
    press();
    release();
  }
  virtual void releaseAll() = 0;
  virtual void tap(uint32_t keysym) = 0;

  // Waits until process `pid` shows its window; false when it does not
  // within `timeout`.
  virtual bool awaitWindow(pid_t pid, std::chrono::milliseconds timeout) = 0;
  // That window's place now; nullopt when it cannot be told.
  virtual std::optional<WindowGeometry> geometry() = 0;
  // Moves the window's frame to (x, y), as a pager or the user's drag of
  // its title bar would; does not wait for it.
  virtual void requestMove(int x, int y) = 0;
  // The same, and a client area of width x height, as the user's drag of
  // the frame's corner would make it.
  virtual void requestMoveResize(int x, int y, int width, int height) = 0;
};

// The session the tests run in; throws std::runtime_error with what is
// missing when there is none.
std::unique_ptr<TestSession> sessionFromEnvironment();

}  // namespace lupe::e2e
