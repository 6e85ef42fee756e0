#include "platform/wayland/wayland_screen_source.hpp"

#include <glib.h>

#include <utility>

#include "platform/wayland/monitor_streams.hpp"
#include "platform/wayland/portal_screen_cast.hpp"
#include "platform/wayland/restore_token.hpp"
#include "platform/wayland/view_latency.hpp"

namespace lupe::wayland {
namespace {

const char* const kNoPictures =
    "Tevka - Lupe: Der Desktop hat die Bildschirmfreigabe erlaubt, zeigt aber kein Bild des "
    "Bildschirms; die Lupe wird beendet.";

// The four bands of `monitor` around `hole`, which lies inside it.
void addAround(ChangedArea& into, const PixelRect& monitor, const PixelRect& hole) {
  const int32_t right = hole.x + hole.width, bottom = hole.y + hole.height;
  into.add({monitor.x, monitor.y, monitor.width, hole.y - monitor.y});
  into.add({monitor.x, bottom, monitor.width, monitor.y + monitor.height - bottom});
  into.add({monitor.x, hole.y, hole.x - monitor.x, hole.height});
  into.add({right, hole.y, monitor.x + monitor.width - right, hole.height});
}

}  // namespace

WaylandScreenSource::WaylandScreenSource(EndingSink ended, std::vector<SessionScreen> screens)
    : ended_(std::move(ended)), screens_(std::move(screens)) {}

WaylandScreenSource::~WaylandScreenSource() {
  if (readsEnd_) g_source_remove(readsEnd_);
  streams_.reset();  // the streams before the session they belong to
  cast_.reset();
}

void WaylandScreenSource::open(std::function<void()> ready) {
  cast_ = std::make_unique<PortalScreenCast>(
      RestoreToken::defaultPath(),
      [this, ready = std::move(ready)] {
        const std::vector<PortalStream>& described = cast_->streams();
        const std::vector<PixelRect> areas = placeStreams(described, screens_);
        std::vector<MonitorStream> placed;
        for (size_t i = 0; i < described.size(); ++i) {
          placed.push_back({described[i].node, areas[i]});
          bounds_ = enclosing(bounds_, areas[i]);
        }
        streams_ = MonitorStreams::open(cast_->takePipeWireRemote(), placed, ended_);
        if (!streams_) return;
        dispatch();
        ready();
      },
      ended_);
}

int WaylandScreenSource::eventDescriptor() const { return streams_->eventDescriptor(); }

void WaylandScreenSource::dispatch() {
  streams_->dispatch();
  streams_->finishReading();
  if (readsEnd_) g_source_remove(std::exchange(readsEnd_, 0u));  // over already
}

void WaylandScreenSource::checkPictures() {
  dispatch();
  if (!streams_->allShown()) ended_({kNoPictures, streams_->withoutPictures(), 1});
}

// The look's reads end with the tick that made them: once the event loop
// runs again, new pictures may take the place of the ones read. A look
// read later still (a redraw outside the ticks) reads the newest pictures.
void WaylandScreenSource::beginReads() {
  streams_->dispatch();
  if (readsEnd_) return;
  readsEnd_ = g_idle_add_full(
      G_PRIORITY_DEFAULT,
      [](gpointer data) {
        auto* self = static_cast<WaylandScreenSource*>(data);
        self->readsEnd_ = 0;
        self->streams_->finishReading();
        return G_SOURCE_REMOVE;
      },
      this, nullptr);
}

void WaylandScreenSource::keepReadsOpen() {
  if (!readsEnd_) beginReads();
}

ScreenLook WaylandScreenSource::look() {
  beginReads();
  ViewLatency::instance().tickLooked();
  ScreenLook look{streams_->pointer(), bounds_, {}, this};
  for (const MonitorFrame& frame : streams_->frames()) look.bounds = enclosing(look.bounds, frame.area);
  takeChanges(look.changes);
  return look;
}

const MonitorFrame* WaylandScreenSource::frameHolding(const PixelRect& area) const {
  for (const MonitorFrame& frame : streams_->frames())
    if (intersection(area, frame.area) == area) return &frame;
  return nullptr;
}

void WaylandScreenSource::fingerprintRead(const PixelRect& area) {
  if (const MonitorFrame* frame = frameHolding(area))
    seen_.fingerprint(area, frame->area, frame->pixels);
  else
    seen_.forget();
}

bool WaylandScreenSource::read(const PixelRect& area, RasterView out) {
  keepReadsOpen();
  out.fill(kBlack);
  fingerprintRead(area);
  for (const MonitorFrame& frame : streams_->frames()) {
    const PixelRect part = intersection(area, frame.area);
    if (part.empty()) continue;
    for (int32_t y = 0; y < part.height; ++y) {
      const Pixel* from = frame.pixels.row(part.y - frame.area.y + y) + (part.x - frame.area.x);
      Pixel* to = out.row(part.y - area.y + y) + (part.x - area.x);
      for (int32_t x = 0; x < part.width; ++x) to[x] = from[x] | kBlack;
    }
  }
  return true;
}

bool WaylandScreenSource::readInPlace(const PixelRect& area, ConstRasterView& out) {
  keepReadsOpen();
  const MonitorFrame* frame = frameHolding(area);
  if (!frame) return false;
  seen_.fingerprint(area, frame->area, frame->pixels);
  out = ConstRasterView(frame->pixels.row(area.y - frame->area.y) + (area.x - frame->area.x),
                        area.width, area.height, frame->pixels.stride);
  return true;
}

// A new picture without damage is compared with the fingerprint of what
// the last look's reads took: only a difference there counts, and the rest
// of the monitor, which no read has looked at, counts as changed.
void WaylandScreenSource::takeChanges(ChangedArea& into) {
  withoutDamage_.clear();
  streams_->takeDamage(into, withoutDamage_);
  for (const PixelRect& monitor : withoutDamage_) {
    const PixelRect seen = seen_.area();
    const MonitorFrame* frame = frameHolding(monitor);
    if (!frame || seen.empty() || intersection(seen, monitor) != seen) {
      into.add(monitor);
      continue;
    }
    addAround(into, monitor, seen);
    into.add(seen_.differing(frame->area, frame->pixels));
  }
}

}  // namespace lupe::wayland
