// The arithmetic of the resting metabolism calculator: the per-mass form of an
// allometric equation, the temperature-corrected rate and the minimum flow rate.
#pragma once
#include <cstdint>

namespace mv::calc {

// The equation is kept whole-animal, MR = a * M^b in ml O2/min; a per-mass unit shows
// it per gram, as the exponent b - 1 with the coefficient a times the unit's factor.
// Neither depends on the mass, so a new mass never changes the equation.
//
// An exponent as typed or listed: in a per-mass unit a positive one is still the
// whole-animal b (the lists give them so) and any other is the per-mass b - 1; in a
// whole-animal unit a negative one is the per-mass b - 1.
bool ReadsAsPerMass(int16_t unit, float exponent);
float WholeAnimalExponent(int16_t unit, float exponent);
// The exponent a unit shows for the whole-animal b.
float ShownExponent(int16_t unit, float b);
// The coefficient a unit shows is a times this factor.
float UnitCoefficientFactor(int16_t unit);

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
