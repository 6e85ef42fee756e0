#include "platform/wayland/portal_screen_cast.hpp"

#include <gio/gio.h>
#include <gio/gunixfdlist.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <utility>

#include "platform/wayland/restore_token.hpp"

namespace lupe::wayland {
namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kScreenCast = "org.freedesktop.portal.ScreenCast";
constexpr uint32_t kMonitors = 1;
constexpr uint32_t kCursorAsMetadata = 4;
constexpr uint32_t kPersistUntilRevoked = 2;
constexpr uint32_t kUserCancelled = 1;

const char* const kNoPortal =
    "Tevka - Lupe: In dieser Wayland-Sitzung fehlt das Portal zur Bildschirmfreigabe "
    "(xdg-desktop-portal mit ScreenCast); ohne es kann die Lupe den Bildschirm nicht sehen.";
const char* const kNoPointer =
    "Tevka - Lupe: Das Portal dieser Sitzung nennt die Position des Mauszeigers nicht; "
    "unter Wayland folgt die Lupe dem Zeiger auf GNOME und KDE Plasma.";
const char* const kDeclined =
    "Tevka - Lupe: Die Freigabe des Bildschirms wurde abgelehnt; ohne sie kann die Lupe "
    "nichts zeigen.";
const char* const kFailed =
    "Tevka - Lupe: Das Portal konnte die Bildschirmfreigabe nicht beginnen; die Lupe wird "
    "beendet.";

// A reply's results, given back when done with.
using Results = std::unique_ptr<GVariant, void (*)(GVariant*)>;

struct VariantRef {
  GVariant* value = nullptr;
  ~VariantRef() {
    if (value) g_variant_unref(value);
  }
};

std::string handleToken() {
  static std::atomic<unsigned> next{0};
  return "lupe" + std::to_string(::getpid()) + "_" + std::to_string(next++);
}

}  // namespace

struct PortalScreenCast::Bus {
  GDBusConnection* connection = nullptr;
  std::string session;  // the session's object path, once made
  guint closedSignal = 0;

  ~Bus() {
    if (!connection) return;
    if (closedSignal) g_dbus_connection_signal_unsubscribe(connection, closedSignal);
    closeSession();
    g_object_unref(connection);
  }

