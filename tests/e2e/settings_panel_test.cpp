// The settings panel: "Einstellung" opens it over the view, "Einstellungs
// Fenster schließen" closes it, and it opens again as it was.
#include <string>

#include <gtest/gtest.h>

#include "harness/controls.hpp"
#include "harness/view_test.hpp"

namespace lupe::e2e {
namespace {

class SettingsPanel : public ViewOnScreen {};

// Where `image` has a block of 16x4 white pixels, as the white face of a
// button around its caption would show; (-1, -1) when nowhere. (The open
// panel has white of its own: lines and, on Windows, the slider's thumb.)
std::pair<int, int> whiteBlock(const Image& image) {
  constexpr Rgb kWhite = 0xffffff;
  constexpr int kWide = 16, kHigh = 4;
  const auto white = [&](int x0, int y0) {
    for (int y = y0; y < y0 + kHigh; ++y)
      for (int x = x0; x < x0 + kWide; ++x)
        if (image.at(x, y) != kWhite) return false;
    return true;
  };
  for (int y = 0; y + kHigh <= image.height(); ++y)
    for (int x = 0; x + kWide <= image.width(); ++x)
      if (white(x, y)) return {x, y};
  return {-1, -1};
}

// The rows of a slider below its thumb, where the tick marks are.
Rect ticksOf(const Rect& slider) {
  const Rect panel = panelRect();
  return Rect{slider.x - panel.x, slider.y - panel.y + slider.height * 2 / 3, slider.width,
              slider.height - slider.height * 2 / 3};
}

// Whether `a` and `b` agree everywhere outside `left`.
bool sameOutside(const Image& a, const Image& b, const Rect& left) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (!left.contains(x, y) && a.at(x, y) != b.at(x, y)) return false;
  return true;
}

TEST_F(SettingsPanel, OpensOverTheViewClosesAndOpensAgainAsItWas) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  int x = 0, y = 0;
  ASSERT_NO_FATAL_FAILURE(pointerAwayFromWindow(3, x, y));
  ASSERT_NO_FATAL_FAILURE(expectView("at-start", x, y, 3, closedPanelOverlays()));

  clickInClient(settingsButtonRect());
  ASSERT_NO_FATAL_FAILURE(expectView("open", x, y, 3, openPanelOverlays()));
  const Image panel = readInClient(panelRect());
  const auto [wx, wy] = whiteBlock(readInClient(settingsButtonRect()));
  EXPECT_EQ(wx, -1) << "\"Einstellung\" still shows its white face under the open panel, at ("
                    << settingsButtonRect().x + wx << ", " << settingsButtonRect().y + wy << ")";

  clickInClient(closePanelButtonRect());
  ASSERT_NO_FATAL_FAILURE(expectView("closed", x, y, 3, closedPanelOverlays()));

  clickInClient(settingsButtonRect());
  ASSERT_NO_FATAL_FAILURE(expectView("open-again", x, y, 3, openPanelOverlays()));
  // Fusion paints the slider's tick marks in another colour on the very
  // first paint only; leave them out. The thumb must stand where it stood.
  const Image again = readInClient(panelRect());
  const Rect ticks = ticksOf(zoomSliderRect());
  if (!sameOutside(panel, again, ticks)) {
    const std::string before = screenshotPath("panel-first"), after = screenshotPath("panel-again");
    writePpm(panel, before);
    writePpm(again, after);
    ADD_FAILURE() << "the panel looks different when opened again: " << before << ", " << after;
  }
}

}  // namespace
}  // namespace lupe::e2e
