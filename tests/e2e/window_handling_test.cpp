// The window in the user's hands: the topmost box, dragging and maximising
// by the view, and clicks that must leave the window alone. Watched from
// outside, as the window manager and the screen show it.
#include <algorithm>
#include <chrono>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "harness/controls.hpp"
#include "harness/lupe.hpp"
#include "harness/poll.hpp"
#include "harness/reserved_edge.hpp"
#include "harness/view_test.hpp"
#include "support/xvfb_server.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;

class WindowHandling : public ViewOnScreen {
 protected:
  bool above() {
    const std::vector<std::string> states = windowStates(*display_, window_);
    return std::find(states.begin(), states.end(), "_NET_WM_STATE_ABOVE") != states.end();
  }
  xcb_window_t activeWindow() {
    const std::vector<uint32_t> active = display_->items32(display_->root(), "_NET_ACTIVE_WINDOW");
    return active.empty() ? XCB_NONE : active[0];
  }
  bool maximised() {
    const std::vector<std::string> states = windowStates(*display_, window_);
    return std::count_if(states.begin(), states.end(), [](const std::string& s) {
             return s == "_NET_WM_STATE_MAXIMIZED_VERT" || s == "_NET_WM_STATE_MAXIMIZED_HORZ";
           }) == 2;
  }
  void awaitActive() {
    ASSERT_TRUE(pollUntil(5s, [&] { return activeWindow() == window_; }))
        << "the magnifier's window does not become the active one";
  }
  // Opens the settings panel and waits until the topmost box shows on it.
  void openPanel() {
    const Image before = readInClient(topmostBoxRect());
    clickInClient(settingsButtonRect());
    ASSERT_TRUE(pollUntil(5s, [&] { return readInClient(topmostBoxRect()) != before; }))
        << "the settings panel did not open";
  }
  // Clicks the topmost box and waits for the window manager to show the result.
  void clickTopmostBox(bool expectAbove) {
    clickInClient(topmostBoxRect());
    ASSERT_TRUE(pollUntil(5s, [&] { return above() == expectAbove; }))
        << "_NET_WM_STATE_ABOVE is " << (expectAbove ? "not back" : "still set");
  }
  // A point of the view that no control covers, even with the panel open.
  std::pair<int, int> freeViewPoint() {
    const Rect client = geometry().client;
    return {client.x + client.width / 2, client.y + client.height * 3 / 4};
  }
  void doubleClick(int x, int y) {
    pointer_->moveTo(x, y);
    // As a hand does it: each press held for a moment, well within the
    // double-click time.
    for (int i = 0; i < 2; ++i) {
      pointer_->press();
      std::this_thread::sleep_for(30ms);
      pointer_->release();
      if (i == 0) std::this_thread::sleep_for(30ms);
    }
  }
};

TEST_F(WindowHandling, TheTopmostBoxLetsOthersCoverTheWindowAndPutsItAboveAgainInPlace) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  ASSERT_TRUE(pollUntil(5s, [&] { return above(); })) << "the window does not start above";
  ASSERT_NO_FATAL_FAILURE(openPanel());
  const xcb_window_t id = window_;
  const Rect place = geometry().outer();
  // Over the lower right of the window, clear of the box.
  const Rect client = geometry().client;
  OtherWindow other(*display_, Rect{client.x + client.width / 2, client.y + client.height / 2,
                                    client.width, client.height});
  requestActivate(*display_, other.id());
  // Once the window manager is done with it: under Wine, a click into the
  // magnifier while it is still activating the other window may keep the
  // magnifier above whatever the program asks.
  ASSERT_TRUE(pollUntil(5s, [&] { return activeWindow() == other.id(); }))
      << "the other window does not become the active one";
  ASSERT_TRUE(pollUntil(5s, [&] { return isAbove(*display_, window_, other.id()); }))
      << "a raised window covers the magnifier while it should stay above";

  ASSERT_NO_FATAL_FAILURE(clickTopmostBox(false));
  requestActivate(*display_, other.id());
  EXPECT_TRUE(pollUntil(5s, [&] { return isAbove(*display_, other.id(), window_); }))
      << "another window cannot be raised above the magnifier with the box unticked";

  ASSERT_NO_FATAL_FAILURE(clickTopmostBox(true));
  EXPECT_TRUE(pollUntil(5s, [&] { return isAbove(*display_, window_, other.id()); }))
      << "ticked again, the magnifier does not come above the other window";
  EXPECT_EQ(findClientWindow(*display_, lupe_->pid()), id) << "the window was made anew";
  EXPECT_EQ(geometry().outer(), place) << "the window moved or changed its size";
}

