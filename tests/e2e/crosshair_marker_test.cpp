// The crosshair's style buttons and the arrow marker, checked on every pixel
// of the view: colours, widths and dashes of the lines, and the arrow in
// their place with its tip on the crosshair point.
#include <string>

#include <gtest/gtest.h>

#include "harness/controls.hpp"
#include "harness/input.hpp"
#include "harness/view_test.hpp"

namespace lupe::e2e {
namespace {

constexpr Rgb kRed = 0xff0000, kWhite = 0xffffff, kGrey = 0x808080;
// Window text in the palette Qt gives the program here.
constexpr Rgb kWindowText = kBlack;

class CrosshairAndMarker : public ViewOnScreen {};

TEST_F(CrosshairAndMarker, TheButtonsStyleTheLinesAndTheArrowTakesTheirPlace) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  int x = 0, y = 0;
  ASSERT_NO_FATAL_FAILURE(pointerAwayFromWindow(3, x, y));
  clickInClient(settingsButtonRect());
  ASSERT_NO_FATAL_FAILURE(expectView("panel-open", x, y, 3, openPanelOverlays()));

  struct Step {
    const char* what;
    Rect button;
    Marker marker;
    Rgb colourFace, blackWhiteFace;
  };
  const Rect colour = colourButtonRect(), blackWhite = blackWhiteButtonRect(),
             width = widthButtonRect(), dash = dashButtonRect(), arrow = arrowButtonRect();
  // Each step's marker is what the view shows after its click, which the
  // comparison waits for.
  const Step steps[] = {
      {"red", colour, {kRed, 1, false, true, false}, kGreen, kGrey},
      {"thick", width, {kRed, 3, false, true, false}, kGreen, kGrey},
      {"dash-button-first-click-solid", dash, {kRed, 3, false, true, false}, kGreen, kGrey},
      {"dashed-thick", dash, {kRed, 3, true, true, false}, kGreen, kGrey},
      {"dashed-thin", width, {kRed, 1, true, true, false}, kGreen, kGrey},
      {"window-text", blackWhite, {kWindowText, 1, true, true, false}, kGreen, kWhite},
      {"white", blackWhite, {kWhite, 1, true, true, false}, kGreen, kGrey},
      {"arrow", arrow, {kWhite, 1, true, false, true}, kGreen, kGrey},
      {"arrow-away-lines-green", arrow, {kGreen, 1, true, true, false}, kGreen, kGrey},
      {"solid-again", dash, {kGreen, 1, false, true, false}, kGreen, kGrey},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    clickInClient(step.button);
    marker_ = step.marker;
    ASSERT_NO_FATAL_FAILURE(
        expectView(step.what, x, y, 3, openPanelOverlays(step.colourFace, step.blackWhiteFace)));
  }
  // A clicked button keeps the focus: the space bar on it changes the lines'
  // colour while the pointer and the screen stand still, so only they change.
  clickInClient(colour);
  ASSERT_NO_FATAL_FAILURE(expectView("green-again", x, y, 3, openPanelOverlays(kRed, kGrey)));
  session_->tap(0x20);
  marker_ = {kRed, 1, false, true, false};
  ASSERT_NO_FATAL_FAILURE(expectView("red-by-key", x, y, 3, openPanelOverlays(kGreen, kGrey)));
}

}  // namespace
}  // namespace lupe::e2e
