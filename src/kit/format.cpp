#include "kit/format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

#include "kit/state.h"
#include "runtime/clock.h"

namespace mv {
namespace {

// Large enough for the fixed notation of the largest double (309 digits) with
// 255 decimals.
constexpr int kMaxDecimals = 255;
using CharBuffer = std::array<char, 640>;

// Locale-free decimal text of v; the conversion rounds the exact binary value.
std::string Chars(double v, std::chars_format fmt, int precision) {
  CharBuffer buf;
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v, fmt, precision);
  if (res.ec != std::errc()) return "0";  // cannot happen with this buffer; never a garbage text
  return std::string(buf.data(), res.ptr);
}

// The fixed texts of the values that are no number: NaN and infinities must never
// reach a rounding to an integer (undefined behaviour) and must read as what they are.
Str255 NonFiniteText(double v) {
  if (std::isnan(v)) return " NaN";
  return v < 0 ? "-Inf" : " Inf";
}

// A blank in the sign place of a value that is not negative.
Str255 WithSignPlace(const std::string& text) {
  if (!text.empty() && text[0] == '-') return Str255(text);
  return Str255(" " + text);
}

// The given significant digits, fixed notation from 1e-4 up to below 10^digits and
// exponent notation outside (the "%g" rule), trailing zeros and a bare point dropped.
Str255 SignificantText(double v, int digits) {
  if (!std::isfinite(v)) return NonFiniteText(v);
  if (v == 0) return " 0";  // also -0, which is not negative
  return WithSignPlace(Chars(v, std::chars_format::general, digits));
}

// Drops trailing zeros of the mantissa and then a bare point ("1.500e-09" ->
// "1.5e-09", "2.000" -> "2").
std::string DropTrailingZeros(std::string text) {
  const std::size_t e = text.find('e');
  std::string mantissa = text.substr(0, e);
  const std::string exponent = e == std::string::npos ? "" : text.substr(e);
  if (mantissa.find('.') != std::string::npos) {
    while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
    if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
  }
  return mantissa + exponent;
}

// The readout's trimming of a picture text: while the last character is "0" or
// "." and the text is at least as long as the position (1-based) of its last
// point, drop it. It stops after dropping the point.
void TrimPictureText(Str255& s) {
  const std::size_t dot = s.str().rfind('.');
  if (dot == std::string::npos) return;  // no decimals: nothing to trim
  const std::size_t p = dot + 1;
  while (!s.empty() && (s.back() == '0' || s.back() == '.') && s.size() >= p) s.pop_back();
}

struct Picture {
  std::string wholePart;  // "#" and "," before the point
  bool hasPoint = false;
  int decimals = 0;
};

Picture ParsePicture(std::string_view picture) {
  Picture p;
  const std::size_t dot = picture.find('.');
  p.wholePart = std::string(picture.substr(0, dot));
  if (dot != std::string_view::npos) {
    p.hasPoint = true;
    const auto after = picture.substr(dot + 1);
    p.decimals = static_cast<int>(std::count(after.begin(), after.end(), '#'));
    p.decimals = std::min(p.decimals, kMaxDecimals);
  }
  return p;
}

// Fills the whole-number positions of a picture from the right: "#" takes a digit,
// "," a group separator while digits are left, otherwise a blank; the minus sign
// takes the first free position left of the digits. Digits or a sign that find no
// position are written in front (the text overflows to the left).
std::string FillWholePart(const std::string& positions, std::string digits, bool negative) {
  std::string out(positions.size(), ' ');
  bool signPlaced = !negative;
  for (std::size_t k = positions.size(); k-- > 0;) {
    const bool isDigit = positions[k] == '#';
    if (!digits.empty() && isDigit) {
      out[k] = digits.back();
      digits.pop_back();
    } else if (!digits.empty() && positions[k] == ',') {
      out[k] = ',';
    } else if (digits.empty() && !signPlaced) {
      out[k] = '-';
      signPlaced = true;
    }
  }
  return (signPlaced ? "" : "-") + digits + out;
}

bool PrintedInFixedNotation(double v) {
  const double a = std::fabs(v);
  return a >= 0x1p-7 && a <= 0x1p32;
}

// The printed-number layout of a finite, non-zero value: ten significant digits in
// fixed notation, or exponent notation with the mantissa's trailing zeros dropped.
Str255 PrintedText(double v, bool fixed) {
  if (fixed) return SignificantText(v, 10);
  return WithSignPlace(DropTrailingZeros(Chars(v, std::chars_format::scientific, 9)));
}

}  // namespace

Str255 PlainText10(double v) {
  return SignificantText(v, 10);
}

// Whole values below 10^10 are written in fixed notation, so their exact digits are
// their text; every other float is written with its shortest digits.
Str255 PlainText10(float value) {
  const double v = value;
  if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e10) return PlainText10(v);
  return PlainText10(ShortestDecimal(value));
}

double ShortestDecimal(float v) {
  if (!std::isfinite(v)) return v;
  CharBuffer buf;
  // Scientific: the fewest digits (the plain form would keep a whole value's digits).
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::scientific);
  double shortest = v;
  if (res.ec == std::errc()) std::from_chars(buf.data(), res.ptr, shortest);
  return shortest;
}

