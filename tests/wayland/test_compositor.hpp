#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
  bool resendsWithEmptyDamage = false;   // whole pictures again, with an empty damage list
  PointerOnly pointerOnly = PointerOnly::SizeZero;
  bool pointerOnTouchingMonitors = false;  // told to every stream its picture touches
  int cursorSide = 384;                    // the cursor bitmap it asks room for
  int buffers = 16, leastBuffers = 2, mostBuffers = 16;
  bool portalGivesPosition = true;
  bool logicalPositions = false;  // the portal's positions logical, as KWin's
  std::vector<PixelRect> monitors;  // where they lie, in the streams' pixels
  std::vector<double> scales;       // each monitor's, 1 where none is given
};

// A compositor of the tests' own: one PipeWire stream per monitor of a row,
// producing through the session's PipeWire daemon on a thread of its own,
// showing a desktop picture (the test pattern to begin with) and the
// pointer where the test puts it, each picture and pointer move sent the
// row's way. A stream sends its first picture once a reader is connected.
class TestCompositor {
 public:
  explicit TestCompositor(const CompositorRow& row);  // throws std::runtime_error
  ~TestCompositor();

  // The portal's description of the streams, and the session's screens.
  std::vector<PortalStream> described() const;
  std::vector<SessionScreen> screens() const;
  // True once every stream has a reader and has sent its first picture.
  bool streaming();

  // The desktop picture at (x, y) now.
  Pixel pixel(int32_t x, int32_t y) const;
  // Paints `area` in `colour` and sends new pictures of the monitors it
  // touches, telling what changed as the row does.
  void paint(const PixelRect& area, Pixel colour);
  // Sends every monitor's picture again unchanged, as the row would.
  void resend();
  // Moves the pointer's hot spot to (x, y) on the desktop with buffers
  // that carry no picture.
  void movePointer(int32_t x, int32_t y);
  // Ends monitor `index`'s stream, as when it is unplugged.
  void endMonitor(size_t index);
  // Pictures that found no free buffer and were not sent.
  unsigned dropped() const;

 private:
  struct Monitor;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace lupe::wayland::test
