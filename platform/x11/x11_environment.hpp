#pragma once

#include <string>

namespace lupe::x11 {

// Whether an X11 display can be reached from this session. Empty when it
// can; otherwise one German sentence that tells the user what is missing
// (no DISPLAY, a Wayland-only session, no X server answering).
std::string displayProblem();

}  // namespace lupe::x11
