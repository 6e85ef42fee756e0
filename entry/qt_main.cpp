// The composition root on Linux: a Wayland session sees the screen through
// the desktop's portal, an X11 session (or XWayland, forced with
// QT_QPA_PLATFORM=xcb) reads it from the X server; each only where the
// program was built with it.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "entry/sessions.hpp"

namespace {

constexpr bool kX11 = LUPE_X11_SESSION;
constexpr bool kWayland = LUPE_WAYLAND_SESSION;

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// The session the environment names, or the line why none can be run.
std::unique_ptr<lupe::SessionKind> chooseSession(const char*& problem) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const bool forcedX11 = platform && std::string_view(platform).starts_with("xcb");
  const bool wayland = isSet("WAYLAND_DISPLAY") && !forcedX11, x11 = isSet("DISPLAY");
  if (wayland && kWayland) return lupe::makeWaylandSession();
  // On a Wayland desktop, DISPLAY names XWayland: there for a program
  // without a Wayland session, or when X11 is asked for.
  if (kX11 && (x11 || forcedX11)) return lupe::makeX11Session();
  if (wayland)
    problem = "Tevka - Lupe ist ohne Wayland-Sitzung gebaut, und diese Wayland-Sitzung bietet "
              "kein XWayland: DISPLAY ist nicht gesetzt.";
  else if (x11 || forcedX11)
    problem = "Tevka - Lupe ist ohne X11-Sitzung gebaut und läuft nur in einer Wayland-Sitzung.";
  else if (kX11 && kWayland)
    problem = "Tevka - Lupe braucht eine X11- oder Wayland-Sitzung: weder DISPLAY noch "
              "WAYLAND_DISPLAY ist gesetzt.";
  else if (kX11)
    problem = "Tevka - Lupe braucht eine X11-Sitzung: DISPLAY ist nicht gesetzt.";
  else
    problem = "Tevka - Lupe braucht eine Wayland-Sitzung: WAYLAND_DISPLAY ist nicht gesetzt.";
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const char* problem = nullptr;
  std::unique_ptr<lupe::SessionKind> session = chooseSession(problem);
  if (!session) {
    std::fprintf(stderr, "%s\n", problem);
    return 1;
  }
  return lupe::runQtSession(std::move(session), argc, argv);
}
