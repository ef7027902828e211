// The preference slots as data: each slot's start-up value and whether the
// preferences file keeps it.
#pragma once
#include <array>
#include <cstdint>

#include "kit/state.h"

namespace mv {

// Start-up values of PrefsArray. Slots 11 and 12 (the recording window size)
// depend on the display and are computed at start-up; they read 0 here.
constexpr std::array<int16_t, kPrefsSlots> kPrefsInitialValues = {
    0, 0, 0, 1, 0, 0, 0, 1, 0, 0,    // 0-9
    0, 0, 0, 2, 1, 1, 0, 0, 1, 100,  // 10-19
    0, 0, 1, 1, 1, 1, 0, 1, 1, 1,    // 20-29
    0, 1, 0, 0, 0, 2, 0, 0, 0, 1,    // 30-39
    0, 0, 0, 0, 0, 0, 0, 0, 1, 0,    // 40-49
    0, 1, 0, 0, 0, 0, 0, 0, 0, 0,    // 50-59
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,    // 60-69
    0};                              // 70

// Slots the preferences file stores (the interface code travels in it too,
// and its reader puts it into slot 54).
constexpr bool IsStoredInPreferencesFile(int slot) {
  return (slot >= 1 && slot <= 21) || slot == 30 || slot == 51 || slot == 52 || slot == 53 || slot == 57 ||
         slot == 59 || slot == 60;
}

}  // namespace mv
