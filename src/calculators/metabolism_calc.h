// The arithmetic of the resting metabolism calculator: the per-mass form of an
// allometric equation, the temperature-corrected rate and the minimum flow rate.
#pragma once
#include <cstdint>

namespace mv::calc {

// Putting the equation into per-mass form (exponent b - 1, a * M) for a per-mass unit,
// or back (b + 1, a / M) for a whole-animal unit; the whole-animal rate is the same.
struct PerMassForm {
  bool changed = false;
  float exponent = 0;
  float valueOfA = 0;
};
PerMassForm ToUnitForm(int16_t unit, float exponent, float valueOfA, float massGrams);

// MR in ml O2/min: (a * r) * M^b, corrected from the base to the real temperature
// with the Q10; the powers in double precision, each step rounded to single.
float RestingRate(float valueOfA, float ratio, float massGrams, float exponent, float baseT, float realT,
                  float q10);

// Oxygen content of air-saturated water, ml O2 per ml, at a salinity in ppt.
float WaterOxygenContent(int16_t partsPerThousand);

// Flow (ml/min, or L/min when litres) that keeps the fall in oxygen at the given
// percentage for an animal at `multiple` times the rate mr; for fish the fall is a
// fraction of the water's oxygen content. Nothing is checked: a zero fall gives inf.
float MinimumFlow(float mr, int16_t multiple, float percentFall, bool fish, int16_t partsPerThousand,
                  bool litres);

}  // namespace mv::calc
