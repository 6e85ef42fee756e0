#pragma once

#include <memory>

#include "display.hpp"
#include "input.hpp"
#include "test_session.hpp"
#include "windows.hpp"

namespace lupe::e2e {

// $DISPLAY with its window manager: the pattern on the root, XTest's
// pointer and keyboard, the window found by its _NET_WM_PID. The X-only
// suites reach the server through display(), pointer() and window().
class X11Session final : public TestSession {
 public:
  X11Session();  // throws std::runtime_error without a display or window manager

  XDisplay& display() { return *display_; }
  Pointer& pointer() { return *pointer_; }
  xcb_window_t window() const { return window_; }

  Rect screenRect() override { return display_->rootRect(); }
  Image read(const Rect& area) override { return display_->readRoot(area); }
  void showPattern() override { display_->paintRootPattern(); }
  void showPatch(const Rect& area, Rgb colour) override;
  // DAMAGE on the window and the windows in its client area (the view):
  // every frame drawn into any of them.
  std::unique_ptr<PictureCount> countPictures() override;
  void moveTo(int x, int y) override { pointer_->moveTo(x, y); }
  void press() override { pointer_->press(); }
  void release() override { pointer_->release(); }
  void releaseAll() override { pointer_->releaseAll(); }
  void tap(uint32_t keysym) override { Keyboard(*display_).tap(keysym); }
  bool awaitWindow(pid_t pid, std::chrono::milliseconds timeout) override;
  std::optional<WindowGeometry> geometry() override { return windowGeometry(*display_, window_); }
  void requestMove(int x, int y) override { e2e::requestMove(*display_, window_, x, y); }
  void requestMoveResize(int x, int y, int width, int height) override {
    e2e::requestMoveResize(*display_, window_, x, y, width, height);
  }

 private:
  std::unique_ptr<XDisplay> display_;
  std::unique_ptr<Pointer> pointer_;
  xcb_window_t window_ = XCB_NONE;
  std::unique_ptr<OtherWindow> patch_;
  Rect patchArea_;
  Rgb patchColour_ = 0;
};

}  // namespace lupe::e2e
