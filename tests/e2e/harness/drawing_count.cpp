#include "drawing_count.hpp"

#include <thread>

#include <xcb/damage.h>

#include "platform/x11/xcb_owned.hpp"

namespace lupe::e2e {

DrawingCount::DrawingCount(XDisplay& display, const std::vector<xcb_window_t>& windows)
    : display_(display) {
  xcb_connection_t* c = display.connection();
  // Asking a server without the extension would close the connection.
  const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c, &xcb_damage_id);
  if (!damage || !damage->present) return;
  available_ = x11::own(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1),
                                                       nullptr)) != nullptr;
  if (!available_) return;
  notify_ = xcb_get_extension_data(c, &xcb_damage_id)->first_event + XCB_DAMAGE_NOTIFY;
  for (const xcb_window_t window : windows) {
    const xcb_damage_damage_t damage = xcb_generate_id(c);
    xcb_damage_create(c, damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    windowOf_[damage] = window;
  }
  display.sync();
}

DrawingCount::~DrawingCount() {
  for (const auto& [damage, window] : windowOf_) xcb_damage_destroy(display_.connection(), damage);
  display_.sync();
}

void DrawingCount::take() {
  xcb_connection_t* c = display_.connection();
  while (const auto event = x11::own(xcb_poll_for_event(c))) {
    if ((event->response_type & 0x7f) == notify_) {
      const auto* notify = reinterpret_cast<xcb_damage_notify_event_t*>(event.get());
      ++counts_[windowOf_[notify->damage]];
      // The drawings of one frame come within a few milliseconds of each
      // other; frames come a tick apart.
      if (frames_ == 0 || notify->timestamp - lastDrawn_ >= kFrameGapMs) ++frames_;
      lastDrawn_ = notify->timestamp;
      xcb_damage_subtract(c, notify->damage, XCB_NONE, XCB_NONE);
    }
  }
  xcb_flush(c);
}

void DrawingCount::reset() {
  take();
  xcb_connection_t* c = display_.connection();
  for (const auto& [damage, window] : windowOf_) xcb_damage_subtract(c, damage, XCB_NONE, XCB_NONE);
  // Notices sent before the server took the damage off are in by the reply.
  x11::own(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  take();
  counts_.clear();
  frames_ = 0;
}

int DrawingCount::takeFor(std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  do {
    take();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (std::chrono::steady_clock::now() < end);
  take();
  return frames_;
}

}  // namespace lupe::e2e
