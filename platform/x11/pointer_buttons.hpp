#pragma once

#include <memory>

namespace lupe::x11 {

// The pointer's buttons as the X server holds them now, not as the
// toolkit's queued events last told: a click may have come up already
// while the program still handles its press. On a connection of its own.
class PointerButtons {
 public:
  // nullptr when the display cannot be reached.
  static std::unique_ptr<PointerButtons> open(const char* display = nullptr);
  ~PointerButtons();

  // True when the left button is down, or when the server cannot tell.
  bool leftHeld();

 private:
  struct Connection;
  explicit PointerButtons(std::unique_ptr<Connection> connection);
  std::unique_ptr<Connection> connection_;
};

}  // namespace lupe::x11
