#pragma once

#include <span>
#include <vector>

#include <xcb/xcb.h>

#include "platform/raster/raster.hpp"

namespace lupe::x11 {

// The root window's size and the monitors that show it, followed from the
// server's notices on the screen source's connection: RandR 1.5 monitors
// and Xinerama heads together (a nested server, Xephyr with +xinerama,
// tells its second head only through Xinerama, and a pixel counts as shown
// when either shows it).
class ScreenLayout {
 public:
  // Asks for the root's and the monitors' notices and reads both once.
  ScreenLayout(xcb_connection_t* connection, xcb_window_t root, PixelRect bounds);

  // Takes in one event from the connection; notices that the monitors may
  // have changed make the layout stale. True when it was such a notice.
  bool take(const xcb_generic_event_t& event);
  // The root may have changed under us (a read failed): read it anew next time.
  void markStale() { stale_ = true; }
  // One round trip when stale, none otherwise; true when it was stale.
  bool refreshIfStale();

  const PixelRect& bounds() const { return bounds_; }
  std::span<const PixelRect> monitors() const { return monitors_; }

 private:
  void setUpRandr();
  void setUpXinerama();
  void refresh();

  xcb_connection_t* connection_;
  xcb_window_t root_;
  PixelRect bounds_;
  std::vector<PixelRect> monitors_;
  bool stale_ = false;
  bool randr_ = false;
  uint8_t randrFirstEvent_ = 0;
  bool xinerama_ = false;
};

}  // namespace lupe::x11
