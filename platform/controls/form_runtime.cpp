#include "platform/controls/form_runtime.hpp"

#include <algorithm>
#include <vector>

#include "platform/controls/controls.hpp"
#include "platform/controls/form.hpp"
#include "platform/runtime/runtime_error.hpp"

namespace lupe {
namespace {

// The kinds of control that take the keyboard focus.
bool takesFocus(ControlKind kind) {
  return kind == ControlKind::CommandButton || kind == ControlKind::CheckBox ||
         kind == ControlKind::Slider || kind == ControlKind::PictureBox;
}

}  // namespace

FormRuntime::FormRuntime(WindowToolkit& toolkit, OwnHandles* handles)
    : toolkit_(toolkit), handles_(handles) {}

FormRuntime::~FormRuntime() = default;

int FormRuntime::run(Form& form) {
  form_ = &form;
  const WindowId window = toolkit_.createWindow(form);
  created_ = true;
  // The window has its handle before Load runs.
  hwnd_ = handles_ ? handles_->registerWindow(window) : 0;
  live_ = true;
  deliver([&] { form.Load.raise(); });
  if (ended_ || unloaded_) return 0;
  toolkit_.showWindow();
  orderTabs();
  shown_ = true;
  syncTimers();
  // Showing raises Resize, whose handler may already have closed the window.
  if (ended_ || unloaded_) return 0;
  return toolkit_.runEventLoop();
}

void FormRuntime::timerFired(const Timer& timer) {
  deliver([&] { timer.Tick.raise(); });
  // A tick inside another event, which waits in the window system's modal
  // loop (a window being moved on Windows), is shown at once, not when
  // that event ends.
  if (handling_ > 0) showRedrawnViews();
}

void FormRuntime::windowResized() {
  if (!live_) return;
  reported_ = toolkit_.outerSize();
  deliver([&] { form_->Resize.raise(); });
}

void FormRuntime::frameChanged() {
  if (!live_) return;
  const PixelSize size = toolkit_.outerSize();
  if (size.width == reported_.width && size.height == reported_.height) return;
  reported_ = size;
  deliver([&] { form_->Resize.raise(); });
}

void FormRuntime::windowStateChanged(int16_t state) {
  if (!live_ || state < 0 || state > 2) return;
  hearingState_ = true;
  deliver([&] { form_->WindowState.setFromUser(state); });
  hearingState_ = false;
}

void FormRuntime::formMouse(Mouse what, int16_t button, int16_t shift, int32_t x, int32_t y) {
  if (!live_) return;
  const double twips = toolkit_.twipsPerPixel();
  const auto tx = static_cast<float>(x * twips), ty = static_cast<float>(y * twips);
  deliver([&] {
    (what == Mouse::Down ? form_->MouseDown : form_->MouseUp).raise(button, shift, tx, ty);
  });
}

bool FormRuntime::closeRequested() {
  if (unloaded_ || !form_) return true;
  unload(*form_);
  return unloaded_;
}

void FormRuntime::checkWrite(const Control&, PropertyId) {}

void FormRuntime::propertyChanged(const Control& control, PropertyId id) {
  if (!created_ || unloaded_) return;
  if (control.kind() == ControlKind::Timer) {
    syncTimer(static_cast<const Timer&>(control));
  } else if (hearingState_ && id == PropertyId::WindowState) {
    return;  // the window is in that state already
  } else if ((id == PropertyId::SurfaceCleared || id == PropertyId::SurfaceDrawn) &&
             handling_ > 0) {
    const auto it = std::find_if(redrawn_.begin(), redrawn_.end(),
                                 [&](const auto& view) { return view.first == &control; });
    if (it == redrawn_.end()) {
      redrawn_.emplace_back(&control, id);
    } else if (id == PropertyId::SurfaceDrawn) {
      it->second = id;
    }
  } else {
    toolkit_.showProperty(control, id);
  }
}

void FormRuntime::report(const RuntimeError& error) { toolkit_.reportError(reportLine(error)); }

double FormRuntime::twipsPerPixel() const { return toolkit_.twipsPerPixel(); }

PixelSize FormRuntime::outerSize(const Form&) {
  return created_ ? toolkit_.outerSize() : PixelSize{};
}

Handle FormRuntime::windowHandle(const Form&) {
  if (!hwnd_ || unloaded_) throw RuntimeError::invalidPropertyValue();
  return hwnd_;
}

Handle FormRuntime::deviceContext(PictureBox& picture) {
  if (!handles_ || !created_ || unloaded_) throw RuntimeError::invalidPropertyValue();
  const auto it = surfaces_.find(&picture);
  if (it != surfaces_.end()) return it->second;
  const Handle dc = handles_->registerSurface(
      picture.surface(), [this, &picture] { propertyChanged(picture, PropertyId::SurfaceDrawn); });
  surfaces_.emplace(&picture, dc);
  return dc;
}

void FormRuntime::unload(Form& form) {
  if (unloaded_) return;
  int16_t cancel = 0;
  form.Unload.raise(cancel);
  if (cancel != 0) return;
  // The window goes with its controls and timers: no event reaches the model
  // any more, and no tick runs after the device context was given back.
  unloaded_ = true;
  live_ = false;
  syncTimers();
  giveHandlesBack();
  toolkit_.hideWindow();
  // The program's only window is gone: the program ends with it.
  toolkit_.quitEventLoop(0);
}

void FormRuntime::endProgram() {
  ended_ = true;
  live_ = false;
  syncTimers();
  toolkit_.quitEventLoop(0);
}

void FormRuntime::show(Form&) {
  // Before the first showing the runtime shows the window itself, after Load.
  if (shown_ && live_) toolkit_.showWindow();
}

void FormRuntime::syncTimer(const Timer& timer) {
  // An interval of 0 stops the timer, as does disabling it.
  const bool runs = shown_ && live_ && timer.Enabled && timer.Interval > 0;
  toolkit_.setTimer(timer, runs ? int32_t{timer.Interval} : 0);
}

void FormRuntime::syncTimers() {
  if (!form_) return;
  for (const Control* control : form_->controls())
    if (control->kind() == ControlKind::Timer) syncTimer(static_cast<const Timer&>(*control));
}

// Keyboard focus moves in TabIndex order; the lowest one has it first.
void FormRuntime::orderTabs() {
  std::vector<const Control*> order;
  for (const Control* control : form_->controls())
    if (takesFocus(control->kind())) order.push_back(control);
  std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
    return static_cast<const PlacedControl*>(a)->TabIndex <
           static_cast<const PlacedControl*>(b)->TabIndex;
  });
  toolkit_.setTabOrder(order);
}

// A drawing stands for the clear before it; a clear alone is shown as such.
void FormRuntime::showRedrawnViews() {
  if (!unloaded_)
    for (const auto& [view, id] : redrawn_) toolkit_.showProperty(*view, id);
  redrawn_.clear();
}

void FormRuntime::giveHandlesBack() {
  if (!handles_) return;
  for (const auto& [picture, dc] : surfaces_) handles_->unregisterSurface(dc);
  surfaces_.clear();
  if (hwnd_) handles_->unregisterWindow(hwnd_);
}

}  // namespace lupe
