#pragma once

#include <memory>
#include <unordered_map>

#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include "platform/controls/control_host.hpp"
#include "platform/controls/controls.hpp"
#include "platform/controls/form.hpp"
#include "platform/emulation/emulated_desktop.hpp"
#include "platform/emulation/window_frames.hpp"
#include "platform/emulation/window_requests.hpp"

namespace lupe::qt {

class FormWindow;

// Shows a Form and its controls with Qt Widgets, runs its timers and hands
// the user's actions to the model as events, one at a time on the UI thread.
// Needs a QApplication that outlives it.
class QtBackend final : public ControlHost, public WindowRequests {
 public:
  QtBackend();
  ~QtBackend() override;

  // The desktop whose handles stand for the window and its view.
  void attach(EmulatedDesktop& desktop) { desktop_ = &desktop; }
  // Where the window's frame is learnt from, when the window manager tells
  // it better than the toolkit knows it.
  void attach(WindowFrames& frames) { frames_ = &frames; }
  // Makes the form's window, raises Load, shows it and runs until the
  // program ends; returns the exit status.
  int run(Form& form);

  // Runs an event from the user, unless the window has gone.
  template <class Action>
  void deliver(Action&& action) {
    if (live_) action();
  }
  // The window's outer size changed, or may have: raises Resize when the
  // window system reports a new state or size.
  void windowResized(bool always);
  // The window manager asks to close the window; false keeps it open.
  bool windowClosing();

  // ControlHost
  void checkWrite(const Control& control, PropertyId id) override;
  void propertyChanged(const Control& control, PropertyId id) override;
  void report(const RuntimeError& error) override;
  double twipsPerPixel() const override { return twipsPerPixel_; }
  PixelSize outerSize(const Form& form) override;
  Handle windowHandle(const Form& form) override;
  Handle deviceContext(PictureBox& picture) override;
  void unload(Form& form) override;
  void endProgram() override;

  // WindowRequests
  bool setTopmost(WindowId window, bool on) override;
  bool beginMove(WindowId window) override;
  bool releaseCapture() override;

 private:
  void build(Control& container, QWidget* parent);
  void orderTabs();
  void syncTimer(const Timer& timer);
  void followFrame();
  void showFormProperty(PropertyId id);
  QWidget* widgetOf(const Control& control) const;

  Form* form_ = nullptr;
  EmulatedDesktop* desktop_ = nullptr;
  WindowFrames* frames_ = nullptr;
  std::unique_ptr<QSocketNotifier> frameNotices_;
  uint64_t followed_ = 0;  // the native window whose frame we follow
  std::unique_ptr<FormWindow> window_;
  std::unordered_map<const Control*, QWidget*> widgets_;
  std::unordered_map<const Timer*, std::unique_ptr<QTimer>> timers_;
  std::unordered_map<const PictureBox*, Handle> surfaces_;
  Handle hwnd_ = 0;
  double twipsPerPixel_ = 15.0;
  PixelSize reported_{-1, -1};  // the outer size the last Resize stood for
  bool live_ = false;           // loaded and not yet closed: events are delivered
  bool shown_ = false;          // timers run only once the window is shown
  bool unloaded_ = false;
  bool ended_ = false;
};

}  // namespace lupe::qt
