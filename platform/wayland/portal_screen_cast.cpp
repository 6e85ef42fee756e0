#include "platform/wayland/portal_screen_cast.hpp"

#include <gio/gio.h>
#include <gio/gunixfdlist.h>
#include <unistd.h>

#include <utility>

#include "platform/wayland/glib_handles.hpp"
#include "platform/wayland/restore_token.hpp"

namespace lupe::wayland {
namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kScreenCast = "org.freedesktop.portal.ScreenCast";
constexpr uint32_t kMonitors = 1;
constexpr uint32_t kCursorAsMetadata = 4;
constexpr uint32_t kPersistUntilRevoked = 2;
// Portals keep permissions (persist_mode, restore tokens) from this version on.
constexpr uint32_t kFirstVersionThatPersists = 4;
// A Request's response codes.
constexpr uint32_t kGranted = 0;
constexpr uint32_t kUserCancelled = 1;
// A call that is no request answers at once; a request waits for the user.
constexpr int kCallMilliseconds = 25000;
constexpr unsigned kRequestSeconds = 60;

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
const char* const kNoAnswer =
    "Tevka - Lupe: Der Desktop hat nicht binnen einer Minute auf die Bitte um "
    "Bildschirmfreigabe geantwortet; die Lupe wird beendet.";
const char* const kSessionClosed =
    "Tevka - Lupe: Der Desktop hat die Bildschirmfreigabe beendet; die Lupe wird beendet.";

std::string handleToken() {
  static unsigned next = 0;  // one thread: the event loop's
  return "lupe" + std::to_string(::getpid()) + "_" + std::to_string(next++);
}

std::string method(const char* name) { return std::string(kScreenCast) + "." + name; }

}  // namespace

// The asking, step by step, each step a call whose answer comes through the
// event loop: the bus, the portal's properties, CreateSession,
// SelectSources, Start, OpenPipeWireRemote. Calls still under way when it
// goes are cancelled, and their answers then touch nothing of it.
struct PortalScreenCast::Asking {
  Asking(std::string tokenPath, std::function<void()> granted, EndingSink ended)
      : kept(std::move(tokenPath)), granted(std::move(granted)), ended(std::move(ended)) {}
  ~Asking();

  void end(const char* line, std::string cause) {
    stopWaiting();
    if (auto sink = std::exchange(ended, nullptr)) sink({line, std::move(cause), 1});
  }

  // The steps.
  void begin();
  void askProperties();
  void propertiesGiven(GVariant* reply);
  void createSession();
  void selectSources();
  void start();
  void openPipeWireRemote();
  void watchSession();

  // A plain call on the portal: `then` gets the reply, or null and the error.
  using Replied = void (*)(Asking& self, GVariant* reply, const ErrorSlot& error);
  void call(const char* interface, const char* name, GVariant* arguments, const char* replyType,
            Replied then);
  // A request: its Response comes as a signal on a path of its own, which
  // is subscribed before the call so that no answer can come too early.
  using Answered = void (*)(Asking& self, uint32_t code, GVariant* results);
  void request(const char* name, GVariant* arguments, const std::string& handle, Answered then);
  void responded(uint32_t code, GVariant* results);
  void stopWaiting();
  // A request that was not granted: the user's refusal ends (code 1);
  // anything else is asked once more without the kept token, which the
  // portal may no longer honour, and ends when no token was offered.
  bool refusedOrFailed(const char* name, uint32_t code);
  void failed(std::string cause);
  void closeSession();

  std::string sender() const;

  RestoreToken kept;
  std::function<void()> granted;
  EndingSink ended;
  Object<GCancellable> cancellable{g_cancellable_new()};
  Object<GDBusConnection> bus;
  uint32_t version = 0;
  std::string token;    // the kept token offered with this session
  std::string session;  // the session's object path, once asked for
  std::vector<MonitorStream> streams;
  int remote = -1;
  guint closedSignal = 0;
  // The request waiting for its Response.
  std::string waitingFor;
  std::string requestPath;
  Answered answered = nullptr;
  guint responseSignal = 0;
  guint timeout = 0;
};

