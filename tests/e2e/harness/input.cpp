#include "input.hpp"

#include <cstdlib>
#include <stdexcept>

#include <xcb/xtest.h>

namespace lupe::e2e {

Pointer::Pointer(XDisplay& display) : display_(display) {
  const xcb_query_extension_reply_t* xtest =
      xcb_get_extension_data(display_.connection(), &xcb_test_id);
  if (!xtest || !xtest->present) throw std::runtime_error("the X server has no XTEST extension");
}

void Pointer::fake(uint8_t type, uint8_t detail, int x, int y) {
  xcb_test_fake_input(display_.connection(), type, detail, XCB_CURRENT_TIME, display_.root(),
                      int16_t(x), int16_t(y), 0);
  display_.sync();
}

void Pointer::moveTo(int x, int y) {
  fake(XCB_MOTION_NOTIFY, 0, x, y);  // detail 0: absolute position
  if (position() != std::pair{x, y})
    throw std::runtime_error("the pointer did not arrive at (" + std::to_string(x) + ", " +
                             std::to_string(y) + ")");
}

void Pointer::press(int button) { fake(XCB_BUTTON_PRESS, uint8_t(button)); }

void Pointer::release(int button) { fake(XCB_BUTTON_RELEASE, uint8_t(button)); }

void Pointer::click(int x, int y, int button) {
  moveTo(x, y);
  press(button);
  release(button);
}

std::pair<int, int> Pointer::position() {
  xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(
      display_.connection(), xcb_query_pointer(display_.connection(), display_.root()), nullptr);
  if (!reply) throw std::runtime_error("QueryPointer failed");
  const std::pair<int, int> at{reply->root_x, reply->root_y};
  std::free(reply);
  return at;
}

}  // namespace lupe::e2e
