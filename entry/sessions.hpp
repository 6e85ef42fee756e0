#pragma once

#include <memory>

#include "entry/qt_session.hpp"

namespace lupe {

// The kinds of session this program was built with; each made only where
// it was (LUPE_X11_SESSION, LUPE_WAYLAND_SESSION).
std::unique_ptr<SessionKind> makeX11Session();      // the root window read through xcb
std::unique_ptr<SessionKind> makeWaylandSession();  // the desktop's portal and PipeWire

}  // namespace lupe
