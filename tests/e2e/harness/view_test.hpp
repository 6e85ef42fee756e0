#pragma once

#include <string>
#include <vector>

#include "lupe_test.hpp"
#include "view_check.hpp"
#include "view_model.hpp"

namespace lupe::e2e {

// A test of what the view shows: the expected picture is worked out from
// the window's outer size, the pointer and the zoom, and compared with the
// client area pixel for pixel.
class ViewOnScreen : public LupeOnScreen {
 protected:
  // The model for the window's outer size now, with `marker_` over it.
  ViewModel model(int zoom = 3);
  ViewModel modelOf(WindowGeometry laidOut, int zoom) const;

  // Moves the window's frame into the screen's top-left corner and waits
  // until it is there. Use with ASSERT_NO_FATAL_FAILURE.
  void moveWindowToTopLeft();

  // The view must not show the magnifier itself: moves the window into the
  // screen's top-left corner when it lies over one of the sources. Use with
  // ASSERT_NO_FATAL_FAILURE.
  void keepWindowOutOf(const std::vector<Rect>& sources);

  // A pointer position whose source at `zoom` lies on the screen but off the
  // window: right of it if there is room, else below it. Fails the test
  // when there is no room; use with ASSERT_NO_FATAL_FAILURE.
  void pointerAwayFromWindow(int zoom, int& x, int& y);

  // Moves the pointer to (x, y) and waits until the client area shows the
  // enlargement around it at `zoom`, with `overlays` over it. Fails the test
  // when the screen does not show the test pattern in the source (something
  // lies over it), or when the view does not match in time; then it leaves
  // "<what>-actual" and "<what>-expected" screenshots. Use with
  // ASSERT_NO_FATAL_FAILURE.
  void expectView(const std::string& what, int x, int y, int zoom,
                  const std::vector<Overlay>& overlays);
  // The same, for a source that shows whatever the screen shows there now
  // (other windows, the magnifier itself) instead of the test pattern.
  void expectViewOfScreen(const std::string& what, int x, int y, int zoom,
                          const std::vector<Overlay>& overlays);

  void compareView(const std::string& what, int x, int y, int zoom,
                   const std::vector<Overlay>& overlays, bool asShown);

  // What the view's marker looks like now: the test keeps it in step with
  // the buttons it clicks.
  Marker marker_;
  // The parts of the root that monitors show; empty: all of it.
  std::vector<Rect> shown_;
};

}  // namespace lupe::e2e
