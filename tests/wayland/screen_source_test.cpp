// The Wayland screen source against every compositor's way with its
// streams, played by the test compositor through the session's PipeWire
// and the real portal front end (the tests' backend offering its streams):
// the pictures exact and black off the monitors, the pointer where it was
// put, what changed as painted and nothing for a picture sent again, the
// last picture of a burst while the reader is busy, a monitor gone.
#include "platform/wayland/wayland_screen_source.hpp"

#include <gio/gio.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "platform/raster/changed_area.hpp"
#include "platform/wayland/restore_token.hpp"
#include "test_compositor.hpp"

namespace lupe::wayland::test {
namespace {

using namespace std::chrono_literals;
using Row = CompositorRow;

std::vector<Row> rows() {
  const std::vector<PixelRect> twoSizes{{0, 0, 640, 480}, {640, 0, 400, 300}};
  Row mutter43{"mutter43", Row::Damage::None, false, Row::PointerOnly::SizeZero, false, 384,
               16, 2, 16, true, false, twoSizes, {}};
  Row mutter46 = mutter43;
  mutter46.name = "mutter46";
  mutter46.damage = Row::Damage::WholeMonitor;
  Row kwin527{"KWin527", Row::Damage::Regions, true, Row::PointerOnly::SizeZeroCorrupted, false,
              256, 16, 2, 16, false, false, twoSizes, {}};
  // A panel at scale 2 (640 x 480 logical) beside one at 1, laid out logically.
  Row plasma6{"Plasma6", Row::Damage::Regions, false, Row::PointerOnly::CorruptedWithSize, true,
              256, 3, 2, 4, true, true, {{0, 0, 1280, 960}, {1280, 0, 800, 600}}, {2, 1}};
  // Two alike at scale 2: placed by the session's screens, in their order.
  Row kwinScaleTwo = kwin527;
  kwinScaleTwo.name = "KWinScaleTwo";
  kwinScaleTwo.logicalPositions = true;
  kwinScaleTwo.monitors = {{0, 0, 1280, 960}, {1280, 0, 1280, 960}};
  kwinScaleTwo.scales = {2, 2};
  return {mutter43, mutter46, kwin527, plasma6, kwinScaleTwo};
}

}  // namespace

// Rows print as their names.
void PrintTo(const CompositorRow& row, std::ostream* out) { *out << row.name; }

namespace {

// The tests' portal backend, through its control on the session bus.
void control(const char* method, GVariant* arguments) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr), "org.tevka.LupeTest",
      "/org/tevka/LupeTest", "org.tevka.LupeTest", method, arguments, nullptr,
      G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
  if (!reply) {
    const std::string message = error->message;
    g_error_free(error);
    throw std::runtime_error(std::string("test portal ") + method + ": " + message);
  }
  g_variant_unref(reply);
}

void offer(const std::vector<PortalStream>& streams) {
  GVariantBuilder list;
  g_variant_builder_init(&list, G_VARIANT_TYPE("a(uiiii)"));
  for (const PortalStream& s : streams) {
    const PointApi at = s.position.value_or(PointApi{});
    g_variant_builder_add(&list, "(uiiii)", s.node, at.x, at.y, s.width, s.height);
  }
  control("OfferStreams", g_variant_new("(a(uiiii))", &list));
}

class EveryCompositor : public ::testing::TestWithParam<Row> {
 protected:
  void SetUp() override {
    // Asked afresh: a permission kept from another row would name its streams.
    std::remove(RestoreToken::defaultPath().c_str());
    compositor_ = std::make_unique<TestCompositor>(GetParam());
    control("Play", g_variant_new("(s)", GetParam().portalGivesPosition ? "gnome" : "kde"));
    offer(compositor_->described());
    source_ = std::make_unique<WaylandScreenSource>(
        [this](Ending ending) { endings_.push_back(std::move(ending)); }, compositor_->screens());
    source_->open([&] { ready_ = true; });
    ASSERT_TRUE(runUntil([&] { return ready_ || !endings_.empty(); }, 10s));
    ASSERT_TRUE(endings_.empty()) << endings_.front().told();
    ASSERT_TRUE(runUntil([&] { return compositor_->streaming(); }, 5s)) << "no reader connected";
    ASSERT_TRUE(runUntil([&] {
      for (const PixelRect& m : GetParam().monitors)
        if (!mismatch({m.x + m.width - 1, m.y + m.height - 1, 1, 1}).empty()) return false;
      return true;
    }, 5s)) << "no first pictures";
    EXPECT_EQ(look().bounds, desktop());
  }
  void TearDown() override {
    source_.reset();
    compositor_.reset();
    offer({});
  }

