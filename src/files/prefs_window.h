// The "User Preferences" window: three tabs of switches, the recording window
// size, the status-display limit, and "Save Settings..." which writes the
// preferences file. Changes take effect at once in memory.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kPreferencesWindow = 13;
constexpr int16_t kPrefsTabControl = 500;
constexpr int16_t kPrefsHelpButton = 221, kPrefsSaveButton = 219, kPrefsOKButton = 220;
constexpr int16_t kWindowSizePopup = 133, kStatusDisplayPopup = 134;
constexpr int16_t kCustomWidthField = 111, kCustomHeightField = 102;
constexpr int16_t kEditShutdownButton = 300, kRateToleranceButton = 12;
// The popups' menu numbers.
constexpr int16_t kWindowSizeMenu = 133, kStatusDisplayMenu = 134;

// The window; returns when it closes.
void SetPREFERENCES();

// Marks every button of the open tab from the slots, and the menu items that mirror them.
void setprefbuts();

// The note a switch carries after its label when "Save Settings..." does not keep it
// (the preferences file has no place for it): "(kept in set-up files)" or "(this
// session only)"; nullptr for a switch the file keeps, or no switch of the window.
const char* KeptNote(int16_t button);

// The line under the coding radios (the switching that coding changed or cannot do).
constexpr int16_t kCodingNoteField = 40;

}  // namespace mv
