// One sampling tick of the real window logic at the view's first size and
// zoom 3, reading the real screen ($DISPLAY) through MIT-SHM and showing
// the composed frame in a window of its own as the view does (lines laid in
// place, ShmPutImage), beside memcpy of the view's bytes: a whole one, as
// every tick was before the screen's changes were followed, and one over
// the still screen, which redraws nothing. The toolkit is left out: the
// form runtime runs on a NullToolkit.
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "app/frm_lupe.hpp"
#include "platform/controls/form_runtime.hpp"
#include "platform/controls/null_toolkit.hpp"
#include "platform/controls/view_presenter.hpp"
#include "platform/emulation/emulated_desktop.hpp"
#include "platform/runtime/runtime_error.hpp"
#include "platform/x11/x11_screen_source.hpp"
#include "platform/x11/x11_view_output.hpp"

namespace {

// The window's outer size when it first opens on a 96-dpi screen with
// openbox's frame (578 x 265 client area plus 1, 1, 20, 5 px of frame).
constexpr int32_t kOuterWidth = 580;
constexpr int32_t kOuterHeight = 290;

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

// The screen as a source that cannot tell what changed: every tick whole.
class EveryTickWhole final : public lupe::ScreenSource {
 public:
  explicit EveryTickWhole(lupe::ScreenSource& screen) : screen_(screen) {}
  lupe::ScreenLook look() override {
    lupe::ScreenLook look = screen_.look();
    look.changes.addEverything();
    return look;
  }

 private:
  lupe::ScreenSource& screen_;
};

void tick(benchmark::State& state, bool whole) {
  std::unique_ptr<lupe::x11::X11ScreenSource> screen;
  try {
    screen = lupe::x11::X11ScreenSource::open();
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
    return;
  }
  EveryTickWhole everyTickWhole(*screen);
  NoWindowManager windows;
  lupe::EmulatedDesktop desktop(whole ? static_cast<lupe::ScreenSource&>(everyTickWhole) : *screen,
                                windows);
  // The real runtime without a window: Load, then the first Resize.
  lupe::NullToolkit toolkit({kOuterWidth, kOuterHeight});
  lupe::FormRuntime runtime(toolkit, &desktop);
  lupe::frmLupe form(runtime, desktop);
  runtime.run(form);
  if (form.Picture1.ScaleWidth() != 719 || form.Picture1.ScaleHeight() != 340)
    state.SkipWithError("the view does not have its first size");
  // A window of the view's size to show the frames in.
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  const xcb_window_t window = xcb_generate_id(connection);
  // In the top-left corner, away from the source around the pointer where a
  // new server puts it (the middle): its frames do not change the source.
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, root->root, 0, 0, 719, 340, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, root->root_visual, 0, nullptr);
  xcb_map_window(connection, window);
  xcb_flush(connection);
  auto output = lupe::x11::X11ViewOutput::open(window);
  if (!output) state.SkipWithError("no output for the window");
  lupe::ViewPresenter presenter(form.Picture1, *output, [](lupe::Color) { return lupe::kBlack; });
  for (auto _ : state) {
    form.Timer1.Tick.raise();
    presenter.redrawn(true, {719, 340});
    benchmark::ClobberMemory();
  }
  state.counters["shm"] = screen->usesSharedMemory() && output->usesSharedMemory() ? 1 : 0;
  form.Picture1.surface().useMemory(nullptr);
  output.reset();
  xcb_disconnect(connection);
}
void BM_WholeTick(benchmark::State& state) { tick(state, true); }
void BM_StillScreenTick(benchmark::State& state) { tick(state, false); }
BENCHMARK(BM_WholeTick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StillScreenTick)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
