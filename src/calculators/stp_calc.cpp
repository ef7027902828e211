#include "calculators/stp_calc.h"

namespace mv::calc {

float InternalPressureTorr(float value, int16_t unit) {
  switch (unit) {
    case kStpPSI:
      return static_cast<float>(value * 51.7149);
    case kStpKPa:
      return static_cast<float>(value * 7.5002);
    case kStpMmH2O:
      return static_cast<float>(value * 0.076);
    default:
      return value;
  }
}

float StpFlow(const StpEntries& e) {
  const float internal = InternalPressureTorr(e.internal, e.pressureUnit);
  const float flow = e.cumulativeVolume ? e.volume * 60.0f / e.seconds : e.flow;
  // The pressure term stays in single precision, as the meter's own arithmetic does.
  const float bracket = (e.barometric + internal) * flow / 760.0f;
  float stp = static_cast<float>((e.calibTemp + 273.0) * bracket / (e.meterTemp + 273.0));
  if (e.litres) stp = static_cast<float>(stp * 0.001);
  return stp;
}

}  // namespace mv::calc
