#include "platform/x11/frame_extents.hpp"

#include <cstring>

#include <xcb/xcb.h>

#include "platform/x11/xcb_owned.hpp"

namespace lupe::x11 {

struct FrameExtents::Connection {
  xcb_connection_t* xcb = nullptr;
  xcb_window_t window = XCB_NONE;
  xcb_atom_t extents = XCB_NONE;
  ~Connection() {
    if (xcb) xcb_disconnect(xcb);
  }
};

namespace {

xcb_atom_t atomNamed(xcb_connection_t* xcb, const char* name) {
  const auto reply = own(xcb_intern_atom_reply(
      xcb, xcb_intern_atom(xcb, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : XCB_NONE;
}

bool operator!=(const FrameMargins& a, const FrameMargins& b) {
  return a.left != b.left || a.right != b.right || a.top != b.top || a.bottom != b.bottom;
}

}  // namespace

std::unique_ptr<FrameExtents> FrameExtents::open(const char* display) {
  auto connection = std::make_unique<Connection>();
  connection->xcb = xcb_connect(display, nullptr);
  if (xcb_connection_has_error(connection->xcb)) return nullptr;
  connection->extents = atomNamed(connection->xcb, "_NET_FRAME_EXTENTS");
  return std::unique_ptr<FrameExtents>(new FrameExtents(std::move(connection)));
}

FrameExtents::FrameExtents(std::unique_ptr<Connection> connection)
    : connection_(std::move(connection)) {}

FrameExtents::~FrameExtents() = default;

uint32_t FrameExtents::window() const { return connection_->window; }

int FrameExtents::noticeDescriptor() const { return xcb_get_file_descriptor(connection_->xcb); }

void FrameExtents::follow(uint64_t window) {
  // The toolkit tells its window again whenever it might have a new one.
  if (connection_->window == static_cast<xcb_window_t>(window)) return;
  connection_->window = static_cast<xcb_window_t>(window);
  destroyed_ = false;
  // Our own event mask on the window: the toolkit's connection keeps its own.
  const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection_->xcb, connection_->window, XCB_CW_EVENT_MASK, &mask);
  read();
}

bool FrameExtents::read() {
  if (connection_->window == XCB_NONE || connection_->extents == XCB_NONE) return false;
  const auto reply =
      own(xcb_get_property_reply(connection_->xcb,
                                 xcb_get_property(connection_->xcb, 0, connection_->window,
                                                  connection_->extents, XCB_ATOM_CARDINAL, 0, 4),
                                 nullptr));
  std::optional<FrameMargins> now;
  if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) == 16) {
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    now = FrameMargins{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]),
                       static_cast<int32_t>(v[2]), static_cast<int32_t>(v[3])};
  }
  const bool changed = now.has_value() != margins_.has_value() || (now && *now != *margins_);
  margins_ = now;
  return changed;
}

bool FrameExtents::poll() {
  bool changed = false;
  bool announced = true;
  // Reading the property may queue further notices: drain until none is left.
  while (announced) {
    announced = false;
    while (const auto event = own(xcb_poll_for_event(connection_->xcb))) {
      const uint8_t type = event->response_type & 0x7f;
      if (type == XCB_PROPERTY_NOTIFY) {
        const auto* notice = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
        announced |= notice->atom == connection_->extents;
      } else if (type == XCB_DESTROY_NOTIFY) {
        const auto* notice = reinterpret_cast<const xcb_destroy_notify_event_t*>(event.get());
        destroyed_ |= notice->window == connection_->window;
      }
    }
    if (announced) changed |= read();
  }
  return changed;
}

}  // namespace lupe::x11
