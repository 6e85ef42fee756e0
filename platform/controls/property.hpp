#pragma once

#include <functional>
#include <utility>

#include "platform/controls/property_id.hpp"

namespace lupe {

class Control;

// Hooks every property write goes through, defined with Control.
void checkPropertyWrite(Control& owner, PropertyId id);
void announcePropertyChange(Control& owner, PropertyId id);

// One property of a control, read and written like the runtime's own:
// `Line1.X1 = 3.0f; float x = Line1.X1;`. A write first asks the host (which
// may refuse it with a run-time error), then the property's own rule of valid
// values; when the value changes, the host is told and the event that the
// write raises (a slider's Change) runs before the write returns.
template <class T>
class Property {
 public:
  Property(Control& owner, PropertyId id, T initial = T{})
      : owner_(owner), id_(id), value_(initial) {}
  Property(const Property&) = delete;

  Property& operator=(const T& value) {
    checkPropertyWrite(owner_, id_);
    if (valid_ && !valid_(value)) throwInvalid();
    if (value == value_) return *this;  // writing what it holds changes nothing
    value_ = value;
    announcePropertyChange(owner_, id_);
    if (changed_) changed_();
    return *this;
  }
  // No silent conversions: the logic states every rounding it makes.
  // One property's value into another: `Line2.X2 = Picture1.Width;`.
  Property& operator=(const Property& other) { return *this = other.get(); }
  // No silent conversions: the logic states every rounding it makes.
  template <class U>
  Property& operator=(const U&) = delete;

  operator T() const { return value_; }  // NOLINT: reads like the runtime's properties
  const T& get() const { return value_; }

  // The window definition's value: set before any handler runs, no events.
  void initialize(T value) { value_ = std::move(value); }
  // A value the user set through the backend's widget: no host check, the
  // host is told (it already shows it), and the caller raises the user's event.
  void setFromUser(T value) {
    if (value == value_) return;
    value_ = std::move(value);
    announcePropertyChange(owner_, id_);
  }

  void setRule(std::function<bool(const T&)> valid) { valid_ = std::move(valid); }
  void onChanged(std::function<void()> changed) { changed_ = std::move(changed); }

 private:
  [[noreturn]] static void throwInvalid();

  Control& owner_;
  PropertyId id_;
  T value_;
  std::function<bool(const T&)> valid_;
  std::function<void()> changed_;
};

[[noreturn]] void throwInvalidPropertyValue();

template <class T>
void Property<T>::throwInvalid() {
  throwInvalidPropertyValue();
}

}  // namespace lupe
