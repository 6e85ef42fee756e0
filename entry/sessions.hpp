#pragma once

namespace lupe {

// Writes `line` to stderr and gives the program's status for a failed start.
int failToStart(const char* line);

// The program in an X11 session (also XWayland, when asked for with
// QT_QPA_PLATFORM=xcb): the root window read through xcb.
int runInX11Session(int argc, char** argv);

// The program in a Wayland session: the screen seen through the desktop's
// screen-cast portal and PipeWire.
int runInWaylandSession(int argc, char** argv);

}  // namespace lupe
