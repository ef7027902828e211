// The formula language: what the check accepts and refuses, where it says the
// fault is, and what the compiled code computes.
#include "calculators/expression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>

namespace mv::calc {
namespace {

ParseOutcome Check(const std::string& text) {
  return ParseText("x", "y", text);
}

double Value(const std::string& text, double x = 0, double y = 0) {
  const ParseOutcome out = Check(text);
  EXPECT_TRUE(out.ok) << text << ": " << out.message;
  int16_t error = -1;
  const double v = Evaluate(out.compiled, x, y, error);
  EXPECT_EQ(error, 0) << text;
  return v;
}

std::string Message(const std::string& text) {
  const ParseOutcome out = Check(text);
  EXPECT_FALSE(out.ok) << text;
  return out.message;
}

std::string Joined(const std::string& piece, int copies, const std::string& op) {
  std::string s = piece;
  for (int i = 1; i < copies; ++i) s += op + piece;
  return s;
}

TEST(ExpressionLanguage, FunctionsAndNamedConstants) {
  EXPECT_DOUBLE_EQ(Value("sqr(3)"), 9);
  EXPECT_DOUBLE_EQ(Value("sqrt(9)"), 3);
  EXPECT_DOUBLE_EQ(Value("log(exp(1))"), 1);
  EXPECT_DOUBLE_EQ(Value("ln(exp(1))"), 1);
  EXPECT_DOUBLE_EQ(Value("log10(1000)"), 3);
  EXPECT_DOUBLE_EQ(Value("int(-2.7)"), -2);
  EXPECT_DOUBLE_EQ(Value("int(2.7)"), 2);
  EXPECT_DOUBLE_EQ(Value("abs(-4.5)"), 4.5);
  EXPECT_DOUBLE_EQ(Value("atn(1)*4"), std::numbers::pi);
  EXPECT_DOUBLE_EQ(Value("ATAN(1)*4"), std::numbers::pi);
  EXPECT_DOUBLE_EQ(Value("cos(0) + tan(0)"), 1);
  EXPECT_DOUBLE_EQ(Value("PI"), std::numbers::pi);
  EXPECT_DOUBLE_EQ(Value("pi"), std::numbers::pi);
  EXPECT_DOUBLE_EQ(Value("\xB9"), std::numbers::pi);
  EXPECT_DOUBLE_EQ(Value("Sin(PI/2)"), 1);
  EXPECT_EQ(Message("log(e)"), "Name or symbol not recognisable");
}

TEST(ExpressionLanguage, OperatorsAssociateLeftAndASignBindsTighterThanPower) {
  EXPECT_DOUBLE_EQ(Value("2^3^2"), 64);
  EXPECT_DOUBLE_EQ(Value("-2^2"), 4);
  EXPECT_DOUBLE_EQ(Value("2*-3"), -6);
  EXPECT_DOUBLE_EQ(Value("+5"), 5);
  EXPECT_DOUBLE_EQ(Value("10-4-3"), 3);
  EXPECT_DOUBLE_EQ(Value("64/4/2"), 8);
  EXPECT_DOUBLE_EQ(Value("1+2*3^2"), 19);
  EXPECT_DOUBLE_EQ(Value("x - y", 5, 7), -2);
  EXPECT_DOUBLE_EQ(Value("X*Y", 3, 4), 12);
}

TEST(ExpressionLanguage, TheWindowsExampleGivesSixteenPointZeroFive) {
  const std::string example = "10*(x + y)/2.0 + sin( \xB9*0.5 ) `[ example ]`";
  EXPECT_NEAR(Value(example, 1, 2.01), 16.05, 1e-12);
}

TEST(ExpressionLanguage, NamesNeedNoWordBoundaryAndTheLongestNameWins) {
  EXPECT_EQ(Message("sinx"), "Expecting left parenthesis");
  EXPECT_DOUBLE_EQ(Value("sqrt(4)*sqr(2)"), 8);
  EXPECT_DOUBLE_EQ(Value("log10(100)+log(1)"), 2);
}

TEST(ExpressionLanguage, CommentsAndBlanksAreSkipped) {
  EXPECT_DOUBLE_EQ(Value("  x `the mass` * `and` 2  `end` ", 3), 6);
  EXPECT_EQ(Message("x `open"), "Unterminated comment");
  EXPECT_EQ(Message("`only a comment`"), "Missing expression");
  EXPECT_EQ(Message(""), "Missing expression");
  EXPECT_EQ(Message("    "), "Missing expression");
}

TEST(ExpressionLanguage, SyntaxFaultsAndWhereTheyAreShown) {
  EXPECT_EQ(Message("2x"), "Syntax error");
  EXPECT_EQ(Message("x y"), "Syntax error");
  EXPECT_EQ(Message("x+"), "Syntax error");
  EXPECT_EQ(Message("x)"), "Syntax error");
  EXPECT_EQ(Message("*x"), "Syntax error");
  EXPECT_EQ(Message("(x"), "Expecting right parenthesis");
  EXPECT_EQ(Message("sin x"), "Expecting left parenthesis");
  EXPECT_EQ(Message("sin(x"), "Expecting right parenthesis");

  ParseOutcome out = Check("x $");
  EXPECT_EQ(out.message, "End of expression expected");
  EXPECT_EQ(out.errorPosition, 2);  // just before the "$"
  out = Check("$x");
  EXPECT_EQ(out.message, "Name or symbol not recognisable");
  EXPECT_EQ(out.errorPosition, 0);
  out = Check("x + z * 2");
  EXPECT_EQ(out.message, "Name or symbol not recognisable");
  EXPECT_EQ(out.errorPosition, 4);  // just before the "z"
  out = Check("(x");
  EXPECT_EQ(out.errorPosition, 2);  // at the end
}

TEST(ExpressionLanguage, NumberFormats) {
  EXPECT_EQ(Message("1.2.3"), "Bad number format");
  EXPECT_EQ(Message("1e"), "Bad number format");
  EXPECT_EQ(Message("."), "Bad number format");
  EXPECT_EQ(Message("2e+ 3"), "Bad number format");
  EXPECT_DOUBLE_EQ(Value("1e3"), 1000);
  EXPECT_DOUBLE_EQ(Value("1E+3"), 1000);
  EXPECT_DOUBLE_EQ(Value("2.5e-3"), 0.0025);
  EXPECT_DOUBLE_EQ(Value(".5"), 0.5);
  EXPECT_DOUBLE_EQ(Value("5."), 5);
}

TEST(ExpressionLanguage, EqualNumbersShareOneConstantAndTheTwentyFirstIsRefused) {
  std::string twenty = "1";
  for (int i = 2; i <= 20; ++i) twenty += "+" + std::to_string(i);
  const ParseOutcome ok = Check(twenty);
  ASSERT_TRUE(ok.ok);
  EXPECT_EQ(ok.compiled.numConsts, 20);
  EXPECT_EQ(Message(twenty + "+21"), "Too many constants");
  const ParseOutcome twos = Check(Joined("2", 33, "+") + "+2.0+2e0");
  EXPECT_EQ(twos.message, "Expression too long");  // 35 numbers, yet never too many constants
  EXPECT_EQ(Check(Joined("2", 33, "+")).compiled.numConsts, 1);
}

TEST(ExpressionLanguage, CodeHoldsAHundredWords) {
  const ParseOutcome fits = Check(Joined("2", 33, "+"));
  ASSERT_TRUE(fits.ok) << fits.message;
  EXPECT_EQ(fits.compiled.code[0], 98);
  int16_t error = 0;
  EXPECT_DOUBLE_EQ(Evaluate(fits.compiled, 0, 0, error), 66);
  EXPECT_EQ(Message(Joined("2", 34, "+")), "Expression too long");
}

TEST(ExpressionLanguage, DeepRightNestingDoesNotOverrunTheStack) {
  // Thirty pending operands: far beyond a ten-value stack.
  std::string text = "x";
  for (int i = 1; i < 30; ++i) text = "x+(" + text + ")";
  EXPECT_DOUBLE_EQ(Value(text, 2), 60);
  // The deepest possible: fifty operands waiting for their operators.
  std::string deepest = Joined("x", 50, "+(");
  deepest += std::string(49, ')');
  ASSERT_LE(deepest.size(), 255u);
  EXPECT_DOUBLE_EQ(Value(deepest, 1), 50);
}

TEST(ExpressionLanguage, HostileTextsEndInAMessageOrANumber) {
  EXPECT_DOUBLE_EQ(Value(std::string(127, '(') + "x" + std::string(127, ')'), 4), 4);
  EXPECT_EQ(Message(std::string(255, '-')), "Syntax error");
  EXPECT_EQ(Message("\x01\x02\xFF"), "Missing expression");  // an unknown last character ends the text
  EXPECT_EQ(Message("\xFF\x80+1"), "Name or symbol not recognisable");
  EXPECT_EQ(Message(std::string("x\0y", 3)), "Syntax error");  // a NUL is a blank
  const std::string longNumber(255, '9');
  EXPECT_GT(Value(longNumber), 9.9e254);
}

TEST(ExpressionLanguage, TextBeyondTheLimitIsRefusedAtTheFirstCharacterTooMany) {
  // Cutting these would have changed their meaning (a dropped ")" or "+1") or hidden the fault.
  const std::string fits = std::string(127, '(') + "x" + std::string(127, ')');
  ASSERT_EQ(fits.size(), 255u);
  ASSERT_TRUE(Check(fits).ok);
  const std::string texts[] = {
      std::string(200, '(') + "x" + std::string(200, ')'),
      Joined("x", 128, "+") + "+1",
      "x" + std::string(300, ' '),
      std::string(100000, '('),
  };
  for (const std::string& text : texts) {
    const ParseOutcome out = Check(text);
    EXPECT_FALSE(out.ok) << text.size();
    EXPECT_EQ(out.message, "Expression too long");
    EXPECT_EQ(out.errorPosition, 255);
  }
}

TEST(ExpressionLanguage, LongNumbersAreReadWhole) {
  EXPECT_DOUBLE_EQ(Value("1" + std::string(35, '0')), 1e35);
  EXPECT_DOUBLE_EQ(Value("0." + std::string(40, '0') + "5"), 5e-41);
  EXPECT_NEAR(Value(std::string(40, '1') + "e-39"), 1.1111111111111111, 1e-15);
  EXPECT_EQ(Message("1" + std::string(40, '0') + "..5"), "Bad number format");
}

TEST(ExpressionLanguage, UndefinedResultsAreInfinitiesAndNaNsNotCrashes) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Value("1/0"), inf);
  EXPECT_EQ(Value("-1/x", 0), -inf);
  EXPECT_TRUE(std::isnan(Value("0/0")));
  EXPECT_EQ(Value("log(0)"), -inf);
  EXPECT_TRUE(std::isnan(Value("sqrt(-1)")));
  EXPECT_EQ(Value("10^10^40"), inf);
  EXPECT_EQ(Value("exp(1000)"), inf);
  EXPECT_EQ(Value("1e999"), inf);
  EXPECT_EQ(Value("1e99999999999999999999"), inf);
  EXPECT_EQ(Value("1e-999"), 0);
  EXPECT_EQ(Value("0.0001e-400"), 0);
  EXPECT_EQ(Value("int(1e999)"), inf);
  EXPECT_TRUE(std::isnan(Value("(-8)^0.5")));
}

