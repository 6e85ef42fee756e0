#include "platform/x11/x11_environment.hpp"

#include <cstdlib>

#include <xcb/xcb.h>

namespace lupe::x11 {

namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

std::string unreachableDisplayText(const char* display) {
  if (display == nullptr) display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    if (isSet("WAYLAND_DISPLAY"))
      return "Tevka - Lupe braucht eine X11-Sitzung: DISPLAY ist nicht gesetzt "
             "(Wayland ohne XWayland wird nicht unterstützt).";
    return "Tevka - Lupe braucht eine X11-Sitzung: DISPLAY ist nicht gesetzt.";
  }
  return std::string("Keine Verbindung zum X-Server „") + display + "“ möglich.";
}

std::string displayProblem() {
  if (!isSet("DISPLAY")) return unreachableDisplayText(nullptr);
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool failed = xcb_connection_has_error(connection) != 0;
  xcb_disconnect(connection);
  return failed ? unreachableDisplayText(nullptr) : std::string();
}

const char* noSharedMemoryNotice() {
  return "Hinweis: Der X-Server bietet kein MIT-SHM; die Lupe liest den Bildschirm langsamer.";
}

const char* noDamageNotice() {
  return "Hinweis: Der X-Server bietet kein DAMAGE; die Lupe zeichnet jedes Bild ganz neu.";
}

}  // namespace lupe::x11
