#include "input.hpp"

#include <chrono>
#include <stdexcept>
#include <thread>

#include <xcb/xtest.h>

#include "poll.hpp"
#include "platform/x11/xcb_owned.hpp"

namespace lupe::e2e {

using x11::own;

namespace {

void requireXTest(XDisplay& display) {
  const xcb_query_extension_reply_t* xtest =
      xcb_get_extension_data(display.connection(), &xcb_test_id);
  if (!xtest || !xtest->present) throw std::runtime_error("the X server has no XTEST extension");
}

// No real device sends two events within the same millisecond; a click
// whose release and a move far out of the button arrive so close together
// is lost by Qt programs more often than not. Each event here is followed
// by a short pause, as a device's would be.
void fakeInput(XDisplay& display, uint8_t type, uint8_t detail, int x = 0, int y = 0) {
  xcb_test_fake_input(display.connection(), type, detail, XCB_CURRENT_TIME, display.root(),
                      int16_t(x), int16_t(y), 0);
  display.sync();
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// The first key whose unshifted symbol is `keysym`; 0 when there is none.
xcb_keycode_t keycodeOf(XDisplay& display, uint32_t keysym) {
  const xcb_setup_t* setup = xcb_get_setup(display.connection());
  const int first = setup->min_keycode, count = setup->max_keycode - setup->min_keycode + 1;
  const auto reply = own(xcb_get_keyboard_mapping_reply(
      display.connection(),
      xcb_get_keyboard_mapping(display.connection(), xcb_keycode_t(first), uint8_t(count)),
      nullptr));
  if (!reply) return 0;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
  const int perKey = reply->keysyms_per_keycode;
  xcb_keycode_t found = 0;
  for (int key = 0; key < count && !found; ++key)
    if (perKey > 0 && syms[key * perKey] == keysym) found = xcb_keycode_t(first + key);
  return found;
}

}  // namespace

Pointer::Pointer(XDisplay& display) : display_(display) { requireXTest(display_); }

void Pointer::fake(uint8_t type, uint8_t detail, int x, int y) {
  fakeInput(display_, type, detail, x, y);
}

void Pointer::moveTo(int x, int y) {
  fake(XCB_MOTION_NOTIFY, 0, x, y);  // detail 0: absolute position
  const auto arrived = [&] { return position() == std::pair{x, y}; };
  // Xephyr with several screens keeps XTest's pointer on the first one; a
  // warp crosses to the others.
  if (!pollUntil(std::chrono::milliseconds(300), arrived)) {
    xcb_warp_pointer(display_.connection(), XCB_NONE, display_.root(), 0, 0, 0, 0, int16_t(x),
                     int16_t(y));
    display_.sync();
  }
  if (!pollUntil(std::chrono::seconds(5), arrived))
    throw std::runtime_error("the pointer did not arrive at (" + std::to_string(x) + ", " +
                             std::to_string(y) + ")");
}

// A busy X server may hand a queued button event out only together with a
// motion queued after it, and then stamps the button event with the later
// position: a release meant for a button lands beside it and the click is
// lost. So each button event is waited for until the server has taken it in
// (the pointer's button state shows it) before anything else is sent.
void Pointer::press(int button) {
  fake(XCB_BUTTON_PRESS, uint8_t(button));
  awaitButton(button, true);
}

void Pointer::release(int button) {
  fake(XCB_BUTTON_RELEASE, uint8_t(button));
  awaitButton(button, false);
}

void Pointer::awaitButton(int button, bool down) {
  const uint16_t bit = uint16_t(XCB_BUTTON_MASK_1 << (button - 1));
  if (!pollUntil(
          std::chrono::seconds(5), [&] { return ((buttonMask() & bit) != 0) == down; },
          std::chrono::milliseconds(1)))
    throw std::runtime_error("button " + std::to_string(button) + " did not go " +
                             (down ? "down" : "up"));
}

void Pointer::click(int x, int y, int button) {
  moveTo(x, y);
  press(button);
  release(button);
}

Pointer::State Pointer::query() {
  const auto reply = own(xcb_query_pointer_reply(
      display_.connection(), xcb_query_pointer(display_.connection(), display_.root()), nullptr));
  if (!reply) throw std::runtime_error("QueryPointer failed");
  return {{reply->root_x, reply->root_y}, reply->mask};
}

uint16_t Pointer::buttonMask() { return query().buttons; }

void Pointer::releaseAll() {
  const uint16_t mask = buttonMask();
  for (int button = 1; button <= 5; ++button)
    if (mask & (XCB_BUTTON_MASK_1 << (button - 1))) release(button);
}

std::pair<int, int> Pointer::position() { return query().at; }

Keyboard::Keyboard(XDisplay& display) : display_(display) { requireXTest(display_); }

void Keyboard::tap(uint32_t keysym) {
  const xcb_keycode_t key = keycodeOf(display_, keysym);
  if (!key) throw std::runtime_error("no key produces keysym " + std::to_string(keysym));
  fakeInput(display_, XCB_KEY_PRESS, key);
  fakeInput(display_, XCB_KEY_RELEASE, key);
}

}  // namespace lupe::e2e
