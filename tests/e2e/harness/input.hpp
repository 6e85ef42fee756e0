#pragma once

#include <cstdint>
#include <utility>

#include "display.hpp"

namespace lupe::e2e {

// The pointer, driven through XTest as a real mouse would drive it.
class Pointer {
 public:
  // Throws std::runtime_error when the server has no XTEST extension.
  explicit Pointer(XDisplay& display);

  // Moves the pointer to (x, y) on the root; returns once the server reports
  // it there (a window manager's synchronous grab may hold it back for a
  // moment). Throws std::runtime_error when it does not get there.
  void moveTo(int x, int y);
  // Each returns once the server has taken the button event in, so that the
  // next event cannot overtake it.
  void press(int button = 1);
  void release(int button = 1);
  // Moves to (x, y), presses and releases `button` there.
  void click(int x, int y, int button = 1);
  // Releases every button that is still down, as a test that failed
  // half-way may leave them.
  void releaseAll();
  // Where the server has the pointer now, on the root.
  std::pair<int, int> position();

 private:
  void fake(uint8_t type, uint8_t detail, int x = 0, int y = 0);
  void awaitButton(int button, bool down);
  struct State {
    std::pair<int, int> at;  // on the root
    uint16_t buttons;        // the server's button mask
  };
  State query();          // where the server has the pointer, and its buttons
  uint16_t buttonMask();  // the buttons the server has down now

  XDisplay& display_;
};

// The keyboard, driven through XTest; keys go to the window that has the
// input focus.
class Keyboard {
 public:
  // Throws std::runtime_error when the server has no XTEST extension.
  explicit Keyboard(XDisplay& display);

  // Presses and releases the key that produces `keysym` (XK_Home is
  // 0xff50, XK_End 0xff57) without modifiers. Throws std::runtime_error when
  // no key of the keyboard produces it.
  void tap(uint32_t keysym);

 private:
  XDisplay& display_;
};

}  // namespace lupe::e2e
