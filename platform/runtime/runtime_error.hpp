#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace lupe {

// A run-time error of the control runtime: the classic error number and its
// German text. Handlers in resume-next mode skip the statement that raised it;
// elsewhere it ends the handler and is reported.
class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int number, std::string text);

  int number() const { return number_; }
  const std::string& text() const { return text_; }

  static RuntimeError overflow();              // 6
  static RuntimeError divisionByZero();        // 11
  static RuntimeError invalidPropertyValue();  // 380

 private:
  int number_;
  std::string text_;
};

// The line written to standard error for an error no handler skipped:
// "Laufzeitfehler <number>: <text>".
std::string reportLine(const RuntimeError& error);

}  // namespace lupe
