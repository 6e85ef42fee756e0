#include "lupe_test.hpp"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "poll.hpp"

namespace lupe::e2e {

using namespace std::chrono_literals;

void LupeOnScreen::SetUp() {
  const char* name = std::getenv("DISPLAY");
  ASSERT_TRUE(name && *name) << "no DISPLAY: run the end-to-end tests through "
                                "scripts/with-display.sh, which starts Xvfb and openbox";
  ASSERT_NO_THROW(display_ = std::make_unique<XDisplay>());
  ASSERT_FALSE(display_->items32(display_->root(), "_NET_SUPPORTING_WM_CHECK").empty())
      << "no window manager runs on " << name;
  ASSERT_NO_THROW(pointer_ = std::make_unique<Pointer>(*display_));
  display_->paintRootPattern();
  // Out of the way of where a window manager places a new window.
  pointer_->moveTo(1200, 100);
}

void LupeOnScreen::TearDown() {
  if (HasFailure() && display_) {
    const std::string path = screenshotPath("screen");
    try {
      if (writePpm(display_->readRoot(display_->rootRect()), path))
        std::cerr << "screenshot of the whole screen: " << path << '\n';
    } catch (const std::exception& error) {
      std::cerr << "no screenshot: " << error.what() << '\n';
    }
    if (lupe_) std::cerr << "the program's stderr:\n" << lupe_->stderrText() << "[end]\n";
  }
  lupe_.reset();  // kills it if it still runs
  if (pointer_) pointer_->releaseAll();
}

std::string LupeOnScreen::screenshotPath(const std::string& what) const {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return artifactPath(std::string(test->test_suite_name()) + "." + test->name() + "-" + what +
                      ".ppm");
}

void LupeOnScreen::startLupe(const EnvironmentChanges& environment) {
  ASSERT_NO_THROW(lupe_ = launchLupe(environment)) << lupeExecutable();
  const auto window = waitForClientWindow(*display_, lupe_->pid(), 10s);
  ASSERT_TRUE(window) << "no mapped window of " << lupeExecutable() << " (pid " << lupe_->pid()
                      << ") appeared; it " << (lupe_->running() ? "still runs" : "has ended");
  window_ = *window;
  ASSERT_TRUE(pollUntil(5s, [&] { return windowGeometry(*display_, window_).has_value(); }))
      << "the window manager did not frame the window";
  // Painted: the client area shows more than one colour and stays the same
  // from one look to the next (the pattern and the pointer stand still).
  Image last;
  const bool painted = pollUntil(
      10s,
      [&] {
        const Image now = readClient();
        const bool same = now == last;
        last = now;
        return same && now.hasTwoColours();
      },
      100ms);
  ASSERT_TRUE(painted) << "the window was not painted, or its picture did not settle";
}

WindowGeometry LupeOnScreen::geometry() {
  const auto geometry = windowGeometry(*display_, window_);
  if (!geometry) {
    ADD_FAILURE() << "the window's geometry cannot be read";
    return {};
  }
  return *geometry;
}

Image LupeOnScreen::readClient() {
  const auto client = clientRect(*display_, window_);
  if (!client) return {};
  return display_->readRoot(client->intersected(display_->rootRect()));
}

Image LupeOnScreen::readInClient(const Rect& r) {
  const Rect client = geometry().client;
  return display_->readRoot(Rect{client.x + r.x, client.y + r.y, r.width, r.height});
}

void LupeOnScreen::clickInClient(const Rect& r) {
  const Rect client = geometry().client;
  pointer_->click(client.x + r.x + r.width / 2, client.y + r.y + r.height / 2);
}

}  // namespace lupe::e2e
