#pragma once

#include <chrono>
#include <string>

namespace lupe::wayland {

// Whether the Wayland compositor named by WAYLAND_DISPLAY answers. Empty
// when it does; otherwise one German sentence for the user.
std::string compositorProblem();

// Whether the compositor answers a request within `within`: a compositor
// that is being killed may still take connections it will never serve.
bool compositorAnswers(std::chrono::milliseconds within);

// Whether the compositor draws the frames of windows that leave them to it
// (it offers xdg-decoration): then Qt draws none of its own.
bool compositorDrawsFrames();

}  // namespace lupe::wayland
