// Without a usable X server the magnifier says so in one German line and
// ends with status 1; when the server goes away under it, it ends by itself
// with a message instead of hanging or crashing.
#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/display.hpp"
#include "harness/lupe.hpp"
#include "harness/poll.hpp"
#include "harness/windows.hpp"
#include "support/xvfb_server.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;

// A rough but telling check that a message is German and not an English
// one from a library.
bool looksGerman(const std::string& text) {
  const char* german[] = {"nicht",   "kein",    "Kein", "Verbindung", "braucht", "möglich",
                          "Sitzung", "gesetzt", "ist",  "Bildschirm", "fehlt"};
  const char* english[] = {"cannot", "could not", "Could not",        "failed",
                           "error",  "Error",     "This application", "qt.qpa"};
  auto has = [&](const char* word) { return text.find(word) != std::string::npos; };
  return std::any_of(std::begin(german), std::end(german), has) &&
         std::none_of(std::begin(english), std::end(english), has);
}

TEST(BadEnvironment, WithoutAUsableDisplayItSaysSoInOneGermanLineAndEndsWith1) {
  struct Case {
    const char* name;
    EnvironmentChanges environment;
  };
  const Case cases[] = {
      {"DISPLAY unset", {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}}},
      {"DISPLAY=:99999, no such server",
       {{"DISPLAY", ":99999"}, {"WAYLAND_DISPLAY", std::nullopt}}},
      {"Wayland only", {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", "wayland-0"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto lupe = launchLupe(c.environment);
    const auto status = lupe->waitFor(10s);
    ASSERT_TRUE(status) << "the program still runs 10 s later";
    EXPECT_TRUE(status->exited) << status->describe();
    EXPECT_EQ(status->code, 1) << status->describe();
    const std::string message = lupe->stderrText();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << "stderr: " << message;
    EXPECT_EQ(message.back(), '\n') << "stderr: " << message;
    EXPECT_TRUE(looksGerman(message)) << "stderr: " << message;
  }
}

TEST(BadEnvironment, WhenTheServerGoesAwayTheProgramEndsWithAMessage) {
  support::XvfbServer server(support::kE2eTestDisplays, "640x480x24");
  const auto lupe = launchLupe({{"DISPLAY", server.display()}, {"WAYLAND_DISPLAY", std::nullopt}});
  {
    XDisplay display(server.display().c_str());
    const auto window = waitForClientWindow(display, lupe->pid(), 10s);
    ASSERT_TRUE(window) << "no window appeared on " << server.display()
                        << "; stderr: " << lupe->stderrText();
    // Running: the view shows something and the ticks go on.
    ASSERT_TRUE(pollUntil(10s, [&] {
      const auto client = clientRect(display, *window);
      return client && display.readRoot(client->intersected(display.rootRect())).hasTwoColours();
    })) << "the window was never painted";
  }
  server.kill();

  const auto status = lupe->waitFor(10s);
  if (!status) lupe->kill();
  ASSERT_TRUE(status) << "the program hangs: it still runs 10 s after its X server died";
  EXPECT_TRUE(status->exited) << status->describe();
  EXPECT_NE(status->code, 0) << status->describe();
  EXPECT_NE(lupe->stderrText(), "") << "the program ended without a word";
  std::cout << "stderr after losing the server: " << lupe->stderrText();
}

}  // namespace
}  // namespace lupe::e2e
