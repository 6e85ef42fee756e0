// The magnifier in a GNOME Wayland session (scripts/with-wayland.sh) as only
// the portal makes it: the permission kept between starts, the window moved
// and maximised by its view, and one German line when the screen cannot be
// seen, with no portal session left open.
#include <sys/stat.h>

#include <csignal>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "harness/lupe_test.hpp"
#include "harness/poll.hpp"
#include "harness/wayland_session.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;

std::string configFolder() {
  return std::string(std::getenv("XDG_CONFIG_HOME")) + "/tevka-lupe";
}
std::string tokenPath() { return configFolder() + "/restore-token"; }

class PortalSession : public LupeOnScreen {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(LupeOnScreen::SetUp());
    wayland_ = dynamic_cast<WaylandSession*>(session_.get());
    if (!wayland_) GTEST_SKIP() << "a Wayland session's own cases";
  }
  void TearDown() override {
    if (wayland_) wayland_->desktop().answer("approve");
    if (wayland_) wayland_->desktop().play("gnome");
    LupeOnScreen::TearDown();
  }

  WaylandDesktop& desktop() { return wayland_->desktop(); }

  // Ends the magnifier as the session would; it must close its portal session.
  void stopLupe() {
    ::kill(lupe_->pid(), SIGTERM);
    ASSERT_NO_FATAL_FAILURE(expectCleanEnd());
    EXPECT_EQ(desktop().openSessions(), 0u);
  }

  WaylandSession* wayland_ = nullptr;
};

TEST_F(PortalSession, DraggingTheViewMovesTheWindowAndADoubleClickMaximisesIt) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  const Rect before = geometry().outer(), client = geometry().client;
  // A point of the view clear of the buttons over its top-left corner and of
  // the crosshair: at twice the density the view covers only 62% of the form.
  const int x = client.x + client.width * 3 / 8, y = client.y + client.height * 3 / 8;
  wayland_->drag(x, y, x + 200, y + 150);
  EXPECT_TRUE(pollUntil(5s, [&] {
    const Rect now = geometry().outer();
    return now.x == before.x + 200 && now.y == before.y + 150;
  })) << "from " << before.describe() << " to " << geometry().outer().describe();

  std::this_thread::sleep_for(200ms);
  session_->click(x + 200, y + 150);
  session_->click(x + 200, y + 150);
  const Rect monitor = desktop().monitors().front();
  EXPECT_TRUE(pollUntil(5s, [&] {
    const Rect now = geometry().outer();
    return now.width == monitor.width && now.height >= monitor.height - wayland_->frame().top;
  })) << geometry().outer().describe();
  stopLupe();
}

TEST_F(PortalSession, TheSecondStartAsksNothingAndTheTokenIsTheUsersAlone) {
  std::remove(tokenPath().c_str());
  const unsigned before = desktop().asks();
  // The first start asks; the kept token answers the second; one the portal
  // does not know makes it ask again.
  const struct {
    const char* token;  // written before the start; nullptr: as the last start left it
    unsigned asks;
  } starts[] = {{nullptr, before + 1}, {nullptr, before + 1}, {"not-a-token", before + 2}};
  for (const auto& start : starts) {
    if (start.token) std::ofstream(tokenPath()) << start.token << '\n';
    ASSERT_NO_FATAL_FAILURE(startLupe());
    ASSERT_NO_FATAL_FAILURE(stopLupe());
    EXPECT_EQ(desktop().asks(), start.asks) << "token " << (start.token ? start.token : "kept");
  }
  struct stat token{}, folder{};
  ASSERT_EQ(::stat(tokenPath().c_str(), &token), 0);
  ASSERT_EQ(::stat(configFolder().c_str(), &folder), 0);
  EXPECT_EQ(token.st_mode & 0777, 0600u);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
}

