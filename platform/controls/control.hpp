#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/controls/event.hpp"
#include "platform/controls/property.hpp"
#include "platform/controls/values.hpp"

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

  Property<PropertyId::Visible> Visible;

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
  Property<PropertyId::Left> Left;
  Property<PropertyId::Top> Top;
  Property<PropertyId::Width> Width;
  Property<PropertyId::Height> Height;
  Property<PropertyId::TabIndex> TabIndex;

 protected:
  PlacedControl(Control& container, ControlKind kind, std::string name);
};

// A placed control that shows a caption in a font.
class CaptionedControl : public PlacedControl {
 public:
  Property<PropertyId::Caption> Caption;
  Property<PropertyId::Font> Font;

 protected:
  CaptionedControl(Control& container, ControlKind kind, std::string name);
};

}  // namespace lupe
