// The composition root on Linux: a Wayland session sees the screen through
// the desktop's portal, an X11 session (or XWayland, forced with
// QT_QPA_PLATFORM=xcb) reads it from the X server.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "entry/sessions.hpp"

namespace lupe {

int failToStart(const char* line) {
  std::fprintf(stderr, "%s\n", line);
  return 1;
}

}  // namespace lupe

namespace {

bool isWaylandSession() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!wayland || !*wayland) return false;
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  return !platform || !std::string_view(platform).starts_with("xcb");
}

}  // namespace

int main(int argc, char** argv) {
  return isWaylandSession() ? lupe::runInWaylandSession(argc, argv)
                            : lupe::runInX11Session(argc, argv);
}
