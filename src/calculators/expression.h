// The formula language of the expression evaluator: a recursive-descent parser
// that checks a formula in two variables and compiles it into postfix code of
// 16-bit words, and the stack machine that runs the code in double precision.
//
// Language: numbers (12, .5, 1e3, 1E+3), the two variable names, PI or the pi
// character, the operators + - * / ^ (all left-associative; a sign binds tighter
// than ^), parentheses, the functions EXP LOG LN LOG10 SIN COS TAN ATN ATAN SQR
// (square) SQRT ABS INT, and `comments` between backquotes. Names ignore case and
// need no word boundary (SINX is SIN followed by X).
//
// Both parts are pure: nothing is allocated, every table has a fixed size, and no
// text (however long, deep or malformed) makes them crash or loop.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace mv::calc {

constexpr int kMaxExpressionText = 255;  // characters a formula may have; longer texts are refused
constexpr int kMaxSymbols = 100;
constexpr int kMaxSymbolName = 15;
constexpr int kMaxConstants = 20;
constexpr int kMaxCodeWords = 100;
// Every value pushed takes at least one code word, so a stack as deep as the code
// is long can never overflow, whatever formula passes the check.
constexpr int kEvaluationStack = kMaxCodeWords;

// Lexeme kinds.
enum LexemeType : int16_t {
  kEnd = 0,
  kAdditive = 1,
  kMultiplicative = 2,
  kPower = 3,
  kLeftParen = 4,
  kRightParen = 5,
  kOperand = 6,
  kFunction = 7,
  kNumber = 8,
};

// Opcodes of the compiled code.
enum Opcode : int16_t {
  kOpAdd = 1,
  kOpSubtract = 2,
  kOpMultiply = 3,
  kOpDivide = 4,
  kOpPower = 5,
  kOpPushX = 6,
  kOpPushY = 7,
  kOpNegate = 8,
  kOpExp = 9,
  kOpLn = 10,
  kOpLog10 = 11,
  kOpSquare = 12,
  kOpSqrt = 13,
  kOpSin = 14,
  kOpCos = 15,
  kOpTan = 16,
  kOpAtan = 17,
  kOpAbs = 18,
  kOpInt = 19,
  kOpPushPi = 20,
  kOpPushConstant = 21,  // followed by the constant's number
};

// The compiled formula: word 0 of the code holds the count, words 1..100 the code;
// constants are numbered from 1.
struct CompiledExpression {
  std::array<int16_t, kMaxCodeWords + 1> code{};
  std::array<double, kMaxConstants + 1> constants{};
  int16_t numConsts = 0;
};

struct ParseOutcome {
  bool ok = false;
  std::string message;    // the first error, empty when ok
  int errorPosition = 0;  // insertion point (from 0) just before the character where it was found
  CompiledExpression compiled;
};

// Checks and compiles a formula (Mac Roman bytes, at most 255 of them; a longer
// text fails with "Expression too long" at the 256th)
// with the two variable names (codes 6 and 7; an empty name is left out). The pi
// symbol is the Mac Roman pi character.
ParseOutcome ParseText(std::string_view name1, std::string_view name2, std::string_view text);

// Runs compiled code with the two variable values and returns the value left at
// the bottom of the stack. error is 0 for code that the parser made; malformed code
// (an unknown opcode, a missing operand, a constant that does not exist) stops the
// run with error 1 and a NaN result instead of reading outside the tables.
// Domain faults (division by zero, the logarithm of 0) give infinities and NaNs.
double Evaluate(const CompiledExpression& compiled, double x, double y, int16_t& error);

// The parser's messages.
namespace parse_message {
constexpr const char* kUnterminatedComment = "Unterminated comment";
constexpr const char* kNotRecognisable = "Name or symbol not recognisable";
constexpr const char* kTooManyConstants = "Too many constants";
constexpr const char* kBadNumber = "Bad number format";
constexpr const char* kSyntax = "Syntax error";
constexpr const char* kRightParen = "Expecting right parenthesis";
constexpr const char* kLeftParen = "Expecting left parenthesis";
constexpr const char* kTooLong = "Expression too long";
constexpr const char* kMissing = "Missing expression";
constexpr const char* kEndExpected = "End of expression expected";
constexpr const char* kDuplicated = "Symbol table entry duplicated";
constexpr const char* kTableFull = "Symbol table full";
}  // namespace parse_message

}  // namespace mv::calc
