#include "x11_session.hpp"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "poll.hpp"

namespace lupe::e2e {

using namespace std::chrono_literals;

X11Session::X11Session() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name)
    throw std::runtime_error(
        "no DISPLAY: run the end-to-end tests through scripts/with-display.sh, which starts "
        "Xvfb and openbox (or scripts/with-wayland.sh for a Wayland session)");
  display_ = std::make_unique<XDisplay>();
  if (display_->items32(display_->root(), "_NET_SUPPORTING_WM_CHECK").empty())
    throw std::runtime_error(std::string("no window manager runs on ") + name);
  pointer_ = std::make_unique<Pointer>(*display_);
}

bool X11Session::awaitWindow(pid_t pid, std::chrono::milliseconds timeout) {
  const auto window = waitForClientWindow(*display_, pid, timeout);
  if (!window) return false;
  window_ = *window;
  // Framed by the window manager.
  return pollUntil(5s, [&] { return windowGeometry(*display_, window_).has_value(); });
}

}  // namespace lupe::e2e
