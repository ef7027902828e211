// The resting metabolism calculator: metabolic allometry (form 0) and, with the
// minimum flow rate panel, form 1.
#pragma once
#include <cstdint>

namespace mv::calc {

void METABOLISM(int16_t form);

// Computes MR in ml O2/min from the window's fields, shows it and the coefficient
// in the unit; with useTyped a coefficient typed over the one shown becomes the
// equation's, kg reads the mass in kilograms.
float BMRCALC(int16_t unit, int16_t useTyped, int16_t kg);
// Shows the minimum flow rate for the rate and the activity multiple in field 109.
void CalculateFlow(float mr, int16_t spare, int16_t flowUnits, int16_t multiple);
// Applies item `item` of taxon list `list` to the window's fields.
void BMR_DATA(int16_t list, int16_t item);

}  // namespace mv::calc
