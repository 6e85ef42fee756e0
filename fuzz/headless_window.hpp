#pragma once

// The magnifier without a window system or a real screen, for the fuzz
// target: a pattern screen, the emulated desktop over it, and the window
// through the real form runtime on a NullToolkit.
#include <vector>

#include "app/frm_lupe.hpp"
#include "fuzz/fuzz_input.hpp"
#include "platform/controls/form_runtime.hpp"
#include "platform/controls/null_toolkit.hpp"
#include "platform/emulation/emulated_desktop.hpp"

namespace lupe::fuzz {

inline Pixel pattern(int32_t x, int32_t y) {
  return 0xff000000u |
         ((static_cast<uint32_t>(x) * 7919u + static_cast<uint32_t>(y) * 104729u) & 0x00ffffffu);
}

// A screen of pattern pixels; hands its pixels out in place (without alpha)
// or copies them, and tells where it changed. The pointer stands where it
// is put.
class PatternScreen final : public ScreenSource, public ScreenPixels {
 public:
  PatternScreen(int32_t width, int32_t height, bool inPlace)
      : width_(width), height_(height), inPlace_(inPlace) {}
  PointApi cursor{};
  PixelRect bounds() const { return {0, 0, width_, height_}; }
  ScreenLook look() override {
    ScreenLook look{cursor, bounds(), changes_, this};
    changes_.clear();
    return look;
  }
  bool read(const PixelRect& area, RasterView out) override {
    CHECK(intersection(area, bounds()) == area);
    for (int32_t y = 0; y < area.height; ++y)
      for (int32_t x = 0; x < area.width; ++x) out.row(y)[x] = at(area.x + x, area.y + y);
    return true;
  }
  // The pattern, inverted where the screen changed.
  Pixel at(int32_t x, int32_t y) const {
    const bool changed = !intersection(changed_, {x, y, 1, 1}).empty();
    return changed ? pattern(x, y) ^ 0x00ffffffu : pattern(x, y);
  }
  // Inverts `area` of the screen and tells it as the change.
  void change(const PixelRect& area) {
    changed_ = area;
    changes_.add(area);
  }
  bool readInPlace(const PixelRect& area, ConstRasterView& out) override {
    if (!inPlace_) return false;
    held_.reshape(area.width, area.height);
    read(area, held_.view());
    for (int32_t y = 0; y < area.height; ++y)
      for (int32_t x = 0; x < area.width; ++x) held_.view().row(y)[x] &= 0x00ffffffu;
    out = held_.view();
    return true;
  }

 private:
  int32_t width_, height_;
  bool inPlace_;
  Raster held_;
  PixelRect changed_;
  ChangedArea changes_;
};

class NoWindows final : public WindowRequests {
 public:
  bool setTopmost(WindowId, bool) override { return true; }
  bool beginMove(WindowId) override { return false; }  // no button is ever held
  bool releaseCapture() override { return true; }
};

// The emulated desktop, keeping the arguments of the last StretchBlt.
class RecordingDesktop final : public Desktop {
 public:
  explicit RecordingDesktop(Desktop& desktop) : desktop_(desktop) {}
  Handle GetDesktopWindow() override { return desktop_.GetDesktopWindow(); }
  Handle GetDC(Handle window) override { return desktop_.GetDC(window); }
  int32_t ReleaseDC(Handle window, Handle dc) override { return desktop_.ReleaseDC(window, dc); }
  int32_t GetCursorPos(PointApi& point) override { return desktop_.GetCursorPos(point); }
  int32_t StretchBlt(Handle dst, int32_t x, int32_t y, int32_t w, int32_t h, Handle src, int32_t sx,
                     int32_t sy, int32_t sw, int32_t sh, uint32_t rop) override {
    last = {dst, x, y, w, h, src, sx, sy, sw, sh, rop};
    ++calls;
    return desktop_.StretchBlt(dst, x, y, w, h, src, sx, sy, sw, sh, rop);
  }
  int32_t SetWindowPos(Handle window, Handle after, int32_t x, int32_t y, int32_t w, int32_t h,
                       uint32_t flags) override {
    return desktop_.SetWindowPos(window, after, x, y, w, h, flags);
  }
  int32_t ReleaseCapture() override { return desktop_.ReleaseCapture(); }
  int32_t SendMessageA(Handle window, uint32_t message, int32_t wParam, int32_t lParam) override {
    return desktop_.SendMessageA(window, message, wParam, lParam);
  }

  std::vector<int64_t> last;
  int calls = 0;

 private:
  Desktop& desktop_;
};

// The magnifier window through the real form runtime, without a window
// system, on the emulated desktop over a pattern screen.
struct HeadlessWindow {
  HeadlessWindow() { runtime.run(form); }
  PatternScreen screen{200, 150, true};
  NoWindows windows;
  EmulatedDesktop emulated{screen, windows};
  RecordingDesktop desktop{emulated};
  NullToolkit toolkit{{586, 292}};
  FormRuntime runtime{toolkit, &emulated};
  frmLupe form{runtime, desktop};
};

}  // namespace lupe::fuzz
