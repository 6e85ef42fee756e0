// Measures a running magnifier from outside, at the X level, so that any
// magnifier can be measured the same way:
//   view_meter --pid PID [--server-pid PID] [--seconds S] [--changes N] [--maximise]
//              [--scene still|square|moving]
// Finds the client window of PID (or the newest client), optionally has the
// window manager maximise it, then reports over S seconds: frames shown per
// second (X DAMAGE on the window and everything in it), the program's and
// the X server's CPU, per frame and per 25 ms (a tick at 40 a second), the
// program's peak resident memory; then, N times, the latency from a change
// of the screen under the pointer (a small window of ours changing its
// colour) to the window showing it. The scene while the CPU is measured:
// the screen and the pointer still, the 64 x 64 square under the pointer
// changing its colour 60 times a second, or the pointer moving every 25 ms.
// One line of "key=value" pairs, for the script to print.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include "bench/measured_program.hpp"
#include "platform/x11/xcb_owned.hpp"

namespace {

using namespace lupe::bench;
using lupe::x11::own;

using Clock = std::chrono::steady_clock;

enum class Scene { Still, Square, Moving };

struct Options {
  int pid = 0, serverPid = 0, changes = 300;
  double seconds = 8;
  bool maximise = false;
  Scene scene = Scene::Still;
};

class Meter {
 public:
  explicit Meter(const Options& options) : o_(options) {
    c_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c_)) fail("no X display");
    screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    if (!own(xcb_damage_query_version_reply(c_, xcb_damage_query_version(c_, 1, 1), nullptr)))
      fail("the X server has no DAMAGE extension");
    damageEvent_ = xcb_get_extension_data(c_, &xcb_damage_id)->first_event + XCB_DAMAGE_NOTIFY;
  }
  ~Meter() { xcb_disconnect(c_); }

  void run() {
    target_ = findClientWindow(c_, screen_->root, o_.pid);
    if (!target_) fail("no client window appeared");
    if (o_.maximise) maximise(c_, screen_->root, target_);
    placePatch();
    std::this_thread::sleep_for(
        std::chrono::milliseconds(1500));  // settle after start and maximise
    watchTree(target_);
    measureFrames();
    measureLatency();
    // Resident memory at its peak, and of it now what is the program's own
    // (its heap and shared memory) rather than library code shared with others.
    std::printf("peak_rss_mb=%.1f own_mb=%.1f\n", statusKb(o_.pid, "VmHWM") / 1024.0,
                (statusKb(o_.pid, "RssAnon") + statusKb(o_.pid, "RssShmem")) / 1024.0);
  }

 private:
  [[noreturn]] static void fail(const char* why) {
    std::fprintf(stderr, "view_meter: %s\n", why);
    std::exit(1);
  }

  // A 64 x 64 window of ours centred on the pointer, above everything.
  void placePatch() {
    const auto p = own(xcb_query_pointer_reply(c_, xcb_query_pointer(c_, screen_->root), nullptr));
    if (!p) fail("no pointer");
    patch_ = xcb_generate_id(c_);
    const uint32_t values[] = {colour_, 1};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, patch_, screen_->root, p->root_x - 32,
                      p->root_y - 32, 64, 64, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen_->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(c_, patch_);
    xcb_flush(c_);
  }

  void watchTree(xcb_window_t window) {
    const xcb_damage_damage_t damage = xcb_generate_id(c_);
    xcb_damage_create(c_, damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    const auto tree = own(xcb_query_tree_reply(c_, xcb_query_tree(c_, window), nullptr));
    if (!tree) return;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) watchTree(children[i]);
  }

  // Waits up to `ms` for damage; true when some came (and was taken off again).
  bool awaitDamage(int ms) {
    xcb_flush(c_);
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      while (const auto event = own(xcb_poll_for_event(c_))) {
        const bool damaged = (event->response_type & 0x7f) == damageEvent_;
        if (damaged) {
          const auto* notify = reinterpret_cast<xcb_damage_notify_event_t*>(event.get());
          xcb_damage_subtract(c_, notify->damage, XCB_NONE, XCB_NONE);
        }
        if (damaged) return true;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return false;
      pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
      poll(&fd, 1, static_cast<int>(left.count()));
    }
  }

  void measureFrames() {
    while (awaitDamage(0)) {
    }
    const double ownBefore = cpuSeconds(o_.pid);
    const double serverBefore = o_.serverPid ? cpuSeconds(o_.serverPid) : 0;
    const auto start = Clock::now();
    const auto end = start + std::chrono::milliseconds(static_cast<int64_t>(o_.seconds * 1000));
    int frames = 0, step = 0;
    auto last = start - std::chrono::seconds(1);
    auto nextStep = start;
    const auto period = std::chrono::microseconds(o_.scene == Scene::Square ? 16667 : 25000);
    while (Clock::now() < end) {
      if (o_.scene != Scene::Still && Clock::now() >= nextStep) {
        nextStep += period;
        takeStep(++step);
      }
      const auto wait =
          std::chrono::duration_cast<std::chrono::milliseconds>(nextStep - Clock::now());
      if (!awaitDamage(o_.scene == Scene::Still ? 50 : std::clamp<int>(wait.count(), 0, 50)))
        continue;
      // Damage to several windows of one frame arrives together.
      const auto now = Clock::now();
      if (now - last > std::chrono::milliseconds(3)) ++frames;
      last = now;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double own = cpuSeconds(o_.pid) - ownBefore;
    const double server = o_.serverPid ? cpuSeconds(o_.serverPid) - serverBefore : -1;
    const double perFrame = frames > 0 ? 1000.0 / frames : 0, perTick = 1000.0 / (40 * seconds);
    std::printf(
        "fps=%.1f own_cpu_pct=%.2f own_ms_per_frame=%.3f own_ms_per_tick=%.4f "
        "server_cpu_pct=%.2f server_ms_per_frame=%.3f server_ms_per_tick=%.4f ",
        frames / seconds, 100 * own / seconds, own * perFrame, own * perTick,
        100 * server / seconds, server * perFrame, server * perTick);
  }

  // The scene's next step: the square's next colour, or the pointer a few
  // pixels to one side and back.
  void takeStep(int step) {
    if (o_.scene == Scene::Square) {
      colour_ = 0x204060u + static_cast<uint32_t>(step % 2) * 0x808080u;
      xcb_change_window_attributes(c_, patch_, XCB_CW_BACK_PIXEL, &colour_);
      xcb_clear_area(c_, 0, patch_, 0, 0, 0, 0);
    } else {
      const int16_t dx = step % 2 ? 3 : -3;
      xcb_warp_pointer(c_, XCB_NONE, XCB_NONE, 0, 0, 0, 0, dx, 0);
    }
    xcb_flush(c_);
  }

  uint32_t pixelAt(int x, int y) {
    const auto image = own(xcb_get_image_reply(
        c_, xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, target_, x, y, 1, 1, ~0u), nullptr));
    uint32_t value = 0xffffffffu;
    if (image && xcb_get_image_data_length(image.get()) >= 4)
      std::memcpy(&value, xcb_get_image_data(image.get()), 4);
    return value & 0x00ffffffu;
  }

  // Where the window shows the patch: a point well inside it, off its centre
  // (where a crosshair may lie).
  std::optional<std::pair<int, int>> findPatch() {
    const auto g = own(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, target_), nullptr));
    if (!g) return std::nullopt;
    const int w = g->width, h = g->height;
    // The patch itself, lying over the window, is not the window showing it.
    const auto t = own(xcb_translate_coordinates_reply(
        c_, xcb_translate_coordinates(c_, patch_, target_, 0, 0), nullptr));
    const int px0 = t ? t->dst_x : -1000, py0 = t ? t->dst_y : -1000;
    const auto onPatch = [&](int x, int y) {
      return x >= px0 - 2 && x < px0 + 66 && y >= py0 - 2 && y < py0 + 66;
    };
    int left = w, top = h, right = -1, bottom = -1;
    for (int y = 0; y < h; y += 2) {
      const auto row = own(xcb_get_image_reply(
          c_, xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, target_, 0, y, w, 1, ~0u), nullptr));
      if (!row) continue;
      const auto* px = reinterpret_cast<const uint32_t*>(xcb_get_image_data(row.get()));
      for (int x = 0; x < w; ++x) {
        if ((px[x] & 0x00ffffffu) != colour_ || onPatch(x, y)) continue;
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    if (right < 0) return std::nullopt;
    const std::pair at{left + (right - left) * 3 / 4, top + (bottom - top) * 3 / 4};
    if (onPatch(at.first, at.second)) return std::nullopt;
    return at;
  }

  void measureLatency() {
    if (o_.changes <= 0) return;
    const auto at = findPatch();
    if (!at) {
      std::printf("latency=not_seen ");
      return;
    }
    std::vector<double> ms;
    std::minstd_rand random(7);
    for (int i = 1; i <= o_.changes; ++i) {
      // At a random moment between two frames, not just after one.
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 50000));
      colour_ =
          0x102030u + static_cast<uint32_t>(i % 2 ? 0x405060 * (i % 3 + 1) : 0x050a0f * (i % 7));
      xcb_change_window_attributes(c_, patch_, XCB_CW_BACK_PIXEL, &colour_);
      xcb_clear_area(c_, 0, patch_, 0, 0, 0, 0);
      while (awaitDamage(0)) {
      }
      const auto changed = Clock::now();
      while (Clock::now() - changed < std::chrono::seconds(1)) {
        awaitDamage(20);
        if (pixelAt(at->first, at->second) == colour_) {
          ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - changed).count());
          break;
        }
      }
    }
    if (ms.empty()) {
      std::printf("latency=never_shown ");
      return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("latency_median_ms=%.1f latency_p95_ms=%.1f latency_shown=%zu/%d ",
                ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.size(), o_.changes);
  }

  Options o_;
  xcb_connection_t* c_;
  xcb_screen_t* screen_;
  uint8_t damageEvent_ = 0;
  xcb_window_t target_ = 0, patch_ = 0;
  uint32_t colour_ = 0xc03a7eu;
};

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : "0";
    if (a == "--pid")
      o.pid = std::atoi(next), ++i;
    else if (a == "--server-pid")
      o.serverPid = std::atoi(next), ++i;
    else if (a == "--seconds")
      o.seconds = std::atof(next), ++i;
    else if (a == "--changes")
      o.changes = std::atoi(next), ++i;
    else if (a == "--maximise")
      o.maximise = true;
    else if (a == "--scene") {
      const std::string scene = next;
      o.scene = scene == "square"   ? Scene::Square
                : scene == "moving" ? Scene::Moving
                                    : Scene::Still;
      ++i;
    }
  }
  if (o.pid <= 0) {
    std::fprintf(stderr,
                 "usage: view_meter --pid PID [--server-pid PID] [--seconds S] "
                 "[--changes N] [--maximise] [--scene still|square|moving]\n");
    return 2;
  }
  Meter(o).run();
}
