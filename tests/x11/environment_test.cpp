#include "platform/x11/x11_environment.hpp"

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "platform/x11/x11_screen_source.hpp"
#include "support/xvfb_server.hpp"

namespace lupe::x11 {
namespace {

// Sets or clears an environment variable for one scope.
class EnvironmentVariable {
 public:
  EnvironmentVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~EnvironmentVariable() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string unservedDisplay() {
  for (int n = 420; n < 500; ++n) {
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
    if (std::system(("test -e " + socket).c_str()) != 0) return ":" + std::to_string(n);
  }
  return ":499";
}

TEST(DisplayProblem, NamesWhatIsMissing) {
  {
    EnvironmentVariable display("DISPLAY", nullptr), wayland("WAYLAND_DISPLAY", nullptr);
    EXPECT_EQ(displayProblem(),
              "Tevka - Lupe braucht eine X11-Sitzung: DISPLAY ist nicht gesetzt.");
  }
  {
    EnvironmentVariable display("DISPLAY", ""), wayland("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_EQ(displayProblem(),
              "Tevka - Lupe braucht eine X11-Sitzung: DISPLAY ist nicht gesetzt (Wayland ohne "
              "XWayland wird nicht unterstützt).");
  }
  const std::string nobody = unservedDisplay();
  {
    EnvironmentVariable display("DISPLAY", nobody.c_str());
    EXPECT_EQ(displayProblem(), "Keine Verbindung zum X-Server „" + nobody + "“ möglich.");
    try {
      X11ScreenSource::open();
      ADD_FAILURE() << "open() on " << nobody << " did not throw";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()), displayProblem());
    }
  }
  support::XvfbServer server(support::kX11TestDisplays, "64x48x24");
  {
    // Wayland with XWayland: DISPLAY leads to a working server.
    EnvironmentVariable display("DISPLAY", server.display().c_str()),
        wayland("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_EQ(displayProblem(), "");
  }
}

}  // namespace
}  // namespace lupe::x11
