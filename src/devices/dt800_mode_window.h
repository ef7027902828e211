// The DT800 family's acquisition-mode window.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kDT800ModeWindow = 100;

// Lets the user choose high speed or high accuracy, the mains frequency and (in high
// speed) no mains filtering, then sends the logger the chosen mode's parameter block.
void DT800COMMUNICATIONS();

}  // namespace mv
