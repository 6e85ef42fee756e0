// The stretch kernel against memcpy of the same destination bytes, at the
// view's size when the window first opens (96 dpi, openbox's frame). Both
// write into a SysV shared-memory segment, as the view's surface is one
// that the X server reads from.
#include <cstring>
#include <vector>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <benchmark/benchmark.h>

#include "platform/raster/raster.hpp"
#include "platform/raster/stretch.hpp"

namespace {

constexpr int kViewWidth = 719;
constexpr int kViewHeight = 340;

// The view's pixels in a segment of their own, gone with the process.
class SharedView {
 public:
  SharedView() {
    const int id = shmget(IPC_PRIVATE, kViewWidth * kViewHeight * sizeof(lupe::Pixel), IPC_CREAT | 0600);
    memory_ = id < 0 ? nullptr : static_cast<lupe::Pixel*>(shmat(id, nullptr, 0));
    if (id >= 0) shmctl(id, IPC_RMID, nullptr);
  }
  ~SharedView() {
    if (memory_) shmdt(memory_);
  }
  lupe::RasterView view() const { return {memory_, kViewWidth, kViewHeight, kViewWidth}; }

 private:
  lupe::Pixel* memory_ = nullptr;
};

void BM_MemcpyViewBytes(benchmark::State& state) {
  std::vector<lupe::Pixel> from(kViewWidth * kViewHeight, 0xff123456u);
  const SharedView to;
  for (auto _ : state) {
    std::memcpy(to.view().pixels, from.data(), from.size() * sizeof(lupe::Pixel));
    benchmark::DoNotOptimize(to.view().pixels);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(from.size() * sizeof(lupe::Pixel)));
}
BENCHMARK(BM_MemcpyViewBytes);

void BM_StretchToView(benchmark::State& state) {
  const int zoom = static_cast<int>(state.range(0));
  const int sw = (kViewWidth + zoom / 2) / zoom, sh = (kViewHeight + zoom / 2) / zoom;
  lupe::Raster source(sw, sh, 0);
  for (int y = 0; y < sh; ++y)
    for (int x = 0; x < sw; ++x) source.view().row(y)[x] = 0xff000000u | (x << 8) | y;
  const SharedView view;
  lupe::NearestStretch stretch;
  for (auto _ : state) {
    stretch.run(source.view(), view.view(), 0, 0, kViewWidth, kViewHeight);
    benchmark::DoNotOptimize(view.view().pixels);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kViewWidth) * kViewHeight *
                          int64_t(sizeof(lupe::Pixel)));
}
BENCHMARK(BM_StretchToView)->Arg(1)->Arg(3)->Arg(10);

}  // namespace

BENCHMARK_MAIN();
