#pragma once

#include <chrono>
#include <functional>

struct wl_display;
struct wl_event_queue;

namespace lupe::wayland {

// Reads the connection and dispatches the events of `queue` (the display's
// own where null) until `done` holds or `within` has passed, alongside any
// other thread that reads the same connection. Whether `done` holds.
bool dispatchUntil(wl_display* display, wl_event_queue* queue, std::chrono::milliseconds within,
                   const std::function<bool()>& done);

}  // namespace lupe::wayland
