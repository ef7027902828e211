// The time axis of the acquisition window: the tick ladders, the ticks and time grids
// of the chart strips, the scope grid, and the time labels under the chart, which
// carry their phase from one screen to the next (NextTicPosition, zz).
#pragma once
#include <cstdint>

namespace mv {

// Chart ladder: TicIntervalInSeconds, minute_units, ticgap; NextTicPosition := 0.
void COMPUTETICS();
// Scope ladder: span, scopeticgap.
void COMPUTESCOPETICS();
// firsttic := NextTicPosition.
void GetFirstTIC();
// Chart ticks and grids (scope 0) or the scope grid (scope non-zero, labels when
// labels is 1 in scope-plus-chart mode).
void DRAWTICS(int16_t scope, int16_t labels);
// The labels under the chart and their unit; leaves NextTicPosition for the next screen.
void DRAWTICLABELS();

}  // namespace mv
