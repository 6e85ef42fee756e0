#pragma once

#include "platform/win32/windows_api.hpp"

#include <memory>
#include <vector>

#include "platform/controls/controls.hpp"
#include "platform/win32/precise_ticker.hpp"

namespace lupe::win32 {

// The form's timers, each a PreciseTicker posting `message` to the window
// with the timer's index as wParam.
class TimerTicks {
 public:
  explicit TimerTicks(UINT message) : message_(message) {}
  ~TimerTicks() { clear(); }
  TimerTicks(const TimerTicks&) = delete;
  TimerTicks& operator=(const TimerTicks&) = delete;

  // Ticks to `window` every `interval` milliseconds from now; 0 stops.
  void run(HWND window, const Timer& timer, int32_t interval);
  // Stops and forgets every timer; their threads post to the window, so
  // this comes before the window goes.
  void clear();
  // The timer whose tick was posted with `index`, if it still runs: a tick
  // posted just before its timer stopped is none.
  const Timer* due(WPARAM index) const;
  // The tick with `index` was handled: the next one may be posted.
  void taken(WPARAM index);

 private:
  UINT message_;
  std::vector<const Timer*> timers_;
  std::vector<std::unique_ptr<PreciseTicker>> tickers_;
};

}  // namespace lupe::win32
