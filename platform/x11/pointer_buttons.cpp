#include "platform/x11/pointer_buttons.hpp"

#include <xcb/xcb.h>

#include "platform/x11/xcb_owned.hpp"

namespace lupe::x11 {

struct PointerButtons::Connection {
  xcb_connection_t* xcb = nullptr;
  xcb_window_t root = XCB_NONE;
  ~Connection() { xcb_disconnect(xcb); }
};

std::unique_ptr<PointerButtons> PointerButtons::open(const char* display) {
  auto connection = std::make_unique<Connection>();
  int screenNumber = 0;
  connection->xcb = xcb_connect(display, &screenNumber);
  if (xcb_connection_has_error(connection->xcb)) return nullptr;
  auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection->xcb));
  for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);
  if (!screens.rem) return nullptr;
  connection->root = screens.data->root;
  return std::unique_ptr<PointerButtons>(new PointerButtons(std::move(connection)));
}

PointerButtons::PointerButtons(std::unique_ptr<Connection> connection)
    : connection_(std::move(connection)) {}

PointerButtons::~PointerButtons() = default;

bool PointerButtons::leftHeld() {
  xcb_connection_t* xcb = connection_->xcb;
  const auto reply =
      own(xcb_query_pointer_reply(xcb, xcb_query_pointer(xcb, connection_->root), nullptr));
  return !reply || (reply->mask & XCB_KEY_BUT_MASK_BUTTON_1);
}

}  // namespace lupe::x11
