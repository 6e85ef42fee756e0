#include "platform/wayland/wayland_environment.hpp"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include <wayland-client.h>

#include "platform/wayland/wayland_wait.hpp"

namespace lupe::wayland {

std::string compositorProblem() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  const std::string display = name ? name : "";
  std::string path = display;
  if (path.empty() || path[0] != '/') {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
      return "Tevka - Lupe: XDG_RUNTIME_DIR ist nicht gesetzt; ohne ihn ist der "
             "Wayland-Compositor nicht zu erreichen.";
    path = std::string(runtime) + "/" + display;
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  bool answers = false;
  if (fd >= 0 && path.size() < sizeof(address.sun_path)) {
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    answers = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  }
  if (fd >= 0) ::close(fd);
  if (answers) return {};
  return "Tevka - Lupe: Keine Verbindung zum Wayland-Compositor „" + display + "“ möglich.";
}

bool compositorDrawsFrames() {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return false;
  bool offered = false;
  static const wl_registry_listener listener{
      [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
        if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0)
          *static_cast<bool*>(data) = true;
      },
      [](void*, wl_registry*, uint32_t) {}};
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &offered);
  wl_display_roundtrip(display);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return offered;
}

bool compositorAnswers(std::chrono::milliseconds within) {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return false;
  bool done = false;
  static const wl_callback_listener listener{
      [](void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }};
  wl_callback* sync = wl_display_sync(display);
  wl_callback_add_listener(sync, &listener, &done);
  dispatchUntil(display, nullptr, within, [&done] { return done; });
  wl_callback_destroy(sync);
  wl_display_disconnect(display);
  return done;
}

}  // namespace lupe::wayland
