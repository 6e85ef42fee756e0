#include "wayland_desktop.hpp"

#include <gio/gio.h>
#include <poll.h>

#include <algorithm>
#include <stdexcept>

#include "poll.hpp"
#include "platform/wayland/monitor_streams.hpp"

namespace lupe::e2e {
namespace {

constexpr int kLeftButton = 0x110;  // BTN_LEFT

GVariant* control(const char* method, GVariant* arguments, const char* reply = nullptr) {
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  GVariant* result =
      bus ? g_dbus_connection_call_sync(bus, "org.tevka.LupeTest", "/org/tevka/LupeTest",
                                        "org.tevka.LupeTest", method, arguments,
                                        reply ? G_VARIANT_TYPE(reply) : nullptr,
                                        G_DBUS_CALL_FLAGS_NONE, 20000, nullptr, &error)
          : nullptr;
  if (bus) g_object_unref(bus);
  if (!result) {
    const std::string what = error ? error->message : "no session bus";
    if (error) g_error_free(error);
    throw std::runtime_error(std::string("test portal ") + method + ": " + what);
  }
  return result;
}

unsigned count(const char* method) {
  GVariant* reply = control(method, nullptr, "(u)");
  unsigned value = 0;
  g_variant_get(reply, "(u)", &value);
  g_variant_unref(reply);
  return value;
}

void call(const char* method, GVariant* arguments) { g_variant_unref(control(method, arguments)); }

}  // namespace

WaylandDesktop::WaylandDesktop() {
  GVariant* reply = control("ScreenStreams", nullptr, "(a(uiiii))");
  GVariantIter* streams = nullptr;
  g_variant_get(reply, "(a(uiiii))", &streams);
  std::vector<wayland::MonitorStream> places;
  uint32_t node = 0;
  int x = 0, y = 0, width = 0, height = 0;
  while (g_variant_iter_next(streams, "(uiiii)", &node, &x, &y, &width, &height)) {
    places.push_back({node, {x, y, width, height}});
    monitors_.push_back({x, y, width, height});
  }
  g_variant_iter_free(streams);
  g_variant_unref(reply);
  // The first pictures come once the compositor paints anew: see showsEveryMonitor().
  streams_ = wayland::MonitorStreams::open(
      -1, places, [this](const Ending& ending) { ended_ = ending.line + " (" + ending.cause + ")"; });
  if (!streams_) throw std::runtime_error("the tests' screen cast: " + ended_);
}

void WaylandDesktop::beginReading() {
  streams_->dispatch();
  for (const wayland::MonitorFrame& frame : streams_->frames()) {
    uint64_t& last = lastPicture_[{frame.area.x, frame.area.y}];
    if (last == frame.picture) continue;
    last = frame.picture;
    if (seen_) seen_(frame);
  }
}

void WaylandDesktop::dispatch() {
  beginReading();
  streams_->finishReading();
}

void WaylandDesktop::onPicture(std::function<void(const wayland::MonitorFrame&)> seen) {
  dispatch();  // what came before is not new to `seen`
  seen_ = std::move(seen);
}

void WaylandDesktop::await(std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  do {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    pollfd descriptor{streams_->eventDescriptor(), POLLIN, 0};
    ::poll(&descriptor, 1, static_cast<int>(std::max<int64_t>(0, left.count())));
    dispatch();
  } while (std::chrono::steady_clock::now() < end);
}

bool WaylandDesktop::showsEveryMonitor() {
  dispatch();
  if (!ended_.empty()) throw std::runtime_error("the tests' screen cast: " + ended_);
  return streams_->allShown();
}

WaylandDesktop::~WaylandDesktop() = default;

Rect WaylandDesktop::bounds() const {
  Rect all = monitors_.front();
  for (const Rect& m : monitors_) {
    const int right = std::max(all.x + all.width, m.x + m.width),
              bottom = std::max(all.y + all.height, m.y + m.height);
    all.x = std::min(all.x, m.x);
    all.y = std::min(all.y, m.y);
    all.width = right - all.x;
    all.height = bottom - all.y;
  }
  return all;
}

void WaylandDesktop::movePointer(int x, int y) {
  call("MovePointer", g_variant_new("(dd)", double(x), double(y)));
}

void WaylandDesktop::press(bool down) {
  call("Button", g_variant_new("(ib)", kLeftButton, down ? TRUE : FALSE));
}

void WaylandDesktop::tap(uint32_t keysym) {
  call("Key", g_variant_new("(ub)", keysym, TRUE));
  call("Key", g_variant_new("(ub)", keysym, FALSE));
}

Image WaylandDesktop::screen() { return screen(bounds()); }

Image WaylandDesktop::screen(const Rect& area) {
  beginReading();
  Image image(area.width, area.height);
  for (const wayland::MonitorFrame& frame : streams_->frames()) {
    const int left = std::max(area.x, frame.area.x), top = std::max(area.y, frame.area.y);
    const int right = std::min(area.x + area.width, frame.area.x + frame.area.width);
    const int bottom = std::min(area.y + area.height, frame.area.y + frame.area.height);
    for (int y = top; y < bottom; ++y) {
      const Pixel* row = frame.pixels.row(y - frame.area.y) - frame.area.x;
      for (int x = left; x < right; ++x) image.set(x - area.x, y - area.y, row[x] & 0xffffffu);
    }
  }
  streams_->finishReading();
  return image;
}

unsigned WaylandDesktop::asks() { return count("Asks"); }
unsigned WaylandDesktop::openSessions() { return count("OpenSessions"); }
unsigned WaylandDesktop::heldRequests() { return count("Held"); }
void WaylandDesktop::answer(const std::string& how) {
  call("SetAnswer", g_variant_new("(s)", how.c_str()));
}
void WaylandDesktop::endStreams() { call("EndStreams", nullptr); }
void WaylandDesktop::play(const std::string& desktop) {
  call("Play", g_variant_new("(s)", desktop.c_str()));
}
void WaylandDesktop::forgetRequests() { call("ForgetRequests", nullptr); }

std::vector<PortalRequest> WaylandDesktop::requests() {
  GVariant* reply = control("Requests", nullptr, "(a(sa{sv}))");
  GVariantIter* each = nullptr;
  g_variant_get(reply, "(a(sa{sv}))", &each);
  std::vector<PortalRequest> all;
  const char* method = nullptr;
  GVariantIter* options = nullptr;
  while (g_variant_iter_loop(each, "(&sa{sv})", &method, &options)) {
    PortalRequest request{method, {}};
    const char* key = nullptr;
    GVariant* value = nullptr;
    while (g_variant_iter_loop(options, "{&sv}", &key, &value)) {
      gchar* text = g_variant_print(value, FALSE);
      request.options[key] = text;
      g_free(text);
    }
    all.push_back(std::move(request));
  }
  g_variant_iter_free(each);
  g_variant_unref(reply);
  return all;
}

}  // namespace lupe::e2e
