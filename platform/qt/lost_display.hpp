#pragma once

namespace lupe::qt {

// When the X server goes away, Qt's display connection notices first and
// ends the process with an English warning. This turns that into one German
// line and an immediate exit with status 1: the display is gone, there is
// nothing left to give back to it, and nothing may hang on it.
void endOnLostDisplay();

}  // namespace lupe::qt
