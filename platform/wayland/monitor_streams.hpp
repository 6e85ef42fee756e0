#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/desktop.hpp"
#include "platform/emulation/ending.hpp"
#include "platform/raster/changed_area.hpp"
#include "platform/raster/raster.hpp"

namespace lupe::wayland {

// One monitor's stream: the PipeWire node and where the monitor lies on the
// desktop, in its pixels.
struct MonitorStream {
  uint32_t node = 0;
  PixelRect area;
};

// The newest picture of one monitor, read in place from the stream's shared
// memory; valid until the next dispatch.
struct MonitorFrame {
  PixelRect area;          // on the desktop, in pixels
  ConstRasterView pixels;  // alpha bytes may be anything
};

// The monitors' PipeWire streams, on a loop of their own that the caller
// runs (`dispatch`) whenever its descriptor is readable and before it looks
// at the frames: one thread, no locks. Each stream keeps its newest buffer
// until a newer one comes and gives the older one back at once, so the
// compositor never waits for us and nothing is copied.
class MonitorStreams {
 public:
  // Connects through the portal's PipeWire remote (`remote`, taken over;
  // -1: the session's PipeWire itself) to every stream. When PipeWire
  // refuses, or later a stream ends or PipeWire fails, `ended` hears why,
  // once, with PipeWire's own words as the cause; nullptr when at once.
  static std::unique_ptr<MonitorStreams> open(int remote, const std::vector<MonitorStream>& streams,
                                              EndingSink ended);
  ~MonitorStreams();

  // The loop's descriptor: readable when there is something to dispatch.
  int eventDescriptor() const;
  // Runs what is due on the loop, without waiting.
  void dispatch();
  // True once every stream has shown a picture.
  bool allShown() const { return frames_.size() == streams_.size(); }
  // The streams that have shown none, with their state, for a report.
  std::string withoutPictures() const;

  // The newest frames, one per monitor that has shown one.
  const std::vector<MonitorFrame>& frames() const { return frames_; }
  // Where the streams' pointer metadata last put the pointer; none before any.
  std::optional<PointApi> pointer() const { return pointer_; }
  // What the streams' pictures changed since the last call: `damage` where
  // the compositor said (a monitor's first picture whole), and in
  // `withoutDamage` the monitors whose new pictures came without damage.
  void takeDamage(ChangedArea& damage, std::vector<PixelRect>& withoutDamage);

 private:
  struct Loop;
  struct Stream;
  explicit MonitorStreams(EndingSink ended);
  void refreshFrames();
  void end(Ending ending);

  std::unique_ptr<Loop> loop_;
  std::vector<std::unique_ptr<Stream>> streams_;
  std::vector<MonitorFrame> frames_;
  EndingSink ended_;
  std::optional<PointApi> pointer_;
  friend struct Stream;
};

}  // namespace lupe::wayland
