#include "platform/x11/x11_screen_source.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include <xcb/randr.h>
#include <xcb/shm.h>
#include <xcb/xinerama.h>
#include <xcb/xcb.h>

#include "platform/x11/monitor_gaps.hpp"
#include "platform/x11/pixel_format.hpp"
#include "platform/x11/shm_segment.hpp"
#include "platform/x11/x11_environment.hpp"

namespace lupe::x11 {

namespace {

// Holds the default window's larger source rectangle (719 x 340 at 32 bits),
// so a magnifier at its start size never grows the segment.
constexpr size_t kFirstSegmentBytes = size_t{1} << 20;

}  // namespace

struct X11ScreenSource::State {
  State(xcb_connection_t* c, xcb_window_t r, const ServerPixelFormat& f)
      : connection(c), root(r), format(f), converter(f) {}
  ~State() {
    segment.release(connection);
    xcb_flush(connection);
    xcb_disconnect(connection);
  }

  void setUpRandr();
  void setUpXinerama();
  void setUpShm();
  // Handles the notices that arrived since the last call; one round trip
  // when the root's size or the monitors changed.
  void takeNotices();
  void refreshGeometry();
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
  PixelRect bounds;
  bool lost = false;
  bool geometryStale = false;

  bool randr = false;
  uint8_t randrFirstEvent = 0;
  bool xinerama = false;
  // What the monitors show, as RandR and Xinerama tell it together: a nested
  // server (Xephyr with +xinerama) tells its second head only through
  // Xinerama, and a pixel counts as shown when either source shows it.
  std::vector<PixelRect> monitors;

  bool shm = false;
  ShmSegment segment;
  size_t refusedBytes = SIZE_MAX;  // a segment this large was refused: do not ask again
};

void X11ScreenSource::State::setUpRandr() {
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_randr_id);
  if (extension == nullptr || !extension->present) return;
  xcb_randr_query_version_reply_t* version =
      xcb_randr_query_version_reply(connection, xcb_randr_query_version(connection, 1, 5), nullptr);
  // Monitors came with RandR 1.5; before that we only follow the root's size.
  randr = version != nullptr && (version->major_version > 1 ||
                                 (version->major_version == 1 && version->minor_version >= 5));
  std::free(version);
  if (!randr) return;
  randrFirstEvent = extension->first_event;
  xcb_randr_select_input(connection, root,
                         XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                             XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE |
                             XCB_RANDR_NOTIFY_MASK_RESOURCE_CHANGE);
}

void X11ScreenSource::State::setUpXinerama() {
  const xcb_query_extension_reply_t* extension =
      xcb_get_extension_data(connection, &xcb_xinerama_id);
  if (extension == nullptr || !extension->present) return;
  xcb_xinerama_is_active_reply_t* active =
      xcb_xinerama_is_active_reply(connection, xcb_xinerama_is_active(connection), nullptr);
  xinerama = active != nullptr && active->state != 0;
  std::free(active);
}

void X11ScreenSource::State::setUpShm() {
  shm = serverOffersShm(connection) && segment.create(connection, kFirstSegmentBytes);
}

void X11ScreenSource::State::takeNotices() {
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_CONFIGURE_NOTIFY) {
      const auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
      if (configure->window == root) {
        bounds.width = configure->width;
        bounds.height = configure->height;
        // Monitors set or removed by hand also show up only as this notice.
        geometryStale = geometryStale || randr || xinerama;
      }
    } else if (randr && (type == randrFirstEvent + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                         type == randrFirstEvent + XCB_RANDR_NOTIFY)) {
      geometryStale = true;
    }
    std::free(event);
  }
  if (geometryStale) refreshGeometry();
  checkLost();
}

void X11ScreenSource::State::refreshGeometry() {
  geometryStale = false;
  const auto geometryCookie = xcb_get_geometry(connection, root);
  xcb_randr_get_monitors_cookie_t monitorsCookie{};
  if (randr) monitorsCookie = xcb_randr_get_monitors(connection, root, 1);
  xcb_xinerama_query_screens_cookie_t headsCookie{};
  if (xinerama) headsCookie = xcb_xinerama_query_screens(connection);

  if (xcb_get_geometry_reply_t* geometry =
          xcb_get_geometry_reply(connection, geometryCookie, nullptr)) {
    bounds = {0, 0, geometry->width, geometry->height};
    std::free(geometry);
  }
  monitors.clear();
  if (randr) {
    if (xcb_randr_get_monitors_reply_t* reply =
            xcb_randr_get_monitors_reply(connection, monitorsCookie, nullptr)) {
      for (auto m = xcb_randr_get_monitors_monitors_iterator(reply); m.rem;
           xcb_randr_monitor_info_next(&m))
        monitors.push_back({m.data->x, m.data->y, m.data->width, m.data->height});
      std::free(reply);
    }
  }
  if (xinerama) {
    if (xcb_xinerama_query_screens_reply_t* reply =
            xcb_xinerama_query_screens_reply(connection, headsCookie, nullptr)) {
      for (auto h = xcb_xinerama_query_screens_screen_info_iterator(reply); h.rem;
           xcb_xinerama_screen_info_next(&h))
        monitors.push_back({h.data->x_org, h.data->y_org, h.data->width, h.data->height});
      std::free(reply);
    }
  }
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
  const size_t wholeRoot =
      bytesPerRow(format, bounds.width) * static_cast<size_t>(std::max(bounds.height, 0));
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
  xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
      connection,
      xcb_shm_get_image(connection, root, static_cast<int16_t>(area.x),
                        static_cast<int16_t>(area.y), static_cast<uint16_t>(area.width),
                        static_cast<uint16_t>(area.height), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                        segment.id(), 0),
      &error);
  std::free(error);
  const bool ok = reply != nullptr && reply->size >= needed;
  std::free(reply);
  return ok;
}

