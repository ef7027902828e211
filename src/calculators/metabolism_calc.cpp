#include "calculators/metabolism_calc.h"

#include <cmath>

#include "calculators/metabolism_table.h"

namespace mv::calc {

bool ReadsAsPerMass(int16_t unit, float exponent) {
  return IsPerMassUnit(unit) ? !(exponent > 0.0f) : exponent < 0.0f;
}

float WholeAnimalExponent(int16_t unit, float exponent) {
  return ReadsAsPerMass(unit, exponent) ? exponent + 1.0f : exponent;
}

float ShownExponent(int16_t unit, float b) {
  return IsPerMassUnit(unit) ? b - 1.0f : b;
}

// A per-mass unit's factor holds 1/M; at 1 g it is the factor of the coefficient.
float UnitCoefficientFactor(int16_t unit) {
  return UnitFactor(unit, 1.0f);
}

float RestingRate(float a, float r, float m, float b, float baseT, float realT, float q10) {
  const float scaled = a * r;
  float mr = static_cast<float>(scaled * std::pow(static_cast<double>(m), static_cast<double>(b)));
  const float warmer = realT - baseT;
  mr = static_cast<float>(mr * std::pow(static_cast<double>(q10), warmer * 0.1));
  return mr;
}

float WaterOxygenContent(int16_t ppt) {
  const float x = static_cast<float>(ppt * (-0.4826) * 0.020751 + 2.028544);
  const float mlPerLitre = static_cast<float>(std::exp(static_cast<double>(x)) + 2.793274);
  return static_cast<float>(mlPerLitre * 0.001);
}

float MinimumFlow(float mr, int16_t multiple, float percentFall, bool fish, int16_t ppt, bool litres) {
  float p = static_cast<float>(percentFall * 0.01);
  const float rate = static_cast<float>(multiple) * mr;
  if (fish) p = p * WaterOxygenContent(ppt == 0 ? 1 : ppt);
  float flow = rate / p;
  if (litres) flow = flow / 1000.0f;
  return flow;
}

}  // namespace mv::calc
