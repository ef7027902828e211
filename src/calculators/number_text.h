// How every calculator writes a number into a field or a line of its exports.
//
// The calculators show what their user reads, with the significant digits chosen
// in the View menu (SignificantFigures, 5 at start-up), so a float's binary error
// never shows: 0.1f reads " 0.1", not " 0.1000000015".
//  - fixed notation for magnitudes from 2^-7 up to below 2^32, rounded to the
//    significant digits ("12346" stays 5 digits: " 12346"; 123456.7 reads " 123460");
//  - whole numbers below 2^32 in full (" 1234567");
//  - exponent notation "d.dddde+XX" outside that range (" 1.5e-09", " 6.0221e+23");
//  - trailing zeros and a bare point dropped, a blank in the sign place of a value
//    that is not negative, and the kit's fixed texts for values that are no number.
#pragma once
#include "runtime/str255.h"

namespace mv::calc {

Str255 NumberText(double v);
Str255 NumberText(double v, int significantDigits);

// A calculator's result where it is written as readouts are: a whole value (or one
// within a millionth above a whole value) as that whole number, any other with the
// significant digits of the View menu, as NumberText.
Str255 ReadoutText(float v);

}  // namespace mv::calc
