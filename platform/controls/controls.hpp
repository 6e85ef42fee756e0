#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/controls/control.hpp"
#include "platform/desktop/desktop.hpp"
#include "platform/raster/picture.hpp"
#include "platform/raster/surface.hpp"

// The kinds of control the window is made of, with the properties and events
// the program uses and the runtime's rules of valid values.
namespace lupe {

class CommandButton : public CaptionedControl {
 public:
  CommandButton(Control& container, std::string name);
  Property<PropertyId::BackColor> BackColor;
  Property<PropertyId::Style> Style;  // 1: graphical, the face painted in BackColor
  const lupe::Picture* Picture = nullptr;
  Event<> Click;
};

class Label : public CaptionedControl {
 public:
  Label(Control& container, std::string name);
  Property<PropertyId::ForeColor> ForeColor;
};

class CheckBox : public CaptionedControl {
 public:
  CheckBox(Control& container, std::string name);
  Property<PropertyId::CheckValue> Value;  // 0 unticked, 1 ticked, 2 greyed
  Event<> Click;

  // The user clicked the box, which now shows `value`: Value follows, Click runs.
  void userClicked(int16_t value);
};

class Frame : public CaptionedControl {
 public:
  Frame(Control& container, std::string name);
};

class Slider : public PlacedControl {
 public:
  Slider(Control& container, std::string name);
  Property<PropertyId::Min> Min;
  Property<PropertyId::Max> Max;
  Property<PropertyId::Value> Value;  // within Min..Max; a change raises Change
  Property<PropertyId::SmallChange> SmallChange;
  Property<PropertyId::LargeChange> LargeChange;
  Property<PropertyId::TickFrequency> TickFrequency;
  Event<> Scroll;  // while the thumb is dragged
  Event<> Change;  // after the position has changed

  // The user moved the thumb by dragging: the position follows, Scroll runs.
  void userScrolled(int32_t position);
  // The user changed the position (drag ended, key, page step): Change runs
  // once if the position differs from the one last reported by Change.
  void userChanged(int32_t position);

 private:
  // The position the last Change stood for; unset until the first change,
  // when it is the position of the window definition.
  std::optional<int32_t> reported_;
};

// The view: a picture box with its own persistent pixel surface, which keeps
// what was drawn until it is drawn again.
class PictureBox : public PlacedControl {
 public:
  PictureBox(Control& container, std::string name);
  Property<PropertyId::BackColor> BackColor;
  Property<PropertyId::ScaleMode> ScaleMode;  // 3: pixels, the only unit used

  // Fills the drawing surface with the background colour.
  void Cls();
  // The interior size in scale units (pixels): the surface's size.
  float ScaleWidth() const { return static_cast<float>(surface_.width()); }
  float ScaleHeight() const { return static_cast<float>(surface_.height()); }
  // A device context drawing into the surface; throws RuntimeError when none can be had.
  Handle hDC();

  Surface& surface() { return surface_; }
  // Makes the surface the box's size in pixels; runs on every change of the
  // size, and once when the window definition has set it.
  void fitSurface();

  Event<int16_t, int16_t, float, float> MouseDown;  // Button, Shift, X, Y
  Event<> DblClick;

 private:
  Surface surface_;
};

class Image : public PlacedControl {
 public:
  Image(Control& container, std::string name);
  Property<PropertyId::Stretch> Stretch;
  const lupe::Picture* Picture = nullptr;
};

class Line : public Control {
 public:
  Line(Control& container, std::string name);
  Property<PropertyId::X1> X1;
  Property<PropertyId::Y1> Y1;
  Property<PropertyId::X2> X2;
  Property<PropertyId::Y2> Y2;
  Property<PropertyId::BorderColor> BorderColor;
  Property<PropertyId::BorderWidth> BorderWidth;  // pixels
  Property<PropertyId::BorderStyle> BorderStyle;  // 1 solid, 2 dashed
};

class Timer : public Control {
 public:
  Timer(Control& container, std::string name);
  Property<PropertyId::Interval> Interval;  // milliseconds, 0 stops the timer
  Property<PropertyId::Enabled> Enabled;
  Event<> Tick;  // the Timer event
};

// The pixel a control coordinate falls on: rounded, halves to even.
int32_t devicePixel(float coordinate);

}  // namespace lupe
