#pragma once

#include <functional>

#include "platform/emulation/ending.hpp"

namespace lupe::qt {

// When the X server or the Wayland compositor goes away, Qt's display
// connection notices first and ends the process right after its English
// warning. This hands `endNow` the German line, with Qt's warning as the
// cause, on the event loop's thread, before that happens: `endNow` must end
// the program itself, there and then, since Qt will not let its event loop
// go on.
void endOnLostDisplay(std::function<void(const Ending&)> endNow);

}  // namespace lupe::qt
