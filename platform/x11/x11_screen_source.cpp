#include "platform/x11/x11_screen_source.hpp"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <xcb/damage.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include "platform/x11/monitor_gaps.hpp"
#include "platform/x11/pixel_format.hpp"
#include "platform/x11/screen_layout.hpp"
#include "platform/x11/shm_segment.hpp"
#include "platform/x11/x11_environment.hpp"
#include "platform/x11/xcb_owned.hpp"

namespace lupe::x11 {

namespace {

// Holds the default window's larger source rectangle (719 x 340 at 32 bits),
// so a magnifier at its start size never grows the segment.
constexpr size_t kFirstSegmentBytes = size_t{1} << 20;

}  // namespace

struct X11ScreenSource::State {
  State(xcb_connection_t* c, xcb_window_t r, const ServerPixelFormat& f, PixelRect bounds)
      : connection(c), root(r), format(f), converter(f), layout(c, r, bounds) {}
  ~State() {
    segment.release(connection);
    xcb_flush(connection);
    xcb_disconnect(connection);
  }

  void setUpShm();
  // Asks X DAMAGE for every drawing on the root, its windows' included.
  void setUpDamage();
  // Handles the notices that arrived since the last call; one round trip
  // when the root's size or the monitors changed.
  void takeNotices();
  bool checkLost();
  // Whether the shared segment holds `bytes`, growing it if need be.
  bool sharedFits(size_t bytes);
  // Has the server write `area` into the shared segment.
  bool getShared(const PixelRect& area, size_t rowBytes);
  bool readShared(const PixelRect& area, size_t rowBytes, RasterView out);
  bool readPlain(const PixelRect& area, size_t rowBytes, RasterView out);

  xcb_connection_t* connection;
  xcb_window_t root;
  ServerPixelFormat format;
  PixelConverter converter;
  ScreenLayout layout;
  bool lost = false;

  bool shm = false;
  ShmSegment segment;
  size_t refusedBytes = SIZE_MAX;  // a segment this large was refused: do not ask again

  bool damage = false;
  uint8_t damageNotify = 0;
  ChangedArea changes;  // since the last takeChanges()
};

void X11ScreenSource::State::setUpShm() {
  shm = serverOffersShm(connection) && segment.create(connection, kFirstSegmentBytes);
}

void X11ScreenSource::State::setUpDamage() {
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_damage_id);
  if (extension == nullptr || !extension->present) return;
  damage = own(xcb_damage_query_version_reply(
               connection, xcb_damage_query_version(connection, 1, 1), nullptr)) != nullptr;
  if (!damage) return;
  damageNotify = extension->first_event + XCB_DAMAGE_NOTIFY;
  // Each drawing's own rectangle, with nothing to take off the server's
  // account afterwards: the notices alone say what changed.
  xcb_damage_create(connection, xcb_generate_id(connection), root,
                    XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
}

void X11ScreenSource::State::takeNotices() {
  while (const auto event = own(xcb_poll_for_event(connection))) {
    if (damage && (event->response_type & 0x7f) == damageNotify) {
      const auto* drawn = reinterpret_cast<const xcb_damage_notify_event_t*>(event.get());
      changes.add({drawn->area.x, drawn->area.y, drawn->area.width, drawn->area.height});
    } else if (layout.take(*event)) {
      changes.addEverything();
    }
  }
  if (layout.refreshIfStale()) changes.addEverything();
  if (checkLost()) changes.addEverything();
}

bool X11ScreenSource::State::checkLost() {
  if (!lost && xcb_connection_has_error(connection) != 0) lost = true;
  return lost;
}

bool X11ScreenSource::State::sharedFits(size_t bytes) {
  if (bytes <= segment.size()) return true;
  if (bytes >= refusedBytes) return false;
  // Grow in steps, so a window dragged larger does not regrow every tick,
  // but never past what the whole root needs.
  const size_t wholeRoot = bytesPerRow(format, layout.bounds().width) *
                           static_cast<size_t>(std::max(layout.bounds().height, 0));
  ShmSegment larger;
  if (!larger.create(connection, std::max(bytes, std::min(2 * segment.size(), wholeRoot)))) {
    refusedBytes = bytes;
    return false;
  }
  segment.release(connection);
  segment = std::move(larger);
  return true;
}

bool X11ScreenSource::State::getShared(const PixelRect& area, size_t rowBytes) {
  const size_t needed = rowBytes * static_cast<size_t>(area.height);
  xcb_generic_error_t* error = nullptr;
  const auto reply = own(xcb_shm_get_image_reply(
      connection,
      xcb_shm_get_image(connection, root, static_cast<int16_t>(area.x),
                        static_cast<int16_t>(area.y), static_cast<uint16_t>(area.width),
                        static_cast<uint16_t>(area.height), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                        segment.id(), 0),
      &error));
  own(error);  // the missing reply says it all
  return reply && reply->size >= needed;
}

bool X11ScreenSource::State::readShared(const PixelRect& area, size_t rowBytes, RasterView out) {
  if (!getShared(area, rowBytes)) return false;
  converter.convert(segment.data(), rowBytes, out);
  return true;
}

bool X11ScreenSource::State::readPlain(const PixelRect& area, size_t rowBytes, RasterView out) {
  xcb_generic_error_t* error = nullptr;
  const auto reply = own(xcb_get_image_reply(
      connection,
      xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(area.x),
                    static_cast<int16_t>(area.y), static_cast<uint16_t>(area.width),
                    static_cast<uint16_t>(area.height), ~0u),
      &error));
  own(error);  // the missing reply says it all
  const bool ok = reply && static_cast<size_t>(xcb_get_image_data_length(reply.get())) >=
                               rowBytes * static_cast<size_t>(area.height);
  if (ok) converter.convert(xcb_get_image_data(reply.get()), rowBytes, out);
  return ok;
}

