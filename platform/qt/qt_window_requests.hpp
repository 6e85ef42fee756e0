#pragma once

#include <functional>
#include <memory>

#include "platform/emulation/window_requests.hpp"

namespace lupe::qt {

class QtBackend;
class PointerDrag;

// The requests of the emulated desktop for the form's window, through Qt's
// window: the above state, the window manager's move (or our own where it
// offers none) and letting go of the pointer.
class QtWindowRequests final : public WindowRequests {
 public:
  // `leftButtonHeld` tells whether the left button is down now, as the
  // window system holds it rather than as its queued events last said;
  // without it, a move is always tried (the button's state is not known).
  explicit QtWindowRequests(QtBackend& toolkit, std::function<bool()> leftButtonHeld = {});
  ~QtWindowRequests() override;

  bool setTopmost(WindowId window, bool on) override;
  bool beginMove(WindowId window) override;
  bool releaseCapture() override;

 private:
  QtBackend& toolkit_;
  std::function<bool()> leftButtonHeld_;
  std::unique_ptr<PointerDrag> drag_;  // our own move, without a window manager's
};

}  // namespace lupe::qt
