#include "calculators/oxygen_calc.h"

#include <array>
#include <cmath>

#include "calculators/number_text.h"
#include "kit/format.h"

namespace mv::calc {

namespace {

using Coefficients = std::array<double, 6>;
constexpr Coefficients kColdWater = {0.0048364, 0.00033247, 9.9414e-6, 1.6383e-7, 1.5029e-9, 6.1512e-12};
constexpr Coefficients kWarmWater = {0.0048207, 0.00033389, 1.058e-5, 1.4478e-7, 2.3182e-9, 6.7731e-12};

}  // namespace

float SaturatedVapourDensity(float t) {
  const Coefficients& c = t <= 4.0f ? kColdWater : kWarmWater;
  float power = 1.0f;
  float sum = static_cast<float>(c[0]);
  for (std::size_t i = 1; i < c.size(); ++i) {
    power *= t;  // the powers of T stay single precision
    const float term = static_cast<float>(c[i] * power);
    sum = static_cast<float>(static_cast<double>(sum) + term);
  }
  return sum;
}

float VapourPressure(float celsius, float percentSaturation, bool torr, float* density) {
  const float k = SaturatedVapourDensity(celsius);
  if (density) *density = k;
  const float saturated = static_cast<float>((celsius + 273.15) * k * 7.50062 * 0.4673615);
  const float perPercent = static_cast<float>(saturated * 0.01);
  float v = perPercent * percentSaturation;
  if (!torr) v = static_cast<float>(v * 101.325 / 760.0);
  if (v < 0) v = 0;
  return v;
}

Str255 VapourPressureText(float value) {
  Str255 text = NumberText(value);
  if (text.size() >= 8 && text.str().find_first_of("eE") == std::string::npos) text.resize(7);
  return text;
}

float OxygenPartialPressure(double pressure, double vapour, float percentO2, bool torr) {
  double p = pressure, w = vapour;
  if (!torr) {
    p = p * kTorrPerKPaAtm;
    w = w * kTorrPerKPaAtm;
  }
  double po2 = (p - w) * static_cast<float>(percentO2 * 0.01);
  if (!torr) po2 = po2 * 101.325 / 760.0;
  return static_cast<float>(po2);
}

float PressureSaturationFactor(float percentSaturation, float torr, float percentO2) {
  const float fraction = static_cast<float>(percentSaturation * 0.01);
  const float pressure = torr / 760.0f;
  const float product = fraction * pressure * percentO2;
  return static_cast<float>(product / 20.95);
}

OxygenContent O2Content(float celsius, float volumeMl, float partsPerThousand, float factor) {
  OxygenContent r;
  r.exponent = static_cast<float>(2.028544 - 0.037973 * celsius - 0.4826 * 0.020751 * partsPerThousand);
  r.perLitre = static_cast<float>((std::exp(static_cast<double>(r.exponent)) + 2.793274) * factor);
  const float inVolume = r.perLitre * volumeMl;
  r.net = static_cast<float>(inVolume * 0.001);
  return r;
}

}  // namespace mv::calc
