// Proportional feedback on analog output 2 during a recording: the feedback schedule's
// steps (setpoint, control-volt limits, range, duration) come into force one after the
// other, and every FeedbackUpdateInterval ticks the regulated channel's latest stored
// value sets the output within the step's limits. When the schedule ends, the end state
// the user entered takes over; without one the output keeps the last step's volts.
#pragma once
#include <cstdint>

namespace mv {

// Whether the interface in use has output 2, the output the feedback drives (the
// demonstration stands in for an interface with both). Elsewhere a schedule is kept
// but is not in force: it is neither stepped nor sent, and the D-A menu's marks say so.
bool FeedbackOutputPresent();

// The run's start: step 1 comes into force at the first update after this tick.
void BeginFdBk();
// One pass of a recording loop: steps the schedule and drives the output when an
// update is due.
void checkFEEDBACKLoop();
// The feedback's part of an "x" (code 2) or "q" (code 3) marker: when the schedule ends
// at this marker an entered end state comes into force and drives the output at once;
// without one the output keeps its volts.
void FeedbackAtEndMarker(int16_t endEvent);

}  // namespace mv
