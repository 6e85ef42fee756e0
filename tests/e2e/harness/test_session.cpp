#include "test_session.hpp"

#include <cstdlib>

#include "wayland_session.hpp"
#include "x11_session.hpp"

namespace lupe::e2e {

std::unique_ptr<TestSession> sessionFromEnvironment() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* x11 = std::getenv("DISPLAY");
  if (wayland && *wayland && !(x11 && *x11)) return std::make_unique<WaylandSession>();
  return std::make_unique<X11Session>();
}

}  // namespace lupe::e2e
