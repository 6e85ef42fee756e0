#pragma once

#include <cstdint>

#include "platform/controls/property_id.hpp"
#include "platform/desktop/desktop.hpp"

namespace lupe {

class Control;
class Form;
class PictureBox;
class RuntimeError;

struct PixelSize {
  int32_t width = 0;
  int32_t height = 0;
};

// What the control model needs of the toolkit that shows it: a Qt backend in
// the program, a recording fake in the tests.
class ControlHost {
 public:
  virtual ~ControlHost() = default;

  // Asked before every property write made by code; throws RuntimeError to refuse it.
  virtual void checkWrite(const Control& control, PropertyId id) = 0;
  // A property changed: show it.
  virtual void propertyChanged(const Control& control, PropertyId id) = 0;
  // Code cleared the picture box's surface or drew into it: show it anew.
  virtual void viewRedrawn(const PictureBox& picture) = 0;
  // A run-time error no handler skipped; the program goes on.
  virtual void report(const RuntimeError& error) = 0;

  // Twips per pixel of this screen, one figure for the whole run.
  virtual double twipsPerPixel() const = 0;
  // The window's outer size, frame and title bar included, in pixels.
  virtual PixelSize outerSize(const Form& form) = 0;
  // The window's handle (hWnd); throws RuntimeError when it has none.
  virtual Handle windowHandle(const Form& form) = 0;
  // A device context drawing into the picture box's surface (hDC); throws
  // RuntimeError when there is none.
  virtual Handle deviceContext(PictureBox& picture) = 0;
  // Closes the window: raises its Unload, then destroys it with its controls.
  virtual void unload(Form& form) = 0;
  // Ends the program at once; no further event is raised.
  virtual void endProgram() = 0;
  // Shows the window if it is not shown; a shown window stays where it is.
  virtual void show(Form& form) = 0;
};

}  // namespace lupe
