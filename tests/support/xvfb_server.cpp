#include "xvfb_server.hpp"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace lupe::support {

namespace {

std::string lockFile(int n) { return "/tmp/.X" + std::to_string(n) + "-lock"; }
std::string socketFile(int n) { return "/tmp/.X11-unix/X" + std::to_string(n); }

bool numberTaken(int n) {
  return std::filesystem::exists(lockFile(n)) || std::filesystem::exists(socketFile(n));
}

// The lock file names the server that owns a display number, which tells our
// server from another one that won the race for the same number.
bool owns(int n, pid_t pid) {
  std::ifstream lock(lockFile(n));
  pid_t owner = -1;
  return bool(lock >> owner) && owner == pid;
}

bool answers(const std::string& display) {
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  const bool ok = xcb_connection_has_error(c) == 0;
  xcb_disconnect(c);
  return ok;
}

pid_t spawn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    // A test that crashes must not leave its servers running; SIGTERM lets
    // the server remove its socket and lock.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    // The server must not hold the test's pipes and connections open.
    close_range(3, ~0u, 0);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

}  // namespace

XvfbServer::XvfbServer(DisplayRange numbers, const std::string& screen,
                       const std::vector<std::string>& extra) {
  for (int n = numbers.first; n < numbers.end; ++n) {
    if (numberTaken(n)) continue;
    const std::string display = ":" + std::to_string(n);
    std::vector<std::string> args = {"Xvfb", display,    "-screen",   "0",
                                     screen, "-noreset", "-nolisten", "tcp"};
    args.insert(args.end(), extra.begin(), extra.end());
    const pid_t pid = spawn(std::move(args));
    if (pid < 0) break;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool ended = false;  // as when it lost the race for this number
    while (!ended && std::chrono::steady_clock::now() < deadline) {
      ended = waitpid(pid, nullptr, WNOHANG) == pid;
      if (!ended && owns(n, pid) && answers(display)) {
        pid_ = pid;
        number_ = n;
        display_ = display;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!ended) {
      ::kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      break;  // it started but never answered: a second try would not fare better
    }
  }
  throw std::runtime_error("no Xvfb " + screen + " could be started");
}

XvfbServer::~XvfbServer() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

void XvfbServer::kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  // A killed server cannot remove its socket and lock; later searches would
  // find the number taken. Another server may own it by now, though.
  if (owns(number_, pid_)) {
    std::error_code ignored;
    std::filesystem::remove(socketFile(number_), ignored);
    std::filesystem::remove(lockFile(number_), ignored);
  }
  pid_ = -1;
}

}  // namespace lupe::support
