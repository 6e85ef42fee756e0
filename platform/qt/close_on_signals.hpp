#pragma once

#include <functional>
#include <memory>

#include <QSocketNotifier>

namespace lupe::qt {

// SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl+C, a closed
// terminal) close the window as the user would: `close` runs on the event
// loop, not in the signal handler, so the window's own closing runs in
// order and the program ends normally. A second signal while closing is not
// waited for: it ends the program at once.
class CloseOnSignals {
 public:
  explicit CloseOnSignals(std::function<void()> close);
  ~CloseOnSignals();

 private:
  std::function<void()> close_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace lupe::qt
