// The Simple Math registers: each button's and operator key's result, against the
// button's formula worked out here in double precision, the registers' own.
#include "calculators/simple_math_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace mv::calc {
namespace {

using YWrite = SimpleMathOutcome::YWrite;

constexpr double kPi = 3.1415926;  // the calculator's own pi

double X(int16_t button, double x, double y = 0) {
  const SimpleMathOutcome out = SimpleMathButton(button, x, y);
  EXPECT_FALSE(out.mathError) << "button " << button;
  EXPECT_TRUE(out.newX) << "button " << button;
  EXPECT_EQ(out.yWrite, YWrite::None) << "button " << button;
  return out.x;
}

double Y(int16_t button, double x, double y = 0) {
  const SimpleMathOutcome out = SimpleMathButton(button, x, y);
  EXPECT_FALSE(out.mathError) << "button " << button;
  EXPECT_EQ(out.yWrite, YWrite::Value) << "button " << button;
  EXPECT_FALSE(out.newX) << "X stays in view";
  return out.y;
}

bool RefusedKeepingX(int16_t button, double x, double y = 0) {
  const SimpleMathOutcome out = SimpleMathButton(button, x, y);
  EXPECT_FALSE(out.newX);
  EXPECT_EQ(out.yWrite, YWrite::None);
  return out.mathError;
}

TEST(SimpleMathButtons, ArithmeticOfTheTwoRegisters) {
  EXPECT_EQ(X(1, 1, 0), 1.0);  // the opening values
  EXPECT_EQ(X(1, 1.1, 2.2), 1.1 + 2.2);
  EXPECT_EQ(X(2, 5, 7), -2.0);
  EXPECT_EQ(X(3, 6, 7), 42.0);
  EXPECT_EQ(X(4, 100, 3), 100.0 / 3);
  EXPECT_EQ(X(5, 4), 0.25);
  EXPECT_EQ(X(3, X(5, 3), 3), 1.0) << "1/3 times 3";
  EXPECT_EQ(X(22, -3), 9.0);
  EXPECT_EQ(X(24, 1, 8.5), 8.5);
}

TEST(SimpleMathButtons, FunctionsAndScalings) {
  EXPECT_DOUBLE_EQ(X(7, 10), std::log(10.0));
  EXPECT_DOUBLE_EQ(X(8, 1), std::exp(1.0));
  EXPECT_DOUBLE_EQ(X(9, 1000), std::log(1000.0) / 2.302585);  // ln X / 2.302585, not log10
  EXPECT_DOUBLE_EQ(X(10, 2), 100.0);
  EXPECT_DOUBLE_EQ(X(11, 2), std::sqrt(2.0));
  EXPECT_EQ(X(12, 2, 10), 1024.0);
  EXPECT_EQ(X(12, -8, 3), -512.0);  // a negative X to a whole power
  EXPECT_EQ(X(12, -2.5, 2), 6.25);  // a fractional negative X too
  EXPECT_DOUBLE_EQ(X(13, 7), 0.7);
  EXPECT_EQ(X(14, 7), 70.0);
  EXPECT_EQ(X(15, 90), 1.5);
  EXPECT_EQ(X(16, 2), 120.0);
  EXPECT_EQ(X(17, 36), 1.5);
  EXPECT_EQ(X(18, 2), 48.0);
  EXPECT_EQ(X(19, 380), 0.5);
  EXPECT_DOUBLE_EQ(X(20, 760), 760 / 101.325);
  EXPECT_DOUBLE_EQ(X(21, 300), 300 / 273.1);
  EXPECT_DOUBLE_EQ(X(23, 25), 298.1);
}

TEST(SimpleMathButtons, TrigonometryAndGeometryGoToYAndKeepX) {
  EXPECT_NEAR(Y(51, 30), 0.5, 1e-7);  // the calculator's pi is good to 7 digits
  EXPECT_NEAR(Y(52, 60), 0.5, 1e-7);
  EXPECT_NEAR(Y(53, 45), 1.0, 1e-7);
  EXPECT_DOUBLE_EQ(Y(31, 2), 2 * kPi * 2);
  EXPECT_DOUBLE_EQ(Y(32, 2), kPi * 4);
  EXPECT_DOUBLE_EQ(Y(33, 2, 3), kPi * 4 * 3);
  EXPECT_DOUBLE_EQ(Y(34, 2), 4 * kPi * 4);
  EXPECT_DOUBLE_EQ(Y(35, 2), 4.188789086135801 * 8);
  EXPECT_DOUBLE_EQ(Y(31, 1.5), 2 * kPi * 1.5);
  EXPECT_DOUBLE_EQ(Y(32, 1.5), kPi * 2.25);
  EXPECT_DOUBLE_EQ(Y(35, 1.5), 4.188789086135801 * 3.375);
  EXPECT_EQ(Y(25, 6.5, 1), 6.5);
  const SimpleMathOutcome pi = SimpleMathButton(6, 3, 9);
  EXPECT_EQ(pi.yWrite, YWrite::PiText);
  EXPECT_FALSE(pi.newX);
  EXPECT_STREQ(kSimpleMathPiText, "3.1415926");
}

TEST(SimpleMathButtons, HelpDoneAndUnknownButtonsKeepX) {
  for (int16_t b : {40, 41, 26, 99, 0}) {
    const SimpleMathOutcome out = SimpleMathButton(b, 12.5, 3);
    EXPECT_FALSE(out.newX);
    EXPECT_FALSE(out.mathError);
    EXPECT_EQ(out.yWrite, YWrite::None);
  }
}

TEST(SimpleMathButtons, UnsuitableXIsAMathErrorThatKeepsX) {
  EXPECT_TRUE(RefusedKeepingX(4, 5, 0));      // X / 0
  EXPECT_TRUE(RefusedKeepingX(7, -1));        // ln
  EXPECT_TRUE(RefusedKeepingX(9, -1));        // log
  EXPECT_TRUE(RefusedKeepingX(11, -4));       // square root
  EXPECT_TRUE(RefusedKeepingX(12, -8, 0.5));  // a negative X to a fractional power
  EXPECT_EQ(X(11, 0), 0.0);                   // the square root of 0 is 0
}

TEST(SimpleMathButtons, ResultsThatAreNoFiniteNumberAreMathErrorsNotInfinityInAField) {
  EXPECT_TRUE(RefusedKeepingX(5, 0));         // 1/0
  EXPECT_TRUE(RefusedKeepingX(7, 0));         // ln 0
  EXPECT_TRUE(RefusedKeepingX(9, 0));         // log 0
  EXPECT_TRUE(RefusedKeepingX(12, -2, 1.5));  // a whole negative X to a fractional power
  EXPECT_TRUE(RefusedKeepingX(8, 1000));      // e^1000 overflows double precision
  EXPECT_TRUE(RefusedKeepingX(10, 309));
  EXPECT_TRUE(RefusedKeepingX(14, 1.0e308));
  EXPECT_TRUE(RefusedKeepingX(35, 1.0e103));  // a sphere's volume beyond double precision
  EXPECT_TRUE(RefusedKeepingX(32, 2.0e154));
}

TEST(SimpleMathOperators, KeysCombineXAndY) {
  EXPECT_EQ(SimpleMathOperator(1, 2, 3).result, 5.0);
  EXPECT_EQ(SimpleMathOperator(1, 100000.5, 0.25).result, 100000.75);
  EXPECT_EQ(SimpleMathOperator(2, 2, 3).result, -1.0);
  EXPECT_EQ(SimpleMathOperator(3, 2, 3).result, 6.0);
  EXPECT_EQ(SimpleMathOperator(4, 100, 3).result, 100.0 / 3);
  EXPECT_DOUBLE_EQ(SimpleMathOperator(5, 2, 0.5).result, std::sqrt(2.0));
  EXPECT_EQ(SimpleMathOperator(5, -2, 3).result, -8.0);
  EXPECT_FALSE(SimpleMathOperator(5, -2, 3).mathError);
}

// Whether a negative base has a real power depends on the exponent, not the base.
TEST(SimpleMathOperators, ANegativeXHasAPowerExactlyWhenYIsWhole) {
  EXPECT_FALSE(SimpleMathOperator(5, -2.5, 2).mathError);
  EXPECT_EQ(SimpleMathOperator(5, -2.5, 2).result, 6.25);
  EXPECT_EQ(SimpleMathOperator(5, -2.5, 3).result, -15.625);
  EXPECT_TRUE(SimpleMathOperator(5, -8, 0.5).mathError);
  EXPECT_TRUE(SimpleMathOperator(5, -2.5, 0.5).mathError);
}

TEST(SimpleMathOperators, DivisionByZeroAndUndefinedPowersAreRefusedNotShownAsInfinity) {
  EXPECT_TRUE(SimpleMathOperator(4, 1, 0).mathError);
  EXPECT_TRUE(SimpleMathOperator(4, 0, 0).mathError);
  EXPECT_TRUE(SimpleMathOperator(5, -8, 0.5).mathError);
  EXPECT_TRUE(SimpleMathOperator(3, 1.0e308, 10).mathError);
  EXPECT_TRUE(SimpleMathOperator(5, 10, 400).mathError);
}

}  // namespace
}  // namespace mv::calc
