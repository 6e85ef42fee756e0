#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pixels.hpp"

namespace lupe::wayland {
class MonitorStreams;
struct MonitorFrame;
}

namespace lupe::e2e {

// The headless GNOME session that scripts/with-wayland.sh starts, as the
// tests see it: the pointer, buttons and keys through mutter's remote
// desktop, the screen read back through a screen cast of the tests' own,
// and the test portal's counts.
class WaylandDesktop {
 public:
  WaylandDesktop();  // throws std::runtime_error outside such a session
  ~WaylandDesktop();

  // The monitors, in desktop pixels.
  const std::vector<Rect>& monitors() const { return monitors_; }
  Rect bounds() const;

  void movePointer(int x, int y);
  void press(bool down);      // the left button, where the pointer is
  void tap(uint32_t keysym);  // a key pressed and released

  // Whether the tests' screen cast has shown a picture of every monitor: it
  // does once the compositor paints anew after the cast began.
  bool showsEveryMonitor();
  // The screen as the compositor last showed it; black off the monitors and
  // where no picture came yet.
  Image screen();
  // The screen cast itself, for a meter that follows every picture.
  wayland::MonitorStreams& streams() { return *streams_; }
  // Hands each new picture of a monitor to `seen` from now on (nullptr:
  // to none), whenever the cast is dispatched: by await, screen() and
  // showsEveryMonitor().
  void onPicture(std::function<void(const wayland::MonitorFrame&)> seen);
  // Takes the cast's pictures in as they come, for `time`.
  void await(std::chrono::milliseconds time);

  // The test portal: how often it would have asked the user, how many
  // sessions it holds, what it answers next, and ending its streams.
  unsigned asks();
  unsigned openSessions();
  unsigned heldRequests();              // requests left unanswered by "hold"
  void answer(const std::string& how);  // "approve", "decline" or "hold"
  void endStreams();

 private:
  void dispatch();

  std::vector<Rect> monitors_;
  std::unique_ptr<wayland::MonitorStreams> streams_;
  std::function<void(const wayland::MonitorFrame&)> seen_;
  // A new picture comes in another buffer: the one it replaces is given
  // back only once the new one is held. By each monitor's place.
  std::map<std::pair<int, int>, const void*> lastPicture_;
  std::string ended_;  // why the tests' screen cast ended, once it has
};

}  // namespace lupe::e2e
