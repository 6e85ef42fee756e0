#include "wayland_session.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "lupe.hpp"
#include "platform/wayland/monitor_streams.hpp"
#include "poll.hpp"

namespace lupe::e2e {

using namespace std::chrono_literals;

namespace {

// One pattern for every test of the run; it ends with the tests.
std::unique_ptr<ChildProcess>& patternWindow() {
  static std::unique_ptr<ChildProcess> window;
  return window;
}

void tellPattern(const std::string& line) {
  if (!patternWindow() || !patternWindow()->writeLine(line))
    throw std::runtime_error("the pattern window does not take \"" + line + "\"");
}

// The pictures of the magnifier's window, through the tests' own screen
// cast. mutter 43 records a monitor whole each time it paints anything on
// it, which it does for a window's commit and for nothing else here (the
// pointer comes as metadata in buffers without a picture; a picture it
// skips as too early it records a little later, with what it skipped).
// While this counts, the pattern stops repainting itself and changes only
// by the test's patch, always to something new: so a new picture whose
// pixels outside the magnifier's window are those of the last picture was
// painted for the window's own commit. (A commit painted together with the
// patch goes uncounted, but a window that commits without cause does so
// again at the next picture.)
class CastPictures final : public PictureCount {
 public:
  CastPictures(WaylandDesktop& desktop, const Rect& window) : desktop_(desktop), window_(window) {
    tellPattern("quiet");
    // Until the repaints asked for before have gone by: no picture for
    // 300 ms (or, from a window that never stops, three seconds).
    int pictures = 1;
    desktop_.onPicture([&](const wayland::MonitorFrame&) { ++pictures; });
    for (int i = 0; i < 10 && pictures > 0; ++i) {
      pictures = 0;
      desktop_.await(300ms);
    }
    desktop_.onPicture(nullptr);
    desktop_.beginReading();
    for (const wayland::MonitorFrame& frame : desktop_.streams().frames())
      if (holdsWindow(frame)) last_ = hashOutside(frame);
    desktop_.streams().finishReading();
    desktop_.onPicture([this](const wayland::MonitorFrame& frame) {
      if (!holdsWindow(frame)) return;
      const uint64_t outside = hashOutside(frame);
      if (outside == last_) ++count_;
      last_ = outside;
    });
  }
  ~CastPictures() override {
    desktop_.onPicture(nullptr);
    tellPattern("refresh");
  }
  void reset() override {
    desktop_.await(0ms);
    count_ = 0;
  }
  int takeFor(std::chrono::milliseconds time) override {
    desktop_.await(time);
    return count_;
  }

 private:
  bool holdsWindow(const wayland::MonitorFrame& frame) const {
    return frame.area.x <= window_.x && frame.area.y <= window_.y &&
           window_.x < frame.area.x + frame.area.width && window_.y < frame.area.y + frame.area.height;
  }
  uint64_t hashOutside(const wayland::MonitorFrame& frame) const {
    const Rect window{window_.x - frame.area.x, window_.y - frame.area.y, window_.width,
                      window_.height};
    uint64_t hash = 1469598103934665603ull;
    for (int y = 0; y < frame.area.height; ++y) {
      const Pixel* row = frame.pixels.row(y);
      const bool across = y >= window.y && y < window.y + window.height;
      for (int x = 0; x < frame.area.width; ++x) {
        if (across && x == window.x) x = window.x + window.width;
        if (x < frame.area.width) hash = (hash ^ (row[x] & 0xffffffu)) * 1099511628211ull;
      }
    }
    return hash;
  }

  WaylandDesktop& desktop_;
  Rect window_;
  uint64_t last_ = 0;
  int count_ = 0;
};

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

WaylandSession::~WaylandSession() {
  if (!patch_.empty() && patternWindow()) patternWindow()->writeLine("patch 0 0 0 0 000000");
}

Image WaylandSession::read(const Rect& area) { return desktop_.screen(area); }

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

void WaylandSession::showPatch(const Rect& area, Rgb colour) {
  char line[64];
  std::snprintf(line, sizeof line, "patch %d %d %d %d %06x", area.x, area.y, area.width,
                area.height, colour);
  tellPattern(line);
  const Rect before = patch_;
  patch_ = area;
  // Both places as they are to be: the patch, and the pattern where it was.
  const Rect at = desktop_.bounds();
  const auto shown = [&] {
    const Image screen = desktop_.screen();
    for (const Rect& place : {before.intersected(at), area.intersected(at)})
      for (int y = place.y; y < place.y + place.height; ++y)
        for (int x = place.x; x < place.x + place.width; ++x)
          if (screen.at(x - at.x, y - at.y) != (area.contains(x, y) ? colour : patternColour(x, y)))
            return false;
    return true;
  };
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!shown()) {
    if (std::chrono::steady_clock::now() > deadline)
      throw std::runtime_error("the screen cast does not show the patch at " + area.describe());
    desktop_.await(20ms);  // takes each picture in as it comes, for a count
  }
}

std::unique_ptr<PictureCount> WaylandSession::countPictures() {
  const std::optional<WindowGeometry> now = geometry();
  if (!now) throw std::runtime_error("the screen cast does not show the magnifier's window");
  return std::make_unique<CastPictures>(desktop_, now->outer());
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
  return awaitStillWindow(desktop_, timeout, patch_).has_value();
}

std::optional<WindowGeometry> WaylandSession::geometry() {
  const std::optional<Rect> outer = windowOverPattern(desktop_, patch_);
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
