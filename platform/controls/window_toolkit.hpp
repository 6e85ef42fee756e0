#pragma once

#include <string>
#include <vector>

#include "platform/controls/control_host.hpp"
#include "platform/controls/property_id.hpp"
#include "platform/desktop/desktop.hpp"

namespace lupe {

class Control;
class Form;
class Timer;

// Lengths in the window definition are twips, 1440 to the inch: 15 to a
// pixel on a 96-dpi screen, the figure for a screen that tells no density.
inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kTwipsPerPixelAt96Dpi = kTwipsPerInch / 96.0;

// What the form runtime needs of a GUI toolkit: widgets, a native window,
// timers and an event loop. Everything else about the window's life is the
// form runtime's and the same on every window system. The toolkit hands the
// user's actions and the window system's notices to the FormRuntime.
class WindowToolkit {
 public:
  virtual ~WindowToolkit() = default;

  // Makes the window, not yet shown, with a widget for each control that has
  // one, each showing its properties, the client area at the form's size;
  // returns the native window's identity.
  virtual WindowId createWindow(Form& form) = 0;
  // Shows the window; a shown window stays as it is. The runtime raises the
  // first Resize itself once this returns.
  virtual void showWindow() = 0;
  // Takes the window off the screen for good.
  virtual void hideWindow() = 0;
  // Brings what is shown in line with one property of a control; the form's
  // WindowState asks the window system for that state. A line's or image's
  // property concerns what its container draws.
  virtual void showProperty(const Control& control, PropertyId id) = 0;
  // The view's surface was cleared or drawn into: show it anew, at once
  // where the toolkit can (see ViewPresenter).
  virtual void showRedrawnView(const PictureBox& view) = 0;
  // Runs the timer every `interval` milliseconds, counting from now; 0 stops it.
  virtual void setTimer(const Timer& timer, int32_t interval) = 0;
  // Keyboard focus moves through these controls in this order; the first has it.
  virtual void setTabOrder(const std::vector<const Control*>& order) = 0;
  // The window's outer size, frame and title bar included, in pixels.
  virtual PixelSize outerSize() = 0;
  // Twips per pixel of the screen, one figure for the whole run.
  virtual double twipsPerPixel() const = 0;
  // Tells the user of a run-time error; the program goes on.
  virtual void reportError(const std::string& line) = 0;
  // Delivers events until quitEventLoop; returns its status.
  virtual int runEventLoop() = 0;
  virtual void quitEventLoop(int status) = 0;
};

}  // namespace lupe