bool X11ScreenSource::State::readShared(const PixelRect& area, size_t rowBytes, RasterView out) {
  if (!getShared(area, rowBytes)) return false;
  converter.convert(segment.data(), rowBytes, out);
  return true;
}

bool X11ScreenSource::State::readPlain(const PixelRect& area, size_t rowBytes, RasterView out) {
  xcb_generic_error_t* error = nullptr;
  xcb_get_image_reply_t* reply = xcb_get_image_reply(
      connection,
      xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(area.x),
                    static_cast<int16_t>(area.y), static_cast<uint16_t>(area.width),
                    static_cast<uint16_t>(area.height), ~0u),
      &error);
  std::free(error);
  const bool ok = reply != nullptr && static_cast<size_t>(xcb_get_image_data_length(reply)) >=
                                          rowBytes * static_cast<size_t>(area.height);
  if (ok) converter.convert(xcb_get_image_data(reply), rowBytes, out);
  std::free(reply);
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
  if (!screens.rem ||
      !describeVisual(setup, screens.data->root_visual, format) ||
      !PixelConverter(format).valid()) {
    const int depth = screens.rem ? screens.data->root_depth : 0;
    xcb_disconnect(connection);
    throw std::runtime_error("Die Lupe kann diesen Bildschirm (" + std::to_string(depth) +
                             " Bit Farbtiefe ohne Echtfarben) nicht lesen.");
  }

  auto state = std::make_unique<State>(connection, screens.data->root, format);
  state->bounds = {0, 0, screens.data->width_in_pixels, screens.data->height_in_pixels};
  // Size changes of the root arrive as ConfigureNotify on our own
  // connection; other clients' selections on the root are not touched.
  const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection, state->root, XCB_CW_EVENT_MASK, &events);
  state->setUpRandr();
  state->setUpXinerama();
  state->refreshGeometry();
  if (mode == CaptureMode::SharedMemoryWhenOffered) state->setUpShm();
  if (state->checkLost()) throw std::runtime_error(unreachableDisplayText(display));
  return std::unique_ptr<X11ScreenSource>(new X11ScreenSource(std::move(state)));
}

X11ScreenSource::X11ScreenSource(std::unique_ptr<State> state) : state_(std::move(state)) {}

X11ScreenSource::~X11ScreenSource() = default;

PixelRect X11ScreenSource::bounds() {
  if (!state_->checkLost()) state_->takeNotices();
  return state_->bounds;
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
    s.geometryStale = !s.checkLost();
    return false;
  }
  blackOutUnshown(area, s.monitors, out);
  return true;
}

bool X11ScreenSource::readInPlace(const PixelRect& area, ConstRasterView& out) {
  State& s = *state_;
  if (!s.shm || !s.converter.direct() || s.checkLost() || area.empty()) return false;
  const size_t rowBytes = bytesPerRow(s.format, area.width);
  if (rowBytes % sizeof(Pixel) != 0 || !s.sharedFits(rowBytes * static_cast<size_t>(area.height)))
    return false;
  if (!s.getShared(area, rowBytes)) {
    s.geometryStale = !s.checkLost();
    return false;
  }
  const RasterView pixels{reinterpret_cast<Pixel*>(s.segment.data()), area.width, area.height,
                          static_cast<ptrdiff_t>(rowBytes / sizeof(Pixel))};
  blackOutUnshown(area, s.monitors, pixels);
  out = pixels;
  return true;
}

bool X11ScreenSource::pointer(int32_t& x, int32_t& y) {
  State& s = *state_;
  if (s.checkLost()) return false;
  xcb_generic_error_t* error = nullptr;
  xcb_query_pointer_reply_t* reply =
      xcb_query_pointer_reply(s.connection, xcb_query_pointer(s.connection, s.root), &error);
  std::free(error);
  const bool ok = reply != nullptr && reply->same_screen;
  if (ok) {
    x = reply->root_x;
    y = reply->root_y;
  }
  std::free(reply);
  s.checkLost();
  return ok;
}

// The server's own state, not the one its queued events tell: a click may
// have come up already while the program still handles its press.
bool X11ScreenSource::leftButtonHeld() {
  State& s = *state_;
  if (s.checkLost()) return true;
  xcb_query_pointer_reply_t* reply =
      xcb_query_pointer_reply(s.connection, xcb_query_pointer(s.connection, s.root), nullptr);
  const bool held = !reply || (reply->mask & XCB_KEY_BUT_MASK_BUTTON_1);
  std::free(reply);
  return held;
}

bool X11ScreenSource::usesSharedMemory() const { return state_->shm; }

bool X11ScreenSource::connectionLost() const { return state_->checkLost(); }

}  // namespace lupe::x11
