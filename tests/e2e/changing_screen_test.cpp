// The screen changing its size under the running magnifier (xrandr --fb):
// smaller, then back to its full size, with the pointer at the new edges.
// The next ticks show exactly the screen as it is now, black beyond it.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "harness/poll.hpp"
#include "harness/view_test.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;

class ChangingScreen : public ViewOnScreen {
 protected:
  void TearDown() override {
    resize(full_);  // the next test finds the screen as it was
    ViewOnScreen::TearDown();
  }
  void resize(const Rect& size) {
    if (size.width <= 0) return;
    const std::string command = "xrandr --fb " + std::to_string(size.width) + "x" +
                                std::to_string(size.height) + " >/dev/null 2>&1";
    // xrandr may complain that the output keeps its mode; the root changes all the same.
    [[maybe_unused]] const int status = std::system(command.c_str());
  }
  Rect full_;
};

TEST_F(ChangingScreen, TheViewFollowsTheRootShrinkingAndGrowingAtItsNewEdges) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  ASSERT_NO_FATAL_FAILURE(moveWindowToTopLeft());
  full_ = display_->rootRect();
  for (const Rect size : {Rect{0, 0, full_.width * 3 / 4, full_.height * 3 / 4}, full_}) {
    SCOPED_TRACE(size.describe());
    resize(size);
    ASSERT_TRUE(pollUntil(5s, [&] { return display_->rootRect() == size; }))
        << "the root did not change to " << size.describe();
    // Past the right and bottom edges, then the left and bottom ones.
    ASSERT_NO_FATAL_FAILURE(
        expectView("bottom-right", size.width - 5, size.height - 4, 3, closedPanelOverlays()));
    ASSERT_NO_FATAL_FAILURE(expectView("bottom-left", 3, size.height - 4, 3, closedPanelOverlays()));
    EXPECT_TRUE(lupe_->running());
    EXPECT_EQ(lupe_->stderrText(), "");
  }
}

}  // namespace
}  // namespace lupe::e2e
