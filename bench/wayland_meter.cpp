// Measures a magnifier in the GNOME Wayland session of scripts/with-wayland.sh,
// from outside, through the compositor's own screen cast:
//   wayland_meter --compositor-pid PID [--seconds S] [--changes N]
//                 [--scene still|square|moving] [--maximise yes|no] -- COMMAND ...
// Shows the test pattern with a 64 x 64 square under the pointer, starts
// COMMAND, finds its window (where the screen leaves the pattern) and
// reports over S seconds: the frames it shows per second (its client area
// changing from one cast picture to the next), its own CPU and the
// compositor's, per frame and per 25 ms; then, N times, the latency from a
// change of the square's colour to the view showing it; last its peak
// resident memory, its locked memory and where its resident memory lies at
// the end (see smaps_breakdown.hpp). Between them, our share of the latency
// as the program logs it (LUPE_LATENCY_LOG): from a picture's arrival to
// the tick, and from the tick to the commit of the view drawn from it. The scene while the CPU is measured:
// all still, the square changing its colour 60 times a second, or the
// pointer moving every 25 ms.
// Maximised (by a double-click on its view, as a user would) the window
// covers the square: the view shows the magnifier itself, and no latency.
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/measured_program.hpp"
#include "bench/smaps_breakdown.hpp"
#include "harness/lupe.hpp"
#include "harness/poll.hpp"
#include "harness/process.hpp"
#include "harness/view_model.hpp"
#include "harness/wayland_session.hpp"
#include "platform/wayland/monitor_streams.hpp"

namespace {

using namespace lupe;
using namespace lupe::e2e;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kX = 900, kY = 700;  // the pointer and the square, clear of the window
constexpr int kSquare = 64;

[[noreturn]] void fail(const std::string& why) {
  std::fprintf(stderr, "wayland_meter: %s\n", why.c_str());
  std::exit(1);
}

class Meter {
 public:
  Meter(int compositor, std::vector<std::string> command, bool maximise)
      : compositor_(compositor) {
    desktop_.movePointer(kX, kY);
    const std::string pattern =
        patternWindowExecutable() + " --square " + std::to_string(kX) + " " + std::to_string(kY);
    square_ = popen(pattern.c_str(), "w");
    if (!square_) fail("cannot start the pattern");
    if (!pollUntil(10s, [&] {
          return !windowOverPattern(desktop_, {kX - kSquare / 2, kY - kSquare / 2, kSquare, kSquare});
        }))
      fail("the pattern does not fill the screen");
    const std::string program = command.front();
    command.erase(command.begin());
    program_ = std::make_unique<ChildProcess>(program, command);
    const Rect square{kX - kSquare / 2, kY - kSquare / 2, kSquare, kSquare};
    const std::optional<Rect> last = awaitStillWindow(desktop_, 20s, square);
    if (!last) fail("no window appeared");
    const FrameExtents f = qtFrame(1);
    client_ = {last->x + f.left, last->y + f.top, last->width - f.left - f.right,
               last->height - f.top - f.bottom};
    say("quiet");  // from now on the compositor paints only for the magnifier and the square
    const ViewModel model = ViewModel::forOuterSize(last->width, last->height);
    // Just off the crosshair, inside the square's enlargement.
    probe_ = {client_.x + model.lineX + 6, client_.y + model.lineY + 6};
    if (maximise) maximiseByDoubleClick(model);
  }
  ~Meter() {
    program_.reset();
    if (square_) pclose(square_);
  }

