// The unit interconversions: four categories of conversions, each chosen by its
// popup number (63 to 66) and item, with its unit labels, note and rule.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace mv::calc {

constexpr int16_t kEnergyPopup = 63, kSpeedPopup = 64, kMassPopup = 65, kPressurePopup = 66;

struct Conversion {
  std::string from;  // Mac Roman unit labels and note ("" for no note)
  std::string to;
  std::string note;
  float result = 0;
};

// The conversion of x by a category's popup and item; nullopt outside the tables.
std::optional<Conversion> Convert(int16_t popup, int16_t item, float x);

// The rules with formulas of their own.
float SunlightByElevation(float elevationDegrees);
float SunlightByAltitude(float metres);
// Saturation over ice below the triple point (0.01 C), over liquid water above it;
// no value (NaN) above the critical point, 373.946 C.
float SaturationVapourPressure(float celsius);  // torr
float SaturationVapourDensity(float celsius);   // g H2O per cubic metre

// Writes one conversion into the current window: note field 115 a blank, then the
// labels (113, 114, 115) and StringFormatter of the result into 112 (0 and the old
// labels outside the tables).
int16_t ConversionsCALCULATIONS(int16_t popup, int16_t item);

// The Special menu's "Unit Conversions..." window.
int16_t UnitCONVERT();

}  // namespace mv::calc
