#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "compositor_row.hpp"
#include "platform/raster/raster.hpp"
#include "platform/wayland/stream_placement.hpp"

namespace lupe::wayland::test {

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
