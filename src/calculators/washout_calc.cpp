#include "calculators/washout_calc.h"

#include <array>
#include <cmath>

namespace mv::calc {

int16_t WashoutPercentOfItem(int item) {
  // Entry 0 is never chosen: the list starts at item 1.
  constexpr std::array<int16_t, 8> kPercent = {25, 33, 50, 67, 75, 90, 95, 99};
  if (item < 1 || item > 7) return 67;
  return kPercent[static_cast<std::size_t>(item)];
}

float WashoutLog(int16_t percent) {
  switch (percent) {
    case 33: return -0.4054651f;
    case 50: return -0.693147f;
    case 67: return -1.0986123f;
    case 75: return -1.386294f;
    case 90: return -2.302585f;
    case 95: return -2.995732f;
    default: return -4.60517f;
  }
}

float WashoutMinutes(float volumeMl, float flowMlPerMin, int16_t percent) {
  return std::fabs(volumeMl / flowMlPerMin * WashoutLog(percent));
}

}  // namespace mv::calc
