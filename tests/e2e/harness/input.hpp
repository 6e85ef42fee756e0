#pragma once

#include <utility>

#include "display.hpp"

namespace lupe::e2e {

// The pointer, driven through XTest as a real mouse would drive it.
class Pointer {
 public:
  // Throws std::runtime_error when the server has no XTEST extension.
  explicit Pointer(XDisplay& display);

  // Moves the pointer to (x, y) on the root; returns once the server reports
  // it there.
  void moveTo(int x, int y);
  void press(int button = 1);
  void release(int button = 1);
  // Moves to (x, y), presses and releases `button`.
  void click(int x, int y, int button = 1);
  // Where the server has the pointer now, on the root.
  std::pair<int, int> position();

 private:
  void fake(uint8_t type, uint8_t detail, int x = 0, int y = 0);

  XDisplay& display_;
};

}  // namespace lupe::e2e
