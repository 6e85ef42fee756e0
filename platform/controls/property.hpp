#pragma once

#include <functional>
#include <utility>

#include "platform/controls/property_id.hpp"

namespace lupe {

class Control;

// Hooks every property write goes through, defined with Control.
void checkPropertyWrite(Control& owner, PropertyId id);
void announcePropertyChange(Control& owner, PropertyId id);
[[noreturn]] void throwInvalidPropertyValue();

// One property of a control, read and written like the runtime's own:
// `Line1.X1 = 3.0f; float x = Line1.X1;`. Its type comes from the
// property's declaration. A write first asks the host (which may refuse it
// with a run-time error), then the property's own rule of valid values; when
// the value changes, the host is told and the event that the write raises
// (a slider's Change) runs before the write returns.
template <PropertyId Id>
class Property {
 public:
  using T = PropertyType<Id>;

  explicit Property(Control& owner, T initial = T{}) : owner_(owner), value_(std::move(initial)) {}
  Property(const Property&) = delete;

  Property& operator=(const T& value) {
    checkPropertyWrite(owner_, Id);
    if (valid_ && !valid_(value)) throwInvalidPropertyValue();
    if (value == value_) return *this;  // writing what it holds changes nothing
    value_ = value;
    announcePropertyChange(owner_, Id);
    if (changed_) changed_();
    return *this;
  }
  // One property's value into another of the same type: `Line2.X2 = Picture1.Width;`.
  Property& operator=(const Property& other) { return *this = other.get(); }
  template <PropertyId Other>
  requires std::same_as<PropertyType<Other>, T> Property& operator=(const Property<Other>& other) {
    return *this = other.get();
  }
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
    announcePropertyChange(owner_, Id);
  }

  void setRule(std::function<bool(const T&)> valid) { valid_ = std::move(valid); }
  void onChanged(std::function<void()> changed) { changed_ = std::move(changed); }

 private:
  Control& owner_;
  T value_;
  std::function<bool(const T&)> valid_;
  std::function<void()> changed_;
};

}  // namespace lupe
