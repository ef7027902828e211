// The closed-system respirometry calculator window.
#pragma once
#include <cstdint>

namespace mv::calc {

// Opens window 8, computes once, runs its loop until Done or the close box.
void ClosedSystemRespirometry();

// Reads fields 111..119, 210 and 211, writes the four results 212..215 and leaves
// no field active.
void ClosedSystemRespCalc(int16_t absorbed, int16_t useRQ);

}  // namespace mv::calc
