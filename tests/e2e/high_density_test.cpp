// A screen of twice the usual density, told to the program by Qt's scale
// factor or by the X resource Xft.dpi, or a GNOME Wayland monitor at scale 2
// (scripts/with-wayland.sh with LUPE_WAYLAND_SCALE=2): the pointer and the
// capture stay in native pixels, and the view shows exact native pixels,
// without blur or offset, at the size the layout gives at 7.5 twips a pixel.
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "harness/controls.hpp"
#include "harness/view_test.hpp"
#include "harness/wayland_session.hpp"

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

TEST_F(HighDensity, ToldByQtXftDpiOrTheMonitorTheViewShowsExactNativePixels) {
  const auto* wayland = dynamic_cast<const WaylandSession*>(session_.get());
  const struct {
    const char* name;
    bool applies;  // in this session
    EnvironmentChanges environment;
    const char* resource;  // added to the root's X resources first, or nullptr
  } ways[] = {
      {"QT_SCALE_FACTOR=2", display_ != nullptr, {{"QT_SCALE_FACTOR", "2"}}, nullptr},
      {"Xft.dpi: 192", display_ != nullptr, {{"QT_SCALE_FACTOR", std::nullopt}}, "Xft.dpi:\t192\n"},
      {"a Wayland monitor of scale 2", wayland && wayland->scale() == 2, {}, nullptr},
  };
  setTwipsPerPixel(7.5);
  bool tried = false;
  for (const auto& way : ways) {
    if (!way.applies) continue;
    tried = true;
    SCOPED_TRACE(way.name);
    if (way.resource) {
      const auto old = display_->property(display_->root(), display_->atom("RESOURCE_MANAGER"));
      resources_ = old ? std::string(old->bytes.begin(), old->bytes.end()) : std::string();
      setResources(*resources_ + way.resource);
    }
    ASSERT_NO_FATAL_FAILURE(startLupe(way.environment));
    int x = 0, y = 0;
    ASSERT_NO_FATAL_FAILURE(pointerAwayFromWindow(3, x, y));
    ASSERT_NO_FATAL_FAILURE(expectView("dense", x, y, 3, closedPanelOverlays()));
    // Here the view leaves part of the form's own surface bare: a release of
    // any button pressed there takes the desktop anew, and the view goes on
    // reading the screen through it, around the corner below.
    const Rect client = geometry().client;
    const int bareX = client.x + client.width - 6, bareY = client.y + client.height - 6;
    for (int button = 1; button <= 3; ++button)
      for (int i = 0; i < 3; ++i) {
        if (pointer_) pointer_->click(bareX, bareY, button);
        else if (button == 1) session_->click(bareX, bareY);
      }
    ASSERT_TRUE(lupe_->running()) << lupe_->stderrText();
    // Near the screen's corner too: the source reaches past the edges.
    const Rect screen = session_->screenRect();
    const int cornerX = screen.x + screen.width - 5, cornerY = screen.y + screen.height - 4;
    ASSERT_NO_FATAL_FAILURE(keepWindowOutOf({model().source(cornerX, cornerY)}));
    ASSERT_NO_FATAL_FAILURE(expectView("dense-corner", cornerX, cornerY, 3, closedPanelOverlays()));
    lupe_.reset();
  }
  if (!tried) GTEST_SKIP() << "no way of telling a high density in this session";
}

}  // namespace
}  // namespace lupe::e2e
