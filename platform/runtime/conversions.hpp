#pragma once

#include <cstdint>
#include <string>

// The runtime's number rules. Every narrowing rounds halves to the even
// neighbour and raises Overflow (6) when the result does not fit; divisions
// are made in double precision and raise Division by zero (11) or Overflow.
namespace lupe {

// Rounds to a signed 16-bit integer, halves to even; Overflow if it does not fit.
int16_t toInt16(double value);
// Rounds to a signed 32-bit integer, halves to even; Overflow if it does not fit.
int32_t toInt32(double value);
// Narrows a 32-bit integer to 16 bits; Overflow if it does not fit.
int16_t toInt16(int32_t value);
// Rounds to single precision; Overflow when a finite value exceeds its range.
float toSingle(double value);

// a / b in double precision. x / 0 raises Division by zero; 0 / 0, and a
// quotient too large for a double, raise Overflow.
double divide(double a, double b);
// a * b in double precision; Overflow when the product is not finite.
double multiply(double a, double b);
// a - b in signed 32 bits; Overflow when it does not fit.
int32_t subtract(int32_t a, int32_t b);

// Rounds toward minus infinity, keeping the value a double.
double floorOf(double value);

// Decimal text of an integer as captions show it: no blank, no leading zero,
// a minus sign only for a negative number.
std::string decimalText(int64_t value);
// Decimal text of a whole-numbered double, without point or exponent;
// Overflow when it is not a whole number within 64 bits.
std::string decimalText(double wholeNumber);

}  // namespace lupe
