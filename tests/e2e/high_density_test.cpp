// A screen of twice the usual density, told to the program by Qt's scale
// factor or by the X resource Xft.dpi: the pointer and the capture stay in
// native pixels, and the view shows exact native pixels, without blur or
// offset, at the size the layout gives at 7.5 twips a pixel.
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "harness/controls.hpp"
#include "harness/view_test.hpp"

namespace lupe::e2e {
namespace {

class HighDensity : public ViewOnScreen {
 protected:
  void TearDown() override {
    ViewOnScreen::TearDown();
    setTwipsPerPixel(15.0);
    if (resources_) setResources(*resources_);
  }
  // The root's X resources (RESOURCE_MANAGER), as xrdb sets them.
  void setResources(const std::string& text) {
    xcb_change_property(display_->connection(), XCB_PROP_MODE_REPLACE, display_->root(),
                        display_->atom("RESOURCE_MANAGER"), XCB_ATOM_STRING, 8,
                        uint32_t(text.size()), text.data());
    display_->sync();
  }
  std::optional<std::string> resources_;
};

TEST_F(HighDensity, ScaledByQtOrByXftDpiTheViewShowsExactNativePixels) {
  setTwipsPerPixel(7.5);
  for (const bool byXftDpi : {false, true}) {
    SCOPED_TRACE(byXftDpi ? "Xft.dpi: 192" : "QT_SCALE_FACTOR=2");
    if (byXftDpi) {
      const auto old = display_->property(display_->root(), display_->atom("RESOURCE_MANAGER"));
      resources_ = old ? std::string(old->bytes.begin(), old->bytes.end()) : std::string();
      setResources(*resources_ + "Xft.dpi:\t192\n");
      ASSERT_NO_FATAL_FAILURE(startLupe({{"QT_SCALE_FACTOR", std::nullopt}}));
    } else {
      ASSERT_NO_FATAL_FAILURE(startLupe({{"QT_SCALE_FACTOR", "2"}}));
    }
    int x = 0, y = 0;
    ASSERT_NO_FATAL_FAILURE(pointerAwayFromWindow(3, x, y));
    ASSERT_NO_FATAL_FAILURE(expectView("dense", x, y, 3, closedPanelOverlays()));
    // Here the view leaves part of the form's own surface bare: a release of
    // any button pressed there takes the desktop anew, and the view goes on
    // reading the screen through it, around the corner below.
    const Rect client = geometry().client;
    for (int button = 1; button <= 3; ++button)
      for (int i = 0; i < 3; ++i)
        pointer_->click(client.x + client.width - 6, client.y + client.height - 6, button);
    ASSERT_TRUE(lupe_->running()) << lupe_->stderrText();
    // Near the screen's corner too: the source reaches past the edges.
    const Rect screen = display_->rootRect();
    ASSERT_NO_FATAL_FAILURE(keepWindowOutOf({model().source(screen.width - 5, screen.height - 4)}));
    ASSERT_NO_FATAL_FAILURE(
        expectView("dense-corner", screen.width - 5, screen.height - 4, 3, closedPanelOverlays()));
    lupe_.reset();
  }
}

}  // namespace
}  // namespace lupe::e2e
