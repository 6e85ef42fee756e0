#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/emulation/ending.hpp"
#include "platform/wayland/stream_placement.hpp"

namespace lupe::wayland {

// A session of the desktop's screen-cast portal (xdg-desktop-portal): every
// monitor, with the pointer's position as metadata, kept permitted between
// starts by a restore token where the portal keeps permissions (version 4
// and later). Its requests are answered on the session bus's default main
// context, which the toolkit's event loop runs: nothing waits for the user.
class PortalScreenCast {
 public:
  // Begins asking the portal, offering the token kept at `tokenPath` and
  // keeping the new one there. Then, from the event loop, either `granted`
  // runs once, or `ended` hears why not: no portal, no pointer, declined,
  // failed, or no answer within a minute. `ended` also hears when the
  // desktop closes the granted session later.
  PortalScreenCast(std::string tokenPath, std::function<void()> granted, EndingSink ended);
  // Closes the session, whether granted or still being asked for, and a
  // request still pending (its dialog goes away).
  ~PortalScreenCast();
  PortalScreenCast(const PortalScreenCast&) = delete;
  PortalScreenCast& operator=(const PortalScreenCast&) = delete;

  // Once granted: the monitors' streams as the portal describes them and
  // the PipeWire connection they are read through, which the caller takes over (-1 once taken).
  const std::vector<PortalStream>& streams() const;
  int takePipeWireRemote();

 private:
  struct Asking;
  std::unique_ptr<Asking> asking_;
};

}  // namespace lupe::wayland
