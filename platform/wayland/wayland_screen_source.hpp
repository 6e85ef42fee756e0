#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/emulation/ending.hpp"
#include "platform/emulation/screen_source.hpp"
#include "platform/wayland/seen_area.hpp"
#include "platform/wayland/stream_placement.hpp"

namespace lupe::wayland {

class PortalScreenCast;
class MonitorStreams;
struct MonitorFrame;

// The desktop of a Wayland session as a screen source: every monitor's
// screen-cast stream from the desktop's portal, read in place, placed where
// the portal says the monitor lies; the pointer from the streams' metadata;
// what changed from their damage, or, where a picture comes without it,
// from a fingerprint of what the last look's reads saw. Black wherever no
// monitor shows. The streams are placed by what the portal says of them and
// by the session's `screens` (see placeStreams).
class WaylandScreenSource final : public ScreenSource, private ScreenPixels {
 public:
  // `ended` hears, once, why the screen cannot be seen: the portal refused
  // or is missing, the desktop ended the session, a stream ended, PipeWire
  // went away, or no picture came.
  WaylandScreenSource(EndingSink ended, std::vector<SessionScreen> screens);
  ~WaylandScreenSource() override;

  // Asks the portal (offering the permission kept from an earlier start)
  // and connects to the monitors' streams; `ready` runs from the event loop
  // once they are connected. Everything below is for after that.
  void open(std::function<void()> ready);

  // The descriptor that becomes readable when a stream has something to
  // dispatch, and the call that dispatches it between ticks: an ended
  // stream is heard then too.
  int eventDescriptor() const;
  void dispatch();
  // Ends as above when a monitor has not shown a picture yet. A compositor
  // sends a stream's first picture only once it paints the screen anew,
  // which our window's first showing makes it do: check a while after it.
  void checkPictures();

  // Dispatches first: what the streams brought since the last look is in.
  ScreenLook look() override;

 private:
  // Reads through a look; what they read is fingerprinted for the next look.
  bool read(const PixelRect& area, RasterView out) override;
  bool readInPlace(const PixelRect& area, ConstRasterView& out) override;

  const MonitorFrame* frameHolding(const PixelRect& area) const;
  void fingerprintRead(const PixelRect& area);
  void takeChanges(ChangedArea& into);
  void beginReads();
  void keepReadsOpen();

  EndingSink ended_;
  std::vector<SessionScreen> screens_;
  std::unique_ptr<PortalScreenCast> cast_;
  std::unique_ptr<MonitorStreams> streams_;
  PixelRect bounds_;
  SeenArea seen_;
  std::vector<PixelRect> withoutDamage_;
  unsigned readsEnd_ = 0;  // the GLib source that ends the look's reads
};

}  // namespace lupe::wayland