Str255 StringFormatter(float value) {
  const double v = value;
  if (!std::isfinite(v)) return NonFiniteText(v);
  // A value that is whole, or within a millionth above a whole value, shows as that
  // whole value. 0 fails the test (0/0 is no number) and goes on. The rounded value
  // is itself a float (every float from 2^23 up is whole), so it keeps the float's
  // digits rather than those of its widening to double.
  if (v != 0 && std::trunc(v) / v >= 0.999999) return PlainText10(static_cast<float>(std::round(v)));

  const double a = std::fabs(v);
  const char* picture = nullptr;
  if (a < 1) return PlainText10(value);  // 0.1f shows as 0.1, not as 0.1000000015
  if (a < 10) {
    picture = "###.#####";
  } else if (a < 100) {
    picture = "####.####";
  } else if (a < 1000) {
    picture = "#####.##";
  } else if (a < 10000) {
    picture = "######.#";
  } else {
    return PlainText10(static_cast<float>(std::round(v)));  // rounded in floating point: no integer overflow
  }
  // The plain conversion above already drops its trailing zeros; only a picture
  // text has its own to trim.
  Str255 text = PictureFormat(v, picture);
  TrimPictureText(text);
  return text;
}

// Whole values with fewer than 16 digits are shown with all their digits (counts and
// sample numbers must not lose digits to rounding). Other values are rounded to the
// given significant digits and shown in fixed notation from 1e-4 up to below
// 10^digits, in exponent notation outside that ("1.2346e+05" with 5 digits).
Str255 NumText(double v, int significantDigits) {
  if (!std::isfinite(v)) return NonFiniteText(v);
  if (v == 0) return " 0";
  const int digits = std::clamp(significantDigits, 1, 17);
  if (v == std::trunc(v) && std::fabs(v) < 1e15) return WithSignPlace(Chars(v, std::chars_format::fixed, 0));
  return SignificantText(v, digits);
}

Str255 NumText(double v) {
  return NumText(v, SignificantDigits);
}

// Ten significant digits in fixed notation for magnitudes from 2^-7 to 2^32 (both
// included; within that range the "%g" rule always chooses fixed notation, so
// whole values show all their digits), exponent notation with a signed exponent of
// at least two digits outside it (" 1.5e-09", " 4.294967297e+09").
Str255 PrintedNumber(double v) {
  if (!std::isfinite(v)) return NonFiniteText(v);
  if (v == 0) return " 0";
  return PrintedText(v, PrintedInFixedNotation(v));
}

// The notation follows the float's own magnitude (2^32 is a float, the shortest
// decimal that reads back as it is above 2^32); whole values in fixed notation keep
// their exact digits.
Str255 PrintedNumber(float value) {
  const double v = value;
  if (!std::isfinite(v) || v == 0) return PrintedNumber(v);
  const bool fixed = PrintedInFixedNotation(v);
  if (fixed && v == std::trunc(v)) return PrintedText(v, true);
  return PrintedText(ShortestDecimal(value), fixed);
}

// NaN and infinities show their fixed texts, right-aligned in the picture's width.
Str255 PictureFormat(double v, std::string_view picture) {
  if (!std::isfinite(v)) {
    const Str255 fixed = NonFiniteText(v);
    const std::size_t width = std::max(picture.size(), fixed.size());
    return Str255(std::string(width - fixed.size(), ' ') + fixed.str());
  }
  const Picture p = ParsePicture(picture);
  const std::string text = Chars(std::fabs(v), std::chars_format::fixed, p.decimals);
  const std::size_t dot = text.find('.');
  const std::string whole = text.substr(0, dot);
  const std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
  // A value that rounds to zero shows no minus sign.
  const bool negative = v < 0 && text.find_first_of("123456789") != std::string::npos;
  std::string out = FillWholePart(p.wholePart, whole, negative);
  if (p.hasPoint) out += "." + fraction;
  return Str255(out);
}

// The leading number of the text after blanks: an optional sign, digits with an
// optional fraction (or a fraction alone), an optional exponent. Anything else
// reads as 0, and so do texts such as "inf" or "nan" and numbers beyond the range
// of a double: a typed or stored text never yields a value that is no number.
double TextToNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const auto isDigit = [&](std::size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '9'; };
  if (!isDigit(i) && !(i < text.size() && text[i] == '.' && isDigit(i + 1))) return 0;
  double value = 0;
  const auto res =
      std::from_chars(text.data() + i, text.data() + text.size(), value, std::chars_format::general);
  if (res.ec != std::errc() || !std::isfinite(value)) return 0;
  return negative ? -value : value;
}

void TRUNCATE(Str255& s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
}

double GetCurrentTimeInSeconds() {
  const uint64_t us = rt::Microseconds();
  const double high = static_cast<double>(static_cast<uint32_t>(us >> 32));
  const double low = static_cast<double>(static_cast<uint32_t>(us));
  return (high * 4294967296.0 + low) * 0.000001;
}

}  // namespace mv
