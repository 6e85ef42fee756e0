#pragma once

#include <chrono>
#include <cstdio>

namespace lupe::wayland {

// Our share of the latency, for the benchmark: from the arrival of the
// picture a tick reads to that tick, and from the tick to the commit of the
// view drawn from it, one line of two figures in milliseconds per commit
// into the file LUPE_LATENCY_LOG names. Without it nothing is measured.
class ViewLatency {
 public:
  static ViewLatency& instance();

  bool measuring() const { return log_ != nullptr; }
  using Time = std::chrono::steady_clock::time_point;
  // A picture that arrived at `arrival` was taken in, for the next tick.
  void pictureTaken(Time arrival);
  // A tick looks at the screen.
  void tickLooked();
  // The view drawn since went out to the compositor.
  void viewCommitted();

 private:
  ViewLatency();

  std::FILE* log_ = nullptr;
  Time pending_{};  // the arrival, until committed
  Time tick_{};
};

}  // namespace lupe::wayland
