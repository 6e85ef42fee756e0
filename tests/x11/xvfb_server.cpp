#include "xvfb_server.hpp"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace lupe::x11::test {

namespace {

bool displayTaken(int n) {
  const std::string number = std::to_string(n);
  return std::filesystem::exists("/tmp/.X11-unix/X" + number) ||
         std::filesystem::exists("/tmp/.X" + number + "-lock");
}

pid_t spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    // A test that crashes must not leave its servers running.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = ::open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

bool accepts(const std::string& display) {
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  const bool ok = xcb_connection_has_error(c) == 0;
  xcb_disconnect(c);
  return ok;
}

}  // namespace

XvfbServer::XvfbServer(const std::string& screen, const std::vector<std::string>& extra) {
  for (int n = 150; n < 400; ++n) {
    if (displayTaken(n)) continue;
    const std::string display = ":" + std::to_string(n);
    std::vector<std::string> args = {"Xvfb", display,    "-screen",   "0",
                                     screen, "-noreset", "-nolisten", "tcp"};
    args.insert(args.end(), extra.begin(), extra.end());
    const pid_t pid = spawn(args);
    if (pid < 0) break;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool exited = false;
    while (!exited && std::chrono::steady_clock::now() < deadline) {
      exited = waitpid(pid, nullptr, WNOHANG) == pid;  // lost the race for this number
      if (!exited && accepts(display)) {
        pid_ = pid;
        display_ = display;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!exited) {
      ::kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  throw std::runtime_error("no Xvfb could be started for " + screen);
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
  pid_ = -1;
  // A killed server leaves its socket and lock behind; later searches for a
  // free display would skip this number for good.
  const std::string number = display_.substr(1);
  std::filesystem::remove("/tmp/.X11-unix/X" + number);
  std::filesystem::remove("/tmp/.X" + number + "-lock");
}

int runOnDisplay(const std::string& display, const std::string& command) {
  const std::string line = "export DISPLAY=" + display + "; (" + command + ") >/dev/null 2>&1";
  const int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace lupe::x11::test
