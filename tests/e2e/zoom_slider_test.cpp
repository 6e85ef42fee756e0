// The zoom slider in the settings panel: dragging its thumb to the right
// end, or the End and Home keys on it, set the magnification that the view
// shows from then on; it keeps it when the panel closes and opens again.
#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "harness/controls.hpp"
#include "harness/slider_thumb.hpp"
#include "harness/view_test.hpp"

namespace lupe::e2e {
namespace {

constexpr uint32_t kHomeKey = 0xff50;  // XK_Home
constexpr uint32_t kEndKey = 0xff57;   // XK_End

class ZoomSlider : public ViewOnScreen {
 protected:
  // Starts the magnifier in the screen's top-left corner, where every
  // zoom's source fits beside or below it, opens the panel and waits until
  // it shows, at zoom 3.
  void startWithPanelOpen() {
    ASSERT_NO_FATAL_FAILURE(startLupe());
    ASSERT_NO_FATAL_FAILURE(moveWindowToTopLeft());
    clickInClient(settingsButtonRect());
    ASSERT_NO_FATAL_FAILURE(expectZoom("panel-open", 3));
  }

  // The view at `zoom` with the pointer off the window.
  void expectZoom(const std::string& what, int zoom, bool panelOpen = true) {
    int x = 0, y = 0;
    ASSERT_NO_FATAL_FAILURE(pointerAwayFromWindow(zoom, x, y));
    ASSERT_NO_FATAL_FAILURE(
        expectView(what, x, y, zoom, panelOpen ? openPanelOverlays() : closedPanelOverlays()));
  }

  // The thumb must stand where `value` puts it: at (value - 1) / 9 of the
  // way the thumb can travel, which the style may keep up to kMargin pixels
  // off each end of the slider.
  void expectThumbAt(int value) {
    constexpr int kMargin = 10;
    const Rect slider = zoomSliderRect();
    const ThumbSpan now = thumb();
    bool near = false;
    for (int margin = 0; margin <= kMargin && !near; ++margin) {
      const int travel = slider.width - 2 * margin - now.width;
      near = std::abs(now.left - (slider.x + margin + travel * (value - 1) / 9)) <= 3;
    }
    EXPECT_TRUE(near) << "the slider's thumb (" << now.width << " px wide, at " << now.left
                      << ") does not stand at value " << value << " in " << slider.describe();
  }

  // The thumb's columns in client coordinates; fails the test when the
  // slider shows none.
  ThumbSpan thumb() {
    const Rect slider = zoomSliderRect();
    const std::optional<ThumbSpan> found = findSliderThumb(readInClient(slider));
    if (!found) {
      const std::string path = screenshotPath("slider");
      writePpm(readInClient(slider), path);
      ADD_FAILURE() << "no thumb found in the zoom slider " << slider.describe() << ": " << path;
      return {};
    }
    return ThumbSpan{slider.x + found->left, found->width};
  }
};

TEST_F(ZoomSlider, DraggingTheThumbToTheRightEndZoomsByTen) {
  ASSERT_NO_FATAL_FAILURE(startWithPanelOpen());
  const Rect slider = zoomSliderRect();
  const ThumbSpan before = thumb();
  ASSERT_FALSE(HasFailure());
  expectThumbAt(3);

  // Press on the thumb, move it in steps to past the slider's right end,
  // let go there.
  const Rect client = geometry().client;
  const int y = client.y + slider.y + slider.height / 2;
  const int from = client.x + before.centre(), to = client.x + slider.x + slider.width + 20;
  session_->moveTo(from, client.y + slider.y + 3);
  session_->press();
  constexpr int kSteps = 8;
  for (int step = 1; step <= kSteps; ++step)
    session_->moveTo(from + (to - from) * step / kSteps, y);
  session_->release();

  ASSERT_NO_FATAL_FAILURE(expectZoom("after-the-drag", 10));
  expectThumbAt(10);

  // Closing and opening the panel keeps the zoom and the thumb's place.
  clickInClient(closePanelButtonRect());
  ASSERT_NO_FATAL_FAILURE(expectZoom("panel-closed", 10, false));
  clickInClient(settingsButtonRect());
  ASSERT_NO_FATAL_FAILURE(expectZoom("panel-open-again", 10));
  expectThumbAt(10);
}

TEST_F(ZoomSlider, EndAndHomeKeysOnTheSliderZoomByTenAndByOne) {
  ASSERT_NO_FATAL_FAILURE(startWithPanelOpen());
  // A click on the thumb gives the slider the focus and leaves its value.
  const Rect slider = zoomSliderRect();
  const ThumbSpan at3 = thumb();
  ASSERT_FALSE(HasFailure());
  clickInClient(Rect{at3.left, slider.y, at3.width, 6});
  ASSERT_NO_FATAL_FAILURE(expectZoom("thumb-clicked", 3));

  session_->tap(kEndKey);
  ASSERT_NO_FATAL_FAILURE(expectZoom("end-key", 10));
  expectThumbAt(10);
  session_->tap(kHomeKey);
  ASSERT_NO_FATAL_FAILURE(expectZoom("home-key", 1));
  expectThumbAt(1);
}

}  // namespace
}  // namespace lupe::e2e
