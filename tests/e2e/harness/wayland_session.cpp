#include "wayland_session.hpp"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "lupe.hpp"
#include "poll.hpp"

namespace lupe::e2e {

using namespace std::chrono_literals;

namespace {

// One pattern for every test of the run; it ends with the tests.
std::unique_ptr<ChildProcess>& patternWindow() {
  static std::unique_ptr<ChildProcess> window;
  return window;
}

}  // namespace

std::optional<Rect> windowOverPattern(WaylandDesktop& desktop, const Rect& ignored) {
  const Image screen = desktop.screen();
  const Rect at = desktop.bounds();
  int left = at.x + at.width, top = at.y + at.height, right = -1, bottom = -1;
  for (const Rect& monitor : desktop.monitors())
    for (int y = monitor.y; y < monitor.y + monitor.height; ++y)
      for (int x = monitor.x; x < monitor.x + monitor.width; ++x)
        if (screen.at(x - at.x, y - at.y) != patternColour(x, y) && !ignored.contains(x, y)) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
  if (right < 0) return std::nullopt;
  return Rect{left, top, right - left + 1, bottom - top + 1};
}

WaylandSession::WaylandSession() {
  if (const char* scale = std::getenv("LUPE_WAYLAND_SCALE")) scale_ = std::max(1, std::atoi(scale));
}

Image WaylandSession::read(const Rect& area) {
  const Image all = desktop_.screen();
  const Rect screen = desktop_.bounds();
  Image part(area.width, area.height);
  for (int y = 0; y < area.height; ++y)
    for (int x = 0; x < area.width; ++x)
      part.set(x, y, all.at(area.x - screen.x + x, area.y - screen.y + y));
  return part;
}

// The pattern repaints itself now and then, which also brings a new screen
// cast its first pictures.
void WaylandSession::showPattern() {
  auto& window = patternWindow();
  if (!window || !window->running())
    window = std::make_unique<ChildProcess>(patternWindowExecutable(), std::vector<std::string>{},
                                            EnvironmentChanges{}, true);
  if (!pollUntil(10s, [&] { return desktop_.showsEveryMonitor(); }))
    throw std::runtime_error("the tests' screen cast shows no picture");
  pollUntil(10s, [&] { return !windowOverPattern(desktop_); });
}

void WaylandSession::press() {
  desktop_.press(true);
  pressed_ = true;
}

void WaylandSession::release() {
  desktop_.press(false);
  pressed_ = false;
}

void WaylandSession::releaseAll() {
  if (pressed_) release();
}

std::optional<Rect> awaitStillWindow(WaylandDesktop& desktop, std::chrono::milliseconds timeout,
                                     const Rect& ignored) {
  std::optional<Rect> last;
  int still = 0;
  const bool settled = pollUntil(
      timeout,
      [&] {
        const std::optional<Rect> now = windowOverPattern(desktop, ignored);
        still = now && now == last ? still + 1 : 0;
        last = now;
        return still >= 5;
      },
      50ms);
  return settled ? last : std::nullopt;
}

bool WaylandSession::awaitWindow(pid_t, std::chrono::milliseconds timeout) {
  return awaitStillWindow(desktop_, timeout).has_value();
}

std::optional<WindowGeometry> WaylandSession::geometry() {
  const std::optional<Rect> outer = windowOverPattern(desktop_);
  const FrameExtents f = frame();
  if (!outer || outer->width <= f.left + f.right || outer->height <= f.top + f.bottom)
    return std::nullopt;
  return WindowGeometry{{outer->x + f.left, outer->y + f.top, outer->width - f.left - f.right,
                         outer->height - f.top - f.bottom},
                        f};
}

void WaylandSession::drag(int x, int y, int toX, int toY) {
  moveTo(x, y);
  press();
  std::this_thread::sleep_for(200ms);  // a hand is not faster than the compositor
  for (int step = 1; step <= 10; ++step) {
    moveTo(x + (toX - x) * step / 10, y + (toY - y) * step / 10);
    std::this_thread::sleep_for(20ms);
  }
  release();
}

// Drags the title bar, as a user would: Qt hands the drag to the compositor.
void WaylandSession::requestMove(int x, int y) {
  const std::optional<WindowGeometry> now = geometry();
  if (!now) return;
  const Rect outer = now->outer();
  const int grip = frame().top / 2;
  drag(outer.x + 60, outer.y + grip, x + 60, y + grip);
}

// Moves by the title bar, then drags the frame's bottom-right corner.
void WaylandSession::requestMoveResize(int x, int y, int width, int height) {
  requestMove(x, y);
  std::optional<WindowGeometry> now;
  pollUntil(5s, [&] {
    now = geometry();
    return now && now->outer().x == x && now->outer().y == y;
  });
  if (!now) return;
  const Rect outer = now->outer();
  const int cornerX = outer.x + outer.width - 2, cornerY = outer.y + outer.height - 2;
  drag(cornerX, cornerY, cornerX + width - now->client.width,
       cornerY + height - now->client.height);
}

}  // namespace lupe::e2e
