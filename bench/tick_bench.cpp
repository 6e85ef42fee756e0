// One whole sampling tick of the real window logic at the view's first size
// and zoom 3, reading the real screen ($DISPLAY) through MIT-SHM and showing
// the composed frame in a window of its own as the view does (lines laid in
// place, ShmPutImage), beside memcpy of the view's bytes. The toolkit is
// left out: a headless host keeps the controls.
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "app/frm_lupe.hpp"
#include "platform/controls/control_host.hpp"
#include "platform/controls/view_composer.hpp"
#include "platform/emulation/emulated_desktop.hpp"
#include "platform/runtime/runtime_error.hpp"
#include "platform/x11/x11_screen_source.hpp"
#include "platform/x11/x11_view_output.hpp"

namespace {

// The window's outer size when it first opens on a 96-dpi screen with
// openbox's frame (578 x 265 client area plus 1, 1, 20, 5 px of frame).
constexpr int32_t kOuterWidth = 580;
constexpr int32_t kOuterHeight = 290;

class HeadlessHost final : public lupe::ControlHost {
 public:
  explicit HeadlessHost(lupe::EmulatedDesktop*& desktop) : desktop_(desktop) {}
  void checkWrite(const lupe::Control&, lupe::PropertyId) override {}
  void propertyChanged(const lupe::Control&, lupe::PropertyId) override {}
  void viewRedrawn(const lupe::PictureBox&) override {}
  void report(const lupe::RuntimeError&) override {}
  double twipsPerPixel() const override { return 15.0; }
  lupe::PixelSize outerSize(const lupe::Form&) override { return {kOuterWidth, kOuterHeight}; }
  lupe::Handle windowHandle(const lupe::Form&) override { return window_; }
  lupe::Handle deviceContext(lupe::PictureBox& picture) override {
    if (!surface_) surface_ = desktop_->registerSurface(picture.surface(), nullptr);
    return surface_;
  }
  void unload(lupe::Form&) override {}
  void endProgram() override {}
  void show(lupe::Form&) override {}

 private:
  lupe::EmulatedDesktop*& desktop_;
  lupe::Handle window_ = 0;
  lupe::Handle surface_ = 0;
};

class NoWindowManager final : public lupe::WindowRequests {
 public:
  bool setTopmost(lupe::WindowId, bool) override { return true; }
  bool beginMove(lupe::WindowId) override { return true; }
  bool releaseCapture() override { return true; }
};

void BM_MemcpyViewBytes(benchmark::State& state) {
  // 719 x 340: the view of that window.
  std::vector<lupe::Pixel> from(719 * 340, 0xff123456u), to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(lupe::Pixel));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemcpyViewBytes);

void BM_WholeTick(benchmark::State& state) {
  std::unique_ptr<lupe::x11::X11ScreenSource> screen;
  try {
    screen = lupe::x11::X11ScreenSource::open();
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
    return;
  }
  NoWindowManager windows;
  lupe::EmulatedDesktop desktop(*screen, windows);
  lupe::EmulatedDesktop* desktopRef = &desktop;
  HeadlessHost host(desktopRef);
  lupe::frmLupe form(host, desktop);
  form.Load.raise();
  form.Resize.raise();
  if (form.Picture1.ScaleWidth() != 719 || form.Picture1.ScaleHeight() != 340)
    state.SkipWithError("the view does not have its first size");
  // A window of the view's size to show the frames in.
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  const xcb_window_t window = xcb_generate_id(connection);
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, root->root, 0, 0, 719, 340, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, root->root_visual, 0, nullptr);
  xcb_map_window(connection, window);
  xcb_flush(connection);
  auto output = lupe::x11::X11ViewOutput::open(window);
  if (!output) state.SkipWithError("no output for the window");
  form.Picture1.surface().useMemory(output.get());
  lupe::ViewComposer composer;
  const lupe::SystemColors colors = [](lupe::Color) { return lupe::kBlack; };
  for (auto _ : state) {
    form.Timer1.Tick.raise();
    const lupe::ConstRasterView frame = composer.composeInPlace(form.Picture1, colors);
    output->show({0, 0, frame.width, frame.height});
    benchmark::ClobberMemory();
  }
  state.counters["shm"] = screen->usesSharedMemory() && output->usesSharedMemory() ? 1 : 0;
  form.Picture1.surface().useMemory(nullptr);
  output.reset();
  xcb_disconnect(connection);
}
BENCHMARK(BM_WholeTick)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
