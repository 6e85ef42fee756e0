// Ending the program: through its "Exit" button, through the window
// manager and by the signals a session sends. All end it cleanly, without a
// word on stderr. A window killed or destroyed from outside ends it with a
// German line.
#include <chrono>
#include <csignal>
#include <cstdlib>

#include <gtest/gtest.h>

#include "harness/controls.hpp"
#include "harness/lupe_test.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;

class Shutdown : public LupeOnScreen {};

TEST_F(Shutdown, ExitButtonEndsTheProgramCleanly) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  clickInClient(exitButtonRect());
  expectCleanEnd();
}

TEST_F(Shutdown, ClosingThroughTheWindowManagerEndsTheProgramCleanly) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  requestClose(*display_, window_);
  expectCleanEnd();
}

// The session ending, Ctrl+C, the terminal closing: the window closes as if
// the user closed it, and the program ends with status 0.
TEST_F(Shutdown, TermIntAndHupCloseTheWindowInOrderAndEndWithZero) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    ASSERT_NO_FATAL_FAILURE(startLupe());
    ::kill(lupe_->pid(), signal);
    ASSERT_NO_FATAL_FAILURE(expectCleanEnd());
  }
}

// Killed with xkill (its connection closed by the server), or its window
// destroyed by another client: the program cannot go on and says so.
TEST_F(Shutdown, AWindowKilledOrDestroyedFromOutsideEndsItWithAGermanLine) {
  for (const bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroyed" : "killed");
    ASSERT_NO_FATAL_FAILURE(startLupe());
    xcb_connection_t* c = display_->connection();
    if (destroy) {
      xcb_destroy_window(c, window_);
    } else {
      xcb_kill_client(c, window_);
    }
    display_->sync();
    const auto status = lupe_->waitFor(10s);
    ASSERT_TRUE(status) << "the program still runs 10 s later";
    EXPECT_TRUE(status->exited && status->code != 0) << status->describe();
    EXPECT_NE(lupe_->stderrText().find("Fenster"), std::string::npos) << lupe_->stderrText();
    // The cause as the server told it, for a report: a killed client's
    // window goes with its connection, and either may be heard first.
    EXPECT_NE(lupe_->stderrText().find(destroy ? "\nUrsache: DestroyNotify" : "\nUrsache: "),
              std::string::npos)
        << lupe_->stderrText();
  }
}

}  // namespace
}  // namespace lupe::e2e
