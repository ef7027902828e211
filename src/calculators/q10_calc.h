// The Q10 rule: a rate at one temperature moved to another, and the Q10 of two
// rates at two temperatures. No value when the rule cannot give one.
#pragma once
#include <optional>

namespace mv::calc {

// R2 = R1 * Q10^((t2 - t1) / 10); none for a negative Q10, or when the power has
// no finite value (a Q10 of 0 towards a lower temperature).
std::optional<float> Q10AdjustedRate(float baseTemp, float adjustedTemp, float q10, float baseRate);
// Q10 = (R2 / R1)^(10 / (t2 - t1)); none for equal temperatures, for rates of
// unlike sign (one negative, the other not) at any temperature step, or when the
// quotient or its power has no finite value (a base rate of 0).
std::optional<float> Q10FromRates(float baseTemp, float adjustedTemp, float baseRate, float adjustedRate);

}  // namespace mv::calc