PortalScreenCast::PortalScreenCast(std::string tokenPath, std::function<void()> granted,
                                   EndingSink ended)
    : asking_(std::make_unique<Asking>(std::move(tokenPath), std::move(granted), std::move(ended))) {
  asking_->begin();
}

PortalScreenCast::~PortalScreenCast() = default;

const std::vector<MonitorStream>& PortalScreenCast::streams() const { return asking_->streams; }

int PortalScreenCast::takePipeWireRemote() { return std::exchange(asking_->remote, -1); }

PortalScreenCast::Asking::~Asking() {
  g_cancellable_cancel(cancellable.get());
  if (bus && !requestPath.empty())
    g_dbus_connection_call(bus.get(), kPortal, requestPath.c_str(), "org.freedesktop.portal.Request",
                           "Close", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr,
                           nullptr);
  stopWaiting();
  closeSession();
  if (remote >= 0) ::close(remote);
}

std::string PortalScreenCast::Asking::sender() const {
  std::string name = g_dbus_connection_get_unique_name(bus.get()) + 1;
  for (char& c : name)
    if (c == '.') c = '_';
  return name;
}

void PortalScreenCast::Asking::begin() {
  g_bus_get(
      G_BUS_TYPE_SESSION, cancellable.get(),
      [](GObject*, GAsyncResult* result, gpointer data) {
        ErrorSlot error;
        GDBusConnection* connection = g_bus_get_finish(result, error.out());
        if (error.is(G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
        auto* asking = static_cast<Asking*>(data);
        if (!connection) return asking->end(kNoPortal, error.message());
        asking->bus.reset(connection);
        asking->askProperties();
      },
      this);
}

void PortalScreenCast::Asking::call(const char* interface, const char* name, GVariant* arguments,
                                    const char* replyType, Replied then) {
  struct Pending {
    Asking* asking;
    Replied then;
  };
  g_dbus_connection_call(
      bus.get(), kPortal, kPortalPath, interface, name, arguments, G_VARIANT_TYPE(replyType),
      G_DBUS_CALL_FLAGS_NONE, kCallMilliseconds, cancellable.get(),
      [](GObject* source, GAsyncResult* result, gpointer data) {
        const std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
        ErrorSlot error;
        const Variant reply(
            g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, error.out()));
        if (error.is(G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;  // the asking is gone
        pending->then(*pending->asking, reply.get(), error);
      },
      new Pending{this, then});
}

void PortalScreenCast::Asking::askProperties() {
  call("org.freedesktop.DBus.Properties", "GetAll", g_variant_new("(s)", kScreenCast), "(a{sv})",
       [](Asking& self, GVariant* reply, const ErrorSlot& error) {
         if (!reply) return self.end(kNoPortal, error.message());
         self.propertiesGiven(reply);
       });
}

void PortalScreenCast::Asking::propertiesGiven(GVariant* reply) {
  const Variant properties(g_variant_get_child_value(reply, 0));
  uint32_t modes = 0;
  g_variant_lookup(properties.get(), "AvailableCursorModes", "u", &modes);
  g_variant_lookup(properties.get(), "version", "u", &version);
  if (!(modes & kCursorAsMetadata))
    return end(kNoPointer, method("AvailableCursorModes") + " = " + std::to_string(modes));
  // Only a portal that keeps permissions is offered the kept one.
  if (version >= kFirstVersionThatPersists) token = kept.load();
  createSession();
}

void PortalScreenCast::Asking::request(const char* name, GVariant* arguments,
                                       const std::string& handle, Answered then) {
  waitingFor = name;
  answered = then;
  requestPath = std::string(kPortalPath) + "/request/" + sender() + "/" + handle;
  responseSignal = g_dbus_connection_signal_subscribe(
      bus.get(), kPortal, "org.freedesktop.portal.Request", "Response", requestPath.c_str(), nullptr,
      G_DBUS_SIGNAL_FLAGS_NONE,
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
         GVariant* parameters, gpointer data) {
        uint32_t code = 2;
        GVariant* given = nullptr;
        g_variant_get(parameters, "(u@a{sv})", &code, &given);
        const Variant results(given);
        static_cast<Asking*>(data)->responded(code, results.get());
      },
      this, nullptr);
  // The user may take their time over a dialog, but not for ever.
  timeout = g_timeout_add_seconds(
      kRequestSeconds,
      [](gpointer data) {
        auto* asking = static_cast<Asking*>(data);
        asking->timeout = 0;
        asking->end(kNoAnswer, method(asking->waitingFor.c_str()) + ": keine Antwort nach " +
                                   std::to_string(kRequestSeconds) + " s");
        return G_SOURCE_REMOVE;
      },
      this);
  call(kScreenCast, name, arguments, "(o)",
       [](Asking& self, GVariant* reply, const ErrorSlot& error) {
         if (!reply) self.failed(method(self.waitingFor.c_str()) + ": " + error.message());
       });
}

void PortalScreenCast::Asking::stopWaiting() {
  if (responseSignal) g_dbus_connection_signal_unsubscribe(bus.get(), responseSignal);
  responseSignal = 0;
  if (timeout) g_source_remove(timeout);
  timeout = 0;
}

void PortalScreenCast::Asking::responded(uint32_t code, GVariant* results) {
  stopWaiting();
  requestPath.clear();
  answered(*this, code, results);
}

bool PortalScreenCast::Asking::refusedOrFailed(const char* name, uint32_t code) {
  if (code == kGranted) return false;
  const std::string cause = method(name) + ": Antwort " + std::to_string(code);
  if (code == kUserCancelled)
    end(kDeclined, cause + " (abgelehnt)");
  else
    failed(cause);
  return true;
}

void PortalScreenCast::Asking::failed(std::string cause) {
  if (token.empty()) return end(kFailed, std::move(cause));
  stopWaiting();
  requestPath.clear();
  kept.forget();
  token.clear();
  closeSession();
  streams.clear();
  createSession();
}

void PortalScreenCast::Asking::createSession() {
  const std::string handle = handleToken(), sessionToken = handleToken();
  session = std::string(kPortalPath) + "/session/" + sender() + "/" + sessionToken;
  GVariantBuilder options;
  g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
  g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(handle.c_str()));
  g_variant_builder_add(&options, "{sv}", "session_handle_token",
                        g_variant_new_string(sessionToken.c_str()));
  request("CreateSession", g_variant_new("(a{sv})", &options), handle,
          [](Asking& self, uint32_t code, GVariant* results) {
            if (self.refusedOrFailed("CreateSession", code)) return;
            const char* path = nullptr;
            if (g_variant_lookup(results, "session_handle", "&s", &path)) self.session = path;
            self.watchSession();
            self.selectSources();
          });
}

void PortalScreenCast::Asking::watchSession() {
  closedSignal = g_dbus_connection_signal_subscribe(
      bus.get(), kPortal, "org.freedesktop.portal.Session", "Closed", session.c_str(), nullptr,
      G_DBUS_SIGNAL_FLAGS_NONE,
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
         gpointer data) {
        auto* asking = static_cast<Asking*>(data);
        asking->session.clear();  // closed by the desktop: nothing left to close
        asking->end(kSessionClosed, "org.freedesktop.portal.Session.Closed");
      },
      this, nullptr);
}