  // Runs the portal's answers and the streams, as the event loop would,
  // until `done`, or gives up.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    bool met = false;
    while (!(met = done()) && std::chrono::steady_clock::now() < end) {
      endTick();
      if (ready_) source_->dispatch();
      std::this_thread::sleep_for(2ms);
    }
    endTick();
    return met;
  }
  // The event loop runs on after a tick: its reads are over.
  void endTick() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
  }

  ScreenLook look() {
    ScreenLook look = source_->look();
    changes_.add(look.changes);
    pixels_ = look.pixels;
    return look;
  }
  PixelRect desktop() const {
    PixelRect all;
    for (const PixelRect& m : GetParam().monitors) all = enclosing(all, m);
    return all;
  }
  // `area` read through the last look, as a tick reads its source.
  Raster read(const PixelRect& area) {
    Raster out(area.width, area.height, 0x12345678u);
    EXPECT_TRUE(pixels_->read(area, out.view()));
    return out;
  }
  // Where `area`, read in a look of its own, differs from the
  // compositor's picture, or "".
  std::string mismatch(const PixelRect& area) {
    look();
    const Raster got = read(area);
    for (int32_t y = 0; y < area.height; ++y)
      for (int32_t x = 0; x < area.width; ++x) {
        const Pixel want = compositor_->pixel(area.x + x, area.y + y) | kBlack;
        const Pixel seen = got.view().row(y)[x] | kBlack;
        if (want != seen)
          return "at " + std::to_string(area.x + x) + "," + std::to_string(area.y + y) +
                 ": " + std::to_string(seen) + " not " + std::to_string(want);
      }
    return "";
  }
  // What changed within `area` over the looks until something did.
  PixelRect changedWithin(const PixelRect& area, std::chrono::milliseconds limit) {
    changes_.clear();
    runUntil([&] {
      look();
      read(area);
      return !changes_.within(area).empty();
    }, limit);
    return changes_.within(area);
  }

  std::unique_ptr<TestCompositor> compositor_;
  std::unique_ptr<WaylandScreenSource> source_;
  std::vector<Ending> endings_;
  bool ready_ = false;
  ChangedArea changes_;
  ScreenPixels* pixels_ = nullptr;
};

TEST_P(EveryCompositor, PicturesAreExactAndBlackOffEveryMonitor) {
  const PixelRect all = desktop();
  const PixelRect second = GetParam().monitors[1];
  for (const PixelRect& area : std::vector<PixelRect>{
           {0, 0, 64, 48},                                           // the first monitor's corner
           {second.x - 30, second.y + 10, 60, 40},                   // across the seam
           {second.x + second.width - 20, second.y + second.height - 20, 50, 50},  // off the smaller one
           {-16, -16, 40, 40},                                       // above and left of the desktop
           {all.x + all.width - 10, 0, 30, 20}}) {                   // right of it
    EXPECT_EQ(mismatch(area), "") << "reading " << area.x << "," << area.y;
  }
}

TEST_P(EveryCompositor, ThePointerIsWhereTheCompositorPutIt) {
  const PixelRect second = GetParam().monitors[1];
  // Near the seam, where Plasma 6 tells both monitors, and well inside each.
  for (const PointApi at : {PointApi{second.x - 5, 40}, PointApi{second.x + 3, 41},
                            PointApi{100, 200}, PointApi{second.x + second.width - 1, 7}}) {
    compositor_->movePointer(at.x, at.y);
    const auto there = [&] {
      const auto pointer = look().pointer;
      return pointer && pointer->x == at.x && pointer->y == at.y;
    };
    // There, and still there once every stream has told its position.
    EXPECT_TRUE(runUntil(there, 2s) && !runUntil([&] { return !there(); }, 50ms))
        << "pointer put at " << at.x << "," << at.y << ", seen at "
            << (look().pointer ? std::to_string(look().pointer->x) + "," +
                                      std::to_string(look().pointer->y)
                               : "nowhere");
  }
}

TEST_P(EveryCompositor, ChangesAreWhatWasPaintedAndNothingForAPictureSentAgain) {
  const PixelRect source{GetParam().monitors[1].x + 20, 30, 150, 90};
  look();
  read(source);  // as a tick reads its source
  endTick();
  const PixelRect painted{source.x + 70, source.y + 20, 9, 5};
  compositor_->paint(painted, 0xff2040ffu);
  const PixelRect seen = changedWithin(source, 2s);
  EXPECT_EQ(intersection(seen, painted), painted) << "the painted square was not reported";
  if (GetParam().damage == Row::Damage::Regions) {
    EXPECT_EQ(seen, painted);
  }
  EXPECT_EQ(mismatch(source), "");

  compositor_->resend();
  EXPECT_TRUE(changedWithin(source, 300ms).empty()) << "an unchanged picture counted as a change";
}

TEST_P(EveryCompositor, TheLastPictureOfABurstShowsWhileTheReaderIsBusy) {
  look();
  endTick();
  const PixelRect square{50, 60, 8, 8};
  for (uint32_t i = 1; i <= 12u; ++i) {  // at 60 a second, nobody reading
    compositor_->paint(square, 0xff000000u | i * 0x101010u);
    std::this_thread::sleep_for(16ms);
  }
  EXPECT_TRUE(runUntil([&] { return mismatch(square).empty(); }, 1s))
      << "the last picture was lost: " << mismatch(square);
  compositor_->paint(square, 0xffabcdefu);  // and the stream still goes on
  EXPECT_TRUE(runUntil([&] { return mismatch(square).empty(); }, 1s)) << mismatch(square);
}

TEST_P(EveryCompositor, AMonitorGoneEndsWithItsLine) {
  compositor_->endMonitor(1);
  ASSERT_TRUE(runUntil([&] { look(); return !endings_.empty(); }, 5s));
  EXPECT_NE(endings_.front().line.find("Bildschirmfreigabe beendet"), std::string::npos)
      << endings_.front().told();
  EXPECT_EQ(endings_.front().status, 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, EveryCompositor, ::testing::ValuesIn(rows()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace lupe::wayland::test
