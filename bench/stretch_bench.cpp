// The stretch kernel against memcpy of the same destination bytes, at the
// view's size when the window first opens (96 dpi, openbox's frame).
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/raster/raster.hpp"
#include "platform/raster/stretch.hpp"

namespace {

constexpr int kViewWidth = 719;
constexpr int kViewHeight = 340;

void BM_MemcpyViewBytes(benchmark::State& state) {
  std::vector<lupe::Pixel> from(kViewWidth * kViewHeight, 0xff123456u);
  std::vector<lupe::Pixel> to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(lupe::Pixel));
    benchmark::DoNotOptimize(to.data());
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
  lupe::Raster view(kViewWidth, kViewHeight, 0);
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
