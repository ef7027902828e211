// Water vapour and oxygen: the vapour pressure of humid gas, the ambient oxygen
// partial pressure, and the oxygen content of water in equilibrium with a gas.
#pragma once
#include <string>

#include "runtime/str255.h"

namespace mv::calc {

constexpr double kTorrPerKPaAtm = 760.0 / 101.325;

// Saturated water vapour density in g/l at T degrees C (the fifth-order fit, one
// coefficient set up to 4 degrees, another above).
float SaturatedVapourDensity(float celsius);
// Vapour pressure at a percent saturation, in torr (or kPa); never negative.
// The saturated density used is handed back in `density`.
float VapourPressure(float celsius, float percentSaturation, bool torr, float* density = nullptr);
// The vapour pressure as the window shows it: the plain number text cut to 7
// characters; a text whose cut would drop its exponent is kept whole, so the value
// read back from it stays the value computed.
Str255 VapourPressureText(float value);
// Oxygen partial pressure of the humid gas; P and W in the window's unit.
float OxygenPartialPressure(double pressure, double vapour, float percentO2, bool torr);

// Dissolved oxygen: the factor of saturation, pressure and oxygen fraction
// (1 for air-saturated water at 760 torr), and the content per litre and in a volume.
float PressureSaturationFactor(float percentSaturation, float torr, float percentO2);
struct OxygenContent {
  float exponent = 0;  // the solubility exponent x
  float perLitre = 0;  // ml O2 (STP) per litre
  float net = 0;       // ml O2 (STP) in the volume
};
// The salinity in parts per thousand (dissolved solutes); F the factor above; V in ml.
OxygenContent O2Content(float celsius, float volumeMl, float partsPerThousand, float factor);

}  // namespace mv::calc