TEST_F(WindowHandling, DraggingTheViewMovesTheWindowWithThePointerAndClicksLeaveItAlone) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  // Where the window manager put it, away from the screen's edges, which
  // would hold a moved window back a little.
  const Rect start = geometry().outer();
  auto [x, y] = freeViewPoint();
  pointer_->moveTo(x, y);
  // Under Wine a press while the window manager still activates the
  // window may start no move: the press waits, as a hand would.
  ASSERT_NO_FATAL_FAILURE(awaitActive());
  {
    // The move starts where the pointer is when the program gets to the
    // press, as on Windows; a hand waits as long, and so do we.
    GrabWatch watch(*display_, window_);
    pointer_->press();
    ASSERT_TRUE(watch.waitForGrab(5s)) << "the window manager's move did not begin";
  }
  for (int step = 1; step <= 10; ++step) pointer_->moveTo(x + 20 * step, y + 12 * step);
  pointer_->release();
  const Rect moved{start.x + 200, start.y + 120, start.width, start.height};
  ASSERT_TRUE(pollUntil(5s, [&] { return geometry().outer() == moved; }))
      << "expected the window at " << moved.describe() << ", it is at "
      << geometry().outer().describe();

  // A left click, a right and a middle one: none moves the window nor opens
  // another. The box's effect then shows that the clicks were handled.
  ASSERT_NO_FATAL_FAILURE(openPanel());
  std::tie(x, y) = freeViewPoint();
  for (const int button : {1, 3, 2}) pointer_->click(x, y, button);
  pointer_->moveTo(x + 100, y + 60);
  ASSERT_NO_FATAL_FAILURE(awaitActive());
  ASSERT_NO_FATAL_FAILURE(clickTopmostBox(false));
  EXPECT_EQ(geometry().outer(), moved) << "a click moved the window";
  EXPECT_EQ(clientWindows(*display_, lupe_->pid()).size(), 1u);
}

TEST_F(WindowHandling, ADoubleClickMaximisesAFurtherOneKeepsItSoAndAgainAfterARestore) {
  // The strip keeps part of the screen out of the maximised window, for the
  // view to show.
  std::optional<ReservedRightEdge> strip;
  ASSERT_NO_THROW(strip.emplace(*display_, 400));
  ASSERT_NO_FATAL_FAILURE(startLupe());
  const Rect workArea{0, 0, display_->rootRect().width - 400, display_->rootRect().height};
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const auto [x, y] = freeViewPoint();
    doubleClick(x, y);
    ASSERT_TRUE(pollUntil(5s, [&] { return maximised() && geometry().outer() == workArea; }))
        << "a double-click did not maximise the window over " << workArea.describe()
        << "; it is at " << geometry().outer().describe();
    int px = 0, py = 0;
    ASSERT_NO_FATAL_FAILURE(pointerAwayFromWindow(3, px, py));
    ASSERT_NO_FATAL_FAILURE(
        expectView("maximised-" + std::to_string(round), px, py, 3, closedPanelOverlays()));
    // A further double-click leaves it maximised: only the window manager restores.
    const auto [mx, my] = freeViewPoint();
    doubleClick(mx, my);
    EXPECT_FALSE(pollUntil(1s, [&] { return !maximised() || geometry().outer() != workArea; }))
        << "a double-click on the maximised view restored it";
    requestMaximised(*display_, window_, false);
    ASSERT_TRUE(pollUntil(5s, [&] { return !maximised() && geometry().outer() != workArea; }))
        << "the window manager did not restore the window";
  }
}

// With no window manager to ask, the program moves the window itself: from
// the moment the drag is live the window keeps its place relative to the
// pointer, and stays put once the button is up.
TEST(WithoutAWindowManager, DraggingTheViewMovesTheWindowWithThePointerUntilTheRelease) {
  support::XvfbServer server(support::kE2eTestDisplays, "800x600x24");
  const auto lupe = launchLupe({{"DISPLAY", server.display()}, {"WAYLAND_DISPLAY", std::nullopt}});
  XDisplay display(server.display().c_str());
  Pointer pointer(display);
  const auto window = waitForClientWindow(display, lupe->pid(), 10s);
  ASSERT_TRUE(window) << "no window appeared; stderr: " << lupe->stderrText();
  const auto place = [&] { return clientRect(display, *window).value_or(Rect{}); };
  const Rect start = place();
  int x = start.x + start.width / 2, y = start.y + start.height * 3 / 4;
  pointer.moveTo(x, y);
  pointer.press();
  // Nudged a pixel at a time until the window follows: the drag is live.
  ASSERT_TRUE(pollUntil(5s, [&] {
    pointer.moveTo(++x, y);
    return place().x != start.x;
  })) << "the window does not follow the pointer";
  // Where the window comes to rest for the pointer standing still: on a busy
  // machine the first move seen may be behind the pointer's last nudge.
  Rect last;
  const auto atRest = [&] {
    return pollUntil(
        5s,
        [&] {
          const Rect now = place();
          const bool still = now == last;
          last = now;
          return still;
        },
        100ms);
  };
  ASSERT_TRUE(atRest());
  const int offsetX = last.x - x, offsetY = last.y - y;
  for (int step = 1; step <= 5; ++step) pointer.moveTo(x + 20 * step, y + 12 * step);
  ASSERT_TRUE(atRest());
  EXPECT_EQ(last.x - (x + 100), offsetX);
  EXPECT_EQ(last.y - (y + 60), offsetY);
  pointer.release();
  const Rect released = place();
  pointer.moveTo(x + 200, y + 120);
  EXPECT_FALSE(pollUntil(2s, [&] { return place() != released; }))
      << "the window still follows the pointer after the release";
}

}  // namespace
}  // namespace lupe::e2e
