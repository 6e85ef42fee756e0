#include "platform/x11/x11_screen_source.hpp"

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/xvfb_server.hpp"
#include "test_client.hpp"

namespace lupe::x11 {
namespace {

using support::kX11TestDisplays;
using support::XvfbServer;
using test::firstMismatch;
using test::patternColour;
using test::TestClient;
using Expected = std::function<Pixel(int32_t, int32_t)>;

constexpr Pixel kGuard = 0x5a5a5a5au;

// The pattern as server words at depth 24 (top byte left for the server to
// drop) and at depth 30 (each colour byte widened to 10 bits with set low
// bits that must not show).
uint32_t word24(int32_t x, int32_t y) { return 0xab000000u | (patternColour(x, y) & 0xffffff); }
uint32_t word30(int32_t x, int32_t y) {
  const Pixel p = patternColour(x, y);
  const uint32_t r = (p >> 16 & 0xff) << 2 | (y & 3), g = (p >> 8 & 0xff) << 2 | (x & 3),
                 b = (p & 0xff) << 2 | 2;
  return r << 20 | g << 10 | b;
}
// At depth 16 the word itself carries x and y; the expected colour widens
// each 565 channel to 8 bits.
uint32_t word16(int32_t x, int32_t y) { return uint32_t(x & 0xff) | uint32_t(y & 0xff) << 8; }
Pixel colour16(int32_t x, int32_t y) {
  const uint32_t v = word16(x, y), r = v >> 11, g = (v >> 5) & 63, b = v & 31;
  return 0xff000000u | ((r << 3) | (r >> 2)) << 16 | ((g << 2) | (g >> 4)) << 8 | (b << 3) |
         (b >> 2);
}

// Reads `area` with `read` into a view framed by guard pixels and checks
// both the picture and that nothing around it was written.
template <typename Read>
void expectPicture(const PixelRect& area, const Expected& expected, Read read) {
  Raster canvas(area.width + 2, area.height + 2, kGuard);
  const RasterView view = canvas.view().sub({1, 1, area.width, area.height});
  ASSERT_TRUE(read(area, view)) << "reading " << area.x << "," << area.y << " " << area.width << "x"
                                << area.height;
  EXPECT_EQ(firstMismatch(view, area, expected), "")
      << "in " << area.x << "," << area.y << " " << area.width << "x" << area.height;
  const ConstRasterView all = canvas.view();
  for (int32_t y = 0; y < all.height; ++y)
    for (int32_t x = 0; x < all.width; ++x)
      if (x == 0 || y == 0 || x == all.width - 1 || y == all.height - 1) {
        ASSERT_EQ(all.row(y)[x], kGuard) << "wrote outside the view at " << x << "," << y;
      }
}

void expectRead(X11ScreenSource& source, const PixelRect& area, const Expected& expected) {
  expectPicture(area, expected,
                [&](const PixelRect& a, RasterView v) { return source.read(a, v); });
}

void expectCapture(X11ScreenSource& source, const PixelRect& area, const Expected& expected) {
  expectPicture(area, expected,
                [&](const PixelRect& a, RasterView v) { return captureScreen(source, a, v); });
}

Expected patternOn(const PixelRect& screen) {
  return [screen](int32_t x, int32_t y) {
    const bool on = x >= 0 && y >= 0 && x < screen.width && y < screen.height;
    return on ? patternColour(x, y) : kBlack;
  };
}

// Calls `done` until it holds or three seconds have passed.
template <typename Done>
bool eventually(Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

struct Segment {
  long id = 0;
  size_t bytes = 0;
};

// The SysV shared-memory segments this process created and still exist.
std::vector<Segment> ourSegments() {
  std::ifstream table("/proc/sysvipc/shm");
  std::string line;
  std::getline(table, line);  // header
  std::vector<Segment> found;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    long key, id, perms, cpid;
    size_t bytes;
    fields >> key >> id >> perms >> bytes >> cpid;
    if (cpid == getpid()) found.push_back({id, bytes});
  }
  return found;
}

class TrueColourScreen : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = std::make_unique<XvfbServer>(kX11TestDisplays, "1280x1024x24");
    TestClient(server_->display()).paintRoot(word24);
  }
  static void TearDownTestSuite() { server_.reset(); }
  static const char* display() { return server_->display().c_str(); }
  static inline std::unique_ptr<XvfbServer> server_;
  const PixelRect screen_{0, 0, 1280, 1024};
};

