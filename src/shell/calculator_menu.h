// The Special menu's calculators, as the menu handlers run them.
#pragma once
#include <cstdint>

namespace mv {

// Runs the calculator of the Special menu's item and marks the command carried out
// (MENUID 255). False, with nothing run, for an item that names no calculator.
bool RunCalculator(int16_t specialItem);

}  // namespace mv
