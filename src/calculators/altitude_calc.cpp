#include "calculators/altitude_calc.h"

#include <cmath>

namespace mv::calc {

float StandardPressureTorr(float metres) {
  return static_cast<float>(760.0 * std::exp(-0.00012603 * metres));
}

float AltitudeOfPressure(float torr) {
  return static_cast<float>(std::log10(static_cast<double>(torr)) * -18271.0 + 52635.35);
}

float AltitudeFromEntry(float pressure, bool torr, bool feet) {
  const bool standard = torr ? pressure == 760.0f : pressure == kStandardKPa;
  if (standard) return 0.0f;
  const float inTorr = torr ? pressure : static_cast<float>(pressure * kTorrPerKPa);
  float h = AltitudeOfPressure(inTorr);
  if (feet) h = static_cast<float>(h * kFeetPerMetre);
  return h;
}

float PressureFromEntry(float altitude, bool torr, bool feet) {
  if (altitude == 0.0f) return torr ? 760.0f : kStandardKPa;
  const float metres = feet ? static_cast<float>(altitude / kFeetPerMetre) : altitude;
  const float p = StandardPressureTorr(metres);
  return torr ? p : static_cast<float>(p * kKPaPerTorr);
}

float RequiredConcentration(float simulatedTorr, float concentration, float measurementTorr) {
  return simulatedTorr * concentration / measurementTorr;
}

}  // namespace mv::calc
