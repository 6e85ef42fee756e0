#include "platform/runtime/conversions.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/runtime/runtime_error.hpp"

namespace lupe {
namespace {

// nearbyint rounds in the default mode, to nearest with ties to even, and
// keeps NaN as NaN, which then fails every range test below.
template <class Int>
Int roundTo(double value) {
  const double rounded = std::nearbyint(value);
  constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max());
  if (!(rounded >= lo && rounded <= hi)) throw RuntimeError::overflow();
  return static_cast<Int>(rounded);
}

}  // namespace

int16_t toInt16(double value) { return roundTo<int16_t>(value); }
int32_t toInt32(double value) { return roundTo<int32_t>(value); }

int16_t toInt16(int32_t value) {
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
    throw RuntimeError::overflow();
  return static_cast<int16_t>(value);
}

float toSingle(double value) {
  const float narrowed = static_cast<float>(value);
  if (std::isinf(narrowed) && !std::isinf(value)) throw RuntimeError::overflow();
  return narrowed;
}

double divide(double a, double b) {
  if (b == 0.0) {
    if (a == 0.0 || std::isnan(a)) throw RuntimeError::overflow();
    throw RuntimeError::divisionByZero();
  }
  const double quotient = a / b;
  if (!std::isfinite(quotient)) throw RuntimeError::overflow();
  return quotient;
}

double multiply(double a, double b) {
  const double product = a * b;
  if (!std::isfinite(product)) throw RuntimeError::overflow();
  return product;
}

int32_t subtract(int32_t a, int32_t b) {
  // Worked out in 64 bits, where the difference of two 32-bit values always fits.
  const int64_t difference = int64_t{a} - int64_t{b};
  if (difference < INT32_MIN || difference > INT32_MAX) throw RuntimeError::overflow();
  return static_cast<int32_t>(difference);
}

double floorOf(double value) { return std::floor(value); }

std::string decimalText(int64_t value) { return std::to_string(value); }

std::string decimalText(double wholeNumber) {
  if (!(wholeNumber >= -9.2e18 && wholeNumber <= 9.2e18) || std::floor(wholeNumber) != wholeNumber)
    throw RuntimeError::overflow();
  return std::to_string(static_cast<int64_t>(wholeNumber));
}

}  // namespace lupe
