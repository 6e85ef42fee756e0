#include "x11_session.hpp"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "drawing_count.hpp"
#include "poll.hpp"

namespace lupe::e2e {

using namespace std::chrono_literals;

X11Session::X11Session() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name)
    throw std::runtime_error(
        "no DISPLAY: run the end-to-end tests through scripts/with-display.sh, which starts "
        "Xvfb and openbox (or scripts/with-wayland.sh for a Wayland session)");
  display_ = std::make_unique<XDisplay>();
  if (display_->items32(display_->root(), "_NET_SUPPORTING_WM_CHECK").empty())
    throw std::runtime_error(std::string("no window manager runs on ") + name);
  pointer_ = std::make_unique<Pointer>(*display_);
}

bool X11Session::awaitWindow(pid_t pid, std::chrono::milliseconds timeout) {
  const auto window = waitForClientWindow(*display_, pid, timeout);
  if (!window) return false;
  window_ = *window;
  // Framed by the window manager.
  return pollUntil(5s, [&] { return windowGeometry(*display_, window_).has_value(); });
}

// The same window moved and painted while its size stays: its drawing is
// all that changes.
void X11Session::showPatch(const Rect& area, Rgb colour) {
  if (area.empty()) return patch_.reset();
  if (!patch_ || area.width != patchArea_.width || area.height != patchArea_.height) {
    patch_.reset();
    patch_ = std::make_unique<OtherWindow>(*display_, area, OtherWindow::Kind::Unmanaged);
    patchColour_ = 0x808080;
  } else if (area.x != patchArea_.x || area.y != patchArea_.y) {
    patch_->moveTo(area.x, area.y);
  }
  patchArea_ = area;
  if (colour != patchColour_) patch_->paint(patchColour_ = colour);
}

std::unique_ptr<PictureCount> X11Session::countPictures() {
  std::vector<xcb_window_t> windows = childWindows(*display_, window_);
  windows.push_back(window_);
  auto drawn = std::make_unique<DrawingCount>(*display_, windows);
  if (!drawn->available()) return nullptr;
  drawn->reset();
  return drawn;
}

}  // namespace lupe::e2e
