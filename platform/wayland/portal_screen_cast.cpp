#include "platform/wayland/portal_screen_cast.hpp"

#include <gio/gio.h>
#include <unistd.h>

#include <utility>

#include "platform/wayland/glib_handles.hpp"
#include "platform/wayland/portal_requests.hpp"
#include "platform/wayland/restore_token.hpp"

namespace lupe::wayland {
namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kScreenCast = "org.freedesktop.portal.ScreenCast";
constexpr uint32_t kMonitors = 1;
constexpr uint32_t kCursorAsMetadata = 4;
constexpr uint32_t kPersistUntilRevoked = 2;
// Portals keep permissions (persist_mode, restore tokens) from this version on.
constexpr uint32_t kFirstVersionThatPersists = 4;
constexpr uint32_t kGranted = 0;
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
const char* const kNoAnswer =
    "Tevka - Lupe: Der Desktop hat nicht binnen einer Minute auf die Bitte um "
    "Bildschirmfreigabe geantwortet; die Lupe wird beendet.";
const char* const kSessionClosed =
    "Tevka - Lupe: Der Desktop hat die Bildschirmfreigabe beendet; die Lupe wird beendet.";

std::string method(const char* name) { return std::string(kScreenCast) + "." + name; }

GVariantBuilder vardict() {
  GVariantBuilder options;
  g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
  return options;
}

}  // namespace

// The asking, step by step, each step a call whose answer comes through the
// event loop: the bus, the portal's properties, CreateSession,
// SelectSources, Start, OpenPipeWireRemote.
struct PortalScreenCast::Asking {
  Asking(std::string tokenPath, std::function<void()> granted, EndingSink ended)
      : kept(std::move(tokenPath)), granted(std::move(granted)), ended(std::move(ended)) {}
  ~Asking() {
    requests.withdraw();
    closeSession();
    if (remote >= 0) ::close(remote);
  }

  void end(const char* line, std::string cause) {
    requests.forget();
    if (auto sink = std::exchange(ended, nullptr)) sink({line, std::move(cause), 1});
  }

  // The steps.
  void begin();
  void propertiesGiven(GVariant* reply);
  void createSession();
  void selectSources();
  void start();
  void takeStreams(GVariant* results);
  void openPipeWireRemote();

  // Whether the request `name` was granted by its `answer`. Otherwise
  // the user's refusal ends, no answer ends, and anything else is asked once
  // more without the kept token, which the portal may no longer honour, and
  // ends when no token was offered.
  bool grants(const char* name, const PortalRequests::Answer& answer);
  void failed(std::string cause);
  void watchSession();
  void closeSession();

  RestoreToken kept;
  std::function<void()> granted;
  EndingSink ended;
  PortalRequests requests;
  uint32_t version = 0;
  std::string token;    // the kept token offered with this session
  std::string session;  // the session's object path, once asked for
  std::vector<PortalStream> streams;
  int remote = -1;
  guint closedSignal = 0;
};

PortalScreenCast::PortalScreenCast(std::string tokenPath, std::function<void()> granted,
                                   EndingSink ended)
    : asking_(std::make_unique<Asking>(std::move(tokenPath), std::move(granted), std::move(ended))) {
  asking_->begin();
}

PortalScreenCast::~PortalScreenCast() = default;

const std::vector<PortalStream>& PortalScreenCast::streams() const { return asking_->streams; }

int PortalScreenCast::takePipeWireRemote() { return std::exchange(asking_->remote, -1); }

