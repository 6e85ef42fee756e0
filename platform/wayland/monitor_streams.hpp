#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/raster/changed_area.hpp"
#include "platform/raster/raster.hpp"
#include "platform/wayland/portal_screen_cast.hpp"

namespace lupe::wayland {

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
  // -1: the session's PipeWire itself) to every stream. Throws PortalError when PipeWire refuses.
  static std::unique_ptr<MonitorStreams> open(int remote, const std::vector<MonitorStream>& streams);
  ~MonitorStreams();

  // The loop's descriptor: readable when there is something to dispatch.
  int eventDescriptor() const;
  // Runs what is due on the loop, without waiting.
  void dispatch();
  // True once every stream has shown a picture.
  bool allShown() const { return frames_.size() == streams_.size(); }

  // The newest frames, one per monitor that has shown one.
  const std::vector<MonitorFrame>& frames() const { return frames_; }
  // Where the streams' pointer metadata last put the pointer; false before any.
  bool pointer(int32_t& x, int32_t& y) const;
  // What the streams' pictures changed since the last call: `told` where
  // the compositor said (its damage; a monitor's first picture whole), and
  // the monitors whose new pictures came without a word in `untold`.
  void takeChanges(ChangedArea& told, std::vector<PixelRect>& untold);
  // Set once a stream ended or PipeWire failed: the reason, for the user.
  const std::string& ended() const { return ended_; }

 private:
  struct Loop;
  struct Stream;
  MonitorStreams();
  void refreshFrames();

  std::unique_ptr<Loop> loop_;
  std::vector<std::unique_ptr<Stream>> streams_;
  std::vector<MonitorFrame> frames_;
  std::string ended_;
  bool hasPointer_ = false;
  int32_t pointerX_ = 0, pointerY_ = 0;
  friend struct Stream;
};

}  // namespace lupe::wayland