TEST_F(TrueColourScreen, ReadsExactPixelsThroughSharedMemoryAndGetImage) {
  for (CaptureMode mode : {CaptureMode::SharedMemoryWhenOffered, CaptureMode::PlainGetImage}) {
    SCOPED_TRACE(mode == CaptureMode::PlainGetImage ? "GetImage" : "MIT-SHM");
    const auto source = X11ScreenSource::open(display(), mode);
    EXPECT_EQ(source->usesSharedMemory(), mode == CaptureMode::SharedMemoryWhenOffered);
    EXPECT_EQ(source->bounds(), screen_);
    const Expected pattern = patternOn(screen_);
    for (const PixelRect& area :
         {PixelRect{100, 50, 240, 113}, PixelRect{1280 - 719, 1024 - 340, 719, 340},
          PixelRect{0, 0, 1, 1}, PixelRect{1279, 1023, 1, 1}, PixelRect{0, 1023, 1280, 1},
          PixelRect{3, 5, 1000, 1000}, screen_, PixelRect{17, 900, 240, 113}})
      expectRead(*source, area, pattern);
    EXPECT_FALSE(source->connectionLost());
  }
}

TEST_F(TrueColourScreen, OffScreenPartsOfACaptureAreBlack) {
  const auto source = X11ScreenSource::open(display());
  const Expected pattern = patternOn(screen_);
  for (const PixelRect& area : {PixelRect{-50, -20, 240, 113}, PixelRect{1200, 1000, 200, 100},
                                PixelRect{-10, 500, 1300, 3}, PixelRect{1279, -5, 1, 1030},
                                PixelRect{2000, 2000, 10, 10}, PixelRect{-240, 0, 240, 113}})
    expectCapture(*source, area, pattern);
}

TEST_F(TrueColourScreen, KeepsOneSegmentAndGrowsItOnlyForLargerRectangles) {
  // Sources of earlier tests may still be waiting for the server to let go.
  ASSERT_TRUE(eventually([] { return ourSegments().empty(); }));
  {
    const auto source = X11ScreenSource::open(display());
    ASSERT_TRUE(source->usesSharedMemory());
    std::vector<Segment> held = ourSegments();
    ASSERT_EQ(held.size(), 1u);
    const long first = held[0].id;
    Raster picture;
    for (int tick = 0; tick < 50; ++tick) {
      const PixelRect area = tick % 2 ? PixelRect{0, 0, 240, 113} : PixelRect{9, 9, 719, 340};
      picture.reshape(area.width, area.height);
      ASSERT_TRUE(source->read(area, picture.view()));
    }
    held = ourSegments();
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].id, first);

    picture.reshape(1280, 1024);
    ASSERT_TRUE(source->read(screen_, picture.view()));
    held = ourSegments();
    ASSERT_EQ(held.size(), 1u) << "the outgrown segment is still there";
    EXPECT_NE(held[0].id, first);
    EXPECT_GE(held[0].bytes, size_t{1280} * 1024 * 4);
    const long grown = held[0].id;
    picture.reshape(240, 113);
    ASSERT_TRUE(source->read({5, 5, 240, 113}, picture.view()));
    EXPECT_EQ(ourSegments()[0].id, grown);
  }
  EXPECT_TRUE(eventually([] { return ourSegments().empty(); })) << "segment left behind";
}

TEST_F(TrueColourScreen, PointerComesInRootPixels) {
  const auto source = X11ScreenSource::open(display());
  TestClient client(display());
  for (const auto& [wx, wy] :
       std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {1279, 1023}, {640, 17}, {3, 1000}}) {
    client.warpPointer(wx, wy);
    const std::optional<PointApi> at = source->look().pointer;
    ASSERT_TRUE(at);
    EXPECT_EQ(at->x, wx);
    EXPECT_EQ(at->y, wy);
  }
}

// Reads the pattern on a server of the given depth in both capture modes.
void expectDeepAndShallowScreen(const std::string& screen, uint32_t (*word)(int32_t, int32_t),
                                const Expected& colour) {
  XvfbServer server(kX11TestDisplays, screen);
  TestClient(server.display()).paintRoot(word);
  for (CaptureMode mode : {CaptureMode::SharedMemoryWhenOffered, CaptureMode::PlainGetImage}) {
    SCOPED_TRACE(screen + (mode == CaptureMode::PlainGetImage ? " GetImage" : " MIT-SHM"));
    const auto source = X11ScreenSource::open(server.display().c_str(), mode);
    ASSERT_EQ(source->bounds(), (PixelRect{0, 0, 640, 480}));
    // Odd widths pad 16-bit rows: 3 pixels take 8 bytes, 1 pixel 4.
    for (const PixelRect& area :
         {PixelRect{0, 0, 640, 480}, PixelRect{400, 367, 240, 113}, PixelRect{639, 479, 1, 1},
          PixelRect{1, 2, 3, 5}, PixelRect{639, 0, 1, 480}})
      expectRead(*source, area, colour);
  }
}

