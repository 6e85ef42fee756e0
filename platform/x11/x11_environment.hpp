#pragma once

#include <string>

namespace lupe::x11 {

// Whether an X11 display can be reached from this session. Empty when it
// can; otherwise one German sentence that tells the user what is missing
// (no DISPLAY, a Wayland-only session, no X server answering).
std::string displayProblem();

// The German sentence for a display that cannot be reached: `display`, or
// $DISPLAY when it is nullptr. Used by displayProblem() and when opening
// the screen fails.
std::string unreachableDisplayText(const char* display);

// A one-line German notice, to be shown once, that the screen is read
// without MIT-SHM and so more slowly.
const char* noSharedMemoryNotice();

// The same for a server that does not tell what changed on the screen (no
// X DAMAGE): every frame is then made whole.
const char* noDamageNotice();

}  // namespace lupe::x11
