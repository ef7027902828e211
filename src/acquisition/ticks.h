// The time axis of the acquisition window: the tick ladders, the ticks and time grids
// of the chart strips, the scope grid, and the time labels under the chart, which
// carry their phase from one screen to the next (NextTicPosition, zz).
#pragma once
#include <cstdint>
#include <vector>

#include "runtime/str255.h"

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
// In oscilloscope mode the scope's labels.
void DRAWTICLABELS();

// The scope's time axis follows the trace's own x scale (ScopeTraceXScale), in every
// scope mode: the seconds between two ticks of the default ladder (after
// COMPUTESCOPETICS); and the labels as printed, each at the x of the point whose time
// it names (with its unit, " sec" or " min", where one is printed).
double ScopeTickSeconds();
struct ScopeTimeLabel {
  float x = 0;
  Str255 text;
  const char* unit = "";
};
std::vector<ScopeTimeLabel> ScopeTimeLabels();

// The chart's time labels as the last label pass printed them under the chart, left to
// right (the first with its unit).
std::vector<ScopeTimeLabel> PrintedChartTimeLabels();

}  // namespace mv
