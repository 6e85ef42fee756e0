// The magnifier in a GNOME Wayland session (scripts/with-wayland.sh): what
// its window shows, read back through the compositor's own screen cast, and
// how it ends when the screen cannot be seen.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <thread>

#include "harness/lupe.hpp"
#include "harness/poll.hpp"
#include "harness/view_check.hpp"
#include "harness/wayland_session.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;

std::string tokenPath() {
  return std::string(std::getenv("XDG_CONFIG_HOME")) + "/tevka-lupe/restore-token";
}

Image part(const Image& screen, const Rect& r) {
  Image image(r.width, r.height);
  for (int y = 0; y < r.height; ++y)
    for (int x = 0; x < r.width; ++x) image.set(x, y, screen.at(r.x + x, r.y + y));
  return image;
}

class PortalSession : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    session_ = new WaylandSession();
    session_->showPattern();
  }
  static void TearDownTestSuite() { delete session_; }
  void TearDown() override {
    if (lupe_) lupe_->kill();
    desktop().answer("approve");
  }

  static WaylandDesktop& desktop() { return session_->desktop(); }
  static std::optional<Rect> window() {
    return windowOverPattern(desktop().screen(), desktop().bounds());
  }

  // Starts the magnifier and waits for its window; the window's place.
  Rect startLupe() {
    EXPECT_TRUE(pollUntil(10s, [&] { return !window(); })) << "an earlier window is still shown";
    lupe_ = launchLupe();
    EXPECT_TRUE(session_->awaitWindow(lupe_->pid(), 20s))
        << "no window appeared; stderr: " << lupe_->stderrText();
    return window().value_or(Rect{});
  }

  // Ends the magnifier as the session would and checks that it closed its
  // portal session.
  void stopLupe() {
    ::kill(lupe_->pid(), SIGTERM);
    const auto status = lupe_->waitFor(10s);
    ASSERT_TRUE(status && status->cleanZero()) << lupe_->stderrText();
    EXPECT_EQ(desktop().openSessions(), 0u);
  }

  // Waits for the program to end with one line naming `what`, status 1,
  // and no portal session left.
  void expectEndWithLine(const std::string& what) {
    const auto status = lupe_->waitFor(20s);
    ASSERT_TRUE(status.has_value()) << "still running";
    EXPECT_TRUE(status->exited && status->code == 1) << status->describe();
    const std::string err = lupe_->stderrText();
    EXPECT_NE(err.find(what), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "more than one line: " << err;
    EXPECT_EQ(desktop().openSessions(), 0u);
  }

  static inline WaylandSession* session_ = nullptr;
  std::unique_ptr<ChildProcess> lupe_;
};

TEST_F(PortalSession, TheViewShowsBothMonitorsAcrossTheSeam) {
  const Rect all = desktop().bounds();
  struct Place {
    const char* name;
    int x, y;
  };
  // Two monitors side by side: the first place shows both across the seam.
  // The window lies at the top left: the pointer stays clear of it.
  const Place places[] = {{"the middle", all.width / 2, all.height * 5 / 6},
                          {"the bottom-left corner", 0, all.height - 1},
                          {"the bottom-right corner", all.width - 1, all.height - 1},
                          {"the top-right corner", all.width - 1, 0}};
  startLupe();
  for (const Place& place : places) {
    desktop().movePointer(place.x, place.y);
    ViewCheck check;
    Image shot;
    const bool shown = pollUntil(10s, [&] {
      shot = desktop().screen();
      const std::optional<WindowGeometry> geometry = session_->geometry();
      if (!geometry) return false;
      const Rect outer = geometry->outer(), client = geometry->client;
      const ViewModel model = ViewModel::forOuterSize(outer.width, outer.height);
      check = checkView(part(shot, client), model, model.source(place.x, place.y),
                        desktop().monitors(), closedPanelOverlays());
      return check.ok();
    });
    if (!shown) writePpm(shot, artifactPath(std::string("wayland-view-") + place.name + ".ppm"));
    EXPECT_TRUE(shown) << "pointer at " << place.name << ": " << check.report();
  }
  stopLupe();
}

