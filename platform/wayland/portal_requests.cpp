#include "platform/wayland/portal_requests.hpp"

#include <gio/gunixfdlist.h>
#include <unistd.h>

#include <memory>
#include <utility>

namespace lupe::wayland {
namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
// A plain call is answered at once; only a request waits for the user.
constexpr int kCallMilliseconds = 25000;

bool cancelled(const ErrorSlot& error) { return error.is(G_IO_ERROR, G_IO_ERROR_CANCELLED); }

}  // namespace

PortalRequests::PortalRequests() = default;

PortalRequests::~PortalRequests() {
  g_cancellable_cancel(cancellable_.get());
  forget();
}

void PortalRequests::withdraw() {
  if (bus_ && !requestPath_.empty())
    g_dbus_connection_call(bus_.get(), kPortal, requestPath_.c_str(),
                           "org.freedesktop.portal.Request", "Close", nullptr, nullptr,
                           G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr, nullptr);
  forget();
}

void PortalRequests::connect(std::function<void(const std::string& error)> then) {
  using Then = std::function<void(const std::string&)>;
  struct Pending {
    PortalRequests* requests;
    Then then;
  };
  g_bus_get(
      G_BUS_TYPE_SESSION, cancellable_.get(),
      [](GObject*, GAsyncResult* result, gpointer data) {
        const std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
        ErrorSlot error;
        GDBusConnection* connection = g_bus_get_finish(result, error.out());
        if (cancelled(error)) return;  // the requests are gone
        pending->requests->bus_.reset(connection);
        pending->then(connection ? "" : error.message());
      },
      new Pending{this, std::move(then)});
}

std::string PortalRequests::newToken() {
  static unsigned next = 0;  // one thread: the event loop's
  return "lupe" + std::to_string(::getpid()) + "_" + std::to_string(next++);
}

std::string PortalRequests::pathOf(const char* kind, const std::string& token) const {
  std::string sender = g_dbus_connection_get_unique_name(bus_.get()) + 1;
  for (char& c : sender)
    if (c == '.') c = '_';
  return std::string(kPortalPath) + "/" + kind + "/" + sender + "/" + token;
}

void PortalRequests::call(const char* interface, const char* name, GVariant* arguments,
                          const char* replyType, Replied then) {
  g_dbus_connection_call(
      bus_.get(), kPortal, kPortalPath, interface, name, arguments, G_VARIANT_TYPE(replyType),
      G_DBUS_CALL_FLAGS_NONE, kCallMilliseconds, cancellable_.get(),
      [](GObject* source, GAsyncResult* result, gpointer data) {
        const std::unique_ptr<Replied> then(static_cast<Replied*>(data));
        ErrorSlot error;
        const Variant reply(
            g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, error.out()));
        if (!cancelled(error)) (*then)(reply.get(), error.message());
      },
      new Replied(std::move(then)));
}

void PortalRequests::callForDescriptor(
    const char* interface, const char* name, GVariant* arguments,
    std::function<void(int descriptor, const std::string& error)> then) {
  using Then = std::function<void(int, const std::string&)>;
  g_dbus_connection_call_with_unix_fd_list(
      bus_.get(), kPortal, kPortalPath, interface, name, arguments, G_VARIANT_TYPE("(h)"),
      G_DBUS_CALL_FLAGS_NONE, kCallMilliseconds, nullptr, cancellable_.get(),
      [](GObject* source, GAsyncResult* result, gpointer data) {
        const std::unique_ptr<Then> then(static_cast<Then*>(data));
        ErrorSlot error;
        GUnixFDList* raw = nullptr;
        const Variant reply(g_dbus_connection_call_with_unix_fd_list_finish(
            G_DBUS_CONNECTION(source), &raw, result, error.out()));
        const Object<GUnixFDList> descriptors(raw);
        if (cancelled(error)) return;
        if (!reply) return (*then)(-1, error.message());
        int32_t index = -1;
        g_variant_get(reply.get(), "(h)", &index);
        ErrorSlot missing;
        const int descriptor =
            descriptors ? g_unix_fd_list_get(descriptors.get(), index, missing.out()) : -1;
        (*then)(descriptor, descriptor >= 0 ? "" : missing ? missing.message() : "kein Deskriptor");
      },
      new Then(std::move(then)));
}

void PortalRequests::request(const char* interface, const char* name, GVariantBuilder& options,
                             const std::function<GVariant*(GVariant* options)>& arguments,
                             std::function<void(const Answer&)> then) {
  forget();
  const std::string handle = newToken();
  g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(handle.c_str()));
  answered_ = std::move(then);
  requestPath_ = pathOf("request", handle);
  // Subscribed before the call, so that no answer can come too early.
  response_ = g_dbus_connection_signal_subscribe(
      bus_.get(), kPortal, "org.freedesktop.portal.Request", "Response", requestPath_.c_str(),
      nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
         GVariant* parameters, gpointer data) {
        Answer response{Answer::Kind::Responded, 2, nullptr, {}};
        g_variant_get(parameters, "(u@a{sv})", &response.code, &response.results);
        const Variant results(response.results);
        static_cast<PortalRequests*>(data)->answer(response);
      },
      this, nullptr);
  // The user may take their time over a dialog, but not for ever.
  timeout_ = g_timeout_add_seconds(
      kAnswerSeconds,
      [](gpointer data) {
        auto* requests = static_cast<PortalRequests*>(data);
        requests->timeout_ = 0;
        requests->answer({Answer::Kind::Unanswered, 2, nullptr, {}});
        return G_SOURCE_REMOVE;
      },
      this);
  call(interface, name, arguments(g_variant_builder_end(&options)), "(o)",
       [this](GVariant* reply, const std::string& error) {
         if (!reply) answer({Answer::Kind::CallFailed, 2, nullptr, error});
       });
}

void PortalRequests::answer(const Answer& answer) {
  auto then = std::move(answered_);
  forget();
  if (then) then(answer);
}

void PortalRequests::forget() {
  if (response_) g_dbus_connection_signal_unsubscribe(bus_.get(), response_);
  response_ = 0;
  if (timeout_) g_source_remove(timeout_);
  timeout_ = 0;
  answered_ = nullptr;
  requestPath_.clear();
}

}  // namespace lupe::wayland
