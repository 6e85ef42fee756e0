#pragma once

#include <cstdint>
#include <memory>

#include "platform/emulation/window_frames.hpp"

namespace lupe::x11 {

// WindowFrames from the window manager's _NET_FRAME_EXTENTS, on a connection
// of its own that listens for changes of that property on our window.
class FrameExtents final : public WindowFrames {
 public:
  // nullptr when the display cannot be reached.
  static std::unique_ptr<FrameExtents> open(const char* display = nullptr);
  ~FrameExtents() override;

  void follow(uint64_t window) override;
  std::optional<FrameMargins> margins() const override { return margins_; }
  bool poll() override;
  int noticeDescriptor() const override;
  bool windowDestroyed() const override { return destroyed_; }
  // The native window followed now.
  uint32_t window() const;

 private:
  struct Connection;
  explicit FrameExtents(std::unique_ptr<Connection> connection);
  // Reads the property afresh; true when it differs from what we held.
  bool read();

  std::unique_ptr<Connection> connection_;
  std::optional<FrameMargins> margins_;
  bool destroyed_ = false;
};

}  // namespace lupe::x11
