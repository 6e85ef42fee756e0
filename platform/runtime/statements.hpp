#pragma once

#include "platform/runtime/runtime_error.hpp"

namespace lupe {

// One statement of a handler in resume-next mode: a run-time error skips the
// rest of the statement, silently, and the handler goes on with the next one.
// Only run-time errors are caught; anything else is a fault of the program.
template <class Statement>
void step(Statement&& statement) noexcept(false) {
  try {
    statement();
  } catch (const RuntimeError&) {
  }
}

}  // namespace lupe
