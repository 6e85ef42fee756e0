#pragma once

#include <string>

#include <sys/types.h>

namespace lupe::e2e {

// An Xvfb of a test's own, without a window manager, for tests that must
// take the server away. Started with -noreset on the first free display
// number from :400 up.
class PrivateXServer {
 public:
  // `screen` as Xvfb's "WxHxD". Throws std::runtime_error when no server
  // answers within a few seconds.
  explicit PrivateXServer(const std::string& screen);
  ~PrivateXServer();
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;

  const std::string& display() const { return display_; }
  // Ends the server at once (SIGKILL), as a crash would, and reaps it.
  void kill();

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace lupe::e2e
