#pragma once

#include <functional>
#include <utility>

namespace lupe {

class Control;
class RuntimeError;

// Hands a run-time error that a handler let through to the host's report.
void reportUnhandled(Control& owner, const RuntimeError& error);

// An event of a control. raise() runs the bound handler; a run-time error that
// the handler does not skip ends the handler there and goes to the report, it
// never reaches the code that raised the event.
template <class... Args>
class Event {
 public:
  explicit Event(Control& owner) : owner_(owner) {}
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void bind(std::function<void(Args...)> handler) { handler_ = std::move(handler); }

  void raise(Args... args) const;

 private:
  Control& owner_;
  std::function<void(Args...)> handler_;
};

}  // namespace lupe

#include "platform/runtime/runtime_error.hpp"

namespace lupe {

template <class... Args>
void Event<Args...>::raise(Args... args) const {
  if (!handler_) return;
  try {
    handler_(std::forward<Args>(args)...);
  } catch (const RuntimeError& error) {
    reportUnhandled(owner_, error);
  }
}

}  // namespace lupe
