#include "calculators/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "kit/format.h"
#include "kit/state.h"

namespace mv::calc {
namespace {

constexpr double kFixedFrom = 0x1p-7, kFixedBelow = 0x1p32;

// The magnitude's significant digits (without the point) and its decimal exponent,
// rounded once from the exact binary value: 99999.7 with 5 digits is "10000", 5.
struct Digits {
  std::string mantissa;  // "d.dddd" as to_chars writes it
  int exponent = 0;
};

Digits Scientific(double a, int digits) {
  std::array<char, 64> buf;
  const auto res =
      std::to_chars(buf.data(), buf.data() + buf.size(), a, std::chars_format::scientific, digits - 1);
  if (res.ec != std::errc()) return {"0", 0};  // cannot happen with this buffer
  const std::string text(buf.data(), res.ptr);
  const std::size_t e = text.find('e');
  Digits d{text.substr(0, e), 0};
  const char* first = text.data() + e + 1;
  if (*first == '+') ++first;
  std::from_chars(first, text.data() + text.size(), d.exponent);
  return d;
}

std::string DropTrailingZeros(std::string mantissa) {
  if (mantissa.find('.') == std::string::npos) return mantissa;
  while (mantissa.back() == '0') mantissa.pop_back();
  if (mantissa.back() == '.') mantissa.pop_back();
  return mantissa;
}

// The rounded digits placed around the point (zeros fill up to the point).
std::string Fixed(const Digits& d) {
  std::string figures = d.mantissa;
  figures.erase(std::remove(figures.begin(), figures.end(), '.'), figures.end());
  const int n = static_cast<int>(figures.size());
  if (d.exponent < 0)
    return DropTrailingZeros("0." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + figures);
  if (d.exponent + 1 >= n) return figures + std::string(static_cast<std::size_t>(d.exponent + 1 - n), '0');
  return DropTrailingZeros(figures.substr(0, d.exponent + 1) + "." + figures.substr(d.exponent + 1));
}

std::string Exponent(const Digits& d) {
  const int e = std::abs(d.exponent);
  return DropTrailingZeros(d.mantissa) + (d.exponent < 0 ? "e-" : "e+") + (e < 10 ? "0" : "") +
         std::to_string(e);
}

}  // namespace

Str255 NumberText(double v, int significantDigits) {
  if (!std::isfinite(v)) return NumText(v);  // the kit's texts of what is no number
  if (v == 0) return " 0";                   // also -0, which is not negative
  const double a = std::fabs(v);
  const char* sign = v < 0 ? "-" : " ";
  if (a < kFixedBelow && a == std::trunc(a)) {
    std::array<char, 32> buf;
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), a, std::chars_format::fixed, 0);
    return Str255(sign + std::string(buf.data(), res.ptr));
  }
  const Digits d = Scientific(a, std::clamp(significantDigits, 1, 17));
  return Str255(sign + (a >= kFixedFrom && a < kFixedBelow ? Fixed(d) : Exponent(d)));
}

Str255 NumberText(double v) {
  return NumberText(v, SignificantFigures);
}

Str255 ReadoutText(float value) {
  const double v = value;
  if (!std::isfinite(v)) return NumberText(v);
  // A value that is whole, or within a millionth above a whole value, is that whole
  // value (0 fails the test and is written as it is).
  if (v != 0 && std::trunc(v) / v >= 0.999999) return NumberText(std::round(v));
  return NumberText(v);
}

}  // namespace mv::calc