void PortalScreenCast::Asking::closeSession() {
  if (bus && closedSignal) g_dbus_connection_signal_unsubscribe(bus.get(), closedSignal);
  closedSignal = 0;
  if (!bus || session.empty()) return;
  // Waited for, briefly: the program may end right after.
  ErrorSlot ignored;
  const Variant reply(g_dbus_connection_call_sync(
      bus.get(), kPortal, session.c_str(), "org.freedesktop.portal.Session", "Close", nullptr,
      nullptr, G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, ignored.out()));
  session.clear();
}

void PortalScreenCast::Asking::selectSources() {
  const std::string handle = handleToken();
  GVariantBuilder options;
  g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
  g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(handle.c_str()));
  g_variant_builder_add(&options, "{sv}", "types", g_variant_new_uint32(kMonitors));
  g_variant_builder_add(&options, "{sv}", "multiple", g_variant_new_boolean(TRUE));
  g_variant_builder_add(&options, "{sv}", "cursor_mode", g_variant_new_uint32(kCursorAsMetadata));
  // An older portal knows no kept permission: it asks at every start.
  if (version >= kFirstVersionThatPersists) {
    g_variant_builder_add(&options, "{sv}", "persist_mode",
                          g_variant_new_uint32(kPersistUntilRevoked));
    if (!token.empty())
      g_variant_builder_add(&options, "{sv}", "restore_token",
                            g_variant_new_string(token.c_str()));
  }
  request("SelectSources", g_variant_new("(oa{sv})", session.c_str(), &options), handle,
          [](Asking& self, uint32_t code, GVariant*) {
            if (!self.refusedOrFailed("SelectSources", code)) self.start();
          });
}

