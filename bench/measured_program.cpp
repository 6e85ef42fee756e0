#include "bench/measured_program.hpp"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/x11/xcb_owned.hpp"

namespace lupe::bench {

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
  const auto r =
      x11::own(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr));
  const xcb_atom_t a = r ? r->atom : 0;
  return a;
}

std::vector<uint32_t> cardinals(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                                xcb_atom_t type) {
  std::vector<uint32_t> values;
  const auto r = x11::own(
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 4096), nullptr));
  if (r && r->format == 32) {
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
    values.assign(v, v + xcb_get_property_value_length(r.get()) / 4);
  }
  return values;
}

}  // namespace

double cpuSeconds(int pid) {
  double used = 0;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  for (const auto& task : std::filesystem::directory_iterator(tasks)) {
    std::ifstream stat(task.path() / "schedstat");
    double ns = 0;
    if (stat >> ns) used += ns / 1e9;
  }
  return used;
}

long statusKb(int pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
  return -1;
}

xcb_window_t findClientWindow(xcb_connection_t* c, xcb_window_t root, int pid) {
  using Clock = std::chrono::steady_clock;
  const xcb_atom_t list = atom(c, "_NET_CLIENT_LIST"), pidAtom = atom(c, "_NET_WM_PID");
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (Clock::now() < deadline) {
    const auto clients = cardinals(c, root, list, XCB_ATOM_WINDOW);
    for (const uint32_t w : clients) {
      const auto named = cardinals(c, w, pidAtom, XCB_ATOM_CARDINAL);
      if (!named.empty() && static_cast<int>(named[0]) == pid) return w;
    }
    if (!clients.empty() && Clock::now() > deadline - std::chrono::seconds(15))
      return clients.back();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return 0;
}

void maximise(xcb_connection_t* c, xcb_window_t root, xcb_window_t window) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = atom(c, "_NET_WM_STATE");
  message.data.data32[0] = 1;  // add
  message.data.data32[1] = atom(c, "_NET_WM_STATE_MAXIMIZED_VERT");
  message.data.data32[2] = atom(c, "_NET_WM_STATE_MAXIMIZED_HORZ");
  message.data.data32[3] = 1;
  xcb_send_event(c, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(c);
}

}  // namespace lupe::bench
