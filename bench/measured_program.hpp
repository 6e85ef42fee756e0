#pragma once

// The program a bench measures from outside: its CPU time and memory from
// /proc, and its client window as the window manager lists it.
#include <string>

#include <xcb/xcb.h>

namespace lupe::bench {

// CPU time of all the process's threads (the scheduler's own account, in
// nanoseconds' precision), in seconds.
double cpuSeconds(int pid);

// A field of /proc/PID/status in kB ("VmHWM", "RssAnon", ...); -1 when missing.
long statusKb(int pid, const std::string& field);

// The client window of `pid` (_NET_WM_PID among _NET_CLIENT_LIST), or the
// newest client when none names its pid within 5 s; 0 when no client
// appears within 20 s.
xcb_window_t findClientWindow(xcb_connection_t* c, xcb_window_t root, int pid);

// Asks the window manager to maximise `window` both ways; does not wait.
void maximise(xcb_connection_t* c, xcb_window_t root, xcb_window_t window);

}  // namespace lupe::bench
