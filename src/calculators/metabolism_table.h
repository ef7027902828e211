// Published allometric equations MR = a * mass^b behind the taxon lists of the
// resting metabolism calculator, the units of its result, and the activity and
// water choices of its minimum flow panel.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace mv::calc {

// Taxon list numbers, which are also the numbers of their popup buttons.
constexpr int16_t kMainList = 51, kArthropodList = 52, kFishList = 53, kAmphibianList = 54, kReptileList = 55,
                  kBirdList = 56, kMammalList = 57;

struct Allometry {
  std::string_view exponent;  // exactly as put into the exponent field
  float a;                    // ml O2/min for a mass in grams
  std::string_view baseT;     // empty: the list's default temperature
  std::string_view realT;
  std::string_view q10;       // empty: the Q10 field keeps its text
};

// The equation of item `item` of group list 52..57, none for separators, the
// return item and numbers beyond the list.
std::optional<Allometry> GroupEquation(int16_t list, int16_t item);
// The item of a group list that returns to the main list (0 for other lists).
int16_t ReturnItemOf(int16_t list);
// The temperature text a group list's entries share when they have none of their own.
std::string_view DefaultTemperatureOf(int16_t list);
// Builds the list into the popup menu (1101).
void BuildTaxonList(int16_t list, int16_t menu);

// Main-list items 1, 3 and 4: the unicellular, poikilotherm and homeotherm equations
// (their temperature goes into both temperature fields).
std::optional<Allometry> MainEquation(int16_t item);

// Units of the result: the factor F on the whole-animal rate in ml O2/min for a body
// mass M in grams; items 12 and 22 are headings and any other number has F = 1.
float UnitFactor(int16_t unit, float massGrams);
bool IsPerMassUnit(int16_t unit);

// The activity multiple of an item of the activity list.
int16_t ActivityMultiple(int16_t item);
// Salinity in parts per thousand of an item of the water list, and back.
int16_t SalinityOfWaterItem(int16_t item);
int16_t WaterItemOfSalinity(int16_t partsPerThousand);

}  // namespace mv::calc