// What the program asks the portal for at each start: every monitor, the
// pointer as metadata, the permission kept; its kept token where it has
// one. A refusal is final even when a kept token was offered: the user is
// not asked twice.
TEST_F(PortalSession, ItAsksForEveryMonitorWithThePointerKeptAndTheUserOnce) {
  std::remove(tokenPath().c_str());
  const std::map<std::string, std::string> asked = {
      {"types", "1"}, {"multiple", "true"}, {"cursor_mode", "4"}, {"persist_mode", "2"}};
  const struct {
    const char* what;
    const char* desktop;
    const char* token;  // written before the start; nullptr: as the last start left it
    bool declined;
    bool restored;  // the front end handed the kept permission on
    unsigned asks;  // the user was asked
  } starts[] = {
      {"GNOME, the first start", "gnome", nullptr, false, false, 1},
      {"GNOME, the kept token", "gnome", nullptr, false, true, 0},
      // xdg-desktop-portal 1.16 says version 4 whatever its backend: the
      // program asks the same; the old backend ignores the permission.
      {"an old backend, the kept token", "old", nullptr, false, true, 1},
      {"an old backend, which gave none", "old", nullptr, false, false, 1},
      {"Plasma, streams without their position", "kde", nullptr, false, false, 1},
      {"declined, a token the portal does not know", "gnome",
       "8f3c2a51-4d0e-4b7a-9c1e-2f6d5b8a7e90", true, false, 1},
  };
  for (const auto& start : starts) {
    SCOPED_TRACE(start.what);
    desktop().play(start.desktop);
    desktop().answer(start.declined ? "decline" : "approve");
    if (start.token) std::ofstream(tokenPath()) << start.token << '\n';
    desktop().forgetRequests();
    const unsigned before = desktop().asks();
    if (start.declined) {
      lupe_ = launchLupe();
      ASSERT_NO_FATAL_FAILURE(expectEndWithLine("abgelehnt", "SelectSources: Antwort 1"));
    } else {
      ASSERT_NO_FATAL_FAILURE(startLupe());
      ASSERT_NO_FATAL_FAILURE(stopLupe());
    }
    std::vector<std::map<std::string, std::string>> selections;
    for (PortalRequest& request : desktop().requests())
      if (request.method == "SelectSources") selections.push_back(std::move(request.options));
    ASSERT_EQ(selections.size(), 1u);
    EXPECT_EQ(selections[0].erase("restore_data") == 1, start.restored);
    EXPECT_EQ(selections[0], asked);
    EXPECT_EQ(desktop().asks() - before, start.asks);
  }
}

// A session bus of its own that offers no portal; its address.
std::string busWithoutPortal(std::unique_ptr<ChildProcess>& bus) {
  const std::string config = artifactPath("bare-bus.conf");
  std::ofstream(config) << "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                           "<auth>EXTERNAL</auth><policy context=\"default\">"
                           "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                           "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
  bus = std::make_unique<ChildProcess>(
      "/usr/bin/dbus-daemon",
      std::vector<std::string>{"--config-file=" + config, "--nofork", "--print-address"});
  std::string address;
  pollUntil(5s, [&] { return (address = bus->stdoutText()).find('\n') != std::string::npos; });
  return address.substr(0, address.find('\n'));
}

// A portal on that bus whose desktop gives no pointer position; its address.
std::string portalWithoutPointer(std::unique_ptr<ChildProcess>& bus,
                                 std::unique_ptr<ChildProcess>& portal) {
  const std::string address = busWithoutPortal(bus);
  portal = std::make_unique<ChildProcess>(
      "/usr/bin/python3", std::vector<std::string>{LUPE_TEST_PORTAL, "--portal-without-pointer"},
      EnvironmentChanges{{"DBUS_SESSION_BUS_ADDRESS", address}});
  pollUntil(5s, [&] { return portal->stdoutText().find("ready") != std::string::npos; });
  return address;
}

