#pragma once

#include "platform/win32/windows_api.hpp"

#include <atomic>
#include <cstdint>
#include <thread>

namespace lupe::win32 {

// A period for a waitable timer: the first due time (relative, in 100-ns
// units, so negative) and the period in milliseconds.
struct TimerPeriod {
  LONGLONG firstDue = 0;
  LONG periodMs = 0;
};
TimerPeriod timerPeriod(int32_t intervalMs);

// Ticks at a precise period on the UI thread. SetTimer would round 25 ms up
// to the system timer's 15.6-ms steps (about 31 ms); a high-resolution
// waitable timer keeps the period. A thread of its own waits for it and
// posts `message` to `window`, but only when the last tick has been taken
// (`taken`): ticks never pile up behind a slow one. Posted messages also
// reach the window during a modal loop (a window move), so the view keeps
// going while the window is dragged.
class PreciseTicker {
 public:
  PreciseTicker(HWND window, UINT message, WPARAM id);
  ~PreciseTicker();
  PreciseTicker(const PreciseTicker&) = delete;
  PreciseTicker& operator=(const PreciseTicker&) = delete;

  // Ticks every `intervalMs` milliseconds from now; 0 stops.
  void run(int32_t intervalMs);
  // The UI thread took the posted tick: the next one may be posted.
  void taken() { pending_ = false; }
  // Whether it ticks: a tick posted just before it was stopped is not one.
  bool running() const { return running_; }

 private:
  void wait();

  HWND window_;
  UINT message_;
  WPARAM id_;
  HANDLE timer_ = nullptr;
  HANDLE stop_ = nullptr;
  bool running_ = false;
  bool coarse_ = false;  // no high-resolution timer here: the system timer is made finer
  std::atomic<bool> pending_{false};
  std::thread thread_;
};

}  // namespace lupe::win32
