#pragma once

#include <optional>

#include "platform/controls/form_runtime.hpp"
#include "platform/emulation/ending.hpp"

namespace lupe {

namespace qt {
class QtBackend;
}

// The one way a Qt session ends when it cannot go on, and when a signal
// asks it to: the user's line and, on a second line, its cause on stderr;
// the window closed through the runtime (Unload runs, the device context
// is given back); then the status. Whatever reports first is the ending;
// later reports change nothing.
class SessionEnding {
 public:
  // From now on the window is there to close through `runtime`.
  void attach(FormRuntime& runtime, qt::QtBackend& toolkit);
  // The window has gone with its runtime: an ending now only tells.
  void detach();

  // Ends with `ending` from the event loop: a report may come from deep
  // inside a tick or a dispatch, which must not see the window go.
  void end(Ending ending);
  // Ends with `ending` here and now, on the event loop's thread: the
  // display has gone, and Qt will not let the event loop go on.
  [[noreturn]] void endNow(const Ending& ending);
  // SIGTERM, SIGINT or SIGHUP: closes the window as the user would, or,
  // while the screen is still being opened, ends with status 0.
  void close();

  bool ended() const { return ending_.has_value(); }
  // The ending's status, or `otherwise` when nothing ended the session.
  int statusOr(int otherwise) const { return ending_ ? ending_->status : otherwise; }

 private:
  // Tells the user, then closes the window through the runtime.
  void finish();
  void tell();

  FormRuntime* runtime_ = nullptr;
  qt::QtBackend* toolkit_ = nullptr;
  std::optional<Ending> ending_;
  bool told_ = false;
  bool closing_ = false;
};

}  // namespace lupe
