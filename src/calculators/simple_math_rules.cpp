#include "calculators/simple_math_rules.h"

#include <cmath>

namespace mv::calc {

namespace {

constexpr double kPi = 3.1415926;
constexpr double kLn10 = 2.302585;
constexpr double kFourThirdsPi = 4.188789086135801;

// A negative base has a real power only for a whole exponent: -2.5 ^ 2 is 6.25,
// -8 ^ 0.5 has no real value.
bool PowerUndefined(double x, double y) {
  return x < 0.0 && std::trunc(y) != y;
}

SimpleMathOutcome NewX(double value) {
  SimpleMathOutcome out;
  out.newX = true;
  out.x = value;
  return out;
}

SimpleMathOutcome MathError() {
  SimpleMathOutcome out;
  out.mathError = true;
  return out;
}

SimpleMathOutcome NewY(double value) {
  SimpleMathOutcome out;
  out.yWrite = SimpleMathOutcome::YWrite::Value;
  out.y = value;
  return out;
}

// Buttons whose result replaces X.
bool ArithmeticButton(int16_t button, double x, double y, SimpleMathOutcome& out) {
  switch (button) {
    case 1:
      out = NewX(y + x);
      return true;
    case 2:
      out = NewX(x - y);
      return true;
    case 3:
      out = NewX(y * x);
      return true;
    case 4:
      out = y == 0.0 ? MathError() : NewX(x / y);
      return true;
    case 5:
      out = NewX(1.0 / x);
      return true;
    case 7:
      out = x < 0.0 ? MathError() : NewX(std::log(x));
      return true;
    case 8:
      out = NewX(std::exp(x));
      return true;
    case 9:
      out = x < 0.0 ? MathError() : NewX(std::log(x) / kLn10);
      return true;
    case 10:
      out = NewX(std::pow(10.0, x));
      return true;
    case 11:
      out = x < 0.0 ? MathError() : NewX(std::sqrt(x));
      return true;
    case 22:
      out = NewX(x * x);
      return true;
    case 12:
      out = PowerUndefined(x, y) ? MathError() : NewX(std::pow(x, y));
      return true;
    case 13:
      out = NewX(x * 0.1);
      return true;
    case 14:
      out = NewX(x * 10.0);
      return true;
    case 15:
      out = NewX(x / 60.0);
      return true;
    case 16:
      out = NewX(x * 60.0);
      return true;
    case 17:
      out = NewX(x / 24.0);
      return true;
    case 18:
      out = NewX(x * 24.0);
      return true;
    case 19:
      out = NewX(x / 760.0);
      return true;
    case 20:
      out = NewX(x / 101.325);
      return true;
    case 21:
      out = NewX(x / 273.1);
      return true;
    case 23:
      out = NewX(x + 273.1);
      return true;
    case 24:
      out = NewX(y);
      return true;
    default:
      return false;
  }
}

// Buttons whose result goes to Y while X stays in view.
bool YButton(int16_t button, double x, double y, SimpleMathOutcome& out) {
  const double radians = x * kPi / 180.0;
  const double square = x * x;
  switch (button) {
    case 6:
      out = {};
      out.yWrite = SimpleMathOutcome::YWrite::PiText;
      return true;
    case 25:
      out = NewY(x);
      return true;
    case 51:
      out = NewY(std::sin(radians));
      return true;
    case 52:
      out = NewY(std::cos(radians));
      return true;
    case 53:
      out = NewY(std::tan(radians));
      return true;
    case 31:
      out = NewY(x * kPi * 2.0);
      return true;
    case 32:
      out = NewY(square * kPi);
      return true;
    case 33:
      out = NewY(y * (square * kPi));
      return true;
    case 34:
      out = NewY(square * kPi * 4.0);
      return true;
    case 35:
      out = NewY(std::pow(x, 3.0) * kFourThirdsPi);
      return true;
    default:
      return false;
  }
}

}  // namespace

SimpleMathOutcome SimpleMathButton(int16_t button, double x, double y) {
  SimpleMathOutcome out;
  if (!ArithmeticButton(button, x, y, out) && !YButton(button, x, y, out)) return {};
  // A result that is no finite number (1/0, ln 0, an overflow) is refused like the
  // other undefined cases, so a register never shows an infinity or a NaN.
  const bool yBad = out.yWrite == SimpleMathOutcome::YWrite::Value && !std::isfinite(out.y);
  if (!out.mathError && ((out.newX && !std::isfinite(out.x)) || yBad)) return MathError();
  return out;
}

OperatorOutcome SimpleMathOperator(int16_t operation, double x, double y) {
  OperatorOutcome out;
  switch (operation) {
    case 1:
      out.result = x + y;
      break;
    case 2:
      out.result = x - y;
      break;
    case 3:
      out.result = x * y;
      break;
    case 4:
      out.result = x / y;
      break;
    case 5:
      if (PowerUndefined(x, y))
        out.mathError = true;
      else
        out.result = std::pow(x, y);
      break;
    default:
      out.result = x;
      break;
  }
  if (!std::isfinite(out.result)) out.mathError = true;
  return out;
}

}  // namespace mv::calc
