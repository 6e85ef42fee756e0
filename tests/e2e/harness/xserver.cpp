#include "xserver.hpp"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace lupe::e2e {

namespace {

bool numberTaken(int n) {
  const std::string number = std::to_string(n);
  return std::filesystem::exists("/tmp/.X" + number + "-lock") ||
         std::filesystem::exists("/tmp/.X11-unix/X" + number);
}

// The lock file names the server that owns a display number, which tells our
// server from another one that won the race for the same number.
bool owns(int n, pid_t pid) {
  std::ifstream lock("/tmp/.X" + std::to_string(n) + "-lock");
  pid_t owner = -1;
  return bool(lock >> owner) && owner == pid;
}

bool answers(const std::string& display) {
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  const bool ok = xcb_connection_has_error(c) == 0;
  xcb_disconnect(c);
  return ok;
}

pid_t startXvfb(const std::string& display, const std::string& screen) {
  std::vector<std::string> args = {"Xvfb", display,    "-screen",   "0",
                                   screen, "-noreset", "-nolisten", "tcp"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    close_range(3, ~0u, 0);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

}  // namespace

PrivateXServer::PrivateXServer(const std::string& screen) {
  for (int n = 400; n < 600; ++n) {
    if (numberTaken(n)) continue;
    const std::string display = ":" + std::to_string(n);
    const pid_t pid = startXvfb(display, screen);
    if (pid < 0) break;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool ended = false;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
      ended = waitpid(pid, nullptr, WNOHANG) == pid;
      if (!ended && owns(n, pid) && answers(display)) {
        pid_ = pid;
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
  throw std::runtime_error("no private Xvfb " + screen + " could be started");
}

PrivateXServer::~PrivateXServer() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

void PrivateXServer::kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  // A killed server cannot remove its lock and socket; later runs would
  // find the number taken.
  const std::string number = display_.substr(1);
  if (owns(std::stoi(number), pid_)) {
    std::error_code ignored;
    std::filesystem::remove("/tmp/.X11-unix/X" + number, ignored);
    std::filesystem::remove("/tmp/.X" + number + "-lock", ignored);
  }
  pid_ = -1;
}

}  // namespace lupe::e2e
