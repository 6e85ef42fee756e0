// The view as a window of its own: covered and uncovered it shows the
// picture again, and the ticks that redraw it redraw nothing else, not even
// the panel lying over it.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <xcb/damage.h>

#include "harness/controls.hpp"
#include "harness/poll.hpp"
#include "harness/view_test.hpp"
#include "harness/windows.hpp"
#include "platform/x11/xcb_owned.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;

// Counts, with X DAMAGE, how often each of a set of windows is drawn into.
class DrawingCount {
 public:
  DrawingCount(XDisplay& display, const std::vector<xcb_window_t>& windows) : display_(display) {
    xcb_connection_t* c = display.connection();
    // Asking a server without the extension would close the connection.
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c, &xcb_damage_id);
    if (!damage || !damage->present) return;
    available_ = x11::own(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1),
                                                         nullptr)) != nullptr;
    if (!available_) return;
    notify_ = xcb_get_extension_data(c, &xcb_damage_id)->first_event + XCB_DAMAGE_NOTIFY;
    for (const xcb_window_t window : windows) {
      const xcb_damage_damage_t damage = xcb_generate_id(c);
      xcb_damage_create(c, damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
      windowOf_[damage] = window;
    }
    display.sync();
  }
  ~DrawingCount() {
    for (const auto& [damage, window] : windowOf_)
      xcb_damage_destroy(display_.connection(), damage);
    display_.sync();
  }
  bool available() const { return available_; }

  // Takes in what was drawn since the last call; each drawing counts once.
  void take() {
    xcb_connection_t* c = display_.connection();
    while (const auto event = x11::own(xcb_poll_for_event(c))) {
      if ((event->response_type & 0x7f) == notify_) {
        const auto* notify = reinterpret_cast<xcb_damage_notify_event_t*>(event.get());
        ++counts_[windowOf_[notify->damage]];
        // The drawings of one frame come within a few milliseconds of each
        // other; frames come a tick apart.
        if (frames_ == 0 || notify->timestamp - lastDrawn_ >= kFrameGapMs) ++frames_;
        lastDrawn_ = notify->timestamp;
        xcb_damage_subtract(c, notify->damage, XCB_NONE, XCB_NONE);
      }
    }
    xcb_flush(c);
  }
  // Frames drawn into any of the windows.
  int frames() const { return frames_; }
  int of(xcb_window_t window) const {
    const auto it = counts_.find(window);
    return it == counts_.end() ? 0 : it->second;
  }
  // Starts counting afresh. A window drawn into before now, whose notice
  // may have gone, is reported again only once its damage is taken off.
  void reset() {
    take();
    xcb_connection_t* c = display_.connection();
    for (const auto& [damage, window] : windowOf_)
      xcb_damage_subtract(c, damage, XCB_NONE, XCB_NONE);
    // Notices sent before the server took the damage off are in by the reply.
    x11::own(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    take();
    counts_.clear();
    frames_ = 0;
  }

 private:
  XDisplay& display_;
  bool available_ = false;
  uint8_t notify_ = 0;
  std::map<xcb_damage_damage_t, xcb_window_t> windowOf_;
  std::map<xcb_window_t, int> counts_;
  static constexpr uint32_t kFrameGapMs = 4;
  int frames_ = 0;
  uint32_t lastDrawn_ = 0;  // server time of the last drawing, in ms
};

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

class ViewWindow : public ViewOnScreen {
 protected:
  // A changing window in the source around (x, y).
  ChangingWindow changingWindowIn(int x, int y) {
    const Rect source = model(3).source(x, y);
    return ChangingWindow(*display_, {source.x + 10, source.y + 10, 16, 16});
  }

  // Starts the magnifier with the pointer beside its window, showing the
  // screen there, and counts from then on what is drawn into the view and
  // the top-level window (a toolkit without child X windows draws there).
  // Nothing when a step fails (check HasFatalFailure) or the X server
  // offers no DAMAGE.
  std::unique_ptr<DrawingCount> startAndCountDrawings(int& x, int& y) {
    startLupe();
    if (!HasFatalFailure()) pointerAwayFromWindow(3, x, y);
    if (!HasFatalFailure()) expectView("before", x, y, 3, closedPanelOverlays());
    if (HasFatalFailure()) return nullptr;
    xcb_window_t view = XCB_NONE;
    std::vector<xcb_window_t> windows = windowsInClient(view);
    windows.push_back(window_);
    auto drawn = std::make_unique<DrawingCount>(*display_, windows);
    if (!drawn->available()) return nullptr;
    return drawn;
  }

  // The windows inside the client area: the view, the largest, and those above it.
  std::vector<xcb_window_t> windowsInClient(xcb_window_t& view) {
    std::vector<xcb_window_t> windows;
    xcb_connection_t* c = display_->connection();
    const auto tree = x11::own(xcb_query_tree_reply(c, xcb_query_tree(c, window_), nullptr));
    if (!tree) return windows;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    windows.assign(children, children + xcb_query_tree_children_length(tree.get()));
    int largest = -1;
    for (const xcb_window_t window : windows) {
      const auto g = windowGeometry(*display_, window);
      const int area = g ? g->client.width * g->client.height : 0;
      if (area > largest) largest = area, view = window;
    }
    return windows;
  }
};

TEST_F(ViewWindow, CoveredAndUncoveredShowsTheWholePictureAgain) {
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

TEST_F(ViewWindow, TicksDrawTheViewAndNothingAboveItWithThePanelOpen) {
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

// A still screen, and changes away from the source, put nothing into the
// view; one change in the source does.
TEST_F(ViewWindow, OnlyAChangeInTheSourceIsPut) {
  int x = 0, y = 0;
  const std::unique_ptr<DrawingCount> drawn = startAndCountDrawings(x, y);
  if (HasFatalFailure()) return;
  if (!drawn) GTEST_SKIP() << "the X server offers no DAMAGE";
  const Rect source = model(3).source(x, y), screen = display_->rootRect();
  // Below or above the source, wherever there is room.
  const int awayY = source.y + source.height + 20 < screen.height - 20 ? screen.height - 20 : 0;
  ChangingWindow away(*display_, {source.x, awayY, 16, 16});
  drawn->reset();
  for (int i = 0; i < 100; ++i) {  // about a second
    away.change();
    std::this_thread::sleep_for(10ms);
  }
  drawn->take();
  EXPECT_EQ(drawn->frames(), 0) << "the view was put without a change in its source";
  ChangingWindow changing = changingWindowIn(x, y);
  EXPECT_TRUE(pollUntil(2s, [&] {
    drawn->take();
    return drawn->frames() > 0;
  })) << "a change in the source was not put";
}

// The timer's period as the window system runs it: counted from outside,
// over a few seconds, by the frames the X server saw drawn.
TEST_F(ViewWindow, ShowsFortyFramesASecond) {
  int x = 0, y = 0;
  const std::unique_ptr<DrawingCount> drawn = startAndCountDrawings(x, y);
  if (HasFatalFailure()) return;
  if (!drawn) GTEST_SKIP() << "the X server offers no DAMAGE";
  // A screen that changes under the view far more often than it ticks.
  ChangingWindow changing = changingWindowIn(x, y);
  drawn->reset();
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < 4s) {
    changing.change();
    drawn->take();
    std::this_thread::sleep_for(2ms);
  }
  drawn->take();
  EXPECT_NEAR(drawn->frames() / 4.0, 40.0, 2.0) << drawn->frames() << " frames in 4 s";
}

}  // namespace
}  // namespace lupe::e2e
