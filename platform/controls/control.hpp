#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/controls/event.hpp"
#include "platform/controls/property.hpp"

namespace lupe {

class ControlHost;
class Form;

enum class ControlKind {
  Form,
  CommandButton,
  Label,
  CheckBox,
  Slider,
  Frame,
  PictureBox,
  Image,
  Line,
  Timer,
};

// Colours are 0x00BBGGRR; the top bit marks a system colour.
using Color = uint32_t;
inline constexpr Color kSystemColorFlag = 0x80000000u;
inline constexpr Color kWindowTextColor = 0x80000008u;
inline constexpr Color kButtonTextColor = 0x80000012u;

struct Font {
  std::string face;
  float points = 8.25f;
  int weight = 400;  // 400 regular, 700 bold

  bool operator==(const Font&) const = default;
};

// Anything of the window: it knows its name, kind, window and container, and
// its children in definition order (earlier ones lie above later ones).
class Control {
 public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  const std::string& name() const { return name_; }
  ControlKind kind() const { return kind_; }
  Form& form() const { return form_; }
  Control* container() const { return container_; }
  const std::vector<Control*>& children() const { return children_; }
  ControlHost& host() const;

  Property<bool> Visible;

 protected:
  // The window itself: its own form, no container.
  Control(Form& self, ControlKind kind, std::string name);
  Control(Control& container, ControlKind kind, std::string name);

 private:
  Form& form_;
  Control* container_;
  ControlKind kind_;
  std::string name_;
  std::vector<Control*> children_;
};

// A control with a place in its container, in pixels.
class PlacedControl : public Control {
 public:
  Property<float> Left;
  Property<float> Top;
  Property<float> Width;
  Property<float> Height;
  Property<int16_t> TabIndex;

 protected:
  PlacedControl(Control& container, ControlKind kind, std::string name);
};

// A placed control that shows a caption in a font.
class CaptionedControl : public PlacedControl {
 public:
  Property<std::string> Caption;
  Property<lupe::Font> Font;

 protected:
  CaptionedControl(Control& container, ControlKind kind, std::string name);
};

}  // namespace lupe
