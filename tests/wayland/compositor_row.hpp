#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/desktop.hpp"
#include "platform/raster/raster.hpp"
#include "platform/wayland/stream_placement.hpp"

namespace lupe::wayland::test {

// How one desktop's compositor sends its monitors' screen-cast streams, as
// its sources show it: one row of the test compositor's table.
struct CompositorRow {
  enum class Damage { None, WholeMonitor, Regions };
  enum class PointerOnly { SizeZero, SizeZeroCorrupted, CorruptedWithSize };

  std::string name;
  Damage damage = Damage::None;
  bool resendsWithEmptyDamage = false;  // whole pictures again, with an empty damage list
  PointerOnly pointerOnly = PointerOnly::SizeZero;
  bool pointerOnTouchingMonitors = false;  // told to every stream its picture touches
  int cursorSide = 384;                    // the cursor bitmap it asks room for
  int buffers = 16, leastBuffers = 2, mostBuffers = 16;
  bool portalGivesPosition = true;
  bool logicalPositions = false;    // the portal's positions logical, as KWin's
  std::vector<PixelRect> monitors;  // where they lie, in the streams' pixels
  std::vector<double> scales;       // each monitor's, 1 where none is given
};

// Where a row's compositor has its monitors and tells the pointer. KWin
// lays its desktop out in logical units, each monitor `scale` pixels a
// unit, and tells sizes and the pointer in a monitor's pixels; mutter lays
// out in pixels.
class CompositorLayout {
 public:
  explicit CompositorLayout(const CompositorRow& row);  // which outlives it

  // Monitor `i`'s top left as the portal tells it.
  PointApi portalPosition(size_t i) const;
  // Monitor `i` as the session (Qt) tells it: logical geometry and scale.
  SessionScreen screen(size_t i) const;
  // The pointer's hot spot, at `pointer` on the desktop, as monitor `i`'s
  // stream tells it: from its place in the layout, so that a monitor it is
  // not on but touches (Plasma 6 tells those) gets a position outside
  // itself; none where the stream tells none.
  std::optional<PointApi> pointerOn(size_t i, PointApi pointer) const;

 private:
  double left(size_t i) const { return row_.monitors[i].x / layoutScale_; }
  double top(size_t i) const { return row_.monitors[i].y / layoutScale_; }
  double scale(size_t i) const { return i < row_.scales.size() ? row_.scales[i] : 1; }

  const CompositorRow& row_;
  double layoutScale_ = 1;  // pixels per unit of the layout
};

}  // namespace lupe::wayland::test
