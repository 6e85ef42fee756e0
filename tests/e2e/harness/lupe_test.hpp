#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "display.hpp"
#include "input.hpp"
#include "lupe.hpp"
#include "process.hpp"
#include "test_session.hpp"
#include "windows.hpp"

namespace lupe::e2e {

// A test of the running magnifier in the session of the environment (X11,
// or GNOME on Wayland): the screen shows the test pattern, and each test
// starts the program afresh. A test that fails leaves a screenshot and the
// program's stderr behind; the program is killed at the end in any case.
// Suites that work in every session use session_ alone; the X-only ones
// also display_, pointer_ and window_, which are null on Wayland.
class LupeOnScreen : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the magnifier and waits until its window is mapped, framed by the
  // window manager and painted. Use with ASSERT_NO_FATAL_FAILURE.
  void startLupe(const EnvironmentChanges& environment = {});
  // The window's geometry now; fails the test when it cannot be read.
  WindowGeometry geometry();
  // The window's client area as the screen shows it.
  Image readClient();
  // The part `r` of the client area (in client coordinates) as the screen
  // shows it; `r` must lie on the screen.
  Image readInClient(const Rect& r);
  // Clicks the middle of `r`, given in client coordinates.
  void clickInClient(const Rect& r);
  // Waits for the program to end with status 0 and nothing on stderr.
  void expectCleanEnd();
  // Waits for it to end with status 1 and two lines on stderr: the user's,
  // naming `what`, and the cause, naming `cause`.
  void expectEndWithLine(const std::string& what, const std::string& cause);
  // A path for a screenshot of this test: "<suite>.<test>-<what>.ppm".
  std::string screenshotPath(const std::string& what) const;

  std::unique_ptr<TestSession> session_;
  XDisplay* display_ = nullptr;
  Pointer* pointer_ = nullptr;
  std::unique_ptr<ChildProcess> lupe_;
  xcb_window_t window_ = XCB_NONE;
};

}  // namespace lupe::e2e
