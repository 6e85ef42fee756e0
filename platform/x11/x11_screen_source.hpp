#pragma once

#include <memory>
#include <string>

#include "platform/desktop/screen_source.hpp"

namespace lupe::x11 {

// The X11 root window as a screen source: its own xcb connection, a
// persistent MIT-SHM segment (plain GetImage where MIT-SHM is missing), the
// pointer from QueryPointer, all in native pixels.
class X11ScreenSource final : public ScreenSource {
 public:
  // Connects to `display` (nullptr: $DISPLAY). Throws std::runtime_error with
  // a German message when no connection can be made.
  static std::unique_ptr<X11ScreenSource> open(const char* display = nullptr);
  ~X11ScreenSource() override;

  PixelRect bounds() override;
  bool read(const PixelRect& area, RasterView out) override;
  bool pointer(int32_t& x, int32_t& y) override;

  // True when captures go through a shared-memory segment.
  bool usesSharedMemory() const;
  // True once the X server has gone away; every call then fails.
  bool connectionLost() const;

 private:
  struct State;
  explicit X11ScreenSource(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace lupe::x11
