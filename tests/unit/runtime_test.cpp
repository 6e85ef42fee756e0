#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>
#include <utility>

#include <gtest/gtest.h>

#include "platform/runtime/conversions.hpp"
#include "platform/runtime/runtime_error.hpp"
#include "platform/runtime/statements.hpp"

namespace lupe {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();

// The number of the run-time error the statement raises, 0 if none.
int errorOf(const std::function<void()>& statement) {
  try {
    statement();
  } catch (const RuntimeError& error) {
    return error.number();
  }
  return 0;
}

TEST(NumberRules, RoundingGoesHalfToEvenIn16And32Bits) {
  // clang-format off
  const std::pair<double, int> cases[] = {
      {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {12.5, 12}, {20.83, 21}, {66.67, 67},
      {150.5, 150}, {151.5, 152}, {75.5, 76}, {76.5, 76}, {-32768.5, -32768},
      {0.49999999999999994, 0}};
  // clang-format on
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(toInt16(value), expected) << value;
    EXPECT_EQ(toInt32(value), expected) << value;
  }
  EXPECT_EQ(toInt32(-2147483648.5), kMin32);
}

TEST(NumberRules, WhatDoesNotFitOverflowsAndOnlyANonZeroOverZeroIsError11) {
  const std::pair<std::function<void()>, int> cases[] = {
      {[] { toInt16(32767.5); }, 6},       {[] { toInt16(int32_t{32768}); }, 6},
      {[] { toInt32(2147483647.5); }, 6},  {[] { toInt16(kNaN); }, 6},
      {[] { toInt32(kNaN); }, 6},          {[] { toSingle(1e39); }, 6},
      {[] { divide(1000.0, 0); }, 11},     {[] { divide(-1.0, 0); }, 11},
      {[] { divide(0.0, 0); }, 6},         {[] { divide(1e308, 1e-308); }, 6},
      {[] { multiply(1e200, 1e200); }, 6}, {[] { subtract(kMin32, 1); }, 6},
      {[] { subtract(0, kMin32); }, 6},    {[] { decimalText(2.5); }, 6},
      {[] { toInt16(32767.4); }, 0},       {[] { toInt16(int32_t{-32768}); }, 0}};
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(errorOf(cases[i].first), cases[i].second) << "case " << i;
}

TEST(NumberRules, ResultsOfTheOperationsThatSucceed) {
  EXPECT_EQ(toSingle(divide(8790.0f, 12.1)), 726.4462890625f);
  EXPECT_EQ(toSingle(divide(4380.0f, 12.8)), 342.1875f);
  EXPECT_EQ(subtract(0, -50), 50);
  EXPECT_EQ(decimalText(int64_t{-7}), "-7");
  EXPECT_EQ(decimalText(floorOf(166.67)), "166");
  EXPECT_EQ(decimalText(floorOf(-0.5)), "-1");
  EXPECT_EQ(decimalText(-0.0), "0");
  EXPECT_EQ(reportLine(RuntimeError::overflow()), "Laufzeitfehler 6: Überlauf");
  EXPECT_EQ(reportLine(RuntimeError::divisionByZero()), "Laufzeitfehler 11: Division durch Null");
}

TEST(ResumeNext, AFailingStatementStopsWhereItFailsAndOnlyRunTimeErrorsAreCaught) {
  int before = 0, after = 0, next = 0;
  step([&] {
    before = 1;
    after = toInt16(40000.0);
  });
  step([&] { next = 1; });
  EXPECT_EQ(before + after + next, 2);
  EXPECT_EQ(after, 0);
  EXPECT_THROW(step([] { throw std::logic_error("a fault of the program"); }), std::logic_error);
}

}  // namespace
}  // namespace lupe
