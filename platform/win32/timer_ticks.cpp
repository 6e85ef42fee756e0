#include "platform/win32/timer_ticks.hpp"

namespace lupe::win32 {

void TimerTicks::clear() {
  tickers_.clear();
  timers_.clear();
}

void TimerTicks::run(HWND window, const Timer& timer, int32_t interval) {
  size_t index = 0;
  while (index < timers_.size() && timers_[index] != &timer) ++index;
  if (index == timers_.size()) {
    if (interval <= 0 || !window) return;
    timers_.push_back(&timer);
    tickers_.push_back(std::make_unique<PreciseTicker>(window, message_, index));
  }
  tickers_[index]->run(interval);
}

const Timer* TimerTicks::due(WPARAM index) const {
  return index < tickers_.size() && tickers_[index]->running() ? timers_[index] : nullptr;
}

void TimerTicks::taken(WPARAM index) {
  if (index < tickers_.size()) tickers_[index]->taken();
}

}  // namespace lupe::win32