void PortalScreenCast::Asking::begin() {
  requests.connect([this](const std::string& error) {
    if (!error.empty()) return end(kNoPortal, error);
    requests.call("org.freedesktop.DBus.Properties", "GetAll", g_variant_new("(s)", kScreenCast),
                  "(a{sv})", [this](GVariant* reply, const std::string& error) {
                    if (!reply) return end(kNoPortal, error);
                    propertiesGiven(reply);
                  });
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

bool PortalScreenCast::Asking::grants(const char* name, const PortalRequests::Answer& answer) {
  using Kind = PortalRequests::Answer::Kind;
  if (answer.kind == Kind::Responded && answer.code == kGranted) return true;
  if (answer.kind == Kind::Unanswered)
    end(kNoAnswer, method(name) + ": keine Antwort nach " +
                       std::to_string(PortalRequests::kAnswerSeconds) + " s");
  else if (answer.kind == Kind::CallFailed)
    failed(method(name) + ": " + answer.error);
  else if (answer.code == kUserCancelled)
    end(kDeclined, method(name) + ": Antwort 1 (abgelehnt)");
  else
    failed(method(name) + ": Antwort " + std::to_string(answer.code));
  return false;
}

void PortalScreenCast::Asking::failed(std::string cause) {
  if (token.empty()) return end(kFailed, std::move(cause));
  kept.forget();
  token.clear();
  closeSession();
  streams.clear();
  createSession();
}

void PortalScreenCast::Asking::createSession() {
  const std::string sessionToken = PortalRequests::newToken();
  session = requests.pathOf("session", sessionToken);
  GVariantBuilder options = vardict();
  g_variant_builder_add(&options, "{sv}", "session_handle_token",
                        g_variant_new_string(sessionToken.c_str()));
  requests.request(
      kScreenCast, "CreateSession", options,
      [](GVariant* o) { return g_variant_new("(@a{sv})", o); },
      [this](const PortalRequests::Answer& answer) {
        if (!grants("CreateSession", answer)) return;
        const char* path = nullptr;
        if (g_variant_lookup(answer.results, "session_handle", "&s", &path)) session = path;
        watchSession();
        selectSources();
      });
}

void PortalScreenCast::Asking::watchSession() {
  closedSignal = g_dbus_connection_signal_subscribe(
      requests.bus(), kPortal, "org.freedesktop.portal.Session", "Closed", session.c_str(),
      nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
         gpointer data) {
        auto* asking = static_cast<Asking*>(data);
        asking->session.clear();  // closed by the desktop: nothing left to close
        asking->end(kSessionClosed, "org.freedesktop.portal.Session.Closed");
      },
      this, nullptr);
}

void PortalScreenCast::Asking::closeSession() {
  GDBusConnection* bus = requests.bus();
  if (bus && closedSignal) g_dbus_connection_signal_unsubscribe(bus, closedSignal);
  closedSignal = 0;
  if (!bus || session.empty()) return;
  // Waited for, briefly: the program may end right after.
  ErrorSlot ignored;
  const Variant reply(g_dbus_connection_call_sync(
      bus, kPortal, session.c_str(), "org.freedesktop.portal.Session", "Close", nullptr, nullptr,
      G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, ignored.out()));
  session.clear();
}

void PortalScreenCast::Asking::selectSources() {
  GVariantBuilder options = vardict();
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
  requests.request(
      kScreenCast, "SelectSources", options,
      [this](GVariant* o) { return g_variant_new("(o@a{sv})", session.c_str(), o); },
      [this](const PortalRequests::Answer& answer) {
        if (grants("SelectSources", answer)) start();
      });
}

void PortalScreenCast::Asking::start() {
  GVariantBuilder options = vardict();
  requests.request(
      kScreenCast, "Start", options,
      [this](GVariant* o) { return g_variant_new("(os@a{sv})", session.c_str(), "", o); },
      [this](const PortalRequests::Answer& answer) {
        if (!grants("Start", answer)) return;
        takeStreams(answer.results);
        if (streams.empty()) return end(kFailed, method("Start") + ": keine Ströme");
        openPipeWireRemote();
      });
}

void PortalScreenCast::Asking::takeStreams(GVariant* results) {
  const char* given = nullptr;
  if (version >= kFirstVersionThatPersists &&
      g_variant_lookup(results, "restore_token", "&s", &given))
    kept.save(given);
  GVariantIter* raw = nullptr;
  if (!g_variant_lookup(results, "streams", "a(ua{sv})", &raw)) return;
  const VariantIter each(raw);
  uint32_t node = 0;
  GVariant* properties = nullptr;
  while (g_variant_iter_loop(each.get(), "(u@a{sv})", &node, &properties)) {
    PortalStream stream{node, std::nullopt, 0, 0};
    PointApi position;
    if (g_variant_lookup(properties, "position", "(ii)", &position.x, &position.y))
      stream.position = position;
    g_variant_lookup(properties, "size", "(ii)", &stream.width, &stream.height);
    streams.push_back(stream);
  }
}

void PortalScreenCast::Asking::openPipeWireRemote() {
  requests.callForDescriptor(
      kScreenCast, "OpenPipeWireRemote", g_variant_new("(oa{sv})", session.c_str(), nullptr),
      [this](int descriptor, const std::string& error) {
        if (descriptor < 0) return end(kFailed, method("OpenPipeWireRemote") + ": " + error);
        remote = descriptor;
        if (auto ready = std::exchange(granted, nullptr)) ready();
      });
}

}  // namespace lupe::wayland
