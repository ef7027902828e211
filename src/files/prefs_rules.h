// The rules of the preferences window as plain functions: which slot a switch
// flips, the window-size and status-display choices, the custom size fields,
// the tolerance text and the menu marks that mirror the switches.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "runtime/str255.h"

namespace mv {

// ---- switches ------------------------------------------------------------------------------
// The slot a check box flips between 0 and 1, or 0 for a button that is no plain switch.
int16_t ToggleSlotOf(int16_t button);

// Radio groups: the value a radio button gives its slot(s).
// 13 binary, 15 Sable, 14 text -> (slot 16, slot 17) = (0,0), (1,0), (0,1).
void ChooseFileFormat(int16_t button);
// The marked button of the file-format group: 15 when slot 16 is set, else 14 when
// slot 17 is set, else 13.
int16_t FileFormatButton();

// ---- window size (popup 133) ----------------------------------------------------------------
// Slot 8 takes the item; items 1-4 and 6 (and any other value but 5) set slots 11
// and 12; 5 keeps the typed size for ReadScreenData.
void ApplyWindowSizeChoice(int16_t popupItem, int displayWidth, int displayHeight);
// The popup's item for slot 8: the slot when it is 1 to 6, else 5.
int16_t WindowSizePopupItem(int16_t slot8);
// The sweep keeps its points when the new width fits them (scopeXfactor = width /
// ScopeMax); otherwise it grows to one point per pixel.
void FitScopeToWindowWidth(int16_t width);
// Only with choice 5: slot 11 = the width text, at least 640; slot 12 = the height
// text, at least 480. Returns true when it applied them.
bool ReadScreenData(std::string_view widthText, std::string_view heightText);

// ---- status displays (popup 134) ------------------------------------------------------------
// Max_Display_Speed of items 1-11 (the separator, 3, gives 0 as "Always On" does);
// nothing for other items.
std::optional<int32_t> StatusDisplayLimitOfItem(int item);
// The item that shows a limit; a limit the list lacks shows "Always Off", as the
// status display window shows it.
int16_t StatusDisplayItemOf(int32_t limit);

// ---- texts --------------------------------------------------------------------------------------
// "Rate Records Precision is " + the tolerance in percent (printed-number rule) + "%".
Str255 RateToleranceText();

// ---- menu marks ------------------------------------------------------------------------------------
// The menu items that show the switches of the window, marked by what they mean:
// Edit 10 sounds, Edit 11 weird sounds (enabled while sounds are on), View 13 switch
// status, View 14 large readouts, View 17 help data (enabled unless the window is
// 640 wide), time grids 90/1 (and 90/2 enabled with them), zero lines 91/4,
// averaging 110/3 for continuous scanning, the File format items 3 to 5 and Edit 13
// (disabled for text files). Items the bar does not hold are left alone.
void MarkPreferenceMenus();

}  // namespace mv
