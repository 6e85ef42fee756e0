#include "lupe_test.hpp"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "poll.hpp"
#include "x11_session.hpp"

namespace lupe::e2e {

using namespace std::chrono_literals;

void LupeOnScreen::SetUp() {
  try {
    session_ = sessionFromEnvironment();
  } catch (const std::exception& error) {
    FAIL() << error.what();
  }
  if (auto* x11 = dynamic_cast<X11Session*>(session_.get())) {
    display_ = &x11->display();
    pointer_ = &x11->pointer();
  }
  session_->showPattern();
  // Out of the way of where a window manager places a new window.
  session_->moveTo(1200, 100);
}

void LupeOnScreen::TearDown() {
  if ((HasFailure() || std::getenv("LUPE_E2E_SCREENSHOTS")) && session_) {
    const std::string path = screenshotPath("screen");
    try {
      if (writePpm(session_->read(session_->screenRect()), path))
        std::cerr << "screenshot of the whole screen: " << path << '\n';
    } catch (const std::exception& error) {
      std::cerr << "no screenshot: " << error.what() << '\n';
    }
    if (lupe_) std::cerr << "the program's stderr:\n" << lupe_->stderrText() << "[end]\n";
  }
  lupe_.reset();  // kills it if it still runs
  if (session_) session_->releaseAll();
}

std::string LupeOnScreen::screenshotPath(const std::string& what) const {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return artifactPath(std::string(test->test_suite_name()) + "." + test->name() + "-" + what +
                      ".ppm");
}

void LupeOnScreen::startLupe(const EnvironmentChanges& environment) {
  ASSERT_NO_THROW(lupe_ = launchLupe(environment)) << lupeExecutable();
  ASSERT_TRUE(session_->awaitWindow(lupe_->pid(), 15s))
      << "no framed window of " << lupeExecutable() << " (pid " << lupe_->pid()
      << ") appeared; it " << (lupe_->running() ? "still runs" : "has ended");
  if (auto* x11 = dynamic_cast<X11Session*>(session_.get())) window_ = x11->window();
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

void LupeOnScreen::expectCleanEnd() {
  const auto status = lupe_->waitFor(10s);
  ASSERT_TRUE(status) << "the program still runs 10 s later";
  EXPECT_TRUE(status->cleanZero()) << status->describe();
  EXPECT_EQ(lupe_->stderrText(), "");
}

void LupeOnScreen::expectEndWithLine(const std::string& what, const std::string& cause) {
  const auto status = lupe_->waitFor(20s);
  ASSERT_TRUE(status) << "the program still runs 20 s later";
  EXPECT_TRUE(status->exited && status->code == 1) << status->describe();
  const std::string err = lupe_->stderrText();
  const size_t end = err.find('\n');
  EXPECT_NE(err.substr(0, end).find(what), std::string::npos) << err;
  // The cause, as the library gave it, on a line of its own.
  const std::string second = end == std::string::npos ? "" : err.substr(end + 1);
  EXPECT_EQ(second.rfind("Ursache: ", 0), 0u) << err;
  // One of the causes given, "a|b", where either may come first.
  bool told = false;
  for (size_t from = 0; from <= cause.size();) {
    const size_t bar = std::min(cause.find('|', from), cause.size());
    told = told || second.find(cause.substr(from, bar - from)) != std::string::npos;
    from = bar + 1;
  }
  EXPECT_TRUE(told) << "not " << cause << ": " << err;
  EXPECT_EQ(second.find('\n'), second.size() - 1) << "not two lines: " << err;
}

WindowGeometry LupeOnScreen::geometry() {
  std::optional<WindowGeometry> geometry = session_->geometry();
  if (geometry) return *geometry;
  // The sanitized runs saw a Wayland screen-cast picture without the window
  // now and then; only a window missing from the pictures for long fails.
  if (pollUntil(2s, [&] { return (geometry = session_->geometry()).has_value(); })) {
    std::cerr << "note: the window's geometry could be read only on a later look\n";
    return *geometry;
  }
  ADD_FAILURE() << "the window's geometry cannot be read";
  return {};
}

Image LupeOnScreen::readClient() {
  const auto geometry = session_->geometry();
  if (!geometry) return {};
  return session_->read(geometry->client.intersected(session_->screenRect()));
}

Image LupeOnScreen::readInClient(const Rect& r) {
  const Rect client = geometry().client;
  return session_->read(Rect{client.x + r.x, client.y + r.y, r.width, r.height});
}

void LupeOnScreen::clickInClient(const Rect& r) {
  const Rect client = geometry().client;
  session_->click(client.x + r.x + r.width / 2, client.y + r.y + r.height / 2);
}

}  // namespace lupe::e2e
