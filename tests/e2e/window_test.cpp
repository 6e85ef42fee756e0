// The magnifier's window as the window manager sees it: caption, client
// size, icon, and the always-on-top state that start-up asks for.
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/lupe_test.hpp"
#include "harness/poll.hpp"
#include "platform/raster/xpm.hpp"

namespace lupe::e2e {
namespace {
#include "app/pictures/icon.xpm"

using namespace std::chrono_literals;

class MagnifierWindow : public LupeOnScreen {};

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
  return text.empty() ? "(none)" : text;
}

// _NET_WM_ICON: width, height, then that many ARGB pixels, for each size.
bool holdsIcon(const std::vector<uint32_t>& property, const Picture& icon) {
  for (size_t at = 0; at + 2 <= property.size();) {
    const size_t w = property[at], h = property[at + 1], begin = at + 2;
    if (begin + w * h > property.size()) return false;
    if (int(w) == icon.width && int(h) == icon.height &&
        std::equal(icon.argb.begin(), icon.argb.end(), property.begin() + long(begin)))
      return true;
    at = begin + w * h;
  }
  return false;
}

TEST_F(MagnifierWindow, HasItsCaptionItsClientSizeItsIconAndStaysAbove) {
  ASSERT_NO_FATAL_FAILURE(startLupe());

  const auto netName = textProperty(*display_, window_, "_NET_WM_NAME");
  ASSERT_TRUE(netName) << "_NET_WM_NAME is not set";
  EXPECT_EQ(netName->type, "UTF8_STRING");
  EXPECT_EQ(netName->value, "Tevka - Lupe");
  const auto name = textProperty(*display_, window_, "WM_NAME");
  ASSERT_TRUE(name) << "WM_NAME is not set";
  EXPECT_EQ(name->value, "Tevka - Lupe");

  EXPECT_TRUE(holdsIcon(display_->items32(window_, "_NET_WM_ICON"), pictureFromXpm(icon_xpm)))
      << "_NET_WM_ICON does not hold the program's 32 x 32 icon";

  const WindowGeometry now = geometry();
  EXPECT_EQ(now.client.width, 578);
  EXPECT_EQ(now.client.height, 265);

  std::vector<std::string> states;
  const bool above = pollUntil(5s, [&] {
    states = windowStates(*display_, window_);
    return std::find(states.begin(), states.end(), "_NET_WM_STATE_ABOVE") != states.end();
  });
  EXPECT_TRUE(above) << "_NET_WM_STATE: " << joined(states);
}

}  // namespace
}  // namespace lupe::e2e