  void measure(const std::string& scene, double seconds) {
    if (scene == "square") say("run");
    std::atomic<bool> moving{scene == "moving"};
    std::thread mover([&] {
      for (int i = 0; moving; ++i) {
        desktop_.movePointer(kX - 20 + i % 40, kY);
        std::this_thread::sleep_for(25ms);
      }
    });
    std::this_thread::sleep_for(1s);
    const double own0 = bench::cpuSeconds(program_->pid()),
                 compositor0 = bench::cpuSeconds(compositor_);
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(seconds));
    int frames = 0;
    uint64_t shown = clientHash();
    while (Clock::now() < end) {
      if (!nextPicture(50)) continue;
      const uint64_t now = clientHash();
      if (now != shown) ++frames;
      shown = now;
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double own = bench::cpuSeconds(program_->pid()) - own0,
                 compositor = bench::cpuSeconds(compositor_) - compositor0;
    moving = false;
    mover.join();
    const double ticks = elapsed / 0.025;
    std::printf("fps=%.1f own_ms_per_tick=%.3f compositor_ms_per_tick=%.3f", frames / elapsed,
                1000 * own / ticks, 1000 * compositor / ticks);
    if (frames > 0)
      std::printf(" own_ms_per_frame=%.3f compositor_ms_per_frame=%.3f", 1000 * own / frames,
                  1000 * compositor / frames);
    std::printf("\n");
  }

  void latency(int changes) {
    std::vector<double> ms;
    std::mt19937 random(42);
    for (int i = 0; i < changes; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50 + random() % 100));
      const Pixel colour = 0x200000 + static_cast<Pixel>(i) * 0x010203 % 0xffffff;
      char line[16];
      std::snprintf(line, sizeof line, "%06x", colour & 0xffffff);
      const auto sent = Clock::now();
      say(line);
      bool squareSeen = false;
      while (Clock::now() - sent < 2s) {
        nextPicture(50);
        if (!squareSeen && (picture().row(kY)[kX] & 0xffffffu) == (colour & 0xffffff)) {
          squareSeen = true;
          squareMs_.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        }
        if (probe() == (colour & 0xffffff)) {
          ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
          break;
        }
      }
    }
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) return (void)std::printf("latency: none shown\n");
    std::printf("latency_median_ms=%.1f latency_p95_ms=%.1f shown=%zu/%d", ms[ms.size() / 2],
                ms[std::min(ms.size() - 1, ms.size() * 95 / 100)], ms.size(), changes);
    std::sort(squareMs_.begin(), squareMs_.end());
    if (!squareMs_.empty())
      std::printf(" square_itself_median_ms=%.1f", squareMs_[squareMs_.size() / 2]);
    std::printf("\n");
  }

  // The peak, and where the resident memory lies now, at the end of the case.
  void memory() {
    const int pid = program_->pid();
    std::printf("peak_rss_mb=%.1f locked_mb=%.1f\n", bench::statusKb(pid, "VmHWM") / 1024.0,
                bench::statusKb(pid, "VmLck") / 1024.0);
    std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
    const bench::ResidentMemory resident = bench::residentMemory(smaps);
    long total = 0;
    std::printf("rss_mb:");
    for (int group = 0; group < bench::kMemoryGroups; ++group) {
      std::printf(" %s=%.1f", bench::memoryGroupName(static_cast<bench::MemoryGroup>(group)),
                  resident.kb[group] / 1024.0);
      total += resident.kb[group];
    }
    std::printf(" total=%.1f\ngraphics_libraries=", total / 1024.0);
    std::string libraries;
    for (const std::string& library : resident.graphicsLibraries)
      libraries += (libraries.empty() ? "" : ",") + library;
    std::printf("%s\n", libraries.empty() ? "none" : libraries.c_str());
  }

 private:
  // As a user would: a double-click on the view. The window then covers the
  // monitor, the square and the pattern with it; the pointer stays on it.
  void maximiseByDoubleClick(const ViewModel& model) {
    const Rect monitor = desktop_.monitors().front();
    desktop_.movePointer(client_.x + model.lineX / 2, client_.y + model.lineY / 2);
    std::this_thread::sleep_for(200ms);
    for (int click = 0; click < 4; ++click) desktop_.press(click % 2 == 0);
    if (!pollUntil(10s, [&] {
          const std::optional<Rect> now = windowOverPattern(desktop_);
          return now && now->width == monitor.width && now->height == monitor.height;
        }))
      fail("the window did not maximise");
    std::this_thread::sleep_for(1s);
    const int title = qtFrame(1).top;
    client_ = {monitor.x, monitor.y + title, monitor.width, monitor.height - title};
    desktop_.movePointer(kX, kY);
  }

  void say(const char* line) {
    std::fprintf(square_, "%s\n", line);
    std::fflush(square_);
  }

  // Waits up to `milliseconds` for the next picture of the screen cast.
  bool nextPicture(int milliseconds) {
    wayland::MonitorStreams& streams = desktop_.streams();
    streams.finishReading();  // the last picture has been read
    pollfd descriptor{streams.eventDescriptor(), POLLIN, 0};
    ::poll(&descriptor, 1, milliseconds);
    streams.dispatch();
    ChangedArea damage;
    std::vector<PixelRect> withoutDamage;
    streams.takeDamage(damage, withoutDamage);
    return !damage.empty() || !withoutDamage.empty();
  }

  const ConstRasterView& picture() { return desktop_.streams().frames().front().pixels; }

  uint64_t clientHash() {
    const ConstRasterView& pixels = picture();
    uint64_t hash = 1469598103934665603ull;
    for (int y = client_.y; y < client_.y + client_.height; ++y)
      for (int x = client_.x; x < client_.x + client_.width; ++x)
        hash = (hash ^ (pixels.row(y)[x] & 0xffffffu)) * 1099511628211ull;
    return hash;
  }

  Pixel probe() { return picture().row(probe_.second)[probe_.first] & 0xffffffu; }

  WaylandDesktop desktop_;
  int compositor_;
  FILE* square_ = nullptr;
  std::unique_ptr<ChildProcess> program_;
  Rect client_;
  std::pair<int, int> probe_;
  std::vector<double> squareMs_;
};

