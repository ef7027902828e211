// The start-up speed test: a fixed burst of drawing and text output, timed in
// ticks, gives the display speed FreeRunSpeed and a one-line verdict.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kSpeedTestWindow = 4;

// FreeRunSpeed from the elapsed ticks (taken as a signed 16-bit count):
// 17000 div trunc(elapsed / 2.3), a quotient below 1 counting as 1.
int16_t SpeedFromTicks(int32_t elapsedTicks);
// The verdict shown for a speed figure, e.g. " REALLY fast...".
Str255 SpeedVerdict(int16_t freeRunSpeed);
// True from 221 on.
bool SpeedIsFast(int16_t freeRunSpeed);

// Runs the test in window 4 and sets FreeRunSpeed, CPU_is_Fast and slot 61 (0).
void GetSpeedEstimate();

}  // namespace mv
