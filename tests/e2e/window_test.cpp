// The magnifier's window as the window manager sees it: caption, client
// size, and the always-on-top state that start-up asks for.
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/lupe_test.hpp"
#include "harness/poll.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;

class MagnifierWindow : public LupeOnScreen {};

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
  return text.empty() ? "(none)" : text;
}

TEST_F(MagnifierWindow, HasItsCaptionItsClientSizeAndStaysAbove) {
  ASSERT_NO_FATAL_FAILURE(startLupe());

  const auto netName = textProperty(*display_, window_, "_NET_WM_NAME");
  ASSERT_TRUE(netName) << "_NET_WM_NAME is not set";
  EXPECT_EQ(netName->type, "UTF8_STRING");
  EXPECT_EQ(netName->value, "Tevka - Lupe");
  const auto name = textProperty(*display_, window_, "WM_NAME");
  ASSERT_TRUE(name) << "WM_NAME is not set";
  EXPECT_EQ(name->value, "Tevka - Lupe");

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
