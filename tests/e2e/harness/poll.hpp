#pragma once

#include <chrono>
#include <thread>

namespace lupe::e2e {

// Checks `condition` until it holds or `timeout` has passed; whether it held.
// Tests wait with this and then assert on the state, never on the time taken.
template <typename Condition>
bool pollUntil(std::chrono::milliseconds timeout, Condition&& condition,
               std::chrono::milliseconds interval = std::chrono::milliseconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(interval);
  }
}

}  // namespace lupe::e2e
