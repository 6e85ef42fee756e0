#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <xcb/xcb.h>

#include "pixels.hpp"

namespace lupe::e2e {

// The tests' own connection to the X server that the magnifier runs on.
// Knows the root, interns atoms, reads properties, reads pixels back and
// paints the test pattern. Expects a 24-bit TrueColor root with 32 bits per
// pixel (Xvfb's "x24"); anything else is refused when connecting.
class XDisplay {
 public:
  // `name` as for xcb_connect (nullptr: $DISPLAY). Throws std::runtime_error
  // when the server does not answer or its root has another pixel format.
  explicit XDisplay(const char* name = nullptr);
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  xcb_connection_t* connection() const { return connection_; }
  xcb_window_t root() const { return screen_->root; }
  // The root's size as the server has it now (it changes with xrandr --fb).
  Rect rootRect() const;

  // The atom of `name`, interned once and cached.
  xcb_atom_t atom(std::string_view name);
  // The name of `atom`, or "" when the server knows none.
  std::string atomName(xcb_atom_t atom);

  struct Property {
    xcb_atom_t type = XCB_NONE;
    int format = 0;  // 8, 16 or 32
    std::vector<uint8_t> bytes;
  };
  // The whole value of `property` on `window`; nullopt when it is not set or
  // the window is gone.
  std::optional<Property> property(xcb_window_t window, xcb_atom_t property);
  // A format-32 property as its 32-bit items (CARDINAL, WINDOW, ATOM lists);
  // empty when unset or of another format.
  std::vector<uint32_t> items32(xcb_window_t window, std::string_view property);

  // Returns once the server has handled every request sent so far.
  void sync();

  // The pixels of `area` on the root as the screen shows them (windows
  // included). `area` must lie on the root; throws std::runtime_error if the
  // server refuses the request.
  Image readRoot(const Rect& area);

  // Makes the root show patternColour(x, y) at every pixel, as its
  // background pixmap, so that it comes back whenever the root is exposed.
  // Returns once the server has painted it.
  void paintRootPattern();

  // Sends a client message of format 32 to the root, as EWMH requests to the
  // window manager are sent.
  void sendToWindowManager(xcb_window_t about, std::string_view type,
                           const std::vector<uint32_t>& data);

 private:
  void putRootPixmapRows(xcb_pixmap_t pixmap, xcb_gcontext_t gc, int top, int rows);

  xcb_connection_t* connection_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
  bool lsbFirst_ = true;
  std::map<std::string, xcb_atom_t, std::less<>> atoms_;
};

}  // namespace lupe::e2e
