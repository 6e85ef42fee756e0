#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace lupe::e2e {

// How a child process ended.
struct ExitStatus {
  bool exited = false;  // by exit() or return from main
  int code = -1;        // its exit code, when exited
  int signal = 0;       // the signal that ended it, when not exited
  bool coreDumped = false;

  bool cleanZero() const { return exited && code == 0; }
  std::string describe() const;
};

// Changes to the inherited environment: a value sets the variable, nullopt
// removes it.
using EnvironmentChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

// A program started by the test, with its stdout and stderr captured in
// anonymous files, and its stdin empty or, `withInput`, lines the test
// writes to it. Destroying a process that still runs kills it (SIGKILL),
// so a failing test leaves nothing behind; the child is also killed by the
// kernel if the test process itself dies.
class ChildProcess {
 public:
  // Starts `program` with `args` (argv[1]...) and the given environment
  // changes. Throws std::runtime_error when it cannot be started.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const EnvironmentChanges& environment = {}, bool withInput = false);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // True while the process has not ended.
  bool running();
  // Waits until the process ends or `timeout` passes; its status, or nullopt
  // when it still runs.
  std::optional<ExitStatus> waitFor(std::chrono::milliseconds timeout);
  // Kills the process (SIGKILL) if it still runs and reaps it.
  void kill();

  // Writes `line` and a line end to its stdin; false when it cannot (no
  // input, or the process has gone).
  bool writeLine(const std::string& line);

  // Everything the process has written to stderr / stdout so far.
  std::string stderrText() const { return readAll(stderrFd_); }
  std::string stdoutText() const { return readAll(stdoutFd_); }

 private:
  static std::string readAll(int fd);
  bool reap(int options);

  pid_t pid_ = -1;
  std::optional<ExitStatus> status_;
  int stdoutFd_ = -1;
  int stderrFd_ = -1;
  int inputFd_ = -1;
};

}  // namespace lupe::e2e
