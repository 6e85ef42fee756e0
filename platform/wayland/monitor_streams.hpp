#pragma once

#include <atomic>
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
  uint64_t picture = 0;    // the stream's count of pictures, up to this one
};

// The monitors' PipeWire streams, on a loop of their own that the caller
// runs (`dispatch`) whenever its descriptor is readable and before it looks
// at the frames, which it reads until `finishReading`. Pictures are taken
// in as they arrive, on PipeWire's data thread, and read in place: a
// compositor whose buffers we kept too long would drop pictures, the last
// of a burst among them (see picture_handover.hpp).
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
  // Runs what is due on the loop, without waiting, and begins a read of
  // the newest frames.
  void dispatch();
  // Ends the read: the frames are not looked at again before the next
  // dispatch, and new pictures take their place as they come.
  void finishReading();
  // True once every stream has shown a picture (as of the last dispatch).
  bool allShown() const;
  // The streams that have shown none, with their state, for a report.
  std::string withoutPictures() const;

  // The newest frames, one per monitor that has shown one.
  const std::vector<MonitorFrame>& frames() const { return frames_; }
  // Where the streams' pointer metadata last put the pointer; none before any.
  // A stream that tells a position outside its own monitor (Plasma 6 tells
  // every monitor the pointer's picture touches) counts only while no
  // stream tells one inside its monitor.
  std::optional<PointApi> pointer() const { return pointer_; }
  // What the streams' pictures changed since the last call: `damage` where
  // the compositor said (a monitor's first picture whole), and in
  // `withoutDamage` the monitors whose new pictures came without damage.
  void takeDamage(ChangedArea& damage, std::vector<PixelRect>& withoutDamage);

 private:
  struct Loop;
  struct Stream;
  explicit MonitorStreams(EndingSink ended);
  void choosePointer();
  void wake();
  void end(Ending ending);

  std::unique_ptr<Loop> loop_;
  std::vector<std::unique_ptr<Stream>> streams_;
  std::vector<MonitorFrame> frames_;
  EndingSink ended_;
  std::optional<PointApi> pointer_;
  std::atomic<uint64_t> pointerReports_{0};  // orders the streams' reports
  friend struct Stream;
};

}  // namespace lupe::wayland
