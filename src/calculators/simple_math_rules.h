// The arithmetic of the Simple Math calculator: what each button and each
// operator key does to the two registers X and Y. The registers hold double
// precision between steps (1/3 times 3 is 1, 100000.5 + 0.25 is 100000.75); only
// the text a field shows is rounded.
#pragma once
#include <cstdint>

namespace mv::calc {

// The text the "Y = pi" button puts into Y, exactly.
constexpr const char* kSimpleMathPiText = "3.1415926";

struct SimpleMathOutcome {
  enum class YWrite { None, Value, PiText };
  bool mathError = false;  // flash the math error; X is kept
  bool newX = false;       // X becomes x; otherwise X stays as it stands
  double x = 0;            // the value for X when newX
  YWrite yWrite = YWrite::None;
  double y = 0;  // the value for Y when yWrite is Value
};

// A button of the calculator applied to X and Y (buttons without arithmetic keep X).
// Square root and logarithms of a negative X, the power of a negative X with a
// fractional part, X / 0, and every result that is no finite number are math errors.
SimpleMathOutcome SimpleMathButton(int16_t button, double x, double y);

struct OperatorOutcome {
  bool mathError = false;  // the fields stay as they are
  double result = 0;       // the new X
};

// An operator key (1 add, 2 subtract, 3 multiply, 4 divide, 5 power) applied to
// X and Y. The power of a negative X with a fractional part, and every result that
// is no finite number (X / 0, a negative whole X to a fractional power, an
// overflow), are math errors.
OperatorOutcome SimpleMathOperator(int16_t operation, double x, double y);

}  // namespace mv::calc
