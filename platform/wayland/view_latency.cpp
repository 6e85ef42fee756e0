#include "platform/wayland/view_latency.hpp"

#include <cstdlib>
#include <utility>

namespace lupe::wayland {

ViewLatency& ViewLatency::instance() {
  static ViewLatency latency;
  return latency;
}

ViewLatency::ViewLatency() {
  if (const char* path = std::getenv("LUPE_LATENCY_LOG"); path && *path) {
    log_ = std::fopen(path, "w");
    if (log_) std::setvbuf(log_, nullptr, _IOLBF, 0);
  }
}

void ViewLatency::pictureTaken(std::chrono::steady_clock::time_point arrival) {
  if (!log_) return;
  pending_ = arrival;
  tick_ = {};  // the next tick reads it
}

void ViewLatency::tickLooked() {
  if (log_ && pending_ != Time{} && tick_ == Time{}) tick_ = std::chrono::steady_clock::now();
}

void ViewLatency::viewCommitted() {
  if (!log_ || pending_ == Time{} || tick_ == Time{}) return;
  using Ms = std::chrono::duration<double, std::milli>;
  const Ms waited = tick_ - pending_, drawn = std::chrono::steady_clock::now() - tick_;
  pending_ = tick_ = {};
  std::fprintf(log_, "%.3f %.3f\n", waited.count(), drawn.count());
}

}  // namespace lupe::wayland
