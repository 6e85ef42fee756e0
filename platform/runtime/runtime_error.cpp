#include "platform/runtime/runtime_error.hpp"

#include <utility>

namespace lupe {

RuntimeError::RuntimeError(int number, std::string text)
    : std::runtime_error(text), number_(number), text_(std::move(text)) {}

RuntimeError RuntimeError::overflow() { return {6, "Überlauf"}; }
RuntimeError RuntimeError::divisionByZero() { return {11, "Division durch Null"}; }
RuntimeError RuntimeError::invalidPropertyValue() { return {380, "Unzulässiger Eigenschaftswert"}; }

std::string reportLine(const RuntimeError& error) {
  return "Laufzeitfehler " + std::to_string(error.number()) + ": " + error.text();
}

}  // namespace lupe
