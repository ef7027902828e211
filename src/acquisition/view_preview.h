// What the scope and chart view windows show of the present settings: a preview box
// with a random trace at the chosen density, and the chart's screen-time readouts.
// Both act on the current output window, whichever view window that is.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

// The preview box: the scope's density (scope non-zero) or the chart's compression.
void DrawFakeChart(int16_t scope);
// Fields 101 (compression), 102 (screen duration), 103 (screens per period) and 104
// (seconds, minutes or hours between ticks); recomputes the chart tick ladder.
void SCREENTIME();

// A screen of seconds seconds in its readout unit: seconds, minutes above 600 s,
// hours above 7200 s.
struct ScreenTimeReadout {
  float value = 0;
  const char* unit = " sec";
};
ScreenTimeReadout ScreenTimeFor(float seconds);

}  // namespace mv
