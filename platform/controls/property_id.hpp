#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/controls/values.hpp"

namespace lupe {

// Every property of the window's controls, declared once: its id, the name
// the program knows it by, and the type the logic reads and writes (places
// in pixels, colours 0x00BBGGRR). The enum, the names and the list of all
// properties derive from this; a control declares a member
// `Property<PropertyId::Caption> Caption;` and gets the type from here.
// A check box's Value is 16 bits, a slider's 32: two ids of one name.
#define LUPE_PROPERTIES(P)                   \
  P(Caption, "Caption", std::string)         \
  P(BackColor, "BackColor", Color)           \
  P(ForeColor, "ForeColor", Color)           \
  P(Font, "Font", lupe::Font)                \
  P(Left, "Left", float)                     \
  P(Top, "Top", float)                       \
  P(Width, "Width", float)                   \
  P(Height, "Height", float)                 \
  P(Visible, "Visible", bool)                \
  P(Enabled, "Enabled", bool)                \
  P(TabIndex, "TabIndex", int16_t)           \
  P(Value, "Value", int32_t)                 \
  P(CheckValue, "Value", int16_t)            \
  P(Min, "Min", int32_t)                     \
  P(Max, "Max", int32_t)                     \
  P(SmallChange, "SmallChange", int32_t)     \
  P(LargeChange, "LargeChange", int32_t)     \
  P(TickFrequency, "TickFrequency", int32_t) \
  P(Interval, "Interval", int32_t)           \
  P(X1, "X1", float)                         \
  P(Y1, "Y1", float)                         \
  P(X2, "X2", float)                         \
  P(Y2, "Y2", float)                         \
  P(BorderColor, "BorderColor", Color)       \
  P(BorderWidth, "BorderWidth", int16_t)     \
  P(BorderStyle, "BorderStyle", int16_t)     \
  P(Stretch, "Stretch", bool)                \
  P(Style, "Style", int16_t)                 \
  P(ScaleMode, "ScaleMode", int16_t)         \
  P(WindowState, "WindowState", int16_t)

#define LUPE_ENUMERATOR(id, ...) id,
enum class PropertyId { LUPE_PROPERTIES(LUPE_ENUMERATOR) };

#define LUPE_LISTED(id, ...) PropertyId::id,
// Every property, in declaration order.
inline constexpr PropertyId kAllProperties[] = {LUPE_PROPERTIES(LUPE_LISTED)};
#undef LUPE_LISTED

#define LUPE_NAME_CASE(id, name, ...) \
  case PropertyId::id:                \
    return name;
// The property's name.
constexpr std::string_view propertyName(PropertyId id) {
  switch (id) { LUPE_PROPERTIES(LUPE_NAME_CASE) }
  return {};
}
#undef LUPE_NAME_CASE

template <PropertyId Id>
struct PropertyTraits;
#define LUPE_TRAITS(id, name, type)       \
  template <>                             \
  struct PropertyTraits<PropertyId::id> { \
    using Type = type;                    \
  };
LUPE_PROPERTIES(LUPE_TRAITS)
#undef LUPE_TRAITS
#undef LUPE_ENUMERATOR

// The type of a property's value.
template <PropertyId Id>
using PropertyType = typename PropertyTraits<Id>::Type;

}  // namespace lupe
