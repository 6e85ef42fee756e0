#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <xcb/xcb.h>

#include "platform/raster/raster.hpp"

namespace lupe::x11::test {

// A second client on the test server that paints the root and moves the
// pointer, so the screen source sees what another program would show.
class TestClient {
 public:
  explicit TestClient(const std::string& display);
  ~TestClient();
  TestClient(const TestClient&) = delete;
  TestClient& operator=(const TestClient&) = delete;

  int depth() const { return screen_->root_depth; }
  // The root's current size (asks the server).
  PixelRect rootRect();
  // Makes the root show `value(x, y)` at every pixel, given as the server's
  // own pixel word (16 bits at depth 16, 32 bits at depth 24 and 30); the
  // test server is little-endian. Returns once the server has painted.
  void paintRoot(const std::function<uint32_t(int32_t, int32_t)>& value);
  void warpPointer(int32_t x, int32_t y);
  // Waits until the server has handled everything sent so far.
  void sync();

 private:
  xcb_connection_t* connection_;
  xcb_screen_t* screen_;
};

// Runs a shell command with DISPLAY set to `display`; its exit status.
int runOnDisplay(const std::string& display, const std::string& command);

// The colour that pixel (x, y) of the test pattern shows: red and green carry
// the low bytes of x and y, blue their next four bits each, so every pixel of
// a 4096 x 4096 screen differs from every other.
inline Pixel patternColour(int32_t x, int32_t y) {
  const uint32_t blue = ((x >> 8) & 0xf) | (((y >> 8) & 0xf) << 4);
  return 0xff000000u | uint32_t(x & 0xff) << 16 | uint32_t(y & 0xff) << 8 | blue;
}

// An empty string when `view`, read from screen rectangle `area`, equals
// `expected` at every pixel; else where and how it differs first.
std::string firstMismatch(ConstRasterView view, const PixelRect& area,
                          const std::function<Pixel(int32_t, int32_t)>& expected);

}  // namespace lupe::x11::test
