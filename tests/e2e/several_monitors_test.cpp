// Two monitors of different sizes side by side (tests/e2e/with-xephyr.sh on
// X11, LUPE_WAYLAND_MONITORS="800x600 640x480" on Wayland):
// with the pointer on each, on the seam and by the area that no monitor
// shows, every view pixel that shows a monitor shows exactly its screen
// pixel, and black only lies beyond the desktop and where no monitor is.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/view_test.hpp"

namespace lupe::e2e {
namespace {

class SeveralMonitors : public ViewOnScreen {};

TEST_F(SeveralMonitors, EachHeadTheSeamAndTheUnshownAreaShowExactly) {
  ASSERT_EQ(session_->screenRect(), (Rect{0, 0, 1440, 600}))
      << "not the two-monitor desktop of tests/e2e/with-xephyr.sh";
  shown_ = {{0, 0, 800, 600}, {800, 0, 640, 480}};
  ASSERT_NO_FATAL_FAILURE(startLupe());
  struct Position {
    const char* name;
    int x, y;
  } const positions[] = {{"left-head", 300, 400}, {"right-head", 1120, 240},
                         {"seam", 800, 300},      {"by-the-gap", 790, 470},
                         {"right-edge", 1437, 470}};  // the pointer cannot enter the gap
  std::vector<Rect> sources;
  for (const Position& p : positions) sources.push_back(model().source(p.x, p.y));
  ASSERT_NO_FATAL_FAILURE(keepWindowOutOf(sources));
  for (const Position& p : positions) {
    SCOPED_TRACE(p.name);
    ASSERT_NO_FATAL_FAILURE(expectView(p.name, p.x, p.y, 3, closedPanelOverlays()));
  }
}

}  // namespace
}  // namespace lupe::e2e
