#include "platform/wayland/wayland_screen_source.hpp"

#include <utility>

#include "platform/wayland/monitor_streams.hpp"
#include "platform/wayland/portal_screen_cast.hpp"
#include "platform/wayland/restore_token.hpp"
#include "platform/wayland/seen_area.hpp"

namespace lupe::wayland {
namespace {

const char* const kNoPictures =
    "Tevka - Lupe: Der Desktop hat die Bildschirmfreigabe erlaubt, zeigt aber kein Bild des "
    "Bildschirms; die Lupe wird beendet.";
const char* const kSessionClosed =
    "Tevka - Lupe: Der Desktop hat die Bildschirmfreigabe beendet; die Lupe wird beendet.";

}  // namespace

WaylandScreenSource::WaylandScreenSource(std::unique_ptr<PortalScreenCast> cast,
                                         std::unique_ptr<MonitorStreams> streams)
    : cast_(std::move(cast)), streams_(std::move(streams)) {
  for (const MonitorStream& stream : cast_->streams()) bounds_ = enclosing(bounds_, stream.area);
  cast_->onClosed([this] { end(kSessionClosed); });
}

WaylandScreenSource::~WaylandScreenSource() {
  streams_.reset();  // the streams before the session they belong to
  cast_.reset();
}

std::unique_ptr<WaylandScreenSource> WaylandScreenSource::open() {
  std::unique_ptr<PortalScreenCast> cast = PortalScreenCast::open(RestoreToken::defaultPath());
  std::unique_ptr<MonitorStreams> streams =
      MonitorStreams::open(cast->takePipeWireRemote(), cast->streams());
  streams->dispatch();
  if (!streams->ended().empty()) throw PortalError(streams->ended());
  return std::unique_ptr<WaylandScreenSource>(
      new WaylandScreenSource(std::move(cast), std::move(streams)));
}

int WaylandScreenSource::eventDescriptor() const { return streams_->eventDescriptor(); }

void WaylandScreenSource::dispatch() {
  streams_->dispatch();
  if (!streams_->ended().empty()) end(streams_->ended());
}

void WaylandScreenSource::checkPictures() {
  dispatch();
  if (!streams_->allShown()) end(kNoPictures);
}

void WaylandScreenSource::onEnded(std::function<void(const std::string&)> ended) {
  ended_ = std::move(ended);
  if (!endLine_.empty()) end(endLine_);
}

void WaylandScreenSource::end(const std::string& line) {
  if (endLine_.empty()) endLine_ = line;
  if (auto ended = std::exchange(ended_, nullptr)) ended(endLine_);
}

PixelRect WaylandScreenSource::bounds() {
  PixelRect all = bounds_;
  for (const MonitorFrame& frame : streams_->frames()) all = enclosing(all, frame.area);
  return all;
}

namespace {

// The four bands of `monitor` around `hole`, which lies inside it.
void addAround(ChangedArea& into, const PixelRect& monitor, const PixelRect& hole) {
  const int32_t right = hole.x + hole.width, bottom = hole.y + hole.height;
  into.add({monitor.x, monitor.y, monitor.width, hole.y - monitor.y});
  into.add({monitor.x, bottom, monitor.width, monitor.y + monitor.height - bottom});
  into.add({monitor.x, hole.y, hole.x - monitor.x, hole.height});
  into.add({right, hole.y, monitor.x + monitor.width - right, hole.height});
}

}  // namespace

const MonitorFrame* WaylandScreenSource::frameHolding(const PixelRect& area) const {
  for (const MonitorFrame& frame : streams_->frames())
    if (intersection(area, frame.area) == area) return &frame;
  return nullptr;
}

void WaylandScreenSource::sawRead(const PixelRect& area) {
  if (const MonitorFrame* frame = frameHolding(area))
    seen_.saw(area, frame->area, frame->pixels);
  else
    seen_.forget();
}

bool WaylandScreenSource::read(const PixelRect& area, RasterView out) {
  sawRead(area);
  out.fill(kBlack);
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
  const MonitorFrame* frame = frameHolding(area);
  if (!frame) return false;
  seen_.saw(area, frame->area, frame->pixels);
  out = ConstRasterView(frame->pixels.row(area.y - frame->area.y) + (area.x - frame->area.x),
                        area.width, area.height, frame->pixels.stride);
  return true;
}

bool WaylandScreenSource::pointer(int32_t& x, int32_t& y) {
  // The tick begins here: what the streams brought since is taken in first.
  dispatch();
  return streams_->pointer(x, y);
}

// A new picture without word of what changed is compared with what the last
// reads saw: only a difference there counts, and the rest of the monitor,
// which no read has looked at, counts as changed.
void WaylandScreenSource::takeChanges(ChangedArea& into) {
  untold_.clear();
  streams_->takeChanges(into, untold_);
  for (const PixelRect& monitor : untold_) {
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
