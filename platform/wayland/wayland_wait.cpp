#include "platform/wayland/wayland_wait.hpp"

#include <poll.h>

#include <wayland-client.h>

namespace lupe::wayland {

bool dispatchUntil(wl_display* display, wl_event_queue* queue, std::chrono::milliseconds within,
                   const std::function<bool()>& done) {
  const auto dispatch = [&] {
    return queue ? wl_display_dispatch_queue_pending(display, queue)
                 : wl_display_dispatch_pending(display);
  };
  dispatch();
  const auto deadline = std::chrono::steady_clock::now() + within;
  while (!done() && wl_display_get_error(display) == 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    const int prepared = queue ? wl_display_prepare_read_queue(display, queue)
                               : wl_display_prepare_read(display);
    if (prepared != 0) {  // events queued already
      dispatch();
      continue;
    }
    wl_display_flush(display);
    pollfd readable{wl_display_get_fd(display), POLLIN, 0};
    if (::poll(&readable, 1, static_cast<int>(left.count())) > 0) {
      if (wl_display_read_events(display) != 0) break;
    } else {
      wl_display_cancel_read(display);
    }
    dispatch();
  }
  return done();
}

}  // namespace lupe::wayland
