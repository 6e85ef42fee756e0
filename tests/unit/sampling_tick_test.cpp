#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/frm_lupe.hpp"
#include "platform/emulation/emulated_desktop.hpp"
#include "tests/unit/fake_host.hpp"
#include "tests/unit/fake_screen.hpp"

namespace lupe::test {
namespace {

TEST(SamplingTick, StretchesTheViewSizeOverTheZoomCentredOnThePointer) {
  constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
  const struct {
    int32_t zoom;
    float w, h;
    int32_t px, py, sx, sy, sw, sh;
  } cases[] = {{3, 300, 200, 500, 400, 450, 367, 100, 67},   // 66.67 rounds to 67
               {2, 301, 201, 500, 400, 425, 350, 150, 100},  // 150.5 and 100.5 go to even
               {2, 303, 200, 500, 400, 424, 350, 152, 100},  // 151.5 goes up to 152
               {4, 302, 306, 500, 400, 462, 362, 76, 76},    // 75.5 up, 76.5 down
               {1, 300, 200, 500, 400, 350, 300, 300, 200},
               {3, 300, 200, 0, 0, -50, -33, 100, 67},
               {98, 147, 98, 500, 400, 500, 400, 1, 1},      // 1/98 * 147 lies just below 1.5
               {0, 300, 200, 500, 400, 500, 400, 0, 0},      // no reciprocal: an empty source
               {40000, 300, 200, 500, 400, 500, 400, 0, 0},  // a zoom beyond 16 bits counts as 0
               {3, 0, 200, 500, 400, 500, 367, 0, 67},
               {3, 300, 200, 32817, 400, 32767, 367, 100, 67},
               {3, 300, 200, 32818, 400, 0, 367, 100, 67},  // the origin leaves 16 bits: 0
               {3, 300, 200, 500, -40000, 450, 0, 100, 67},
               {3, 300, 200, kMin32, 400, 0, 367, 100, 67}};  // the subtraction itself overflows
  for (const auto& c : cases) {
    Rig rig;
    rig.form.Form_Load();
    rig.form.Slider1.Value.initialize(c.zoom);
    rig.form.Picture1.Width = c.w;
    rig.form.Picture1.Height = c.h;
    rig.desktop.cursor = {c.px, c.py};
    rig.form.Timer1_Timer();
    EXPECT_EQ(rig.desktop.argsOf("StretchBlt"),
              (std::vector<Args>{{rig.host.pictureDC, 0, 0, int32_t(c.w), int32_t(c.h),
                                  FakeDesktop::kFirstDC, c.sx, c.sy, c.sw, c.sh, SRCCOPY}}))
        << "zoom " << c.zoom << ", view " << c.w << "x" << c.h << ", pointer " << c.px;
  }
}

TEST(SamplingTick, ClearsToTheBackColourInPixelsBeforeTheCopy) {
  Rig rig;
  frmLupe& f = rig.form;
  f.Form_Load();
  f.Picture1.BackColor = Color{0x000000FF};
  f.Picture1.ScaleMode = int16_t{0};
  f.Picture1.surface().pixels().fill(0xff123456u);
  rig.desktop.cursorFails = true;  // the point stays (0, 0)
  rig.journal.clear();
  f.Timer1_Timer();
  EXPECT_EQ(rig.journal, (Journal{"GetCursorPos", "redraw Picture1", "write Picture1.ScaleMode",
                                  "change Picture1.ScaleMode", "hDC", "StretchBlt"}));
  // The 656 x 400 view at zoom 3 takes 219 x 133 screen pixels around (0, 0).
  EXPECT_EQ(rig.desktop.argsOf("StretchBlt").at(0)[6], -109);
  EXPECT_EQ(rig.desktop.argsOf("StretchBlt").at(0)[7], -66);
  expectEveryPixel(f.Picture1.surface().pixels(), [](int32_t, int32_t) { return 0xffff0000u; });

  rig.host.pictureDC = 0;  // no device context for the view: no copy this tick
  f.Timer1_Timer();
  EXPECT_EQ(rig.desktop.argsOf("StretchBlt").size(), 1u);
  EXPECT_TRUE(rig.host.reports.empty());
}

// The program's own desktop on a fake screen: before Form_Load the held
// context is 0 and the view shows only its background; then the screen.
TEST(SamplingTick, OnTheEmulatedDesktopAContextOfZeroDrawsNothingAndAHeldOneTheScreen) {
  FakeScreen screen;
  FakeWindowRequests windows;
  EmulatedDesktop desktop{screen, windows};
  Journal journal;
  FakeHost host{journal};
  frmLupe f{host, desktop};
  host.hWnd = desktop.registerWindow(9);
  host.pictureDC = desktop.registerSurface(f.Picture1.surface(), [] {});
  f.Picture1.Width = 300.0f;
  f.Picture1.Height = 200.0f;
  screen.pointerX = 500;
  screen.pointerY = 400;
  f.Picture1.surface().pixels().fill(0xff00ff00u);

  f.Timer1_Timer();
  expectEveryPixel(f.Picture1.surface().pixels(), [](int32_t, int32_t) { return 0xffffffffu; });
  f.Form_Load();
  EXPECT_EQ(windows.topmost, (std::vector<std::pair<WindowId, bool>>{{9, true}}));
  f.Timer1_Timer();
  expectEveryPixel(f.Picture1.surface().pixels(), [](int32_t x, int32_t y) {
    return screenPixel(450 + gdiSource(x, 100, 300), 367 + gdiSource(y, 67, 200));
  });
  f.Command6.Click.raise();
  EXPECT_EQ(desktop.heldScreenContexts(), 0u);
}

}  // namespace
}  // namespace lupe::test
