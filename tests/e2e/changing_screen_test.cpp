// The screen changing under the running magnifier with the pointer still: a
// patch shown, drawn, moved and gone, and the magnifier's own window in the
// source, in every session; on X11 also drawings on the root and the
// screen's size (xrandr --fb). The next ticks show exactly the screen as it
// is now, black beyond it.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <xcb/damage.h>

#include "harness/poll.hpp"
#include "harness/view_test.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;

class ChangingScreen : public ViewOnScreen {
 protected:
  // Nothing on stderr, but for the notice of an X server without DAMAGE.
  void expectNoComplaint() {
    const xcb_query_extension_reply_t* damage =
        display_ ? xcb_get_extension_data(display_->connection(), &xcb_damage_id) : nullptr;
    const std::string notice =
        !display_ || (damage && damage->present)
            ? ""
            : "Hinweis: Der X-Server bietet kein DAMAGE; die Lupe zeichnet jedes Bild ganz neu.\n";
    EXPECT_EQ(lupe_->stderrText(), notice);
  }
};

// The root window itself, drawn on and resized: X11 only.
class ChangingRootWindow : public ChangingScreen {
 protected:
  void TearDown() override {
    resize(full_);  // the next test finds the screen as it was
    ChangingScreen::TearDown();
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

TEST_F(ChangingScreen, APatchShownDrawnMovedAndGoneShowsInTheView) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  int x = 0, y = 0;
  ASSERT_NO_FATAL_FAILURE(pointerAwayFromWindow(3, x, y));
  ASSERT_NO_FATAL_FAILURE(expectView("before", x, y, 3, closedPanelOverlays()));
  const Rect source = model(3).source(x, y);
  const Rect patch{source.x + 7, source.y + 5, 30, 20};
  session_->showPatch(patch, 0x808080);
  ASSERT_NO_FATAL_FAILURE(expectViewOfScreen("shown", x, y, 3, closedPanelOverlays()));
  session_->showPatch(patch, 0x2040ff);
  ASSERT_NO_FATAL_FAILURE(expectViewOfScreen("drawn", x, y, 3, closedPanelOverlays()));
  // Partly out of the source: the part that stays and the part left behind.
  session_->showPatch({source.x + source.width - 12, source.y + source.height / 2, 30, 20},
                      0x2040ff);
  ASSERT_NO_FATAL_FAILURE(expectViewOfScreen("moved", x, y, 3, closedPanelOverlays()));
  session_->showPatch({}, 0);
  ASSERT_NO_FATAL_FAILURE(expectView("gone", x, y, 3, closedPanelOverlays()));
  expectNoComplaint();
}

TEST_F(ChangingRootWindow, DrawingsOnTheRootShowInTheView) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  int x = 0, y = 0;
  ASSERT_NO_FATAL_FAILURE(pointerAwayFromWindow(3, x, y));
  ASSERT_NO_FATAL_FAILURE(expectView("before", x, y, 3, closedPanelOverlays()));
  const Rect source = model(3).source(x, y);
  xcb_connection_t* c = display_->connection();
  const xcb_gcontext_t gc = xcb_generate_id(c);
  const uint32_t colour = 0xffc000;
  xcb_create_gc(c, gc, display_->root(), XCB_GC_FOREGROUND, &colour);
  const xcb_rectangle_t fill{int16_t(source.x + 3), int16_t(source.y + 9), 1, 40};
  xcb_poly_fill_rectangle(c, display_->root(), gc, 1, &fill);
  xcb_free_gc(c, gc);
  display_->sync();
  ASSERT_NO_FATAL_FAILURE(expectViewOfScreen("root-filled", x, y, 3, closedPanelOverlays()));
  xcb_clear_area(c, 0, display_->root(), 0, 0, 0, 0);
  display_->sync();
  ASSERT_NO_FATAL_FAILURE(expectView("root-cleared", x, y, 3, closedPanelOverlays()));
  expectNoComplaint();
}

// Its own picture is part of what it shows: every tick changes the source,
// until the picture within the picture stands still.
TEST_F(ChangingScreen, TheViewOverItsOwnWindowKeepsShowingItself) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  ASSERT_NO_FATAL_FAILURE(moveWindowToTopLeft());
  const Rect client = geometry().client;
  const int x = client.x + client.width - 20, y = client.y + client.height / 3;
  ASSERT_NO_FATAL_FAILURE(expectViewOfScreen("over-itself", x, y, 3, closedPanelOverlays()));
  ASSERT_NO_FATAL_FAILURE(expectViewOfScreen("zoom-2", x + 30, y, 3, closedPanelOverlays()));
  expectNoComplaint();
}

TEST_F(ChangingRootWindow, TheViewFollowsTheRootShrinkingAndGrowingAtItsNewEdges) {
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
    ASSERT_NO_FATAL_FAILURE(
        expectView("bottom-left", 3, size.height - 4, 3, closedPanelOverlays()));
    EXPECT_TRUE(lupe_->running());
    expectNoComplaint();
  }
}

}  // namespace
}  // namespace lupe::e2e
