#include "platform/controls/control.hpp"

#include <utility>

#include "platform/controls/control_host.hpp"
#include "platform/controls/form.hpp"
#include "platform/runtime/runtime_error.hpp"

namespace lupe {

void checkPropertyWrite(Control& owner, PropertyId id) { owner.host().checkWrite(owner, id); }
void announcePropertyChange(Control& owner, PropertyId id) {
  owner.host().propertyChanged(owner, id);
}
void reportUnhandled(Control& owner, const RuntimeError& error) { owner.host().report(error); }
void throwInvalidPropertyValue() { throw RuntimeError::invalidPropertyValue(); }

Control::Control(Form& self, ControlKind kind, std::string name)
    : Visible(*this, true), form_(self), container_(nullptr), kind_(kind), name_(std::move(name)) {}

Control::Control(Control& container, ControlKind kind, std::string name)
    : Visible(*this, true),
      form_(container.form()),
      container_(&container),
      kind_(kind),
      name_(std::move(name)) {
  container.children_.push_back(this);
  form_.adopt(*this);
}

ControlHost& Control::host() const { return form_.host(); }

namespace {
bool notNegative(const float& v) { return v >= 0.0f; }
}  // namespace

PlacedControl::PlacedControl(Control& container, ControlKind kind, std::string name)
    : Control(container, kind, std::move(name)),
      Left(*this),
      Top(*this),
      Width(*this),
      Height(*this),
      TabIndex(*this) {
  Width.setRule(notNegative);
  Height.setRule(notNegative);
}

CaptionedControl::CaptionedControl(Control& container, ControlKind kind, std::string name)
    : PlacedControl(container, kind, std::move(name)), Caption(*this), Font(*this) {}

}  // namespace lupe
