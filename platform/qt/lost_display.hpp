#pragma once

namespace lupe::qt {

// When the X server or the Wayland compositor goes away, Qt's display
// connection notices first and ends the process with an English warning.
// This turns that into one German line and an immediate exit with status 1:
// the display is gone, there is nothing left to give back to it, and nothing
// may hang on it (the portal's session ends with our bus connection).
void endOnLostDisplay();

}  // namespace lupe::qt
