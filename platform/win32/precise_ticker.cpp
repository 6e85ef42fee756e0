#include "platform/win32/precise_ticker.hpp"

#include <timeapi.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace lupe::win32 {

TimerPeriod timerPeriod(int32_t intervalMs) {
  return {-static_cast<LONGLONG>(intervalMs) * 10'000, static_cast<LONG>(intervalMs)};
}

PreciseTicker::PreciseTicker(HWND window, UINT message, WPARAM id)
    : window_(window), message_(message), id_(id) {
  timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                  TIMER_ALL_ACCESS);
  if (!timer_) {
    // Windows before 10 (1803): a plain timer, with the system timer at 1 ms
    // while we run.
    timer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    coarse_ = timeBeginPeriod(1) == TIMERR_NOERROR;
  }
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this] { wait(); });
}

PreciseTicker::~PreciseTicker() {
  SetEvent(stop_);
  thread_.join();
  CloseHandle(stop_);
  CloseHandle(timer_);
  if (coarse_) timeEndPeriod(1);
}

void PreciseTicker::run(int32_t intervalMs) {
  running_ = intervalMs > 0;
  if (!running_) {
    CancelWaitableTimer(timer_);
    return;
  }
  const TimerPeriod period = timerPeriod(intervalMs);
  LARGE_INTEGER due;
  due.QuadPart = period.firstDue;
  SetWaitableTimer(timer_, &due, period.periodMs, nullptr, nullptr, FALSE);
}

void PreciseTicker::wait() {
  const HANDLE handles[] = {stop_, timer_};
  while (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
    if (!pending_.exchange(true) && !PostMessageW(window_, message_, id_, 0)) pending_ = false;
  }
}

}  // namespace lupe::win32
