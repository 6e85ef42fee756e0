#include "platform/qt/close_on_signals.hpp"

#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace lupe::qt {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int pipeEnds[2] = {-1, -1};
volatile std::sig_atomic_t received = 0;

// Only what is safe in a signal handler: a byte into the pipe.
void onSignal(int number) {
  if (received != 0) std::_Exit(128 + number);
  received = 1;
  const char byte = static_cast<char>(number);
  [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
}

}  // namespace

CloseOnSignals::CloseOnSignals(std::function<void()> close) : close_(std::move(close)) {
  if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
    char byte = 0;
    while (read(pipeEnds[0], &byte, 1) == 1) {
    }
    close_();
  });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int number : kSignals) sigaction(number, &action, nullptr);
}

CloseOnSignals::~CloseOnSignals() {
  for (const int number : kSignals) std::signal(number, SIG_DFL);
  notifier_.reset();
  for (int& end : pipeEnds) {
    if (end >= 0) ::close(end);
    end = -1;
  }
}

}  // namespace lupe::qt
