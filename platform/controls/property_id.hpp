#pragma once

namespace lupe {

// Names the property a write touched, so a backend updates just that.
enum class PropertyId {
  Caption,
  BackColor,
  ForeColor,
  Font,
  Left,
  Top,
  Width,
  Height,
  Visible,
  Enabled,
  TabIndex,
  Value,
  Min,
  Max,
  SmallChange,
  LargeChange,
  TickFrequency,
  Interval,
  X1,
  Y1,
  X2,
  Y2,
  BorderColor,
  BorderWidth,
  BorderStyle,
  Stretch,
  Picture,
  Style,
  ScaleMode,
  WindowState,
  Image,  // the pixels of a picture box's drawing surface
};

}  // namespace lupe
