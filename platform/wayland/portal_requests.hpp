#pragma once

#include <gio/gio.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/wayland/glib_handles.hpp"

namespace lupe::wayland {

// How the desktop's portal is asked, on the session bus: plain calls, and
// requests whose answer comes later as the Response signal of a Request
// object, after the user's dialog. Everything is answered through the
// default main context, which the toolkit's event loop runs: nothing waits.
// What is still under way when it goes is cancelled.
class PortalRequests {
 public:
  // A request is answered within this time, or counts as unanswered.
  static constexpr unsigned kAnswerSeconds = 60;

  // How a request came out.
  struct Answer {
    enum class Kind { Responded, CallFailed, Unanswered };
    Kind kind = Kind::Unanswered;
    uint32_t code = 2;            // Responded: 0 granted, 1 refused by the user, 2 other
    GVariant* results = nullptr;  // Responded: its results
    std::string error;            // CallFailed: the D-Bus error as GLib words it
  };
  // A plain call's reply, or null with the error.
  using Replied = std::function<void(GVariant* reply, const std::string& error)>;

  PortalRequests();
  ~PortalRequests();
  PortalRequests(const PortalRequests&) = delete;
  PortalRequests& operator=(const PortalRequests&) = delete;

  // Connects to the session bus; `then` gets an empty error once it is.
  void connect(std::function<void(const std::string& error)> then);
  GDBusConnection* bus() const { return bus_.get(); }

  // A token for an object the portal makes for us, and the path it gets
  // there: `kind` is "request" or "session".
  static std::string newToken();
  std::string pathOf(const char* kind, const std::string& token) const;

  void call(const char* interface, const char* name, GVariant* arguments, const char* replyType,
            Replied then);
  // The same for a reply that hands over a descriptor: `then` gets it, or
  // -1 with the error; the descriptor is then the caller's.
  void callForDescriptor(const char* interface, const char* name, GVariant* arguments,
                         std::function<void(int descriptor, const std::string& error)> then);
  // Calls `name` with `options` (given its handle token here) wrapped into
  // its arguments, and waits for its Response. One request at a time.
  void request(const char* interface, const char* name, GVariantBuilder& options,
               const std::function<GVariant*(GVariant* options)>& arguments,
               std::function<void(const Answer&)> then);
  // The waiting request's answer is no longer wanted.
  void forget();
  // The same, and the request is closed: its dialog goes away. Sent
  // without waiting; a call waited for afterwards follows it on the bus.
  void withdraw();

 private:
  void answer(const Answer& answer);

  Object<GCancellable> cancellable_{g_cancellable_new()};
  Object<GDBusConnection> bus_;
  std::string requestPath_;  // the request waiting for its Response
  std::function<void(const Answer&)> answered_;
  guint response_ = 0;
  guint timeout_ = 0;
};

}  // namespace lupe::wayland
