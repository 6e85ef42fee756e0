#include "test_client.hpp"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include <sys/wait.h>

#include "platform/x11/xcb_owned.hpp"
namespace lupe::x11::test {

TestClient::TestClient(const std::string& display) {
  connection_ = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(connection_)) {
    xcb_disconnect(connection_);
    throw std::runtime_error("cannot connect to " + display);
  }
  screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
}

TestClient::~TestClient() { xcb_disconnect(connection_); }

PixelRect TestClient::rootRect() {
  const auto g = own(
      xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, screen_->root), nullptr));
  return g ? PixelRect{0, 0, g->width, g->height} : PixelRect{};
}

void TestClient::sync() {
  own(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void TestClient::paintRoot(const std::function<uint32_t(int32_t, int32_t)>& value) {
  const PixelRect root = rootRect();
  const int bytes = depth() == 16 ? 2 : 4;
  const size_t rowBytes = (static_cast<size_t>(root.width) * bytes + 3) / 4 * 4;
  // Background pixmap rather than drawing on the root: it survives exposures.
  const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
  xcb_create_pixmap(connection_, screen_->root_depth, pixmap, screen_->root,
                    static_cast<uint16_t>(root.width), static_cast<uint16_t>(root.height));
  const xcb_gcontext_t gc = xcb_generate_id(connection_);
  xcb_create_gc(connection_, gc, pixmap, 0, nullptr);

  const size_t maxRequest = xcb_get_maximum_request_length(connection_) * 4 - 64;
  const int32_t rowsPerStrip = static_cast<int32_t>(std::max<size_t>(1, maxRequest / rowBytes));
  std::vector<uint8_t> strip;
  for (int32_t top = 0; top < root.height; top += rowsPerStrip) {
    const int32_t rows = std::min(rowsPerStrip, root.height - top);
    strip.assign(rowBytes * rows, 0);
    for (int32_t y = 0; y < rows; ++y)
      for (int32_t x = 0; x < root.width; ++x) {
        const uint32_t v = value(x, top + y);
        uint8_t* p = strip.data() + y * rowBytes + static_cast<size_t>(x) * bytes;
        for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
      }
    xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc,
                  static_cast<uint16_t>(root.width), static_cast<uint16_t>(rows), 0,
                  static_cast<int16_t>(top), 0, screen_->root_depth,
                  static_cast<uint32_t>(strip.size()), strip.data());
  }
  xcb_change_window_attributes(connection_, screen_->root, XCB_CW_BACK_PIXMAP, &pixmap);
  xcb_clear_area(connection_, 0, screen_->root, 0, 0, 0, 0);
  xcb_free_gc(connection_, gc);
  xcb_free_pixmap(connection_, pixmap);
  sync();
}

void TestClient::warpPointer(int32_t x, int32_t y) {
  xcb_warp_pointer(connection_, XCB_NONE, screen_->root, 0, 0, 0, 0, static_cast<int16_t>(x),
                   static_cast<int16_t>(y));
  sync();
}

std::string firstMismatch(ConstRasterView view, const PixelRect& area,
                          const std::function<Pixel(int32_t, int32_t)>& expected) {
  for (int32_t y = 0; y < view.height; ++y)
    for (int32_t x = 0; x < view.width; ++x) {
      const Pixel want = expected(area.x + x, area.y + y);
      const Pixel got = view.row(y)[x];
      if (got != want) {
        char text[160];
        std::snprintf(text, sizeof text, "screen (%d, %d): got %08x, want %08x", area.x + x,
                      area.y + y, got, want);
        return text;
      }
    }
  return {};
}

int runOnDisplay(const std::string& display, const std::string& command) {
  const std::string line = "export DISPLAY=" + display + "; (" + command + ") >/dev/null 2>&1";
  const int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace lupe::x11::test
