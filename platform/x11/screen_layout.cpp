#include "platform/x11/screen_layout.hpp"

#include <xcb/randr.h>
#include <xcb/xinerama.h>

#include "platform/x11/xcb_owned.hpp"

namespace lupe::x11 {

ScreenLayout::ScreenLayout(xcb_connection_t* connection, xcb_window_t root, PixelRect bounds)
    : connection_(connection), root_(root), bounds_(bounds) {
  // Size changes of the root arrive as ConfigureNotify on our own
  // connection; other clients' selections on the root are not touched.
  const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &events);
  setUpRandr();
  setUpXinerama();
  refresh();
}

void ScreenLayout::setUpRandr() {
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection_, &xcb_randr_id);
  if (extension == nullptr || !extension->present) return;
  const auto version = own(xcb_randr_query_version_reply(
      connection_, xcb_randr_query_version(connection_, 1, 5), nullptr));
  // Monitors came with RandR 1.5; before that we only follow the root's size.
  randr_ = version && (version->major_version > 1 ||
                       (version->major_version == 1 && version->minor_version >= 5));
  if (!randr_) return;
  randrFirstEvent_ = extension->first_event;
  xcb_randr_select_input(connection_, root_,
                         XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                             XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE |
                             XCB_RANDR_NOTIFY_MASK_RESOURCE_CHANGE);
}

void ScreenLayout::setUpXinerama() {
  const xcb_query_extension_reply_t* extension =
      xcb_get_extension_data(connection_, &xcb_xinerama_id);
  if (extension == nullptr || !extension->present) return;
  const auto active =
      own(xcb_xinerama_is_active_reply(connection_, xcb_xinerama_is_active(connection_), nullptr));
  xinerama_ = active && active->state != 0;
}

bool ScreenLayout::take(const xcb_generic_event_t& event) {
  const uint8_t type = event.response_type & 0x7f;
  if (type == XCB_CONFIGURE_NOTIFY) {
    const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
    if (configure.window != root_) return false;
    bounds_.width = configure.width;
    bounds_.height = configure.height;
    // Monitors set or removed by hand also show up only as this notice.
    stale_ = stale_ || randr_ || xinerama_;
    return true;
  }
  if (randr_ && (type == randrFirstEvent_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                 type == randrFirstEvent_ + XCB_RANDR_NOTIFY)) {
    stale_ = true;
    return true;
  }
  return false;
}

bool ScreenLayout::refreshIfStale() {
  if (!stale_) return false;
  refresh();
  return true;
}

void ScreenLayout::refresh() {
  stale_ = false;
  const auto geometryCookie = xcb_get_geometry(connection_, root_);
  xcb_randr_get_monitors_cookie_t monitorsCookie{};
  if (randr_) monitorsCookie = xcb_randr_get_monitors(connection_, root_, 1);
  xcb_xinerama_query_screens_cookie_t headsCookie{};
  if (xinerama_) headsCookie = xcb_xinerama_query_screens(connection_);

  if (const auto geometry = own(xcb_get_geometry_reply(connection_, geometryCookie, nullptr)))
    bounds_ = {0, 0, geometry->width, geometry->height};
  monitors_.clear();
  if (randr_) {
    if (const auto reply = own(xcb_randr_get_monitors_reply(connection_, monitorsCookie, nullptr)))
      for (auto m = xcb_randr_get_monitors_monitors_iterator(reply.get()); m.rem;
           xcb_randr_monitor_info_next(&m))
        monitors_.push_back({m.data->x, m.data->y, m.data->width, m.data->height});
  }
  if (xinerama_) {
    if (const auto reply = own(xcb_xinerama_query_screens_reply(connection_, headsCookie, nullptr)))
      for (auto h = xcb_xinerama_query_screens_screen_info_iterator(reply.get()); h.rem;
           xcb_xinerama_screen_info_next(&h))
        monitors_.push_back({h.data->x_org, h.data->y_org, h.data->width, h.data->height});
  }
}

}  // namespace lupe::x11
