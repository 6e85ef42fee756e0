#include "platform/controls/form_runtime.hpp"

#include <algorithm>
#include <vector>

#include "platform/controls/control_tree.hpp"
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
  phase_ = Phase::Loading;
  // The window has its handle before Load runs.
  hwnd_ = handles_ ? handles_->registerWindow(window) : 0;
  deliver([&] { form.Load.raise(); });
  if (!live()) return 0;
  showFirst();
  // The first Resize's handler may already have closed the window.
  if (!live()) return 0;
  return toolkit_.runEventLoop();
}

// Showing lays the window out: Resize once, whatever the window system told
// while it mapped the window; then focus and timers.
void FormRuntime::showFirst() {
  toolkit_.showWindow();
  phase_ = Phase::Shown;
  reported_ = toolkit_.outerSize();
  deliver([&] { form_->Resize.raise(); });
  if (!live()) return;
  orderTabs();
  syncTimers();
}

void FormRuntime::timerFired(const Timer& timer) {
  deliver([&] { timer.Tick.raise(); });
  // A tick inside another event, which waits in the window system's modal
  // loop (a window being moved on Windows), is shown at once, not when
  // that event ends.
  if (handling_ > 0) showRedrawnViews();
}

void FormRuntime::windowResized() {
  if (phase_ != Phase::Shown) return;
  reported_ = toolkit_.outerSize();
  deliver([&] { form_->Resize.raise(); });
}

void FormRuntime::frameChanged() {
  if (phase_ != Phase::Shown) return;
  const PixelSize size = toolkit_.outerSize();
  if (size.width == reported_.width && size.height == reported_.height) return;
  reported_ = size;
  deliver([&] { form_->Resize.raise(); });
}

void FormRuntime::windowStateChanged(int16_t state) {
  if (!live() || state < 0 || state > 2 || state == reportedState_) return;
  reportedState_ = state;
  deliver([&] { form_->WindowState.setFromUser(state); });
}

void FormRuntime::formMouse(Mouse what, int16_t button, int16_t shift, int32_t x, int32_t y) {
  if (!live() || button <= 0) return;
  const auto bit = static_cast<unsigned>(button);
  if (what == Mouse::Up) {
    // A release counts only where its press did.
    if (!(pressedOnSurface_ & bit)) return;
    pressedOnSurface_ &= ~bit;
  } else {
    // A press that a control let through to the window (a label's, a
    // panel's) is the control's, not the form's.
    if (controlAt(*form_, x, y)) return;
    pressedOnSurface_ |= bit;
  }
  const auto fx = static_cast<float>(x), fy = static_cast<float>(y);
  deliver([&] {
    (what == Mouse::Down ? form_->MouseDown : form_->MouseUp).raise(button, shift, fx, fy);
  });
}

bool FormRuntime::closeRequested() {
  if (phase_ == Phase::Closed || !form_) return true;
  unload(*form_);
  return phase_ == Phase::Closed;
}

void FormRuntime::checkWrite(const Control&, PropertyId) {}

void FormRuntime::propertyChanged(const Control& control, PropertyId id) {
  if (!made()) return;
  if (control.kind() == ControlKind::Timer) {
    syncTimer(static_cast<const Timer&>(control));
  } else if (id == PropertyId::WindowState && form_->WindowState.get() == reportedState_) {
    return;  // the window is in that state already, or is telling us so
  } else if (const Control* view = control.container();
             view && view->kind() == ControlKind::PictureBox && !hasOwnWindow(control)) {
    // What lies on a view is laid into its frame: shown with the view's
    // next redraw, only where it changed.
    viewRedrawn(static_cast<const PictureBox&>(*view));
  } else {
    toolkit_.showProperty(control, id);
  }
}

void FormRuntime::viewRedrawn(const PictureBox& picture) {
  if (!made()) return;
  if (handling_ == 0) return toolkit_.showRedrawnView(picture);
  if (std::find(redrawn_.begin(), redrawn_.end(), &picture) == redrawn_.end())
    redrawn_.push_back(&picture);
}

void FormRuntime::report(const RuntimeError& error) { toolkit_.reportError(reportLine(error)); }

double FormRuntime::twipsPerPixel() const { return toolkit_.twipsPerPixel(); }

PixelSize FormRuntime::outerSize(const Form&) {
  return phase_ != Phase::Unmade ? toolkit_.outerSize() : PixelSize{};
}

Handle FormRuntime::windowHandle(const Form&) {
  if (!hwnd_ || phase_ == Phase::Closed) throw RuntimeError::invalidPropertyValue();
  return hwnd_;
}

Handle FormRuntime::deviceContext(PictureBox& picture) {
  if (!handles_ || !made()) throw RuntimeError::invalidPropertyValue();
  const auto it = surfaces_.find(&picture);
  if (it != surfaces_.end()) return it->second;
  const Handle dc =
      handles_->registerSurface(picture.surface(), [this, &picture] { viewRedrawn(picture); });
  surfaces_.emplace(&picture, dc);
  return dc;
}

void FormRuntime::unload(Form& form) {
  if (phase_ == Phase::Closed) return;
  int16_t cancel = 0;
  form.Unload.raise(cancel);
  if (cancel != 0) return;
  // The window goes with its controls and timers: no event reaches the model
  // any more, and no tick runs after the device context was given back.
  phase_ = Phase::Closed;
  syncTimers();
  giveHandlesBack();
  toolkit_.hideWindow();
  // The program's only window is gone: the program ends with it.
  toolkit_.quitEventLoop(0);
}

void FormRuntime::endProgram() {
  if (phase_ != Phase::Closed) phase_ = Phase::Ended;
  syncTimers();
  toolkit_.quitEventLoop(0);
}

void FormRuntime::show(Form&) {
  // Before the first showing the runtime shows the window itself, after Load.
  if (phase_ == Phase::Shown) toolkit_.showWindow();
}

void FormRuntime::syncTimer(const Timer& timer) {
  // An interval of 0 stops the timer, as does disabling it.
  const bool runs = phase_ == Phase::Shown && timer.Enabled && timer.Interval > 0;
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

void FormRuntime::showRedrawnViews() {
  if (made())
    for (const PictureBox* view : redrawn_) toolkit_.showRedrawnView(*view);
  redrawn_.clear();
}

void FormRuntime::giveHandlesBack() {
  if (!handles_) return;
  for (const auto& [picture, dc] : surfaces_) handles_->unregisterSurface(dc);
  surfaces_.clear();
  if (hwnd_) handles_->unregisterWindow(hwnd_);
}

}  // namespace lupe