void PortalScreenCast::Asking::start() {
  const std::string handle = handleToken();
  GVariantBuilder options;
  g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
  g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(handle.c_str()));
  request("Start", g_variant_new("(osa{sv})", session.c_str(), "", &options), handle,
          [](Asking& self, uint32_t code, GVariant* results) {
            if (self.refusedOrFailed("Start", code)) return;
            const char* given = nullptr;
            if (self.version >= kFirstVersionThatPersists &&
                g_variant_lookup(results, "restore_token", "&s", &given))
              self.kept.save(given);
            GVariantIter* raw = nullptr;
            if (g_variant_lookup(results, "streams", "a(ua{sv})", &raw)) {
              const VariantIter each(raw);
              uint32_t node = 0;
              GVariant* properties = nullptr;
              while (g_variant_iter_loop(each.get(), "(u@a{sv})", &node, &properties)) {
                MonitorStream stream{node, {}};
                g_variant_lookup(properties, "position", "(ii)", &stream.area.x, &stream.area.y);
                g_variant_lookup(properties, "size", "(ii)", &stream.area.width,
                                 &stream.area.height);
                self.streams.push_back(stream);
              }
            }
            if (self.streams.empty())
              return self.end(kFailed, method("Start") + ": keine Ströme");
            self.openPipeWireRemote();
          });
}

void PortalScreenCast::Asking::openPipeWireRemote() {
  g_dbus_connection_call_with_unix_fd_list(
      bus.get(), kPortal, kPortalPath, kScreenCast, "OpenPipeWireRemote",
      g_variant_new("(oa{sv})", session.c_str(), nullptr), G_VARIANT_TYPE("(h)"),
      G_DBUS_CALL_FLAGS_NONE, kCallMilliseconds, nullptr, cancellable.get(),
      [](GObject* source, GAsyncResult* result, gpointer data) {
        ErrorSlot error;
        GUnixFDList* raw = nullptr;
        const Variant reply(g_dbus_connection_call_with_unix_fd_list_finish(
            G_DBUS_CONNECTION(source), &raw, result, error.out()));
        const Object<GUnixFDList> fds(raw);
        if (error.is(G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
        auto* asking = static_cast<Asking*>(data);
        if (!reply) return asking->end(kFailed, method("OpenPipeWireRemote") + ": " + error.message());
        int32_t index = -1;
        g_variant_get(reply.get(), "(h)", &index);
        ErrorSlot noDescriptor;
        asking->remote = fds ? g_unix_fd_list_get(fds.get(), index, noDescriptor.out()) : -1;
        if (asking->remote < 0)
          return asking->end(kFailed, method("OpenPipeWireRemote") + ": " +
                                          (noDescriptor ? noDescriptor.message() : "kein Deskriptor"));
        if (auto granted = std::exchange(asking->granted, nullptr)) granted();
      },
      this);
}

}  // namespace lupe::wayland
