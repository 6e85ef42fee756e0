// The magnified picture, pixel for pixel: the view is the nearest-neighbour
// enlargement of the screen around the pointer (black where that reaches
// past the screen), with the green crosshair over it and the two buttons
// above it.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/view_test.hpp"

namespace lupe::e2e {
namespace {

class MagnifiedView : public ViewOnScreen {};

TEST_F(MagnifiedView, IsTheExactEnlargementAroundThePointerWithBlackBeyondTheScreen) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  struct Position {
    const char* name;
    int x, y;
  };
  // The centre, and two corners where the source reaches past the screen's
  // right and bottom, and left and bottom, edges (on 1280x1024: (640, 512),
  // (1275, 1020), (3, 1020)).
  const Rect screen = session_->screenRect();
  const Position positions[] = {{"centre", screen.width / 2, screen.height / 2},
                                {"bottom-right", screen.width - 5, screen.height - 4},
                                {"bottom-left", 3, screen.height - 4}};
  {
    std::vector<Rect> sources;
    for (const Position& p : positions) sources.push_back(model().source(p.x, p.y));
    ASSERT_NO_FATAL_FAILURE(keepWindowOutOf(sources));
  }

  for (const Position& p : positions) {
    SCOPED_TRACE(std::string("pointer at the ") + p.name);
    ASSERT_NO_FATAL_FAILURE(expectView(p.name, p.x, p.y, 3, closedPanelOverlays()));
  }
}

}  // namespace
}  // namespace lupe::e2e
