#include "windows.hpp"

#include <algorithm>
#include <thread>

#include "poll.hpp"
#include "platform/x11/xcb_owned.hpp"

namespace lupe::e2e {

using x11::own;

namespace {

bool windowManagerRuns(XDisplay& display) {
  return !display.items32(display.root(), "_NET_SUPPORTING_WM_CHECK").empty();
}

// data[0]: gravity 1 (north-west) | x, y, width, height given (bits 8 to 11)
// | source 2, a pager (bits 12, 13).
void moveResize(XDisplay& display, xcb_window_t window, uint32_t given, int x, int y, int width,
                int height) {
  const uint32_t flags = XCB_GRAVITY_NORTH_WEST | given << 8 | 2u << 12;
  display.sendToWindowManager(window, "_NET_MOVERESIZE_WINDOW",
                              {flags, uint32_t(x), uint32_t(y), uint32_t(width), uint32_t(height)});
}

}  // namespace

std::vector<xcb_window_t> childWindows(XDisplay& display, xcb_window_t parent) {
  const auto reply = own(xcb_query_tree_reply(
      display.connection(), xcb_query_tree(display.connection(), parent), nullptr));
  if (!reply) return {};
  const xcb_window_t* children = xcb_query_tree_children(reply.get());
  return {children, children + xcb_query_tree_children_length(reply.get())};
}

bool isViewable(XDisplay& display, xcb_window_t window) {
  const auto reply = own(xcb_get_window_attributes_reply(
      display.connection(), xcb_get_window_attributes(display.connection(), window), nullptr));
  return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::vector<xcb_window_t> clientWindows(XDisplay& display, pid_t pid) {
  const std::vector<xcb_window_t> candidates =
      windowManagerRuns(display) ? display.items32(display.root(), "_NET_CLIENT_LIST")
                                 : childWindows(display, display.root());
  std::vector<xcb_window_t> found;
  for (const xcb_window_t window : candidates) {
    const std::vector<uint32_t> owner = display.items32(window, "_NET_WM_PID");
    if (owner.size() == 1 && pid_t(owner[0]) == pid && isViewable(display, window))
      found.push_back(window);
  }
  return found;
}

std::optional<xcb_window_t> findClientWindow(XDisplay& display, pid_t pid) {
  const std::vector<xcb_window_t> found = clientWindows(display, pid);
  if (found.empty()) return std::nullopt;
  return found.front();
}

bool isAbove(XDisplay& display, xcb_window_t upper, xcb_window_t lower) {
  const std::vector<uint32_t> stacking =
      display.items32(display.root(), "_NET_CLIENT_LIST_STACKING");
  const auto upperAt = std::find(stacking.begin(), stacking.end(), upper);
  const auto lowerAt = std::find(stacking.begin(), stacking.end(), lower);
  return upperAt != stacking.end() && lowerAt != stacking.end() && upperAt > lowerAt;
}

GrabWatch::GrabWatch(XDisplay& display, xcb_window_t window) : display_(display), window_(window) {
  const uint32_t mask = XCB_EVENT_MASK_LEAVE_WINDOW;
  xcb_change_window_attributes(display_.connection(), window_, XCB_CW_EVENT_MASK, &mask);
  display_.sync();
}

GrabWatch::~GrabWatch() {
  const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
  xcb_change_window_attributes(display_.connection(), window_, XCB_CW_EVENT_MASK, &none);
  display_.sync();
  while (own(xcb_poll_for_event(display_.connection()))) {
  }
}

bool GrabWatch::waitForGrab(std::chrono::milliseconds timeout) {
  return pollUntil(timeout, [&] {
    bool grabbed = false;
    while (const auto event = own(xcb_poll_for_event(display_.connection()))) {
      if ((event->response_type & 0x7f) == XCB_LEAVE_NOTIFY) {
        const auto* leave = reinterpret_cast<xcb_leave_notify_event_t*>(event.get());
        grabbed |= leave->event == window_ && leave->mode == XCB_NOTIFY_MODE_GRAB;
      }
    }
    return grabbed;
  });
}

OtherWindow::OtherWindow(XDisplay& display, const Rect& at, Kind kind) : display_(display) {
  xcb_connection_t* c = display.connection();
  window_ = xcb_generate_id(c);
  const uint32_t values[] = {0x808080, kind == Kind::Unmanaged ? 1u : 0u};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window_, display.root(), int16_t(at.x), int16_t(at.y),
                    uint16_t(at.width), uint16_t(at.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
  // A position the user chose (USPosition), or openbox would place it.
  std::vector<uint32_t> hints(18, 0);
  hints[0] = 1;
  hints[1] = uint32_t(at.x);
  hints[2] = uint32_t(at.y);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NORMAL_HINTS,
                      XCB_ATOM_WM_SIZE_HINTS, 32, uint32_t(hints.size()), hints.data());
  xcb_map_window(c, window_);
  display.sync();
}

void OtherWindow::paint(Rgb colour) {
  xcb_change_window_attributes(display_.connection(), window_, XCB_CW_BACK_PIXEL, &colour);
  xcb_clear_area(display_.connection(), 0, window_, 0, 0, 0, 0);
  awaitServer();
}

void OtherWindow::moveTo(int x, int y) {
  const uint32_t at[] = {uint32_t(x), uint32_t(y)};
  xcb_configure_window(display_.connection(), window_, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                       at);
  awaitServer();
}

// A round trip that leaves the events queued: a test may be counting them.
void OtherWindow::awaitServer() {
  xcb_connection_t* c = display_.connection();
  own(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

OtherWindow::~OtherWindow() {
  xcb_destroy_window(display_.connection(), window_);
  display_.sync();
}

void requestActivate(XDisplay& display, xcb_window_t window) {
  // data: source 2 (a pager), the time, no window of ours active
  display.sendToWindowManager(window, "_NET_ACTIVE_WINDOW", {2, XCB_CURRENT_TIME, 0});
}

std::optional<xcb_window_t> waitForClientWindow(XDisplay& display, pid_t pid,
                                                std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (auto window = findClientWindow(display, pid)) return window;
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::optional<Rect> clientRect(XDisplay& display, xcb_window_t window) {
  xcb_connection_t* c = display.connection();
  const auto size = own(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
  if (!size) return std::nullopt;
  const auto origin = own(xcb_translate_coordinates_reply(
      c, xcb_translate_coordinates(c, window, display.root(), 0, 0), nullptr));
  if (!origin) return std::nullopt;
  return Rect{origin->dst_x, origin->dst_y, size->width, size->height};
}

std::optional<WindowGeometry> windowGeometry(XDisplay& display, xcb_window_t window) {
  const std::optional<Rect> client = clientRect(display, window);
  const std::vector<uint32_t> extents = display.items32(window, "_NET_FRAME_EXTENTS");
  if (!client || extents.size() != 4) return std::nullopt;
  return WindowGeometry{
      *client, FrameExtents{int(extents[0]), int(extents[1]), int(extents[2]), int(extents[3])}};
}

std::optional<TextProperty> textProperty(XDisplay& display, xcb_window_t window,
                                         std::string_view property) {
  const auto value = display.property(window, display.atom(property));
  if (!value || value->format != 8) return std::nullopt;
  return TextProperty{display.atomName(value->type),
                      std::string(value->bytes.begin(), value->bytes.end())};
}

std::vector<std::string> windowStates(XDisplay& display, xcb_window_t window) {
  std::vector<std::string> names;
  for (const uint32_t state : display.items32(window, "_NET_WM_STATE"))
    names.push_back(display.atomName(state));
  return names;
}

void requestClose(XDisplay& display, xcb_window_t window) {
  // data: timestamp, source indication 2 (a pager: direct user action)
  display.sendToWindowManager(window, "_NET_CLOSE_WINDOW", {XCB_CURRENT_TIME, 2});
}

void requestMove(XDisplay& display, xcb_window_t window, int x, int y) {
  moveResize(display, window, 0b0011, x, y, 0, 0);
}

void requestMoveResize(XDisplay& display, xcb_window_t window, int x, int y, int width,
                       int height) {
  moveResize(display, window, 0b1111, x, y, width, height);
}

void requestMaximised(XDisplay& display, xcb_window_t window, bool maximised) {
  // data: action (0 remove, 1 add), the two states, source 2 (a pager)
  display.sendToWindowManager(window, "_NET_WM_STATE",
                              {maximised ? 1u : 0u, display.atom("_NET_WM_STATE_MAXIMIZED_VERT"),
                               display.atom("_NET_WM_STATE_MAXIMIZED_HORZ"), 2});
}

}  // namespace lupe::e2e
