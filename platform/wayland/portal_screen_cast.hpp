#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/raster/raster.hpp"

namespace lupe::wayland {

// A failure of the portal, worded for the user.
class PortalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One monitor's stream: the PipeWire node and where the monitor lies on the
// desktop, in its pixels.
struct MonitorStream {
  uint32_t node = 0;
  PixelRect area;
};

// A session of the desktop's screen-cast portal (xdg-desktop-portal): every
// monitor, with the pointer's position as metadata, kept permitted between
// starts by a restore token. Lives on the session bus's default main
// context, which the toolkit's event loop runs.
class PortalScreenCast {
 public:
  // Asks the portal for the monitors' streams, offering the token kept at
  // `tokenPath` and keeping the new one there. Throws PortalError when there
  // is no portal, it cannot tell the pointer, the user declines or the
  // session cannot be made; nothing is left open then.
  static std::unique_ptr<PortalScreenCast> open(const std::string& tokenPath);
  ~PortalScreenCast();  // closes the session

  const std::vector<MonitorStream>& streams() const { return streams_; }
  // The PipeWire connection the streams are read through; the caller owns it.
  int takePipeWireRemote();
  // Called once, from the event loop, when the desktop ends the session.
  void onClosed(std::function<void()> closed) { closed_ = std::move(closed); }

 private:
  struct Bus;
  explicit PortalScreenCast(std::unique_ptr<Bus> bus);
  void start(const std::string& restoreToken, std::string& newToken);

  std::unique_ptr<Bus> bus_;
  std::vector<MonitorStream> streams_;
  int remote_ = -1;
  std::function<void()> closed_;
};

}  // namespace lupe::wayland
