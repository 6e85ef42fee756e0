#include "platform/controls/controls.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/controls/control_host.hpp"

namespace lupe {
namespace {

template <class T>
auto within(T lo, T hi) {
  return [lo, hi](const T& v) { return v >= lo && v <= hi; };
}

// Larger surfaces than this are not a view anyone can see; refusing them
// keeps an absurd window size from allocating gigabytes.
constexpr int32_t kMaxSurfaceSide = 16384;

}  // namespace

int32_t devicePixel(float coordinate) {
  const double rounded = std::nearbyint(static_cast<double>(coordinate));
  return static_cast<int32_t>(std::clamp(rounded, -1.0e9, 1.0e9));
}

CommandButton::CommandButton(Control& container, std::string name)
    : CaptionedControl(container, ControlKind::CommandButton, std::move(name)),
      BackColor(*this),
      Style(*this),
      Click(*this) {}

Label::Label(Control& container, std::string name)
    : CaptionedControl(container, ControlKind::Label, std::move(name)),
      ForeColor(*this, kButtonTextColor) {}

CheckBox::CheckBox(Control& container, std::string name)
    : CaptionedControl(container, ControlKind::CheckBox, std::move(name)),
      Value(*this),
      Click(*this) {
  Value.setRule(within<int16_t>(0, 2));
}

void CheckBox::userClicked(int16_t value) {
  Value.setFromUser(value);
  Click.raise();
}

Frame::Frame(Control& container, std::string name)
    : CaptionedControl(container, ControlKind::Frame, std::move(name)) {}

Slider::Slider(Control& container, std::string name)
    : PlacedControl(container, ControlKind::Slider, std::move(name)),
      Min(*this),
      Max(*this, 10),
      Value(*this),
      SmallChange(*this, 1),
      LargeChange(*this, 5),
      TickFrequency(*this, 1),
      Scroll(*this),
      Change(*this) {
  Value.setRule([this](const int32_t& v) { return v >= Min.get() && v <= Max.get(); });
  Value.onChanged([this] {
    reported_ = Value.get();
    Change.raise();
  });
}

void Slider::userScrolled(int32_t position) {
  if (!reported_) reported_ = Value.get();
  Value.setFromUser(position);
  Scroll.raise();
}

void Slider::userChanged(int32_t position) {
  const int32_t before = reported_.value_or(Value.get());
  Value.setFromUser(position);
  reported_ = position;
  if (position != before) Change.raise();
}

PictureBox::PictureBox(Control& container, std::string name)
    : PlacedControl(container, ControlKind::PictureBox, std::move(name)),
      BackColor(*this, 0x00FFFFFFu),
      ScaleMode(*this, 3),
      MouseDown(*this),
      DblClick(*this) {
  ScaleMode.setRule(within<int16_t>(0, 7));
  Width.onChanged([this] { fitSurface(); });
  Height.onChanged([this] { fitSurface(); });
}

void PictureBox::fitSurface() {
  const int32_t w = std::clamp(devicePixel(Width), 0, kMaxSurfaceSide);
  const int32_t h = std::clamp(devicePixel(Height), 0, kMaxSurfaceSide);
  if (w == surface_.width() && h == surface_.height()) return;
  // The new size is shown with the Width or Height that made it.
  surface_.resize(w, h, pixelFromColor(BackColor));
}

void PictureBox::Cls() {
  surface_.clear(pixelFromColor(BackColor));
  host().viewRedrawn(*this);
}

Handle PictureBox::hDC() { return host().deviceContext(*this); }

Image::Image(Control& container, std::string name)
    : PlacedControl(container, ControlKind::Image, std::move(name)), Stretch(*this) {}

Line::Line(Control& container, std::string name)
    : Control(container, ControlKind::Line, std::move(name)),
      X1(*this),
      Y1(*this),
      X2(*this),
      Y2(*this),
      BorderColor(*this, kWindowTextColor),
      BorderWidth(*this, 1),
      BorderStyle(*this, 1) {
  BorderWidth.setRule(within<int16_t>(1, 8192));
  BorderStyle.setRule(within<int16_t>(0, 6));
}

Timer::Timer(Control& container, std::string name)
    : Control(container, ControlKind::Timer, std::move(name)),
      Interval(*this),
      Enabled(*this, true),
      Tick(*this) {
  Interval.setRule(within<int32_t>(0, 65535));
}

}  // namespace lupe