TEST_F(PortalSession, DraggingTheViewMovesTheWindowAndADoubleClickMaximisesIt) {
  const Rect before = startLupe();
  // A point of the view clear of the buttons over its top-left corner.
  const int x = before.x + before.width * 3 / 4, y = before.y + before.height * 3 / 4;
  desktop().movePointer(x, y);
  desktop().press(true);
  std::this_thread::sleep_for(200ms);  // a hand is not faster than the compositor
  for (int step = 1; step <= 10; ++step) {
    desktop().movePointer(x + step * 20, y + step * 15);
    std::this_thread::sleep_for(20ms);
  }
  desktop().press(false);
  std::optional<Rect> moved;
  EXPECT_TRUE(pollUntil(5s, [&] {
    moved = window();
    return moved && moved->x == before.x + 200 && moved->y == before.y + 150;
  })) << "from " << before.describe() << " to " << (moved ? moved->describe() : "nowhere");

  std::this_thread::sleep_for(200ms);
  desktop().click(x + 200, y + 150);
  desktop().click(x + 200, y + 150);
  const Rect monitor = desktop().monitors().front();
  std::optional<Rect> maximised;
  EXPECT_TRUE(pollUntil(5s, [&] {
    maximised = window();
    return maximised && maximised->width == monitor.width &&
           maximised->height >= monitor.height - WaylandSession::kQtFrame.top;
  })) << (maximised ? maximised->describe() : "no window") << "; " << lupe_->stderrText();
  stopLupe();
}

TEST_F(PortalSession, TheSecondStartAsksNothingAndTheTokenIsTheUsersAlone) {
  std::remove(tokenPath().c_str());
  const unsigned before = desktop().asks();
  startLupe();
  stopLupe();
  EXPECT_EQ(desktop().asks(), before + 1);
  struct stat token{}, folder{};
  ASSERT_EQ(::stat(tokenPath().c_str(), &token), 0);
  ASSERT_EQ(::stat((std::string(std::getenv("XDG_CONFIG_HOME")) + "/tevka-lupe").c_str(), &folder), 0);
  EXPECT_EQ(token.st_mode & 0777, 0600u);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);

  startLupe();
  stopLupe();
  EXPECT_EQ(desktop().asks(), before + 1) << "the restore token was not honoured";

  // A token the portal does not know makes it ask once more.
  std::ofstream(tokenPath()) << "not-a-token\n";
  startLupe();
  stopLupe();
  EXPECT_EQ(desktop().asks(), before + 2);
}

TEST_F(PortalSession, ADeclinedRequestEndsWithALine) {
  std::remove(tokenPath().c_str());
  desktop().answer("decline");
  lupe_ = launchLupe();
  expectEndWithLine("abgelehnt");
}

TEST_F(PortalSession, AStreamThatEndsEndsTheMagnifierWithALine) {
  startLupe();
  desktop().endStreams();
  expectEndWithLine("Bildschirmfreigabe beendet");
}

TEST_F(PortalSession, WithoutAPortalItEndsWithALine) {
  // A session bus of its own that offers no portal.
  const std::string config = artifactPath("bare-bus.conf");
  std::ofstream(config) << "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                           "<auth>EXTERNAL</auth><policy context=\"default\">"
                           "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                           "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
  ChildProcess bus("/usr/bin/dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address"});
  std::string address;
  ASSERT_TRUE(pollUntil(5s, [&] {
    address = bus.stdoutText();
    return address.find('\n') != std::string::npos;
  }));
  address.erase(address.find('\n'));
  lupe_ = launchLupe({{"DBUS_SESSION_BUS_ADDRESS", address}});
  expectEndWithLine("fehlt das Portal zur Bildschirmfreigabe");
}

}  // namespace
}  // namespace lupe::e2e
