// Random geometry against plain reference models, for libFuzzer:
// - the tick's geometry: any pointer, zoom and view size give the StretchBlt
//   arguments that the rounding rules give;
// - the emulated StretchBlt: source rectangles past every edge, empty and
//   huge sizes, read in place or copied: every view pixel shows gdi32's
//   source pixel, black off the screen, and nothing outside its rectangle;
// - the view's frame: lines and pictures laid into the surface in place give
//   the frame composed apart, lift off again, and straight lines and
//   pictures cover exactly the pixels their rules say; slanted lines keep
//   to their segment without a gap.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/frm_lupe.hpp"
#include "platform/controls/form_runtime.hpp"
#include "platform/controls/null_toolkit.hpp"
#include "platform/emulation/emulated_desktop.hpp"
#include "platform/raster/compositor.hpp"
#include "platform/raster/surface.hpp"

namespace {

using namespace lupe;

[[noreturn]] void fault(const char* what) {
  std::fprintf(stderr, "view_fuzz: %s\n", what);
  std::abort();
}

#define CHECK(condition) \
  if (!(condition)) fault(#condition)

// The fuzzer's bytes as numbers; zeros once they run out.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint32_t next() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | (at_ < size_ ? data_[at_++] : 0);
    return value;
  }
  int32_t in(int32_t low, int32_t high) {
    return low + static_cast<int32_t>(next() % (uint32_t(high - low) + 1));
  }
  bool flag() { return next() & 1; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// gdi32's source index, written out on its own.
int64_t gdiSource(int64_t i, int64_t source, int64_t target) {
  const uint64_t step = (static_cast<uint64_t>(source) << 32) / static_cast<uint64_t>(target);
  return static_cast<int64_t>((static_cast<uint64_t>(i) * step + step / 2) >> 32);
}

Pixel pattern(int32_t x, int32_t y) {
  return 0xff000000u |
         ((static_cast<uint32_t>(x) * 7919u + static_cast<uint32_t>(y) * 104729u) & 0x00ffffffu);
}

constexpr Pixel kUntouched = 0xff5a5a5au;

// A screen of pattern pixels; hands its pixels out in place (without alpha)
// or copies them. The pointer stands where it is put.
class PatternScreen final : public ScreenSource {
 public:
  PatternScreen(int32_t width, int32_t height, bool inPlace)
      : width_(width), height_(height), inPlace_(inPlace) {}
  PointApi cursor{};
  PixelRect bounds() override { return {0, 0, width_, height_}; }
  bool read(const PixelRect& area, RasterView out) override {
    CHECK(intersection(area, bounds()) == area);
    for (int32_t y = 0; y < area.height; ++y)
      for (int32_t x = 0; x < area.width; ++x) out.row(y)[x] = pattern(area.x + x, area.y + y);
    return true;
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
  bool pointer(int32_t& x, int32_t& y) override { return x = cursor.x, y = cursor.y, true; }
  bool leftButtonHeld() override { return false; }

 private:
  int32_t width_, height_;
  bool inPlace_;
  Raster held_;
};

class NoWindows final : public WindowRequests {
 public:
  bool setTopmost(WindowId, bool) override { return true; }
  bool beginMove(WindowId) override { return true; }
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

void stretchBlt(Bytes& bytes) {
  PatternScreen screen(bytes.in(1, 200), bytes.in(1, 200), bytes.flag());
  NoWindows windows;
  EmulatedDesktop desktop(screen, windows);
  Surface view;
  view.resize(bytes.in(0, 120), bytes.in(0, 120), kUntouched);
  const Handle dc = desktop.registerSurface(view, nullptr);
  const Handle screenDC = desktop.GetDC(desktop.GetDesktopWindow());
  const bool huge = bytes.flag();
  const int32_t dx = bytes.in(-150, 150), dy = bytes.in(-150, 150);
  const int32_t dw = huge ? bytes.in(-5, 32767) : bytes.in(-5, 400);
  const int32_t dh = huge ? bytes.in(-5, 32767) : bytes.in(-5, 400);
  const int32_t sx = bytes.in(-32768, 32767) / (bytes.flag() ? 1 : 200);
  const int32_t sy = bytes.in(-32768, 32767) / (bytes.flag() ? 1 : 200);
  const int32_t sw = huge ? bytes.in(-5, 32767) : bytes.in(-5, 300);
  const int32_t sh = huge ? bytes.in(-5, 32767) : bytes.in(-5, 300);
  const int32_t done = desktop.StretchBlt(dc, dx, dy, dw, dh, screenDC, sx, sy, sw, sh, SRCCOPY);
  const bool drawable = dw > 0 && dh > 0 && sw > 0 && sh > 0;
  CHECK(done == (drawable ? 1 : 0));
  const RasterView pixels = view.pixels();
  for (int32_t y = 0; y < pixels.height; ++y) {
    for (int32_t x = 0; x < pixels.width; ++x) {
      const int64_t i = int64_t{x} - dx, j = int64_t{y} - dy;
      Pixel expected = kUntouched;
      if (drawable && i >= 0 && j >= 0 && i < dw && j < dh) {
        const int64_t px = sx + gdiSource(i, sw, dw), py = sy + gdiSource(j, sh, dh);
        const bool onScreen =
            px >= 0 && py >= 0 && px < screen.bounds().width && py < screen.bounds().height;
        expected = onScreen ? pattern(int32_t(px), int32_t(py)) : kBlack;
      }
      CHECK(pixels.row(y)[x] == expected);
    }
  }
}

// Halves to the even neighbour, as the tick rounds; nullopt-like -1e9 when it does not fit 16 bits.
int64_t toInt16(double value) {
  const double rounded = std::nearbyint(value);
  return rounded < -32768 || rounded > 32767 ? -1000000000 : static_cast<int64_t>(rounded);
}

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

void tickGeometry(Bytes& bytes) {
  // One window for many runs: making it fills its first view.
  static std::unique_ptr<HeadlessWindow> kept;
  static int runs = 0;
  if (!kept || ++runs % 500 == 0) kept = std::make_unique<HeadlessWindow>();
  HeadlessWindow& window = *kept;
  frmLupe& form = window.form;
  // One side long, the other short: wide views without a huge surface.
  const bool wide = bytes.flag();
  const int32_t width = bytes.in(0, wide ? 4000 : 40), height = bytes.in(0, wide ? 40 : 4000);
  // The form's scale unit is the pixel.
  form.Picture1.Width = static_cast<float>(width);
  form.Picture1.Height = static_cast<float>(height);
  CHECK(form.Picture1.surface().width() == width && form.Picture1.surface().height() == height);
  const int32_t zoom = bytes.in(1, 10);
  form.Slider1.Value = zoom;
  const auto coordinate = [&] {
    return bytes.flag() ? static_cast<int32_t>(bytes.next()) : bytes.in(-5000, 5000);
  };
  const PointApi cursor{coordinate(), coordinate()};
  window.screen.cursor = cursor;
  const int calls = window.desktop.calls;
  form.Timer1_Timer();
  CHECK(window.desktop.calls == calls + 1);
  const std::vector<int64_t>& a = window.desktop.last;
  const int64_t viewW = form.Picture1.surface().width(), viewH = form.Picture1.surface().height();
  CHECK(a[3] == viewW && a[4] == viewH);
  const int64_t sourceW = std::max<int64_t>(0, toInt16(1.0 / zoom * double(viewW)));
  const int64_t sourceH = std::max<int64_t>(0, toInt16(1.0 / zoom * double(viewH)));
  CHECK(a[8] == sourceW && a[9] == sourceH);
  const auto origin = [](int64_t pointer, int64_t size) {
    const int64_t value = pointer - size / 2;
    return value < -32768 || value > 32767 ? 0 : value;
  };
  CHECK(a[6] == origin(cursor.x, sourceW));
  CHECK(a[7] == origin(cursor.y, sourceH));
}

// A level or upright line: along it the pixels from its start up to its
// end, on or off by the dashes; across it its width.
bool covers(const LineLayer& line, int32_t x, int32_t y) {
  const int32_t before = (line.width - 1) / 2;
  const bool upright = line.x1 == line.x2;
  const int64_t from = upright ? line.y1 : line.x1, to = upright ? line.y2 : line.x2;
  const int64_t across = upright ? x : y, along = upright ? y : x;
  const int64_t place = upright ? line.x1 : line.y1;
  if (across < place - before || across >= place - before + line.width) return false;
  for (int64_t k = 0; k < std::abs(to - from); ++k) {
    const int64_t at = to >= from ? from + k : from - k;
    if (line.dashed && k % (kDashOn + kDashOff) >= kDashOn) continue;
    if (along == at) return true;
  }
  return false;
}

// A slanted line, by what any walk from its start towards its end must
// cover, written apart from the compositor's own walk: its start's square,
// in every step along its longer axis a pixel (unless a dash is off there),
// and nothing farther from the ideal segment than half its width and a
// pixel's diagonal.
bool nearSlanted(const LineLayer& line, int32_t x, int32_t y) {
  const double dx = line.x2 - line.x1, dy = line.y2 - line.y1, length = std::hypot(dx, dy);
  const double across = std::abs(dx * (y - line.y1) - dy * (x - line.x1)) / length;
  const double along = (dx * (x - line.x1) + dy * (y - line.y1)) / length;
  const double reach = (line.width / 2.0 + 1.0) * std::sqrt(2.0);
  return across <= reach && along >= -reach && along <= length + reach;
}

void checkSlanted(const LineLayer& line, ConstRasterView drawn) {
  if (line.color == kUntouched) return;  // drawn or not, it looks the same
  const auto at = [&](int64_t x, int64_t y) {
    return x >= 0 && y >= 0 && x < drawn.width && y < drawn.height ? drawn.row(y)[x] : kUntouched;
  };
  for (int32_t y = 0; y < drawn.height; ++y)
    for (int32_t x = 0; x < drawn.width; ++x)
      if (at(x, y) != kUntouched) CHECK(at(x, y) == line.color && nearSlanted(line, x, y));
  const bool startShows =
      line.x1 >= 0 && line.y1 >= 0 && line.x1 < drawn.width && line.y1 < drawn.height;
  CHECK(!startShows || at(line.x1, line.y1) != kUntouched);
  const bool xMajor = std::abs(line.x2 - line.x1) >= std::abs(line.y2 - line.y1);
  const int64_t major = xMajor ? line.x2 - line.x1 : line.y2 - line.y1;
  const int64_t minor = xMajor ? line.y2 - line.y1 : line.x2 - line.x1;
  const int64_t majorSize = xMajor ? drawn.width : drawn.height;
  const int64_t minorSize = xMajor ? drawn.height : drawn.width;
  for (int64_t k = 0; k < std::abs(major); ++k) {
    if (line.dashed && k % (kDashOn + kDashOff) >= kDashOn) continue;
    const int64_t along = (xMajor ? line.x1 : line.y1) + (major > 0 ? k : -k);
    const double ideal = (xMajor ? line.y1 : line.x1) + double(k) * double(minor) / std::abs(major);
    if (along < 0 || along >= majorSize || ideal < 1 || ideal > minorSize - 2) continue;
    bool any = false;
    for (int64_t m = 0; m < minorSize && !any; ++m)
      any = (xMajor ? at(along, m) : at(m, along)) != kUntouched;
    CHECK(any);
  }
}

void frame(Bytes& bytes) {
  const int32_t w = bytes.in(1, 48), h = bytes.in(1, 48);
  Picture picture{bytes.in(1, 5), bytes.in(1, 5), {}};
  for (int32_t i = 0; i < picture.width * picture.height; ++i)
    picture.argb.push_back(bytes.flag() ? 0 : (bytes.next() | 0xff000000u));
  std::vector<Layer> layers;
  const int32_t count = bytes.in(0, 6);
  for (int32_t n = 0; n < count; ++n) {
    if (bytes.flag()) {
      layers.push_back(ImageLayer{&picture, bytes.in(-60, 60), bytes.in(-60, 60), bytes.in(0, 90),
                                  bytes.in(0, 90)});
    } else {
      LineLayer line{bytes.in(-80, 120),         bytes.in(-80, 120), 0,           0,
                     bytes.next() | 0xff000000u, bytes.in(1, 9),     bytes.flag()};
      const int32_t shape = bytes.in(0, 2), length = bytes.in(-100, 100);
      line.x2 = shape == 1 ? line.x1 : line.x1 + length;
      line.y2 = shape == 0 ? line.y1 : line.y1 + (shape == 1 ? length : bytes.in(-100, 100));
      layers.push_back(line);
    }
  }
  Surface surface;
  surface.resize(w, h, kUntouched);
  const RasterView drawn = surface.pixels();
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) drawn.row(y)[x] = pattern(x, y);
  Raster composed(w, h, 0);
  composeFrame(drawn, kBlack, layers, composed.view());

  // Straight lines and pictures alone, one at a time, by their rules.
  for (const Layer& layer : layers) {
    Raster one(w, h, kUntouched);
    drawLayer(one.view(), layer);
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        Pixel expected = kUntouched;
        if (const auto* image = std::get_if<ImageLayer>(&layer)) {
          const int64_t i = x - image->x, j = y - image->y;
          if (i >= 0 && j >= 0 && i < image->width && j < image->height) {
            const uint32_t argb =
                picture.argb[gdiSource(j, picture.height, image->height) * picture.width +
                             gdiSource(i, picture.width, image->width)];
            if (argb >> 24) expected = argb;
          }
        } else {
          const auto& line = std::get<LineLayer>(layer);
          if (line.x1 != line.x2 && line.y1 != line.y2) continue;  // below, on its own
          if (covers(line, x, y)) expected = line.color;
        }
        CHECK(one.view().row(y)[x] == expected);
      }
    }
    if (const auto* line = std::get_if<LineLayer>(&layer);
        line && line->x1 != line->x2 && line->y1 != line->y2)
      checkSlanted(*line, one.view());
  }

  const ConstRasterView inPlace = surface.withLayers(layers);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) CHECK(inPlace.row(y)[x] == composed.view().row(y)[x]);
  const RasterView lifted = surface.pixels();
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) CHECK(lifted.row(y)[x] == pattern(x, y));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes bytes(data, size);
  switch (bytes.in(0, 2)) {
    case 0:
      stretchBlt(bytes);
      break;
    case 1:
      tickGeometry(bytes);
      break;
    default:
      frame(bytes);
      break;
  }
  return 0;
}
