#pragma once

#include <memory>

#include "process.hpp"
#include "test_session.hpp"
#include "wayland_desktop.hpp"

namespace lupe::e2e {

// Qt's frame on GNOME: a title bar of 30 pixels, borders of 3, each times
// the monitors' scale.
inline FrameExtents qtFrame(int scale) { return {3 * scale, 3 * scale, 30 * scale, 3 * scale}; }

// The GNOME Wayland session of scripts/with-wayland.sh: the pattern shown by
// a fullscreen window on every monitor, the pointer and keys through mutter's
// remote desktop, the screen read through the tests' own screen cast. The
// magnifier's window is where the screen does not show the pattern, inside
// the frame Qt draws (mutter draws none for Wayland clients).
class WaylandSession final : public TestSession {
 public:
  WaylandSession();  // throws std::runtime_error outside such a session
  ~WaylandSession() override;

  WaylandDesktop& desktop() { return desktop_; }
  // The monitors' scale, as scripts/with-wayland.sh was told it.
  int scale() const { return scale_; }
  FrameExtents frame() const { return qtFrame(scale_); }

  Rect screenRect() override { return desktop_.bounds(); }
  Image read(const Rect& area) override;
  void showPattern() override;
  void showPatch(const Rect& area, Rgb colour) override;
  std::unique_ptr<PictureCount> countPictures() override;
  void moveTo(int x, int y) override { desktop_.movePointer(x, y); }
  void press() override;
  void release() override;
  void releaseAll() override;
  void tap(uint32_t keysym) override { desktop_.tap(keysym); }
  bool awaitWindow(pid_t pid, std::chrono::milliseconds timeout) override;
  std::optional<WindowGeometry> geometry() override;
  void requestMove(int x, int y) override;
  void requestMoveResize(int x, int y, int width, int height) override;
  // Presses the left button at (x, y), drags to (toX, toY) as a hand would
  // and lets go.
  void drag(int x, int y, int toX, int toY);

 private:
  WaylandDesktop desktop_;
  int scale_ = 1;
  bool pressed_ = false;
  Rect patch_;  // not the window's, where geometry() looks for it
};

// Where the monitors of `desktop` do not show the pattern, `ignored` left
// out: the outer rectangle of the one window over it; nullopt when the
// pattern shows everywhere.
std::optional<Rect> windowOverPattern(WaylandDesktop& desktop, const Rect& ignored = {});
// Waits until the one window over the pattern on `desktop` stands still (the
// compositor shows a new window growing); its outer rectangle, or nullopt
// when none does within `timeout`.
std::optional<Rect> awaitStillWindow(WaylandDesktop& desktop, std::chrono::milliseconds timeout,
                                     const Rect& ignored = {});

}  // namespace lupe::e2e
