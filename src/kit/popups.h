// The builders of the numbered popup menus. Each builds (or rebuilds) the menu
// with the number it is given, which the window then hands to its popup
// button; the chosen item number is the button's value. Item texts keep their
// leading and trailing blanks; "-" is a separator line that keeps its position.
#pragma once
#include <cstdint>
#include <string_view>

namespace mv {

// Menu numbers the windows use: 1101 for most lists.
constexpr int16_t kPopupMenu = 1101, kActivityPopupMenu = 1102, kUnitsPopupMenu = 1103,
                  kWaterPopupMenu = 1104;

// Places a ";"-separated list of UTF-8 item texts from item `from` on; an item
// whose text is "-" (blanks around it allowed) becomes a separator; a text
// placed where one was replaces it.
void PlacePopupItems(int16_t menu, int16_t from, std::string_view list);

// Audible event timer: start, repeat and stop sounds.
void Popup50(int16_t menu);
void Popup51(int16_t menu);
void Popup52(int16_t menu);
// Metabolism calculator: activity level.
void Popup61(int16_t menu);
// Unit interconversions: energy; speed, rate, length, area; mass, volume,
// amount, light; pressure and water vapour.
void Popup63(int16_t menu);
void Popup64(int16_t menu);
void popup65(int16_t menu);
void Popup66(int16_t menu);
// Chamber washout: completion.
void Popup100(int16_t menu);
// Serial port window: baud rate.
void Popup128(int16_t menu);
// Output script start and end events; feedback update interval and end event.
void Popup129(int16_t menu);
void Popup130(int16_t menu);
void Popup131(int16_t menu);
void Popup132(int16_t menu);
// Preferences: recording window size; status display rate.
void Popup133(int16_t menu);
void Popup134(int16_t menu);
// Conversion options: CO2 absorber and flowmeter, RQ, mass and volume flow units, flow source.
void Popup140(int16_t menu);
void Popup141(int16_t menu);
void Popup142(int16_t menu);
void Popup143(int16_t menu);
void Popup145(int16_t menu);
// Direct calibration: readings per point.
void Popup148(int16_t menu);
// Switching window: short and full mode lists.
void Popup180(int16_t menu);
void Popup181(int16_t menu);
// External A/D Device window: interface type; items 1-9 and 11 are the
// interface codes, 10 a separator.
void Popup182(int16_t menu);
// Pause window: sample interval.
void Popup250(int16_t menu);
// Sun cycle: the months.
void MonthsPopupMenu(int16_t menu);
// Metabolism calculator: units; items 12 and 22 are headings that cannot be chosen.
void BuildUnitsPopMenu(int16_t menu);
// Dissolved oxygen: salinity.
void WaterConditionsPopup(int16_t menu);

// The taxon lists of the metabolism calculator: the main list and six group
// lists, each group list ending with a separator and a return item.
void MainTaxonSelectPopup(int16_t menu);
void ArthropodsPopupMenu(int16_t menu);
void FishPopupMenu(int16_t menu);
void AmphibianPopupMenu(int16_t menu);
void ReptilePopupMenu(int16_t menu);
void BirdPopupMenu(int16_t menu);
void MammalPopupMenu(int16_t menu);

}  // namespace mv
