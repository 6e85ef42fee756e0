#pragma once

#include <cstdint>
#include <optional>

namespace lupe {

// The widths of the frame a window manager puts around a window, in pixels.
struct FrameMargins {
  int32_t left = 0;
  int32_t right = 0;
  int32_t top = 0;
  int32_t bottom = 0;
};

// Follows the frame the window manager draws around one of our windows, as
// the window manager itself announces it. Toolkits learn of a new frame late
// or not at all (a maximised window loses its borders after its resize).
class WindowFrames {
 public:
  virtual ~WindowFrames() = default;

  // Follows the frame of the native window `window` from now on; the same
  // window again changes nothing.
  virtual void follow(uint64_t window) = 0;
  // The frame as last announced; nullopt while the window manager has said nothing.
  virtual std::optional<FrameMargins> margins() const = 0;
  // Takes in the notices that arrived; true when the frame changed since the last call.
  virtual bool poll() = 0;
  // A descriptor that becomes readable when notices arrive; -1 if there is none.
  virtual int noticeDescriptor() const = 0;
  // True once the window followed now has been destroyed (as poll() learnt).
  virtual bool windowDestroyed() const = 0;
};

}  // namespace lupe
