#include "calculators/q10_calc.h"

#include <cmath>

namespace mv::calc {

std::optional<float> Q10AdjustedRate(float baseTemp, float adjustedTemp, float q10, float baseRate) {
  if (q10 < 0) return std::nullopt;
  const float exponent = static_cast<float>((adjustedTemp - baseTemp) * 0.1);
  const float rate =
      static_cast<float>(baseRate * std::pow(static_cast<double>(q10), static_cast<double>(exponent)));
  if (!std::isfinite(rate)) return std::nullopt;
  return rate;
}

std::optional<float> Q10FromRates(float baseTemp, float adjustedTemp, float baseRate, float adjustedRate) {
  const float difference = adjustedTemp - baseTemp;
  if (difference == 0) return std::nullopt;
  // A rate that changes sign is no Q10, even where a whole power of the negative
  // quotient would have a value.
  if ((baseRate < 0) != (adjustedRate < 0)) return std::nullopt;
  const float ratio = adjustedRate / baseRate;
  const float q10 = static_cast<float>(std::pow(static_cast<double>(ratio), 10.0 / difference));
  if (!std::isfinite(q10)) return std::nullopt;
  return q10;
}

}  // namespace mv::calc
