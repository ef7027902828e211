// The Simple Math calculator: two registers, X (field 111) and Y (field 112),
// reverse-Polish operator keys and one-click buttons for functions, unit
// scalings and circle and sphere formulas.
#pragma once
#include <cstdint>

namespace mv::calc {

constexpr int16_t kSimpleMathX = 111;
constexpr int16_t kSimpleMathY = 112;
constexpr const char* kMathErrorText = "***  MATH ERROR !!  ***";

// Opens window 8 and runs it until Done, the close box or another window's
// activation.
void SIMPLECALC();

// Applies the operator key left pending in MathOperation while Y is the active
// field; anywhere else the key does nothing. MathOperation is cleared.
void HandleMathOperation();

// Flashes the math error in field 111 (six times over 1.8 s, no events handled)
// and leaves the field with the text it had.
void CALCERROR();

}  // namespace mv::calc
