#include "calculators/closed_system_calc.h"

#include <cmath>
#include <limits>

namespace mv::calc {

ClosedSystemResult ClosedSystemCompute(const ClosedSystemInputs& in, bool absorbed, bool useRQ) {
  ClosedSystemResult r;
  const double dO2 = in.deltaO2, dCO2 = in.deltaCO2;
  r.minutes = static_cast<float>(60.0 * in.hours + in.minutes);
  // 273.3 is the absolute-temperature offset this calculator has always used.
  r.correctedVolume = static_cast<float>(static_cast<double>(in.volume) * (1.0 - in.humidity / 100.0) * 273.3 /
                                         (in.temperature + 273.3) * in.pressure / 760.0);
  const double vc = r.correctedVolume;
  const float feO2 = static_cast<float>(in.fiO2 / 100.0 - dO2 / 100.0);
  const float feCO2 = static_cast<float>(in.fiCO2 / 100.0 + dCO2 / 100.0);
  if (in.deltaO2 > 0.0f) {
    if (absorbed) {
      r.vo2 = static_cast<float>(vc * (dO2 / 100.0) / (1.0 - feO2));
    } else if (useRQ) {
      r.vo2 = static_cast<float>(vc * (dO2 / 100.0) / (1.0 - (1.0 - in.rq) * feO2));
    } else {
      r.vo2 = static_cast<float>(vc * (dO2 / 100.0 - 0.01 * feO2 * dCO2) / (1.0 - feO2));
    }
  }
  if (in.deltaCO2 > 0.0f) {
    if (in.deltaO2 > 0.0f) {
      const float retained = feCO2 * r.vo2;
      r.vco2 = static_cast<float>((vc * dCO2 / 100.0 - retained) / (1.0 - feCO2));
    } else {
      r.vco2 = static_cast<float>(vc * (dCO2 / 100.0) / (1.0 - (1.0 - 1.0 / in.rq) * feCO2));
    }
  }
  // A change typed beyond any number is not "no change": what is computed from it is
  // no number either, and the window says why instead of showing 0.
  if (std::isnan(dO2)) r.vo2 = std::numeric_limits<float>::quiet_NaN();
  if (std::isnan(dCO2)) r.vco2 = std::numeric_limits<float>::quiet_NaN();
  r.vo2PerMinute = r.vo2 / r.minutes;
  r.vco2PerMinute = r.vco2 / r.minutes;
  return r;
}

}  // namespace mv::calc
