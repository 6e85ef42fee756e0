// Screen capture as the sampling tick does it (captureScreen of an on-screen
// rectangle into a persistent picture), through MIT-SHM and through plain
// GetImage, with a memcpy of the same bytes as the baseline of this run.
// Reads the display named by $DISPLAY; without one the captures are skipped.
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/raster/raster.hpp"
#include "platform/x11/pixel_format.hpp"
#include "platform/x11/x11_environment.hpp"
#include "platform/x11/x11_screen_source.hpp"

namespace {

using lupe::Raster;
using lupe::x11::CaptureMode;
using lupe::x11::X11ScreenSource;

// One source per mode, opened on first use and kept for the whole run.
X11ScreenSource* sourceFor(CaptureMode mode, std::string& problem) {
  static std::map<CaptureMode, std::unique_ptr<X11ScreenSource>> sources;
  problem = lupe::x11::displayProblem();
  if (!problem.empty()) return nullptr;
  auto& source = sources[mode];
  if (!source) source = X11ScreenSource::open(nullptr, mode);
  if (mode == CaptureMode::SharedMemoryWhenOffered && !source->usesSharedMemory()) {
    problem = "the X server offers no MIT-SHM";
    return nullptr;
  }
  return source.get();
}

void capture(benchmark::State& state, CaptureMode mode) {
  std::string problem;
  X11ScreenSource* source = sourceFor(mode, problem);
  if (source == nullptr) {
    state.SkipWithError(("no capture measured: " + problem).c_str());
    return;
  }
  const lupe::PixelRect area{17, 23, static_cast<int32_t>(state.range(0)),
                             static_cast<int32_t>(state.range(1))};
  const lupe::PixelRect screen = source->bounds();
  if (lupe::intersection(area, screen) != area) {
    state.SkipWithError("the screen is smaller than the rectangle");
    return;
  }
  Raster picture(area.width, area.height, lupe::kBlack);
  for (auto _ : state) {
    if (!lupe::captureScreen(*source, area, picture.view())) {
      state.SkipWithError("capture failed");
      return;
    }
    benchmark::DoNotOptimize(picture.view().pixels);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * area.width * area.height * 4);
}

void BM_CaptureShm(benchmark::State& state) {
  capture(state, CaptureMode::SharedMemoryWhenOffered);
}
void BM_CaptureGetImage(benchmark::State& state) { capture(state, CaptureMode::PlainGetImage); }

void BM_Memcpy(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0)) * state.range(1) * 4;
  std::vector<uint8_t> from(bytes, 0x5a), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

// The client's share of a capture: turning the server's rows into pixels,
// for the common 24-bit screen and for a 16-bit one.
void convert(benchmark::State& state, const lupe::x11::ServerPixelFormat& format) {
  const auto width = static_cast<int32_t>(state.range(0));
  const auto height = static_cast<int32_t>(state.range(1));
  const size_t rowBytes = lupe::x11::bytesPerRow(format, width);
  std::vector<uint8_t> data(rowBytes * height, 0x5a);
  const lupe::x11::PixelConverter converter(format);
  Raster picture(width, height, lupe::kBlack);
  for (auto _ : state) {
    converter.convert(data.data(), rowBytes, picture.view());
    benchmark::DoNotOptimize(picture.view().pixels);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * width * height * 4);
}

void BM_Convert24(benchmark::State& state) { convert(state, {}); }
void BM_Convert16(benchmark::State& state) {
  convert(state, {16, 16, 32, lupe::x11::ByteOrder::LsbFirst, 0xf800u, 0x07e0u, 0x001fu});
}

void BM_Pointer(benchmark::State& state) {
  std::string problem;
  X11ScreenSource* source = sourceFor(CaptureMode::SharedMemoryWhenOffered, problem);
  if (source == nullptr) {
    state.SkipWithError(("no pointer measured: " + problem).c_str());
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(source->pointer());
}

// The source rectangles of the default window's tick (240 x 113 and
// 719 x 340) and a large one.
void sizes(benchmark::internal::Benchmark* b) {
  b->Args({240, 113})->Args({719, 340})->Args({1000, 1000})->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Memcpy)->Apply(sizes);
BENCHMARK(BM_CaptureShm)->Apply(sizes);
BENCHMARK(BM_CaptureGetImage)->Apply(sizes);
BENCHMARK(BM_Convert24)->Apply(sizes);
BENCHMARK(BM_Convert16)->Apply(sizes);
BENCHMARK(BM_Pointer)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
