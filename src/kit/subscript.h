#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

// Draws a label with a subscript (O2, CO2) in the output window's text font
// and colour: `before` with its baseline at (x, y), `subscript` right after it
// and `drop` pixels lower, `after` right after that on the first baseline.
void DoSubscript(int16_t x, int16_t y, const Str255& before, const Str255& subscript, const Str255& after,
                 int16_t drop);

}  // namespace mv
