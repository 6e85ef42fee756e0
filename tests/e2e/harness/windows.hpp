#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>
#include <xcb/xcb.h>

#include "display.hpp"
#include "geometry.hpp"
#include "pixels.hpp"

namespace lupe::e2e {

// The mapped top-level client window of process `pid`: looked up among the
// window manager's _NET_CLIENT_LIST or, without a window manager, among the
// root's children, by _NET_WM_PID. Unmapped windows (Qt's 1x1 client leader)
// are passed over. nullopt when there is none (yet).
std::optional<xcb_window_t> findClientWindow(XDisplay& display, pid_t pid);

// The children of `parent`, bottom first; none when it is gone.
std::vector<xcb_window_t> childWindows(XDisplay& display, xcb_window_t parent);

// Every such window of process `pid`, in the window manager's order.
std::vector<xcb_window_t> clientWindows(XDisplay& display, pid_t pid);

// Whether the window manager stacks client `upper` above client `lower`
// (_NET_CLIENT_LIST_STACKING); false when either is not listed.
bool isAbove(XDisplay& display, xcb_window_t upper, xcb_window_t lower);

// Asks the window manager to raise and focus the window, as a pager asks
// (_NET_ACTIVE_WINDOW); does not wait.
void requestActivate(XDisplay& display, xcb_window_t window);

// Pointer grabs as `window` sees them: from construction on, collects the
// LeaveNotify events that a grab of the pointer elsewhere (a window
// manager's interactive move) sends to the window.
class GrabWatch {
 public:
  GrabWatch(XDisplay& display, xcb_window_t window);
  ~GrabWatch();
  // Waits until a grab has taken the pointer from the window; whether one did.
  bool waitForGrab(std::chrono::milliseconds timeout);

 private:
  XDisplay& display_;
  xcb_window_t window_;
};

// A plain grey window of the test's own at `at`, mapped until destroyed:
// managed, for the magnifier to stand above or not, or unmanaged
// (override-redirect), lying over everything.
class OtherWindow {
 public:
  enum class Kind { Managed, Unmanaged };
  OtherWindow(XDisplay& display, const Rect& at, Kind kind = Kind::Managed);
  ~OtherWindow();
  xcb_window_t id() const { return window_; }
  // Each returns once the server has done it.
  void paint(Rgb colour);
  void moveTo(int x, int y);

 private:
  void awaitServer();
  XDisplay& display_;
  xcb_window_t window_ = XCB_NONE;
};

// Polls findClientWindow until it finds one or `timeout` passes.
std::optional<xcb_window_t> waitForClientWindow(XDisplay& display, pid_t pid,
                                                std::chrono::milliseconds timeout);

bool isViewable(XDisplay& display, xcb_window_t window);

// The window's client area in root coordinates; nullopt when it is gone.
std::optional<Rect> clientRect(XDisplay& display, xcb_window_t window);

// The window's client area on the root and its frame; nullopt when the
// window is gone or the window manager has not set _NET_FRAME_EXTENTS.
std::optional<WindowGeometry> windowGeometry(XDisplay& display, xcb_window_t window);

// A text property (WM_NAME, _NET_WM_NAME) with the name of its type;
// nullopt when unset.
struct TextProperty {
  std::string type;  // "STRING", "UTF8_STRING", ...
  std::string value;
};
std::optional<TextProperty> textProperty(XDisplay& display, xcb_window_t window,
                                         std::string_view property);

// The names of the atoms in the window's _NET_WM_STATE.
std::vector<std::string> windowStates(XDisplay& display, xcb_window_t window);

// Asks the window manager to close the window (_NET_CLOSE_WINDOW, as a pager
// or a taskbar asks); the window manager then sends WM_DELETE_WINDOW.
void requestClose(XDisplay& display, xcb_window_t window);

// Asks the window manager to move the window's frame to (x, y) on the root
// (_NET_MOVERESIZE_WINDOW with north-west gravity); does not wait.
void requestMove(XDisplay& display, xcb_window_t window, int x, int y);

// As requestMove, and to give the client area `width` x `height` pixels.
void requestMoveResize(XDisplay& display, xcb_window_t window, int x, int y, int width, int height);

// Asks the window manager to maximise the window both ways, or to restore
// it (_NET_WM_STATE add or remove _MAXIMIZED_VERT and _MAXIMIZED_HORZ, as a
// pager asks); does not wait.
void requestMaximised(XDisplay& display, xcb_window_t window, bool maximised);

}  // namespace lupe::e2e
