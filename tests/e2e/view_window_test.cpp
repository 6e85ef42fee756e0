// The view as a window of its own: only a change in its source puts a
// picture (in every session); on X11, covered and uncovered it shows the
// picture again, and the ticks that redraw it redraw nothing else, not even
// the panel lying over it, forty times a second.
#include <chrono>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "harness/controls.hpp"
#include "harness/drawing_count.hpp"
#include "harness/poll.hpp"
#include "harness/view_test.hpp"
#include "harness/windows.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;

// A small window of the test's own that shows a new colour at each change,
// never one it showed before (the Windows build compares what it reads).
class ChangingWindow {
 public:
  ChangingWindow(XDisplay& display, const Rect& at)
      : window_(display, at, OtherWindow::Kind::Unmanaged) {}
  void change() { window_.paint(colour_ = (colour_ + 0x0b0d0f) & 0xffffff); }

 private:
  OtherWindow window_;
  Rgb colour_ = 0;
};

class ViewWindow : public ViewOnScreen {};

// A still screen, and changes away from the source, put nothing into the
// view; one change in the source does.
TEST_F(ViewWindow, OnlyAChangeInTheSourceIsPut) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  int x = 0, y = 0;
  ASSERT_NO_FATAL_FAILURE(pointerAwayFromWindow(3, x, y));
  ASSERT_NO_FATAL_FAILURE(expectView("before", x, y, 3, closedPanelOverlays()));
  const Rect source = model(3).source(x, y), screen = session_->screenRect();
  // Below or above the source, wherever there is room.
  const int awayY = source.y + source.height + 20 < screen.height - 20 ? screen.height - 20 : 0;
  const Rect away{source.x, awayY, 16, 16};
  // Never a colour shown before (the Windows build compares what it reads).
  Rgb colour = 0;
  const auto next = [&] { return colour = (colour + 0x0b0d0f) & 0xffffff; };
  session_->showPatch(away, next());
  const std::unique_ptr<PictureCount> pictures = session_->countPictures();
  if (!pictures) GTEST_SKIP() << "the X server offers no DAMAGE";
  EXPECT_EQ(pictures->takeFor(2s), 0) << "the view was put over a still screen";
  pictures->reset();
  for (const auto end = std::chrono::steady_clock::now() + 1s;
       std::chrono::steady_clock::now() < end;) {
    session_->showPatch(away, next());
    pictures->takeFor(10ms);
  }
  EXPECT_EQ(pictures->takeFor(300ms), 0) << "the view was put without a change in its source";
  pictures->reset();
  session_->showPatch({source.x + 10, source.y + 10, 16, 16}, next());
  EXPECT_TRUE(pollUntil(2s, [&] { return pictures->takeFor(20ms) > 0; }))
      << "a change in the source was not put";
}

class ViewWindowOnX11 : public ViewOnScreen {
 protected:
  // A changing window in the source around (x, y).
  ChangingWindow changingWindowIn(int x, int y) {
    const Rect source = model(3).source(x, y);
    return ChangingWindow(*display_, {source.x + 10, source.y + 10, 16, 16});
  }

  // The windows inside the client area: the view, the largest, and those above it.
  std::vector<xcb_window_t> windowsInClient(xcb_window_t& view) {
    const std::vector<xcb_window_t> windows = childWindows(*display_, window_);
    int largest = -1;
    for (const xcb_window_t window : windows) {
      const auto g = windowGeometry(*display_, window);
      const int area = g ? g->client.width * g->client.height : 0;
      if (area > largest) largest = area, view = window;
    }
    return windows;
  }
};

TEST_F(ViewWindowOnX11, CoveredAndUncoveredShowsTheWholePictureAgain) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  int x = 0, y = 0;
  ASSERT_NO_FATAL_FAILURE(pointerAwayFromWindow(3, x, y));
  ASSERT_NO_FATAL_FAILURE(expectView("before", x, y, 3, closedPanelOverlays()));
  const Rect client = geometry().client;
  for (const Rect cover : {client, Rect{client.x + 40, client.y + 30, 200, 120}}) {
    {
      OtherWindow over(*display_, cover, OtherWindow::Kind::Unmanaged);
      const Rect middle{cover.x + cover.width / 2, cover.y + cover.height / 2, 1, 1};
      ASSERT_TRUE(pollUntil(5s, [&] { return display_->readRoot(middle).at(0, 0) == 0x808080u; }))
          << "the covering window does not show";
    }
    ASSERT_NO_FATAL_FAILURE(expectView("uncovered", x, y, 3, closedPanelOverlays()));
  }
}

TEST_F(ViewWindowOnX11, TicksDrawTheViewAndNothingAboveItWithThePanelOpen) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  clickInClient(settingsButtonRect());
  int x = 0, y = 0;
  ASSERT_NO_FATAL_FAILURE(pointerAwayFromWindow(3, x, y));
  ASSERT_NO_FATAL_FAILURE(expectView("panel-open", x, y, 3, openPanelOverlays()));

  xcb_window_t view = XCB_NONE;
  const std::vector<xcb_window_t> windows = windowsInClient(view);
  ASSERT_GE(windows.size(), 2u)
      << "the view and the controls above it are not windows of their own";
  DrawingCount drawn(*display_, windows);
  if (!drawn.available()) GTEST_SKIP() << "the X server offers no DAMAGE";
  ChangingWindow changing = changingWindowIn(x, y);
  drawn.reset();
  // Twenty ticks' worth of frames, of a screen that changes under the view.
  ASSERT_TRUE(pollUntil(5s,
                        [&] {
                          changing.change();
                          drawn.take();
                          return drawn.of(view) >= 20;
                        }))
      << "the view was drawn " << drawn.of(view) << " times";
  for (const xcb_window_t window : windows) {
    if (window == view) continue;
    EXPECT_EQ(drawn.of(window), 0) << "window " << window << " was drawn again";
  }
}

// The timer's period as the window system runs it: counted from outside,
// over a few seconds, by the frames the X server saw drawn.
TEST_F(ViewWindowOnX11, ShowsFortyFramesASecond) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  int x = 0, y = 0;
  ASSERT_NO_FATAL_FAILURE(pointerAwayFromWindow(3, x, y));
  ASSERT_NO_FATAL_FAILURE(expectView("before", x, y, 3, closedPanelOverlays()));
  const std::unique_ptr<PictureCount> drawn = session_->countPictures();
  if (!drawn) GTEST_SKIP() << "the X server offers no DAMAGE";
  // A screen that changes under the view far more often than it ticks.
  ChangingWindow changing = changingWindowIn(x, y);
  drawn->reset();
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < 4s) {
    changing.change();
    drawn->takeFor(2ms);
  }
  const int frames = drawn->takeFor(0ms);
  EXPECT_NEAR(frames / 4.0, 40.0, 2.0) << frames << " frames in 4 s";
}

}  // namespace
}  // namespace lupe::e2e
