// The Simple Math registers: each button's and operator key's result, against
// values worked out by hand in single precision.
#include "calculators/simple_math_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace mv::calc {
namespace {

using YWrite = SimpleMathOutcome::YWrite;

float X(int16_t button, float x, float y = 0) {
  const SimpleMathOutcome out = SimpleMathButton(button, x, y);
  EXPECT_FALSE(out.mathError) << "button " << button;
  EXPECT_EQ(out.yWrite, YWrite::None) << "button " << button;
  return out.x;
}

float Y(int16_t button, float x, float y = 0) {
  const SimpleMathOutcome out = SimpleMathButton(button, x, y);
  EXPECT_FALSE(out.mathError) << "button " << button;
  EXPECT_EQ(out.yWrite, YWrite::Value) << "button " << button;
  EXPECT_EQ(out.x, x) << "X stays in view";
  return out.y;
}

bool RefusedKeepingX(int16_t button, float x, float y = 0) {
  const SimpleMathOutcome out = SimpleMathButton(button, x, y);
  EXPECT_EQ(out.x, x);
  EXPECT_EQ(out.yWrite, YWrite::None);
  return out.mathError;
}

TEST(SimpleMathButtons, ArithmeticOfTheTwoRegisters) {
  EXPECT_EQ(X(1, 1, 0), 1.0f);  // the opening values
  EXPECT_EQ(X(1, 1.1f, 2.2f), 3.30000019f);
  EXPECT_EQ(X(2, 5, 7), -2.0f);
  EXPECT_EQ(X(3, 6, 7), 42.0f);
  EXPECT_EQ(X(4, 100, 3), 33.3333321f);
  EXPECT_EQ(X(5, 4), 0.25f);
  EXPECT_EQ(X(22, -3), 9.0f);
  EXPECT_EQ(X(24, 1, 8.5f), 8.5f);
}

TEST(SimpleMathButtons, FunctionsAndScalings) {
  EXPECT_EQ(X(7, 10), 2.30258512f);
  EXPECT_EQ(X(8, 1), 2.71828175f);
  EXPECT_EQ(X(9, 1000), 3.00000024f);  // ln X / 2.302585, not log10
  EXPECT_EQ(X(10, 2), 100.0f);
  EXPECT_EQ(X(11, 2), 1.41421354f);
  EXPECT_EQ(X(12, 2, 10), 1024.0f);
  EXPECT_EQ(X(12, -8, 3), -512.0f);   // a negative X to a whole power
  EXPECT_EQ(X(12, -2.5f, 2), 6.25f);  // a fractional negative X too
  EXPECT_EQ(X(13, 7), 0.699999988f);
  EXPECT_EQ(X(14, 7), 70.0f);
  EXPECT_EQ(X(15, 90), 1.5f);
  EXPECT_EQ(X(16, 2), 120.0f);
  EXPECT_EQ(X(17, 36), 1.5f);
  EXPECT_EQ(X(18, 2), 48.0f);
  EXPECT_EQ(X(19, 380), 0.5f);
  EXPECT_EQ(X(20, 760), 7.50061703f);
  EXPECT_EQ(X(21, 300), 1.0984987f);
  EXPECT_EQ(X(23, 25), 298.100006f);
}

TEST(SimpleMathButtons, TrigonometryAndGeometryGoToYAndKeepX) {
  EXPECT_EQ(Y(51, 30), 0.5f);
  EXPECT_EQ(Y(52, 60), 0.5f);
  EXPECT_EQ(Y(53, 45), 1.0f);
  EXPECT_EQ(Y(31, 2), 12.56637f);
  EXPECT_EQ(Y(32, 2), 12.56637f);
  EXPECT_EQ(Y(33, 2, 3), 37.6991119f);
  EXPECT_EQ(Y(34, 2), 50.26548f);
  EXPECT_EQ(Y(35, 2), 33.5103111f);
  EXPECT_EQ(Y(31, 1.5f), 9.42477798f);
  EXPECT_EQ(Y(32, 1.5f), 7.06858349f);
  EXPECT_EQ(Y(35, 1.5f), 14.1371632f);
  EXPECT_EQ(Y(25, 6.5f, 1), 6.5f);
  const SimpleMathOutcome pi = SimpleMathButton(6, 3, 9);
  EXPECT_EQ(pi.yWrite, YWrite::PiText);
  EXPECT_EQ(pi.x, 3.0f);
  EXPECT_STREQ(kSimpleMathPiText, "3.1415926");
}

TEST(SimpleMathButtons, HelpDoneAndUnknownButtonsKeepX) {
  for (int16_t b : {40, 41, 26, 99, 0}) {
    const SimpleMathOutcome out = SimpleMathButton(b, 12.5f, 3);
    EXPECT_EQ(out.x, 12.5f);
    EXPECT_FALSE(out.mathError);
    EXPECT_EQ(out.yWrite, YWrite::None);
  }
}

TEST(SimpleMathButtons, UnsuitableXIsAMathErrorThatKeepsX) {
  EXPECT_TRUE(RefusedKeepingX(4, 5, 0));       // X / 0
  EXPECT_TRUE(RefusedKeepingX(7, -1));         // ln
  EXPECT_TRUE(RefusedKeepingX(9, -1));         // log
  EXPECT_TRUE(RefusedKeepingX(11, -4));        // square root
  EXPECT_TRUE(RefusedKeepingX(12, -8, 0.5f));  // a negative X to a fractional power
  EXPECT_FALSE(RefusedKeepingX(11, 0));        // the square root of 0 is 0
}

TEST(SimpleMathButtons, ResultsThatAreNoFiniteNumberAreMathErrorsNotInfinityInAField) {
  EXPECT_TRUE(RefusedKeepingX(5, 0));          // 1/0
  EXPECT_TRUE(RefusedKeepingX(7, 0));          // ln 0
  EXPECT_TRUE(RefusedKeepingX(9, 0));          // log 0
  EXPECT_TRUE(RefusedKeepingX(12, -2, 1.5f));  // a whole negative X to a fractional power
  EXPECT_TRUE(RefusedKeepingX(8, 100));        // e^100 overflows single precision
  EXPECT_TRUE(RefusedKeepingX(10, 39));
  EXPECT_TRUE(RefusedKeepingX(14, 3.0e38f));
  EXPECT_TRUE(RefusedKeepingX(35, 1.0e13f));  // a sphere's volume beyond single precision
  EXPECT_TRUE(RefusedKeepingX(32, 2.0e19f));
}

TEST(SimpleMathOperators, KeysCombineXAndY) {
  EXPECT_EQ(SimpleMathOperator(1, 2, 3).result, 5.0f);
  EXPECT_EQ(SimpleMathOperator(2, 2, 3).result, -1.0f);
  EXPECT_EQ(SimpleMathOperator(3, 2, 3).result, 6.0f);
  EXPECT_EQ(SimpleMathOperator(4, 100, 3).result, 33.3333321f);
  EXPECT_EQ(SimpleMathOperator(5, 2, 0.5f).result, 1.41421354f);
  EXPECT_EQ(SimpleMathOperator(5, -2, 3).result, -8.0f);
  EXPECT_FALSE(SimpleMathOperator(5, -2, 3).mathError);
}

// Whether a negative base has a real power depends on the exponent, not the base.
TEST(SimpleMathOperators, ANegativeXHasAPowerExactlyWhenYIsWhole) {
  EXPECT_FALSE(SimpleMathOperator(5, -2.5f, 2).mathError);
  EXPECT_EQ(SimpleMathOperator(5, -2.5f, 2).result, 6.25f);
  EXPECT_EQ(SimpleMathOperator(5, -2.5f, 3).result, -15.625f);
  EXPECT_TRUE(SimpleMathOperator(5, -8, 0.5f).mathError);
  EXPECT_TRUE(SimpleMathOperator(5, -2.5f, 0.5f).mathError);
}

TEST(SimpleMathOperators, DivisionByZeroAndUndefinedPowersAreRefusedNotShownAsInfinity) {
  EXPECT_TRUE(SimpleMathOperator(4, 1, 0).mathError);
  EXPECT_TRUE(SimpleMathOperator(4, 0, 0).mathError);
  EXPECT_TRUE(SimpleMathOperator(5, -8, 0.5f).mathError);
  EXPECT_TRUE(SimpleMathOperator(3, 3.0e38f, 10).mathError);
  EXPECT_TRUE(SimpleMathOperator(5, 10, 100).mathError);
}

}  // namespace
}  // namespace mv::calc
