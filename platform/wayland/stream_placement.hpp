#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/desktop.hpp"
#include "platform/raster/raster.hpp"

namespace lupe::wayland {

// A monitor's stream as the portal describes it: the position it gives, if
// any (KDE Plasma's portal gives none before Plasma 6.6), and the size of
// the stream's pictures, in the monitor's own pixels.
struct PortalStream {
  uint32_t node = 0;  // PipeWire's
  std::optional<PointApi> position;
  int32_t width = 0;
  int32_t height = 0;
};

// A monitor as the session's window system reports it: its place and size
// in logical (scaled) units, and its scale.
struct SessionScreen {
  std::string name;
  PixelRect logical;
  double scale = 1;
};

// Where each stream lies on the desktop, in pixels of the streams' pictures,
// which is where its pictures and its pointer positions are read.
//
// The assumption made: positions are either in such pixels (mutter lays
// out so, and any desktop at scale 1) or logical (KWin); they are taken as
// logical only when as pixels the streams would overlap, and then scaled by
// the largest scale among the monitors, which keeps every monitor apart and
// monitors of that scale edge to edge. A stream without a position takes
// the position of the session's screen of its size (in screens' order when
// several have that size: ambiguous); with no screen to match, one stream
// lies at 0, 0 and further ones to the right of the others.
std::vector<PixelRect> placeStreams(const std::vector<PortalStream>& streams,
                                    const std::vector<SessionScreen>& screens);

}  // namespace lupe::wayland