std::unique_ptr<X11ScreenSource> X11ScreenSource::open(const char* display, CaptureMode mode) {
  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(display, &screenNumber);
  if (xcb_connection_has_error(connection) != 0) {
    xcb_disconnect(connection);
    throw std::runtime_error(unreachableDisplayText(display));
  }
  const xcb_setup_t* setup = xcb_get_setup(connection);
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
  for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);
  ServerPixelFormat format;
  if (!screens.rem || !describeVisual(setup, screens.data->root_visual, format) ||
      !PixelConverter(format).valid()) {
    const int depth = screens.rem ? screens.data->root_depth : 0;
    xcb_disconnect(connection);
    throw std::runtime_error("Die Lupe kann diesen Bildschirm (" + std::to_string(depth) +
                             " Bit Farbtiefe ohne Echtfarben) nicht lesen.");
  }

  auto state = std::make_unique<State>(
      connection, screens.data->root, format,
      PixelRect{0, 0, screens.data->width_in_pixels, screens.data->height_in_pixels});
  if (mode == CaptureMode::SharedMemoryWhenOffered) state->setUpShm();
  state->setUpDamage();
  if (state->checkLost()) throw std::runtime_error(unreachableDisplayText(display));
  return std::unique_ptr<X11ScreenSource>(new X11ScreenSource(std::move(state)));
}

X11ScreenSource::X11ScreenSource(std::unique_ptr<State> state) : state_(std::move(state)) {}

X11ScreenSource::~X11ScreenSource() = default;

PixelRect X11ScreenSource::bounds() {
  if (!state_->checkLost()) state_->takeNotices();
  return state_->layout.bounds();
}

bool X11ScreenSource::read(const PixelRect& area, RasterView out) {
  State& s = *state_;
  if (s.checkLost() || area.empty()) return false;
  if (out.width != area.width || out.height != area.height) return false;
  const size_t rowBytes = bytesPerRow(s.format, area.width);
  // A rectangle too large for any segment the kernel grants still gets read,
  // the slow way.
  const bool ok = s.shm && s.sharedFits(rowBytes * static_cast<size_t>(area.height))
                      ? s.readShared(area, rowBytes, out)
                      : s.readPlain(area, rowBytes, out);
  if (!ok) {
    // Most likely the root shrank under us: ask for its size next time.
    if (!s.checkLost()) s.layout.markStale();
    return false;
  }
  blackOutUnshown(area, s.layout.monitors(), out);
  return true;
}

bool X11ScreenSource::readInPlace(const PixelRect& area, ConstRasterView& out) {
  State& s = *state_;
  if (!s.shm || !s.converter.direct() || s.checkLost() || area.empty()) return false;
  const size_t rowBytes = bytesPerRow(s.format, area.width);
  if (rowBytes % sizeof(Pixel) != 0 || !s.sharedFits(rowBytes * static_cast<size_t>(area.height)))
    return false;
  if (!s.getShared(area, rowBytes)) {
    if (!s.checkLost()) s.layout.markStale();
    return false;
  }
  const RasterView pixels{reinterpret_cast<Pixel*>(s.segment.data()), area.width, area.height,
                          static_cast<ptrdiff_t>(rowBytes / sizeof(Pixel))};
  blackOutUnshown(area, s.layout.monitors(), pixels);
  out = pixels;
  return true;
}

std::optional<PointApi> X11ScreenSource::pointer() {
  State& s = *state_;
  if (s.checkLost()) return std::nullopt;
  xcb_generic_error_t* error = nullptr;
  const auto reply = own(
      xcb_query_pointer_reply(s.connection, xcb_query_pointer(s.connection, s.root), &error));
  own(error);  // the missing reply says it all
  s.checkLost();
  if (!reply || !reply->same_screen) return std::nullopt;
  return PointApi{reply->root_x, reply->root_y};
}

// The pointer's reply comes after the notices of every drawing done before
// it: taken in after it, they hold all of those.
ScreenLook X11ScreenSource::look() {
  State& s = *state_;
  ScreenLook look{pointer(), {}, {}, this};
  if (!s.checkLost()) s.takeNotices();
  if (!s.damage || s.lost) look.changes.addEverything();
  look.changes.add(s.changes);
  s.changes.clear();
  look.bounds = s.layout.bounds();
  return look;
}

bool X11ScreenSource::tracksChanges() const { return state_->damage; }

bool X11ScreenSource::usesSharedMemory() const { return state_->shm; }

bool X11ScreenSource::connectionLost() const { return state_->checkLost(); }

}  // namespace lupe::x11
