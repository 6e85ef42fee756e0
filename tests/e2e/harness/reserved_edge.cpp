#include "reserved_edge.hpp"

#include <chrono>
#include <stdexcept>
#include <vector>

#include "poll.hpp"

namespace lupe::e2e {

using namespace std::chrono_literals;

namespace {

void setCardinals(XDisplay& display, xcb_window_t window, std::string_view name, xcb_atom_t type,
                  const std::vector<uint32_t>& values) {
  xcb_change_property(display.connection(), XCB_PROP_MODE_REPLACE, window, display.atom(name), type,
                      32, uint32_t(values.size()), values.data());
}

}  // namespace

ReservedRightEdge::ReservedRightEdge(XDisplay& display, int width) : display_(display) {
  xcb_connection_t* c = display_.connection();
  const Rect screen = display_.rootRect();
  window_ = xcb_generate_id(c);
  const int x = screen.width - 1, y = 0;
  // The pattern's own colour there: even inside a source it changes nothing.
  const uint32_t background = patternColour(x, y);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window_, display_.root(), int16_t(x), int16_t(y), 1, 1,
                    0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL,
                    &background);
  // WM_NORMAL_HINTS with a position the user chose (USPosition | PPosition),
  // or the window manager would place it itself.
  std::vector<uint32_t> hints(18, 0);
  hints[0] = 1 | 4;
  hints[1] = uint32_t(x);
  hints[2] = uint32_t(y);
  hints[3] = hints[4] = 1;
  setCardinals(display_, window_, "WM_NORMAL_HINTS", XCB_ATOM_WM_SIZE_HINTS, hints);
  setCardinals(display_, window_, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM,
               {display_.atom("_NET_WM_WINDOW_TYPE_DOCK")});
  const uint32_t right = uint32_t(width), bottom = uint32_t(screen.height - 1);
  // left, right, top, bottom, then the start and end of each along its edge
  setCardinals(display_, window_, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL,
               {0, right, 0, 0, 0, 0, 0, bottom, 0, 0, 0, 0});
  setCardinals(display_, window_, "_NET_WM_STRUT", XCB_ATOM_CARDINAL, {0, right, 0, 0});
  xcb_map_window(c, window_);
  display_.sync();
  if (!pollUntil(5s, [&] { return workAreaWidthIs(screen.width - width); })) {
    xcb_destroy_window(c, window_);
    display_.sync();
    throw std::runtime_error("the window manager did not reserve the screen's right edge");
  }
}

ReservedRightEdge::~ReservedRightEdge() {
  xcb_destroy_window(display_.connection(), window_);
  display_.sync();
  // Later tests expect the whole screen for their windows again.
  pollUntil(5s, [&] { return workAreaWidthIs(display_.rootRect().width); });
}

bool ReservedRightEdge::workAreaWidthIs(int width) {
  // x, y, width, height for each desktop
  const std::vector<uint32_t> area = display_.items32(display_.root(), "_NET_WORKAREA");
  const std::vector<uint32_t> current = display_.items32(display_.root(), "_NET_CURRENT_DESKTOP");
  const size_t desktop = current.empty() ? 0 : current[0];
  return area.size() >= 4 * (desktop + 1) && int(area[4 * desktop + 2]) == width;
}

}  // namespace lupe::e2e
