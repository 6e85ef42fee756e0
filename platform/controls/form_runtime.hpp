#pragma once

#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/controls/control_host.hpp"
#include "platform/controls/window_toolkit.hpp"
#include "platform/desktop/own_handles.hpp"

namespace lupe {

// The life of the window, the same on every window system: it makes the
// window, raises Load, shows the window, raises the first Resize and only
// then starts the timers; delivers events only while the window is live;
// raises Resize for each new outer size; runs Unload exactly once, stops the
// timers with it so that no tick follows, gives the window's handles back
// and ends the program. The toolkit only makes and draws widgets and turns
// its input into these calls.
class FormRuntime final : public ControlHost {
 public:
  // `handles` names the window and its views in the desktop calls; without
  // it they have no hWnd and no hDC.
  FormRuntime(WindowToolkit& toolkit, OwnHandles* handles);
  ~FormRuntime() override;

  // Makes the form's window, raises Load, shows it, starts the timers and
  // runs until the program ends; returns the exit status.
  int run(Form& form);

  // An event from the user or the window system: runs only while the window
  // is live. A view it cleared or drew into is shown once, when it is done.
  template <class Action>
  void deliver(Action&& action) {
    if (!live()) return;
    const Handling handling(*this);
    std::forward<Action>(action)();
  }
  // The timer's period has passed.
  void timerFired(const Timer& timer);
  // The window system resized the window or changed its state (minimised,
  // maximised, restored): Resize. Before the first showing, which raises
  // Resize itself, nothing.
  void windowResized();
  // The frame around the window may have changed: Resize if the outer size is new.
  void frameChanged();
  // The window is in this state (0 normal, 1 minimised, 2 maximised), as the
  // user, the window manager or code put it: WindowState holds it from now
  // on, so that code asking for a state it left is heard again, and code
  // asking for the state it is in asks the window system nothing.
  void windowStateChanged(int16_t state);
  // A mouse button went down or came up over the window, at (x, y) pixels of
  // its client area: MouseDown where no control lies (the form's own, bare
  // surface), and MouseUp for a button that went down there. The form
  // measures in pixels (ScaleMode 3).
  enum class Mouse { Down, Up };
  void formMouse(Mouse what, int16_t button, int16_t shift, int32_t x, int32_t y);
  // The user or the window manager asks to close the window; false keeps it open.
  bool closeRequested();

  // ControlHost
  void checkWrite(const Control& control, PropertyId id) override;
  void propertyChanged(const Control& control, PropertyId id) override;
  void viewRedrawn(const PictureBox& picture) override;
  void report(const RuntimeError& error) override;
  double twipsPerPixel() const override;
  PixelSize outerSize(const Form& form) override;
  Handle windowHandle(const Form& form) override;
  Handle deviceContext(PictureBox& picture) override;
  void unload(Form& form) override;
  void endProgram() override;
  void show(Form& form) override;

 private:
  // Where the window is in its life; it only ever moves down this list.
  enum class Phase {
    Unmade,   // no window yet
    Loading,  // made, Load running: events delivered, not yet shown
    Shown,    // shown: timers run
    Closed,   // unloaded: nothing delivered, nothing held
    Ended,    // the program ended without closing the window
  };
  bool live() const { return phase_ == Phase::Loading || phase_ == Phase::Shown; }
  bool made() const { return phase_ != Phase::Unmade && phase_ != Phase::Closed; }
  void showFirst();
  void syncTimer(const Timer& timer);
  void syncTimers();
  void orderTabs();
  void giveHandlesBack();
  void showRedrawnViews();
  // Counts an event being delivered; the outermost one shows the views it redrew.
  struct Handling {
    explicit Handling(FormRuntime& runtime) : runtime(runtime) { ++runtime.handling_; }
    ~Handling() {
      if (--runtime.handling_ == 0) runtime.showRedrawnViews();
    }
    FormRuntime& runtime;
  };

  WindowToolkit& toolkit_;
  OwnHandles* handles_;
  Form* form_ = nullptr;
  Handle hwnd_ = 0;
  std::unordered_map<const PictureBox*, Handle> surfaces_;
  Phase phase_ = Phase::Unmade;
  PixelSize reported_{-1, -1};     // the outer size the last Resize stood for
  int16_t reportedState_ = 0;      // the window state the window system last reported
  unsigned pressedOnSurface_ = 0;  // buttons (1, 2, 4) that went down on the bare form
  int handling_ = 0;               // events being delivered, one inside another
  // Views cleared or drawn into by the event being handled: shown once, when
  // it is done, so that a clear followed by a drawing shows only the drawing.
  std::vector<const PictureBox*> redrawn_;
};

}  // namespace lupe
