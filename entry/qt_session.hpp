#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/emulation/screen_source.hpp"

namespace lupe {

class FormRuntime;
class SessionEnding;
namespace qt {
class QtBackend;
}

// What one kind of session (X11, Wayland) brings to the one way a Qt
// session runs: its display, its screen and its own wiring. Everything
// else is the session runner's.
class SessionKind {
 public:
  virtual ~SessionKind() = default;

  // Qt's platform for it.
  virtual const char* qtPlatform() const = 0;
  // Before Qt starts, which would abort with a core dump without a display:
  // the German line why the display cannot be reached; empty when it can.
  virtual std::string displayProblem() const = 0;
  // Just before Qt starts: the kind's own settings of Qt's platform.
  virtual void configureQt() {}
  // Begins opening the screen; runs `ready`, at once or from the event
  // loop, once it can be read. What goes wrong, then or later, goes to
  // `ending`.
  virtual void openScreen(SessionEnding& ending, std::function<void()> ready) = 0;
  virtual ScreenSource& screen() = 0;
  // Whether the left button is down now, as the window system holds it;
  // empty where it cannot be told.
  virtual std::function<bool()> leftButtonHeld() { return {}; }
  // A descriptor that becomes readable when the screen has something to
  // dispatch between ticks, and the dispatch; -1 for none.
  virtual int screenEvents() { return -1; }
  virtual void dispatchScreen() {}
  // A while after the window first showed: ends when the screen never
  // showed a picture.
  virtual void checkPictures() {}
  // Its own wiring of the toolkit, before the window is made.
  virtual void wire(qt::QtBackend&, FormRuntime&, SessionEnding&) {}
};

// Runs the program in the `chosen` kind of session; returns its exit status.
int runQtSession(std::unique_ptr<SessionKind> chosen, int argc, char** argv);

}  // namespace lupe
