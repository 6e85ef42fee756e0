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

// One request the test portal's backend was given, as the portal's front end
// passed it on (it drops options it does not know and hands a restore token
// it knows on as `restore_data`): each option's value as GVariant text
// without its type, e.g. "1", "true", "'text'".
struct PortalRequest {
  std::string method;  // "CreateSession", "SelectSources" or "Start"
  std::map<std::string, std::string> options;
};

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
  Image screen(const Rect& area);  // only that part, black off the monitors
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
  // The desktop whose backend the test portal plays: "gnome" (the default),
  // "kde" (streams without their position) or "old" (version 3: no kept
  // permission).
  void play(const std::string& desktop);
  // Every request since the last forgetRequests(), oldest first.
  std::vector<PortalRequest> requests();
  void forgetRequests();

  // Takes in what the screen cast brought, telling new pictures; reads of
  // streams().frames() end with its finishReading().
  void beginReading();

 private:
  void dispatch();  // beginReading and finishReading at once

  std::vector<Rect> monitors_;
  std::unique_ptr<wayland::MonitorStreams> streams_;
  std::function<void(const wayland::MonitorFrame&)> seen_;
  // The number of each monitor's last picture seen, by its place.
  std::map<std::pair<int, int>, uint64_t> lastPicture_;
  std::string ended_;  // why the tests' screen cast ended, once it has
};

}  // namespace lupe::e2e
