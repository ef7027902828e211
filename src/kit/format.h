// Turning numbers into text, and text into numbers.
//
// Three rules, each used where its owner says:
//  - StringFormatter: the readout rule (whole values as integers, others with as
//    many decimals as their magnitude leaves room for), built on the ten-digit
//    plain conversion PlainText10.
//  - NumText: the runtime's plain number-to-text rule with the program-wide
//    number of significant digits (SignificantDigits, 5 at start-up).
//  - PrintedNumber: the rule of text files and reports (ten significant digits,
//    fixed notation from 2^-7 to 2^32, exponent notation otherwise).
// All are locale-free; non-finite values get fixed texts " NaN", " Inf", "-Inf".
//
// The ten-digit rules take a single-precision value as what it is: its digits are
// those of the shortest decimal that reads back as the same float (0.06361f gives
// " 0.06361", not the " 0.0636100024" of its binary value widened to double), laid
// out as the rule lays out any value, so nothing is lost and no rounding noise is
// shown. Whole values the rule writes in fixed notation keep all their digits.
// Integers go through the double rule; the overloads exist so that a float is never
// silently widened to double on its way to a ten-digit text.
#pragma once
#include <concepts>
#include <string>
#include <string_view>

#include "runtime/str255.h"

namespace mv {

Str255 StringFormatter(float v);

// Ten significant digits, leading blank when not negative, trailing zeros and a
// bare point dropped.
Str255 PlainText10(double v);
Str255 PlainText10(float v);
Str255 PlainText10(std::integral auto v) {
  return PlainText10(static_cast<double>(v));
}

// The plain number-to-text rule with SignificantDigits digits.
Str255 NumText(double v);
Str255 NumText(double v, int significantDigits);

// The printed-number rule of text files and reports.
Str255 PrintedNumber(double v);
Str255 PrintedNumber(float v);
Str255 PrintedNumber(std::integral auto v) {
  return PrintedNumber(static_cast<double>(v));
}

// The double nearest to the shortest decimal that reads back as v (0.06361f gives
// the double 0.06361): the value a single-precision number was meant to be.
double ShortestDecimal(float v);

// A picture format: "#" digit positions with an optional ".", e.g. "###.##":
// rounded to the picture's decimals and right-aligned in its width (a minus sign
// takes one position; wider values overflow to the left).
Str255 PictureFormat(double v, std::string_view picture);

// Text to number: the leading number of the text (blanks skipped), 0 for none.
double TextToNumber(std::string_view text);

// Removes every trailing blank.
void TRUNCATE(Str255& s);

// The microsecond clock as seconds.
double GetCurrentTimeInSeconds();

}  // namespace mv
