#pragma once

#include <functional>
#include <string>

namespace lupe {

// Why a session cannot go on: the German line for the user, and the cause
// as the library, the server or the desktop gave it, for a report that can
// be acted on (a D-Bus error, PipeWire's error text, an X error).
struct Ending {
  std::string line;
  std::string cause;  // empty when there is nothing beyond the line
  int status = 1;

  // What the user is told: the line, and the cause on a line of its own.
  std::string told() const {
    if (line.empty()) return {};
    return cause.empty() ? line + "\n" : line + "\nUrsache: " + cause + "\n";
  }
};

// Where a screen source or a backend reports that the session cannot go
// on. It may be called from deep inside a dispatch: the receiver ends the
// program from its event loop.
using EndingSink = std::function<void(Ending)>;

}  // namespace lupe
