// A minute of use at 40 ticks a second, driven from outside: the panel, every
// style button, the arrow, the zoom, the topmost box, resizes, maximising,
// drags and hundreds of clicks. Back in its first state, the program holds
// as many X resources and shared-memory segments as after its first second,
// and its own resident memory (its heap: RssAnon) grew by less than 1 MB
// after three warming rounds. The segments grow with the largest view and
// capture the program has needed, so their size stays within what a few
// screens take.
// (ctest label "soak";
// bench/soak.sh runs the same for half an hour.)
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <xcb/res.h>

#include "harness/controls.hpp"
#include "harness/poll.hpp"
#include "harness/view_test.hpp"
#include "platform/x11/xcb_owned.hpp"

namespace lupe::e2e {
namespace {

using namespace std::chrono_literals;
using Resources = std::map<std::string, uint32_t>;

constexpr uint32_t kEndKey = 0xff57, kHomeKey = 0xff50;

// X resources by type of all the connections of process `pid` (X-Resource).
Resources xResources(XDisplay& display, pid_t pid) {
  xcb_connection_t* c = display.connection();
  Resources counts;
  xcb_res_client_id_spec_t all{XCB_NONE, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
  const auto ids =
      x11::own(xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &all), nullptr));
  if (!ids) return counts;
  for (auto it = xcb_res_query_client_ids_ids_iterator(ids.get()); it.rem;
       xcb_res_client_id_value_next(&it)) {
    if (xcb_res_client_id_value_value_length(it.data) < 1 ||
        pid_t(*xcb_res_client_id_value_value(it.data)) != pid)
      continue;
    const auto resources = x11::own(xcb_res_query_client_resources_reply(
        c, xcb_res_query_client_resources(c, it.data->spec.client), nullptr));
    if (!resources) continue;
    for (auto r = xcb_res_query_client_resources_types_iterator(resources.get()); r.rem;
         xcb_res_type_next(&r))
      counts[display.atomName(r.data->resource_type)] += r.data->count;
  }
  return counts;
}

// Shared-memory segments that process `pid` made and that still exist.
struct Segments {
  long count = 0, bytes = 0;
  std::string describe() const {
    return std::to_string(count) + " segments, " + std::to_string(bytes) + " bytes";
  }
};
Segments sharedSegments(pid_t pid) {
  std::ifstream table("/proc/sysvipc/shm");
  std::string line;
  std::getline(table, line);  // the header
  Segments segments;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    long key, shmid, perms, size, cpid;
    fields >> key >> shmid >> perms >> size >> cpid;
    if (cpid != pid) continue;
    ++segments.count;
    segments.bytes += size;
  }
  return segments;
}

// A figure of /proc/PID/status in kB: "VmRSS", "RssAnon", "RssShmem".
long statusKb(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
  return -1;
}

long residentKb(pid_t pid) { return statusKb(pid, "VmRSS"); }

std::string describe(const Resources& resources) {
  std::string text;
  for (const auto& [type, count] : resources) text += type + "=" + std::to_string(count) + " ";
  return text;
}

class Soak : public ViewOnScreen {
 protected:
  long residentBefore_ = 0;

  // One round of everything a user does, leaving the program as it found it.
  void round(const Rect& place) {
    Keyboard keyboard(*display_);
    clickInClient(settingsButtonRect());  // the panel opens
    for (const Rect& button : {widthButtonRect(), dashButtonRect(), colourButtonRect(),
                               blackWhiteButtonRect(), arrowButtonRect()}) {
      clickInClient(button);
      clickInClient(button);  // pressed twice: as before
    }
    clickInClient(topmostBoxRect());
    clickInClient(topmostBoxRect());
    clickInClient(Rect{zoomSliderRect().x, zoomSliderRect().y, 4, 6});  // the slider takes the focus
    keyboard.tap(kEndKey);
    keyboard.tap(kHomeKey);
    for (int i = 0; i < 2; ++i) keyboard.tap(0xff53);  // Right, Right: back to 3
    clickInClient(closePanelButtonRect());

    requestMoveResize(*display_, window_, place.x, place.y, place.width + 120, place.height + 80);
    requestMaximised(*display_, window_, true);
    pollUntil(2s, [&] { return geometry().outer().width > place.width + 200; });
    requestMaximised(*display_, window_, false);
    requestMoveResize(*display_, window_, place.x, place.y, place.width, place.height);
    pollUntil(2s, [&] { return geometry().client.width == place.width; });

    // A drag on the view, then clicks on it: a left press asks for a move, a
    // right one shows the window. (The view covers the whole client area at
    // this density: none of them lands on the form itself.)
    const Rect client = geometry().client;
    const int x = client.x + client.width / 2, y = client.y + client.height - 20;
    pointer_->moveTo(x, y);
    pointer_->press();
    for (int step = 1; step <= 5; ++step) pointer_->moveTo(x + 8 * step, y + 4 * step);
    pointer_->release();
    for (int i = 0; i < 8; ++i) pointer_->click(x, y, i % 4 == 3 ? 3 : 1);
    requestMoveResize(*display_, window_, place.x, place.y, place.width, place.height);
    pollUntil(2s, [&] { return geometry().client == place; });
  }
};

TEST_F(Soak, AMinuteOfUseLeavesNoXResourceSegmentOrMemoryBehind) {
  ASSERT_NO_FATAL_FAILURE(startLupe());
  const Rect place = geometry().client;
  std::this_thread::sleep_for(1s);  // the first second
  const pid_t pid = lupe_->pid();
  const Resources before = xResources(*display_, pid);
  const Segments segmentsAtStart = sharedSegments(pid);
  ASSERT_FALSE(before.empty()) << "the X server does not tell the program's resources";

  const char* seconds = std::getenv("LUPE_SOAK_SECONDS");
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds ? std::atoi(seconds) : 60);
  int rounds = 0;
  while (std::chrono::steady_clock::now() < end && lupe_->running()) {
    round(place);
    ++rounds;
    if (std::getenv("LUPE_SOAK_TRACE"))
      std::cout << "round " << rounds << ": " << residentKb(pid) << " kB, heap "
                << statusKb(pid, "RssAnon") << ", shared " << statusKb(pid, "RssShmem") << "\n";
    // The first rounds fill Qt's caches and the buffers at their largest
    // sizes once; from there on nothing may grow.
    if (rounds == 3) residentBefore_ = statusKb(pid, "RssAnon");
  }
  ASSERT_TRUE(lupe_->running()) << lupe_->stderrText();
  std::this_thread::sleep_for(1s);
  const Resources after = xResources(*display_, pid);
  const long grown = statusKb(pid, "RssAnon") - residentBefore_;
  const Segments segments = sharedSegments(pid);
  std::cout << rounds << " rounds; X resources " << describe(after) << "; "
            << segments.describe() << " (at the start " << segmentsAtStart.describe()
            << "); heap grew by " << grown << " kB; resident " << residentKb(pid) << " kB\n";
  ASSERT_GE(rounds, 3);
  EXPECT_EQ(describe(after), describe(before));
  EXPECT_EQ(segments.count, segmentsAtStart.count);
  const Rect screen = display_->rootRect();
  EXPECT_LE(segments.bytes, 4L * screen.width * screen.height * 4);
  EXPECT_LT(grown, 1024);
  EXPECT_EQ(lupe_->stderrText(), "");
}

}  // namespace
}  // namespace lupe::e2e
