#include "platform/emulation/emulated_desktop.hpp"

#include <cstdint>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/unit/fake_screen.hpp"

namespace lupe::test {
namespace {

constexpr Pixel kUntouched = 0xff5a5a5au, kCleared = 0xffffffffu;

struct Emulated {
  Emulated() { view.resize(20, 20, kUntouched); }
  FakeScreen screen;
  FakeWindowRequests windows;
  EmulatedDesktop desktop{screen, windows};
  Surface view;
  int drawn = 0;
  const Handle viewDC = desktop.registerSurface(view, [this] { ++drawn; });
  const Handle desktopWindow = desktop.GetDesktopWindow();
  const Handle screenDC = desktop.GetDC(desktopWindow);
};

TEST(EmulatedDesktop, ScreenContextsAreCountedUntilGivenBackForTheirWindow) {
  Emulated e;
  const Handle second = e.desktop.GetDC(e.desktopWindow);
  EXPECT_NE(e.screenDC, 0);
  EXPECT_NE(second, e.screenDC);
  EXPECT_EQ(e.desktop.heldScreenContexts(), 2u);
  const Handle own = e.desktop.registerWindow(7);
  EXPECT_EQ(e.desktop.GetDC(own), 0);              // only the desktop's image can be read
  EXPECT_EQ(e.desktop.ReleaseDC(own, second), 0);  // not the window it was taken for
  EXPECT_EQ(e.desktop.ReleaseDC(e.desktopWindow, second), 1);
  EXPECT_EQ(e.desktop.ReleaseDC(e.desktopWindow, second), 0);
  EXPECT_EQ(e.desktop.heldScreenContexts(), 1u);
  // A context given back draws nothing any more.
  EXPECT_EQ(e.desktop.StretchBlt(e.viewDC, 0, 0, 8, 8, second, 0, 0, 8, 8, SRCCOPY), 0);
}

TEST(EmulatedDesktop, TheCaptureReadsOnlyTheOnScreenPartAndIsBlackBeyondTheEdge) {
  Emulated e;
  // 10 x 10 pixels from (995, 796), doubled: right and bottom lie past the screen.
  EXPECT_EQ(e.desktop.StretchBlt(e.viewDC, 0, 0, 20, 20, e.screenDC, 995, 796, 10, 10, SRCCOPY), 1);
  EXPECT_EQ(e.drawn, 1);
  EXPECT_EQ(e.screen.reads, (std::vector<PixelRect>{{995, 796, 5, 4}}));
  expectEveryPixel(e.view.pixels(), [](int32_t x, int32_t y) {
    const int32_t sx = 995 + x / 2, sy = 796 + y / 2;
    return sx < 1000 && sy < 800 ? screenPixel(sx, sy) : kBlack;
  });
  // Past the top-left corner, 1:1 into part of a cleared view: the clear shows around it.
  e.view.clear(kCleared);
  e.desktop.StretchBlt(e.viewDC, 2, 3, 10, 10, e.screenDC, -3, -2, 10, 10, SRCCOPY);
  expectEveryPixel(e.view.pixels(), [](int32_t x, int32_t y) {
    if (x < 2 || y < 3 || x >= 12 || y >= 13) return kCleared;
    return x < 5 || y < 5 ? kBlack : screenPixel(x - 5, y - 5);
  });
  // Read where the screen holds it, also at the edge; opaque all the same.
  e.screen.inPlace = true;
  e.desktop.StretchBlt(e.viewDC, 0, 0, 20, 20, e.screenDC, 995, 796, 10, 10, SRCCOPY);
  EXPECT_EQ(e.screen.inPlaceReads, (std::vector<PixelRect>{{995, 796, 5, 4}}));
  expectEveryPixel(e.view.pixels(), [](int32_t x, int32_t y) {
    const int32_t sx = 995 + x / 2, sy = 796 + y / 2;
    return sx < 1000 && sy < 800 ? screenPixel(sx, sy) : kBlack;
  });
  // A screen that cannot be read gives black, not what the failed read left.
  e.screen.inPlace = false;
  e.screen.readFails = true;
  e.desktop.StretchBlt(e.viewDC, 0, 0, 20, 20, e.screenDC, 10, 10, 20, 20, SRCCOPY);
  expectEveryPixel(e.view.pixels(), [](int32_t, int32_t) { return kBlack; });
}

// A stretch repeated over a screen that tells its changes reads and draws
// only what they reach, and ends with the same pixels as a whole one.
TEST(EmulatedDesktop, ARepeatedStretchRedrawsOnlyWhatChangedAndMatchesAWholeOne) {
  const PixelRect changes[] = {{0, 0, 0, 0},    {300, 200, 1, 1},     {290, 190, 9, 40},
                               {-50, 0, 60, 5}, {980, 790, 100, 100}, {0, 0, 1000, 800}};
  const std::pair<int32_t, int32_t> pointers[] = {{320, 220}, {3, 4}, {997, 798}};
  for (int32_t zoom = 1; zoom <= 10; ++zoom) {
    for (const auto& [px, py] : pointers) {
      const int32_t w = 61 * 3 / 2, h = 37;  // odd sizes, uneven at most zooms
      const int32_t sw = (w + zoom / 2) / zoom, sh = (h + zoom / 2) / zoom;
      const PixelRect source{px - sw / 2, py - sh / 2, sw, sh};
      Emulated e;
      e.screen.tracksChanges = true;
      e.view.resize(w, h, kUntouched);
      const auto stretch = [&](Emulated& on) {
        on.view.clear(kCleared);  // as each tick does first
        on.desktop.StretchBlt(on.viewDC, 0, 0, w, h, on.screenDC, source.x, source.y, sw, sh,
                              SRCCOPY);
      };
      stretch(e);
      Pixel colour = 0xff102030u;
      for (const PixelRect& at : changes) {
        const PixelRect changed{at.x == 290 ? source.x - 3 : at.x, at.y == 190 ? source.y : at.y,
                                at.width, at.height};
        SCOPED_TRACE(::testing::Message()
                     << "zoom " << zoom << " pointer " << px << "," << py << " change " << changed.x
                     << "," << changed.y << " " << changed.width << "x" << changed.height);
        e.screen.draw(changed, colour += 0x010203);
        e.screen.reads.clear();
        const int drawnBefore = e.drawn;
        stretch(e);
        const PixelRect inSource = intersection(changed, source);
        int64_t read = 0;
        for (const PixelRect& r : e.screen.reads) read += int64_t{r.width} * r.height;
        EXPECT_LE(read, int64_t{inSource.width} * inSource.height);
        EXPECT_EQ(e.drawn - drawnBefore, inSource.empty() ? 0 : 1);
        Emulated whole;
        whole.screen.drawings = e.screen.drawings;
        whole.view.resize(w, h, kUntouched);
        stretch(whole);
        const ConstRasterView expected = whole.view.picture();
        expectEveryPixel(e.view.picture(),
                         [&](int32_t x, int32_t y) { return expected.row(y)[x]; });
      }
    }
  }
}

// A tick's pointer and the stretch after it see the screen as one look
// found it: a change drawn in between is the next tick's. A stretch with no
// pointer asked for since the last stretch looks anew.
TEST(EmulatedDesktop, APointerAndTheStretchAfterItShareOneLookAtTheScreen) {
  Emulated e;
  e.screen.tracksChanges = true;
  const auto stretch = [&] {
    e.screen.reads.clear();
    e.desktop.StretchBlt(e.viewDC, 0, 0, 20, 20, e.screenDC, 100, 100, 20, 20, SRCCOPY);
  };
  PointApi at;
  EXPECT_EQ(e.desktop.GetCursorPos(at), 1);
  stretch();  // the first: whole
  EXPECT_EQ(e.screen.looks, 1);
  e.desktop.GetCursorPos(at);
  e.screen.draw({105, 105, 2, 2}, 0xff010203u);
  stretch();
  EXPECT_EQ(e.screen.looks, 2);
  EXPECT_TRUE(e.screen.reads.empty()) << "the change came after the tick's look";
  stretch();
  EXPECT_EQ(e.screen.looks, 3);
  EXPECT_EQ(e.screen.reads, (std::vector<PixelRect>{{105, 105, 2, 2}}));
  EXPECT_EQ(e.view.pixels().row(5)[5], 0xff010203u);
}

TEST(EmulatedDesktop, TopmostIsAskedOnlyForOwnWindowsWithPlaceAndSizeKept) {
  Emulated e;
  const Handle window = e.desktop.registerWindow(41);
  const uint32_t keep = SWP_NOMOVE | SWP_NOSIZE;
  EXPECT_EQ(e.desktop.SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, keep), 1);
  EXPECT_EQ(e.desktop.SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, keep), 1);
  EXPECT_EQ(e.desktop.SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE), 0);
  EXPECT_EQ(e.desktop.SetWindowPos(window, 0, 0, 0, 0, 0, keep), 0);
  EXPECT_EQ(e.desktop.SetWindowPos(e.desktopWindow, HWND_TOPMOST, 0, 0, 0, 0, keep), 0);
  EXPECT_EQ(e.windows.topmost, (std::vector<std::pair<WindowId, bool>>{{41, true}, {41, false}}));
  e.windows.grants = false;
  EXPECT_EQ(e.desktop.SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, keep), 0);
}

TEST(EmulatedDesktop, ACaptionPressMovesAnOwnWindow) {
  Emulated e;
  const Handle window = e.desktop.registerWindow(41);
  EXPECT_EQ(e.desktop.SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0), 1);
  EXPECT_EQ(e.desktop.SendMessageA(window, WM_NCLBUTTONDOWN, 1, 0), 0);  // not the caption
  EXPECT_EQ(e.desktop.SendMessageA(window, 0x0201, HTCAPTION, 0), 0);    // not that message
  EXPECT_EQ(e.desktop.SendMessageA(e.desktopWindow, WM_NCLBUTTONDOWN, HTCAPTION, 0), 0);
  EXPECT_EQ(e.windows.moves, std::vector<WindowId>{41});
  // The window manager's answer is the call's: a click that came up before
  // its press was handled is refused there.
  e.windows.grants = false;
  EXPECT_EQ(e.desktop.SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0), 0);
}

}  // namespace
}  // namespace lupe::test
