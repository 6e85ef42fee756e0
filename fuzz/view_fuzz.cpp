// Random geometry against plain reference models, for libFuzzer:
// - the tick's geometry: any pointer, zoom and view size give the StretchBlt
//   arguments that the rounding rules give;
// - the emulated StretchBlt: source rectangles past every edge, empty and
//   huge sizes, read in place or copied, whole or repeated over a screen
//   that changed in part: every view pixel shows gdi32's source pixel,
//   black off the screen, and nothing outside its rectangle;
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

#include "fuzz/fuzz_input.hpp"
#include "fuzz/headless_window.hpp"
#include "fuzz/reference_rules.hpp"
#include "platform/raster/compositor.hpp"
#include "platform/raster/surface.hpp"

namespace {

using namespace lupe;
using namespace lupe::fuzz;

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
  int32_t done = desktop.StretchBlt(dc, dx, dy, dw, dh, screenDC, sx, sy, sw, sh, SRCCOPY);
  if (bytes.flag()) {
    // The same again after part of the screen changed: only that part is
    // redrawn, and the view must end as a whole stretch would leave it.
    screen.change({bytes.in(-50, 250), bytes.in(-50, 250), bytes.in(0, 300), bytes.in(0, 300)});
    done = desktop.StretchBlt(dc, dx, dy, dw, dh, screenDC, sx, sy, sw, sh, SRCCOPY);
  }
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
        expected = onScreen ? screen.at(int32_t(px), int32_t(py)) : kBlack;
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