// Our share of the latency, as the program logged it: from a picture's
// arrival to the tick that reads it, and from that tick to the commit of
// the view drawn from it.
void printShares(const std::string& path) {
  std::ifstream log(path);
  std::vector<double> waited, drawn;
  for (double wait, draw; log >> wait >> draw;) waited.push_back(wait), drawn.push_back(draw);
  std::remove(path.c_str());
  if (waited.empty()) return (void)std::printf("share: none logged\n");
  const auto median = [](std::vector<double>& ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
  };
  std::printf("picture_to_tick_median_ms=%.2f tick_to_commit_median_ms=%.2f commits=%zu\n",
              median(waited), median(drawn), waited.size());
}

}  // namespace

int main(int argc, char** argv) {
  int compositor = 0, changes = 0;
  bool maximise = false;
  double seconds = 8;
  std::string scene = "still";
  std::vector<std::string> command;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      command.assign(argv + i + 1, argv + argc);
      break;
    }
    if (i + 1 >= argc) fail("usage: see the head of wayland_meter.cpp");
    if (arg == "--compositor-pid") compositor = std::atoi(argv[++i]);
    else if (arg == "--seconds") seconds = std::atof(argv[++i]);
    else if (arg == "--changes") changes = std::atoi(argv[++i]);
    else if (arg == "--scene") scene = argv[++i];
    else if (arg == "--maximise") maximise = std::string(argv[++i]) == "yes";
    else fail("unknown option " + arg);
  }
  if (command.empty() || compositor <= 0) fail("usage: see the head of wayland_meter.cpp");
  // The program writes there our share of each picture's way to the view.
  const std::string shares = "/tmp/wayland-meter-shares-" + std::to_string(getpid());
  setenv("LUPE_LATENCY_LOG", shares.c_str(), 1);
  Meter meter(compositor, command, maximise);
  meter.measure(scene, seconds);
  if (changes > 0) meter.latency(changes);
  printShares(shares);
  meter.memory();
}
