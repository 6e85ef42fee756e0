#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace lupe::support {

// Display numbers [first, end) searched for a free one.
struct DisplayRange {
  int first;
  int end;
};

// Each suite searches its own numbers, so suites run side by side seldom race.
inline constexpr DisplayRange kX11TestDisplays{150, 400};
inline constexpr DisplayRange kE2eTestDisplays{400, 600};

// An Xvfb of a test's own, without a window manager, on the first free
// display in `numbers`. Started with -noreset so that clients may come and go.
class XvfbServer {
 public:
  // `screen` is Xvfb's "WxHxD"; `extra` are further arguments such as
  // {"-extension", "MIT-SHM"}. Throws std::runtime_error when no server
  // answers within a few seconds.
  XvfbServer(DisplayRange numbers, const std::string& screen,
             const std::vector<std::string>& extra = {});
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  const std::string& display() const { return display_; }
  // Ends the server at once (SIGKILL), as a crash would, reaps it and removes
  // the socket and lock it leaves behind.
  void kill();

 private:
  pid_t pid_ = -1;
  int number_ = -1;
  std::string display_;
};

}  // namespace lupe::support