TEST_F(PortalSession, WhereTheScreenCannotBeSeenItEndsWithALineAndLeavesNoSession) {
  std::unique_ptr<ChildProcess> bus, portal;
  const struct {
    const char* what;
    std::function<void()> act;  // starts the program and ends its sight
    const char* line;
    const char* cause;
  } cases[] = {
      {"the user declines",
       [this] {
         std::remove(tokenPath().c_str());
         desktop().answer("decline");
         lupe_ = launchLupe();
       },
       "abgelehnt", "SelectSources: Antwort 1"},
      {"the desktop ends the sharing",
       [this] {
         ASSERT_NO_FATAL_FAILURE(startLupe());
         desktop().endStreams();
       },
       // The portal's session or mutter's stream, whichever is heard first.
       "Bildschirmfreigabe beendet", "org.freedesktop.portal.Session.Closed|PipeWire-Strom"},
      {"no portal on the bus",
       [this, &bus] {
         lupe_ = launchLupe({{"DBUS_SESSION_BUS_ADDRESS", busWithoutPortal(bus)}});
       },
       "fehlt das Portal zur Bildschirmfreigabe", "org.freedesktop.DBus.Error.ServiceUnknown"},
      {"a portal without the pointer's position",
       [this, &bus, &portal] {
         lupe_ = launchLupe({{"DBUS_SESSION_BUS_ADDRESS", portalWithoutPointer(bus, portal)}});
       },
       "nennt die Position des Mauszeigers nicht", "AvailableCursorModes = 3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_NO_FATAL_FAILURE(c.act());
    ASSERT_NO_FATAL_FAILURE(expectEndWithLine(c.line, c.cause));
    EXPECT_EQ(desktop().openSessions(), 0u);
    desktop().answer("approve");
  }
}

// The session ending, Ctrl+C or a closed terminal while the desktop still
// asks the user: the portal's session is closed and the program ends as
// the user's close would.
TEST_F(PortalSession, ASignalWhileTheDesktopAsksEndsWithZeroAndLeavesNoSession) {
  std::remove(tokenPath().c_str());
  for (const int signal : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    desktop().answer("hold");
    lupe_ = launchLupe();
    ASSERT_TRUE(pollUntil(10s, [&] { return desktop().heldRequests() == 1; }))
        << "no request waits for the user; stderr: " << lupe_->stderrText();
    ::kill(lupe_->pid(), signal);
    ASSERT_NO_FATAL_FAILURE(expectCleanEnd());
    EXPECT_EQ(desktop().openSessions(), 0u);
  }
}

// A dialog nobody answers does not keep the program waiting for ever.
// (A suite of its own: it takes a minute.)
class UnansweredPortal : public PortalSession {};

TEST_F(UnansweredPortal, AMinuteLaterTheProgramEndsWithALineAndLeavesNoSession) {
  std::remove(tokenPath().c_str());
  desktop().answer("hold");
  lupe_ = launchLupe();
  ASSERT_TRUE(pollUntil(10s, [&] { return desktop().heldRequests() == 1; }));
  std::this_thread::sleep_for(50s);
  ASSERT_TRUE(lupe_->running()) << "it did not wait for the user: " << lupe_->stderrText();
  ASSERT_NO_FATAL_FAILURE(
      expectEndWithLine("nicht binnen einer Minute", "SelectSources: keine Antwort nach 60 s"));
  EXPECT_EQ(desktop().openSessions(), 0u);
}

// Run in a session of its own: the compositor does not come back.
class CompositorGone : public PortalSession {};

TEST_F(CompositorGone, TheProgramEndsWithALineAndLeavesNoSession) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  ::kill(std::atoi(std::getenv("LUPE_WAYLAND_COMPOSITOR")), SIGKILL);
  ASSERT_NO_FATAL_FAILURE(expectEndWithLine("Verbindung zum Wayland-Compositor ist abgebrochen",
                                            "The Wayland connection broke"));
  EXPECT_TRUE(pollUntil(5s, [&] { return desktop().openSessions() == 0u; }));
}

}  // namespace
}  // namespace lupe::e2e
