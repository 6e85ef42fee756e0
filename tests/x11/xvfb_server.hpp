#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace lupe::x11::test {

// An Xvfb of the test's own on the first free display from :150 up, started
// with -noreset so that painting clients may come and go.
class XvfbServer {
 public:
  // `screen` is Xvfb's "WxHxD"; `extra` are further arguments. Throws
  // std::runtime_error when no server comes up within a few seconds.
  explicit XvfbServer(const std::string& screen, const std::vector<std::string>& extra = {});
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  const std::string& display() const { return display_; }
  // Ends the server at once (SIGKILL), as a crash would.
  void kill();

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Runs a shell command with DISPLAY set to `display`; its exit status.
int runOnDisplay(const std::string& display, const std::string& command);

}  // namespace lupe::x11::test
