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

// The readout shape where a calculator's field is written as readouts are: whole
// values (and values within a millionth above one) and values of 10,000 or more as
// whole numbers, values from 1 to 10,000 by decade with 5, 4, 2 or 1 decimals; the
// whole numbers and the values below 1 take NumberText.
Str255 ReadoutText(float v);

}  // namespace mv::calc
