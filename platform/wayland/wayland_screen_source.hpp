#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/emulation/screen_source.hpp"
#include "platform/wayland/seen_area.hpp"

namespace lupe::wayland {

class PortalScreenCast;
class MonitorStreams;
struct MonitorFrame;

// The desktop of a Wayland session as a screen source: every monitor's
// screen-cast stream from the desktop's portal, read in place, placed where
// the portal says the monitor lies; the pointer from the streams' metadata;
// what changed from their damage. Black wherever no monitor shows.
class WaylandScreenSource final : public ScreenSource {
 public:
  // Asks the portal (offering the permission kept from an earlier start)
  // and connects to the monitors' streams. Throws std::runtime_error
  // with one German line for the user when that cannot be done; nothing is
  // left open then.
  static std::unique_ptr<WaylandScreenSource> open();
  ~WaylandScreenSource() override;

  // The descriptor that becomes readable when a stream has news, and the
  // call that takes it in; the owner's event loop calls it then.
  int eventDescriptor() const;
  void dispatch();
  // Called once, from dispatch or the event loop, with the line to tell the
  // user, when the screen can no longer be seen (the desktop ended the
  // session, a stream ended, PipeWire went away).
  void onEnded(std::function<void(const std::string&)> ended);
  // Ends as above when a monitor has not shown a picture yet. A compositor
  // sends a stream's first picture only once it paints the screen anew,
  // which our window's first showing makes it do: check a while after it.
  void checkPictures();

  PixelRect bounds() override;
  bool read(const PixelRect& area, RasterView out) override;
  bool readInPlace(const PixelRect& area, ConstRasterView& out) override;
  bool pointer(int32_t& x, int32_t& y) override;
  // The portal tells no buttons: a move may always be asked for.
  bool leftButtonHeld() override { return true; }
  void takeChanges(ChangedArea& into) override;

 private:
  WaylandScreenSource(std::unique_ptr<PortalScreenCast> cast,
                      std::unique_ptr<MonitorStreams> streams);
  void end(const std::string& line);
  const MonitorFrame* frameHolding(const PixelRect& area) const;
  void sawRead(const PixelRect& area);

  std::unique_ptr<PortalScreenCast> cast_;
  std::unique_ptr<MonitorStreams> streams_;
  std::function<void(const std::string&)> ended_;
  std::string endLine_;
  PixelRect bounds_;
  SeenArea seen_;
  std::vector<PixelRect> untold_;
};

}  // namespace lupe::wayland
