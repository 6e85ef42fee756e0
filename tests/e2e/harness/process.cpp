#include "process.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lupe::e2e {

namespace {

// An unnamed temporary file: nothing is left on disk whatever happens.
int anonymousFile() {
  char name[] = "/tmp/lupe-e2e-output.XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error(std::string("mkstemp: ") + std::strerror(errno));
  unlink(name);
  return fd;
}

}  // namespace

std::string ExitStatus::describe() const {
  if (exited) return "exit code " + std::to_string(code);
  return "signal " + std::to_string(signal) + " (" + strsignal(signal) + ")" +
         (coreDumped ? ", core dumped" : "");
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const EnvironmentChanges& environment, bool withInput) {
  stdoutFd_ = anonymousFile();
  stderrFd_ = anonymousFile();
  // A socket rather than a pipe: a line written after the child has gone
  // fails instead of raising SIGPIPE in the test.
  int input[2] = {-1, -1};
  if (withInput && socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0)
    throw std::runtime_error(std::string("socketpair: ") + std::strerror(errno));

  // Everything the child needs is prepared before fork.
  std::vector<std::string> argvStrings{program};
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argvStrings) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool changed = false;
    for (const auto& change : environment) changed = changed || change.first == name;
    if (!changed) envStrings.push_back(entry);
  }
  for (const auto& [name, value] : environment)
    if (value) envStrings.push_back(name + "=" + *value);
  std::vector<char*> envp;
  for (std::string& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);
  const pid_t parent = getpid();

  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    dup2(withInput ? input[1] : open("/dev/null", O_RDONLY), 0);
    dup2(stdoutFd_, 1);
    dup2(stderrFd_, 2);
    close_range(3, ~0u, 0);  // no test connection or file leaks into the program
    execve(argv[0], argv.data(), envp.data());
    const char message[] = "exec failed\n";
    (void)!write(2, message, sizeof message - 1);
    _exit(127);
  }
  if (withInput) {
    close(input[1]);
    inputFd_ = input[0];
  }
}

bool ChildProcess::writeLine(const std::string& line) {
  const std::string text = line + "\n";
  return inputFd_ >= 0 && send(inputFd_, text.data(), text.size(), MSG_NOSIGNAL) ==
                              static_cast<ssize_t>(text.size());
}

ChildProcess::~ChildProcess() {
  kill();
  if (inputFd_ >= 0) close(inputFd_);
  close(stdoutFd_);
  close(stderrFd_);
}

bool ChildProcess::reap(int options) {
  if (status_) return true;
  int raw = 0;
  const pid_t result = waitpid(pid_, &raw, options);
  if (result != pid_) return false;
  ExitStatus status;
  status.exited = WIFEXITED(raw);
  if (status.exited) status.code = WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) {
    status.signal = WTERMSIG(raw);
    status.coreDumped = WCOREDUMP(raw);
  }
  status_ = status;
  return true;
}

bool ChildProcess::running() { return !reap(WNOHANG); }

std::optional<ExitStatus> ChildProcess::waitFor(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!reap(WNOHANG)) {
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return status_;
}

void ChildProcess::kill() {
  if (pid_ <= 0 || status_) return;
  ::kill(pid_, SIGKILL);
  reap(0);
}

std::string ChildProcess::readAll(int fd) {
  std::string text;
  char buffer[4096];
  off_t offset = 0;
  for (;;) {
    const ssize_t n = pread(fd, buffer, sizeof buffer, offset);
    if (n <= 0) break;
    text.append(buffer, size_t(n));
    offset += n;
  }
  return text;
}

}  // namespace lupe::e2e
