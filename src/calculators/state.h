// Program-wide values owned by this subsystem.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace mv {

// ---- resting metabolism: kept between openings ----------------------------------------
extern float ValueOfA;              // the equation's coefficient a, ml O2/min for grams
extern float BMRunitfact;           // the factor of the unit of the last computation
extern int16_t FishMR;              // the fish list is shown: the flow panel works on water
extern int16_t PartsPerThousand;    // salinity of the water: 1, 15 or 35 (0: not chosen yet)
extern int16_t LastMetabolismMENU;  // taxon list at the last closing: 51..57, 0 never opened
extern int16_t LastMetabolismSUBMENU;
extern int16_t LastMetabolismUNIT;
extern float LastBaseTb, LastRealTB, LastQ10, LastBodyMass, LastExponent;
// The mass unit of LastBodyMass: 1 when it was typed in kilograms, 0 in grams.
extern int16_t LastMassInKg;
extern int16_t ShowGeneralMENU;  // a group list asked for the main list
// The custom coefficient [1] and exponent [2] of the main list's last item.
extern std::array<float, 3> CustomAllometry;

// ---- simple regression: the table outlives the window ------------------------------
// Rows 1..20: column 2 X, column 1 Y; column 0 of rows 1..3 the fitted a, b, c.
// Held in double precision: the values as typed, and the fit made from them.
extern std::array<std::array<double, 5>, 21> SimpleRegressionDataArray;
// Rows 1..20: true when the row had text in either field at the last calculation. Blank
// rows are left out of the fit and the export; a typed (0, 0) is a point.
extern std::array<bool, 21> SimpleRegressionRowPresent;
// The last fit's a, b, c go to aval, bval and exponent (conversions/state.h).
extern std::string RegressionDataCFURL;  // the path of the last export
// Plot bounds of the last regression plot and its pixels per X unit.
extern float minx1, maxx1, miny1, maxy1, stepx;

// ---- sun cycle: the place and the annual table ------------------------------------------
// Degrees, north and west positive in the computation; the map picker hands back
// absolute values with the hemispheres in the two flags (1 North, 1 West).
extern float latitude, longitude;
extern int16_t northLatitude, westLongitude;
// Sunrise and sunset of the last computed day, in clock hours.
extern float JulianSunrise, JulianSunset;
// Rows 1..365 by day of the year: hours of daylight, sunrise, sunset (column 3 unused).
extern std::array<std::array<float, 4>, 367> SunCycleArray;

void ResetCalculatorsState();

}  // namespace mv
