#pragma once

#include <gio/gio.h>

#include <memory>
#include <string>

namespace lupe::wayland {

// GLib's values are held from the moment they are handed over, each given
// back by its own unref when its holder goes.
struct GLibRelease {
  void operator()(GVariant* value) const { g_variant_unref(value); }
  void operator()(GVariantIter* iterator) const { g_variant_iter_free(iterator); }
  void operator()(gpointer object) const { g_object_unref(object); }
};
using Variant = std::unique_ptr<GVariant, GLibRelease>;
using VariantIter = std::unique_ptr<GVariantIter, GLibRelease>;
template <class T>
using Object = std::unique_ptr<T, GLibRelease>;

// A GError, for a call that may fail: `call(..., error.out())`; freed
// with its holder.
class ErrorSlot {
 public:
  GError** out() { return &raw_; }
  explicit operator bool() const { return raw_ != nullptr; }
  // The error's message as GLib words it (for a D-Bus error with its name).
  std::string message() const { return raw_ ? raw_->message : ""; }
  bool is(GQuark domain, int code) const { return raw_ && g_error_matches(raw_, domain, code); }
  ErrorSlot() = default;
  ErrorSlot(const ErrorSlot&) = delete;
  ErrorSlot& operator=(const ErrorSlot&) = delete;
  ~ErrorSlot() {
    if (raw_) g_error_free(raw_);
  }

 private:
  GError* raw_ = nullptr;
};

}  // namespace lupe::wayland
