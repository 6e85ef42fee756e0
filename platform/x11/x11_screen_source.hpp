#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/emulation/screen_source.hpp"

namespace lupe::x11 {

// How the screen source reads pixels from the server.
enum class CaptureMode {
  SharedMemoryWhenOffered,  // MIT-SHM if the server offers it, plain GetImage otherwise
  PlainGetImage,            // always plain GetImage (for comparing the two)
};

// The X11 root window as a screen source: its own xcb connection, a
// persistent MIT-SHM segment (plain GetImage where MIT-SHM is missing), the
// pointer from QueryPointer, all in native pixels. Follows size changes of
// the root and blacks out the parts of it that no monitor shows. Tells what
// changed on the screen from X DAMAGE's notices, which come in order with
// the replies: those of drawings done before a reply are in by then. The
// server's pixels do not depend on a look: they are read here directly.
class X11ScreenSource final : public ScreenSource, public ScreenPixels {
 public:
  // Connects to `display` (nullptr: $DISPLAY). Throws std::runtime_error with
  // a German message when no connection can be made or the root window's
  // pixels cannot be turned into colours (a colour-map screen).
  static std::unique_ptr<X11ScreenSource> open(
      const char* display = nullptr, CaptureMode mode = CaptureMode::SharedMemoryWhenOffered);
  ~X11ScreenSource() override;

  // The pointer, what changed from X DAMAGE (everything, every time,
  // without it), the root's rectangle, and these pixels.
  ScreenLook look() override;

  // The root window's rectangle, kept up to date from the server's notices
  // without a round trip; the last known one once the connection is lost.
  PixelRect bounds();
  // Reads `area` (inside bounds()) into `out`; parts of it no monitor shows
  // are black. False when the server refuses or the connection is lost.
  bool read(const PixelRect& area, RasterView out) override;
  // In the shared segment itself, where the server's pixels are ours but
  // for the alpha byte (the usual 24-bit depth at 32 bits a pixel).
  bool readInPlace(const PixelRect& area, ConstRasterView& out) override;
  // The pointer on this screen's root; none when it is on another screen
  // or the connection is lost.
  std::optional<PointApi> pointer();

  // True when the server tells what changed on the screen (X DAMAGE).
  bool tracksChanges() const;
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
