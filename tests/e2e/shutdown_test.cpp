// Ending the program: through its "Exit" button and through the window
// manager. Both end it cleanly, without a word on stderr.
#include <chrono>

#include <gtest/gtest.h>

#include "harness/controls.hpp"
#include "harness/lupe_test.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;

class Shutdown : public LupeOnScreen {
 protected:
  void expectCleanEnd() {
    const auto status = lupe_->waitFor(10s);
    ASSERT_TRUE(status) << "the program still runs 10 s later";
    EXPECT_TRUE(status->cleanZero()) << status->describe();
    EXPECT_EQ(lupe_->stderrText(), "");
  }
};

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

}  // namespace
}  // namespace lupe::e2e