TEST(ExpressionLanguage, NamesGivenTwiceFailTheCheckInsteadOfStoppingTheProgram) {
  EXPECT_EQ(ParseText("x", "X", "x").message, "Symbol table entry duplicated");
  EXPECT_EQ(ParseText("pi", "y", "1").message, "Symbol table entry duplicated");
  // Other names work, and an empty name is left out.
  int16_t error = 0;
  const ParseOutcome out = ParseText("mass", "", "mass*2");
  ASSERT_TRUE(out.ok) << out.message;
  EXPECT_DOUBLE_EQ(Evaluate(out.compiled, 21, 0, error), 42);
}

TEST(ExpressionEvaluation, MalformedCodeStopsWithAnErrorInsteadOfReadingOutsideTheTables) {
  int16_t error = 0;
  CompiledExpression code;
  code.code = {1, 99};  // an undefined opcode
  EXPECT_TRUE(std::isnan(Evaluate(code, 0, 0, error)));
  EXPECT_EQ(error, 1);
  code.code = {1, kOpAdd};  // nothing to add
  Evaluate(code, 0, 0, error);
  EXPECT_EQ(error, 1);
  code.code = {2, kOpPushConstant, 5};  // constant 5 does not exist
  Evaluate(code, 0, 0, error);
  EXPECT_EQ(error, 1);
  code.code = {1, kOpPushConstant};  // its number is missing
  Evaluate(code, 0, 0, error);
  EXPECT_EQ(error, 1);
  code.code = {0};  // no code at all
  Evaluate(code, 0, 0, error);
  EXPECT_EQ(error, 1);
  code.code = {3, kOpPushX, kOpPushY, kOpSubtract};
  EXPECT_DOUBLE_EQ(Evaluate(code, 9, 4, error), 5);
  EXPECT_EQ(error, 0);
}

}  // namespace
}  // namespace mv::calc
