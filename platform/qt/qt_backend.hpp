#pragma once

#include <memory>
#include <unordered_map>

#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include "platform/controls/controls.hpp"
#include "platform/controls/form.hpp"
#include "platform/controls/form_runtime.hpp"
#include "platform/controls/window_toolkit.hpp"
#include "platform/emulation/window_frames.hpp"
#include "platform/qt/form_widgets.hpp"
#include "platform/qt/frame_outputs.hpp"

namespace lupe::qt {

class FormWindow;

// Qt 6 Widgets as the form runtime's toolkit: makes a widget for each
// control, shows their properties, runs the timers and the event loop, and
// hands the user's actions to the runtime. Needs a QApplication that
// outlives it.
class QtBackend final : public WindowToolkit {
 public:
  QtBackend();
  ~QtBackend() override;

  // Where the user's actions and the window system's notices go.
  void attach(FormRuntime& runtime) { runtime_ = &runtime; }
  // Where the window's frame is learnt from, when the window manager tells
  // it better than the toolkit knows it.
  void attach(WindowFrames& frames) { frames_ = &frames; }
  // Views show their frames through outputs from here, where they can, in
  // native windows of their own; the controls that lie above a view get
  // native windows too, so that the window system keeps them on top.
  void showViewsThrough(FrameOutputs outputs) { outputs_ = std::move(outputs); }
  // Or on surfaces of their own from here, laid over the window's.
  void showViewsOnSurfaces(PlacedOutputs outputs) { placedOutputs_ = std::move(outputs); }

  // Runs an event from the user, unless the window has gone.
  template <class Action>
  void deliver(Action&& action) {
    if (runtime_) runtime_->deliver(std::forward<Action>(action));
  }
  // From the window: the window system resized it or changed its state.
  void windowResized();
  // From the window: the window system changed its state.
  void windowStateChanged();
  // From the window: a mouse button went down over its own surface, or came up.
  void formMouse(FormRuntime::Mouse what, const QMouseEvent& event);
  // From the window: it moved, and with a move may come a new frame.
  void windowMoved();
  // From the window: the window manager asks to close it; false keeps it open.
  bool windowClosing();
  // Closes the window as the user would (Unload runs), or, before there is
  // one or when closing is refused, ends the event loop with `status`.
  void closeWindow(int status);
  // The frames followed are those of the native window that shows the
  // form now: Qt makes it anew at times, and only the one it uses counts.
  void followFrame();

  // The form's window and its identity in the desktop calls; null before
  // it is made.
  QWidget* formWindow() const;
  WindowId windowId() const;

  // WindowToolkit
  WindowId createWindow(Form& form) override;
  void showWindow() override;
  void hideWindow() override;
  void showProperty(const Control& control, PropertyId id) override;
  void showRedrawnView(const PictureBox& view) override;
  void setTimer(const Timer& timer, int32_t interval) override;
  void setTabOrder(const std::vector<const Control*>& order) override;
  PixelSize outerSize() override;
  double twipsPerPixel() const override { return twipsPerPixel_; }
  void reportError(const std::string& line) override;
  int runEventLoop() override;
  void quitEventLoop(int status) override;

 private:
  FormRuntime* runtime_ = nullptr;
  Form* form_ = nullptr;
  WindowFrames* frames_ = nullptr;
  FrameOutputs outputs_;
  PlacedOutputs placedOutputs_;
  bool viewsNative_ = false;
  std::unique_ptr<FormWindow> window_;
  FormWidgets widgets_;
  std::unordered_map<const Timer*, std::unique_ptr<QTimer>> timers_;
  double twipsPerPixel_;
};

}  // namespace lupe::qt