  void closeSession() {
    if (session.empty()) return;
    GVariant* reply = g_dbus_connection_call_sync(
        connection, kPortal, session.c_str(), "org.freedesktop.portal.Session", "Close", nullptr,
        nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (reply) g_variant_unref(reply);
    session.clear();
  }

  // Calls a portal request and waits for its Response; the `options` get the
  // request's handle token. The results are the caller's; false when the
  // call itself failed. The user may take their time over a dialog, so the
  // wait has no limit but the portal's leaving the bus.
  bool request(const char* method, GVariant* (*arguments)(const std::string&, GVariant*),
               GVariantBuilder* options, uint32_t& code, GVariant*& results) {
    const std::string token = handleToken();
    g_variant_builder_add(options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    std::string sender = g_dbus_connection_get_unique_name(connection) + 1;
    for (char& c : sender)
      if (c == '.') c = '_';
    const std::string path = std::string(kPortalPath) + "/request/" + sender + "/" + token;

    struct Answer {
      bool done = false;
      uint32_t code = 2;
      GVariant* results = nullptr;
    } answer;
    const guint response = g_dbus_connection_signal_subscribe(
        connection, kPortal, "org.freedesktop.portal.Request", "Response", path.c_str(), nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
           GVariant* parameters, gpointer data) {
          auto* answer = static_cast<Answer*>(data);
          g_variant_get(parameters, "(u@a{sv})", &answer->code, &answer->results);
          answer->done = true;
        },
        &answer, nullptr);
    bool portalGone = false;
    const guint watch = g_bus_watch_name_on_connection(
        connection, kPortal, G_BUS_NAME_WATCHER_FLAGS_NONE, nullptr,
        [](GDBusConnection*, const gchar*, gpointer gone) { *static_cast<bool*>(gone) = true; },
        &portalGone, nullptr);

    GVariant* reply = g_dbus_connection_call_sync(
        connection, kPortal, kPortalPath, kScreenCast, method,
        arguments(session, g_variant_builder_end(options)),
        G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    if (reply) {
      g_variant_unref(reply);
      while (!answer.done && !portalGone) g_main_context_iteration(nullptr, TRUE);
    }
    g_bus_unwatch_name(watch);
    g_dbus_connection_signal_unsubscribe(connection, response);
    code = answer.code;
    results = answer.results;
    return reply && answer.done;
  }

  // The same, for requests that must be granted: their results, or a
  // PortalError saying that the user declined or the request failed.
  Results ask(const char* method, GVariant* (*arguments)(const std::string&, GVariant*),
              GVariantBuilder* options) {
    uint32_t code = 2;
    GVariant* given = nullptr;
    const bool answered = request(method, arguments, options, code, given);
    Results results(given, [](GVariant* v) {
      if (v) g_variant_unref(v);
    });
    if (answered && code == kUserCancelled) throw PortalError(kDeclined);
    if (!answered || code != 0 || !results) throw PortalError(kFailed);
    return results;
  }
};

PortalScreenCast::PortalScreenCast(std::unique_ptr<Bus> bus) : bus_(std::move(bus)) {}

PortalScreenCast::~PortalScreenCast() {
  if (remote_ >= 0) ::close(remote_);
}

std::unique_ptr<PortalScreenCast> PortalScreenCast::open(const std::string& tokenPath) {
  auto bus = std::make_unique<Bus>();
  bus->connection = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (!bus->connection) throw PortalError(kNoPortal);

  VariantRef modes{g_dbus_connection_call_sync(
      bus->connection, kPortal, kPortalPath, "org.freedesktop.DBus.Properties", "Get",
      g_variant_new("(ss)", kScreenCast, "AvailableCursorModes"), G_VARIANT_TYPE("(v)"),
      G_DBUS_CALL_FLAGS_NONE, 25000, nullptr, nullptr)};
  if (!modes.value) throw PortalError(kNoPortal);
  GVariant* mode = nullptr;
  g_variant_get(modes.value, "(v)", &mode);
  const uint32_t available = g_variant_is_of_type(mode, G_VARIANT_TYPE_UINT32)
                                 ? g_variant_get_uint32(mode) : 0;
  g_variant_unref(mode);
  if (!(available & kCursorAsMetadata)) throw PortalError(kNoPointer);

  std::unique_ptr<PortalScreenCast> cast(new PortalScreenCast(std::move(bus)));
  const RestoreToken kept(tokenPath);
  std::string token = kept.load(), newToken;
  try {
    cast->start(token, newToken);
  } catch (const PortalError& error) {
    // A token the portal no longer honours must not stand in the way: ask
    // once more without it. A refusal by the user is final.
    if (token.empty() || error.what() == std::string(kDeclined)) throw;
    kept.forget();
    cast->bus_->closeSession();
    cast->streams_.clear();
    cast->start({}, newToken);
  }
  if (!newToken.empty()) kept.save(newToken);

  cast->bus_->closedSignal = g_dbus_connection_signal_subscribe(
      cast->bus_->connection, kPortal, "org.freedesktop.portal.Session", "Closed",
      cast->bus_->session.c_str(), nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
         gpointer self) {
        auto* cast = static_cast<PortalScreenCast*>(self);
        cast->bus_->session.clear();  // closed by the desktop: nothing left to close
        if (auto closed = std::exchange(cast->closed_, nullptr)) closed();
      },
      cast.get(), nullptr);
  return cast;
}

void PortalScreenCast::start(const std::string& restoreToken, std::string& newToken) {
  Bus& bus = *bus_;
  GVariantBuilder options;
  g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
  g_variant_builder_add(&options, "{sv}", "session_handle_token",
                        g_variant_new_string(handleToken().c_str()));
  const Results made = bus.ask(
      "CreateSession",
      [](const std::string&, GVariant* o) { return g_variant_new("(@a{sv})", o); }, &options);
  const char* session = nullptr;
  if (g_variant_lookup(made.get(), "session_handle", "&s", &session)) bus.session = session;
  if (bus.session.empty()) throw PortalError(kFailed);

  g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
  g_variant_builder_add(&options, "{sv}", "types", g_variant_new_uint32(kMonitors));
  g_variant_builder_add(&options, "{sv}", "multiple", g_variant_new_boolean(TRUE));
  g_variant_builder_add(&options, "{sv}", "cursor_mode", g_variant_new_uint32(kCursorAsMetadata));
  g_variant_builder_add(&options, "{sv}", "persist_mode",
                        g_variant_new_uint32(kPersistUntilRevoked));
  if (!restoreToken.empty())
    g_variant_builder_add(&options, "{sv}", "restore_token",
                          g_variant_new_string(restoreToken.c_str()));
  bus.ask(
      "SelectSources",
      [](const std::string& s, GVariant* o) { return g_variant_new("(o@a{sv})", s.c_str(), o); },
      &options);

  g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
  const Results started = bus.ask(
      "Start",
      [](const std::string& s, GVariant* o) {
        return g_variant_new("(os@a{sv})", s.c_str(), "", o);
      },
      &options);
  const char* token = nullptr;
  if (g_variant_lookup(started.get(), "restore_token", "&s", &token)) newToken = token;
  GVariantIter* streams = nullptr;
  if (g_variant_lookup(started.get(), "streams", "a(ua{sv})", &streams)) {
    uint32_t node = 0;
    GVariant* properties = nullptr;
    while (g_variant_iter_loop(streams, "(u@a{sv})", &node, &properties)) {
      MonitorStream stream{node, {}};
      g_variant_lookup(properties, "position", "(ii)", &stream.area.x, &stream.area.y);
      g_variant_lookup(properties, "size", "(ii)", &stream.area.width, &stream.area.height);
      streams_.push_back(stream);
    }
    g_variant_iter_free(streams);
  }
  if (streams_.empty()) throw PortalError(kFailed);
}

int PortalScreenCast::takePipeWireRemote() {
  if (remote_ >= 0) return std::exchange(remote_, -1);
  GUnixFDList* fds = nullptr;
  GVariant* reply = g_dbus_connection_call_with_unix_fd_list_sync(
      bus_->connection, kPortal, kPortalPath, kScreenCast, "OpenPipeWireRemote",
      g_variant_new("(oa{sv})", bus_->session.c_str(), nullptr), G_VARIANT_TYPE("(h)"),
      G_DBUS_CALL_FLAGS_NONE, 25000, nullptr, &fds, nullptr, nullptr);
  if (!reply) throw PortalError(kFailed);
  int32_t index = -1;
  g_variant_get(reply, "(h)", &index);
  g_variant_unref(reply);
  const int fd = fds ? g_unix_fd_list_get(fds, index, nullptr) : -1;
  if (fds) g_object_unref(fds);
  if (fd < 0) throw PortalError(kFailed);
  return fd;
}

}  // namespace lupe::wayland
