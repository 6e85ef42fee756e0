#pragma once

#include <string>

namespace lupe::wayland {

// Whether the Wayland compositor named by WAYLAND_DISPLAY answers. Empty
// when it does; otherwise one German sentence for the user.
std::string compositorProblem();

}  // namespace lupe::wayland
