// The feedback schedule's timing picture: setpoint against time in the panel below the
// channel list of the feedback window, with the largest and smallest setpoints and the
// loop's duration in fields of the window.
#pragma once
#include <cstdint>

#include "control/ao_script_diagram.h"

namespace mv {

// Field numbers: largest and smallest setpoint (made by the picture), loop duration
// (made by the window).
constexpr int16_t kFeedbackLargestField = 50, kFeedbackSmallestField = 51, kFeedbackLoopField = 130;

struct FeedbackTiming {
  Diagram diagram;
  bool drawn = false;  // false: the empty panel only, the fields untouched
  float largest = 0, smallest = 0;
  Str255 loopText;  // " 15 min" or "no loop"
};

// The panel's shift: 78 when the display allows more than 12 channels, else 10.
int16_t FeedbackPanelShift();
// Lays out steps 1 to steps of FeedbackArray. Nothing is drawn when there are no steps
// or their durations add up to nothing.
FeedbackTiming LayOutFeedbackTiming(int16_t steps);
// Paints the panel and the picture into window 788, and sets fields 50, 51 and 130.
void DrawFeedbackTiming(int16_t steps);

}  // namespace mv