TEST(OtherDepths, Depth16And30ScreensReadExactly) {
  expectDeepAndShallowScreen("640x480x16", word16, colour16);
  expectDeepAndShallowScreen("640x480x30", word30, patternColour);
}

TEST(NoSharedMemory, FallsBackToGetImage) {
  XvfbServer server(kX11TestDisplays, "640x480x24", {"-extension", "MIT-SHM"});
  TestClient(server.display()).paintRoot(word24);
  const auto source = X11ScreenSource::open(server.display().c_str());
  EXPECT_FALSE(source->usesSharedMemory());
  const Expected pattern = patternOn({0, 0, 640, 480});
  for (const PixelRect& area :
       {PixelRect{0, 0, 640, 480}, PixelRect{400, 367, 240, 113}, PixelRect{639, 0, 1, 1}})
    expectRead(*source, area, pattern);
  expectCapture(*source, {600, 400, 100, 100}, pattern);
  EXPECT_TRUE(eventually([] { return ourSegments().empty(); }));
}

TEST(RootChanges, SizeAndMonitorsAreFollowed) {
  XvfbServer server(kX11TestDisplays, "1280x1024x24");
  TestClient client(server.display());
  const auto source = X11ScreenSource::open(server.display().c_str());
  ASSERT_EQ(source->bounds(), (PixelRect{0, 0, 1280, 1024}));

  for (const PixelRect& size : {PixelRect{0, 0, 800, 600}, PixelRect{0, 0, 1024, 768}}) {
    const std::string fb = std::to_string(size.width) + "x" + std::to_string(size.height);
    test::runOnDisplay(server.display(), "xrandr --fb " + fb);  // may complain, still resizes
    ASSERT_EQ(client.rootRect(), size) << "xrandr did not resize the root to " << fb;
    EXPECT_TRUE(eventually([&] { return source->bounds() == size; })) << "still not " << fb;
    client.paintRoot(word24);
    expectRead(*source, size, patternOn(size));
    expectCapture(*source, {size.width - 100, size.height - 50, 200, 113}, patternOn(size));
  }

  // Two monitors with a gap between them: the gap reads black.
  ASSERT_EQ(test::runOnDisplay(server.display(),
                               "xrandr --setmonitor left 300/80x768/200+0+0 none && "
                               "xrandr --setmonitor right 400/100x700/180+624+0 none"),
            0);
  const PixelRect all{0, 0, 1024, 768};
  const Expected shown = [](int32_t x, int32_t y) {
    const bool on = (x < 300) || (x >= 624 && y < 700);
    return on ? patternColour(x, y) : kBlack;
  };
  Raster picture(1024, 768, 0);
  EXPECT_TRUE(eventually([&] {
    return captureScreen(*source, all, picture.view()) && picture.view().row(0)[300] == kBlack;
  })) << "the monitors were not noticed";
  expectRead(*source, all, shown);
  expectRead(*source, {200, 600, 500, 168}, shown);
  expectRead(*source, {700, 10, 240, 113}, shown);  // all on one monitor

  ASSERT_EQ(
      test::runOnDisplay(server.display(), "xrandr --delmonitor left && xrandr --delmonitor right"),
      0);
  EXPECT_TRUE(eventually([&] {
    return captureScreen(*source, all, picture.view()) && picture.view().row(0)[300] != kBlack;
  })) << "removing the monitors was not noticed";
  expectRead(*source, all, patternOn(all));
}

TEST(ConnectionLoss, EveryCallFailsWithoutHangingOnceTheServerIsGone) {
  auto server = std::make_unique<XvfbServer>(kX11TestDisplays, "320x200x24");
  const std::string display = server->display();
  TestClient(display).paintRoot(word24);
  const auto source = X11ScreenSource::open(display.c_str());
  Raster picture(32, 20, 0);
  ASSERT_TRUE(source->read({0, 0, 32, 20}, picture.view()));
  ASSERT_TRUE(source->pointer());
  EXPECT_FALSE(source->connectionLost());

  server->kill();
  for (int call = 0; call < 3; ++call) {
    EXPECT_FALSE(source->pointer());
    EXPECT_TRUE(source->look().changes.everything());
    EXPECT_FALSE(source->read({0, 0, 32, 20}, picture.view()));
    EXPECT_TRUE(source->connectionLost());
    // The capture still hands back a defined, black picture.
    EXPECT_FALSE(captureScreen(*source, {-5, -5, 32, 20}, picture.view()));
    EXPECT_EQ(
        firstMismatch(picture.view(), {0, 0, 32, 20}, [](int32_t, int32_t) { return kBlack; }), "");
  }
  EXPECT_THROW(X11ScreenSource::open(display.c_str()), std::runtime_error);
}

}  // namespace
}  // namespace lupe::x11
