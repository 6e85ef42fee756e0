#pragma once

#include "platform/win32/windows_api.hpp"

#include "platform/controls/form.hpp"
#include "platform/controls/form_runtime.hpp"
#include "platform/controls/view_composer.hpp"
#include "platform/controls/window_toolkit.hpp"
#include "platform/win32/control_windows.hpp"
#include "platform/win32/focus_cycle.hpp"
#include "platform/win32/timer_ticks.hpp"

namespace lupe::win32 {

// user32 as the form runtime's toolkit: the form is a top-level window with
// a native child window for each control (ControlWindows). Timers tick
// precisely on the UI thread (TimerTicks); the message loop is ours, so
// that Tab follows TabIndex (FocusCycle). What the windows hear goes to the
// runtime (window_messages.cpp).
class Win32Backend final : public WindowToolkit {
 public:
  explicit Win32Backend(HINSTANCE instance);
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  // Where the user's actions and the window system's notices go.
  void attach(FormRuntime& runtime) { runtime_ = &runtime; }
  // The memory context that draws into a view's surface; nullptr for any other.
  HDC surfaceContext(Surface& surface) const;

  // WindowToolkit
  WindowId createWindow(Form& form) override;
  void showWindow() override;
  void hideWindow() override;
  void showProperty(const Control& control, PropertyId id) override;
  void showRedrawnView(const PictureBox& view) override;
  void setTimer(const Timer& timer, int32_t interval) override;
  void setTabOrder(const std::vector<const Control*>& order) override;
  PixelSize outerSize() override;
  double twipsPerPixel() const override { return 1440.0 / dpi_; }
  void reportError(const std::string& line) override;
  int runEventLoop() override;
  void quitEventLoop(int status) override;

 private:
  static constexpr UINT kTickMessage = WM_APP + 1;  // wParam: the timer's index

  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT formMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT frameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT viewMessage(ViewWindow& view, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Messages the children send their container: clicks, slider moves, the
  // drawing of buttons, the colours of labels.
  bool childMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void sizeChanged(WPARAM kind);
  void formMouse(FormRuntime::Mouse what, UINT message, WPARAM wParam, LPARAM lParam);
  template <class Action>
  void deliver(Action&& action) {
    if (runtime_) runtime_->deliver(std::forward<Action>(action));
  }

  HINSTANCE instance_;
  FormRuntime* runtime_ = nullptr;
  Form* form_ = nullptr;
  HWND window_ = nullptr;
  int dpi_ = 96;
  bool shown_ = false;
  ControlWindows children_;
  TimerTicks ticks_{kTickMessage};
  FocusCycle focus_;
  ViewComposer panelLines_;
};

}  // namespace lupe::win32
