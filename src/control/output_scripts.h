// The analog-output scripts and the feedback schedule during a recording: started at
// the run's first screen, at the first marker or at an "s" marker, stepped and ramped on
// every pass of the recording loop, and ended after their last step or at an "x" or "q"
// marker. Every volt goes out through SetAOvolts. The feedback schedule is in feedback.h.
#pragma once
#include <cstdint>

namespace mv {

// The run's start: copies the start and end events, starts the scripts that start at
// the first sample and arms the feedback schedule.
void StartOutputScripts();
// Starts step 1 of the chosen outputs that are enabled and due to run.
void BeginAOscript(bool output1 = true, bool output2 = true);
// One pass of the recording loop: steps and ramps the running scripts and starts those
// waiting for an "s" marker when one has been inserted since the last pass.
void checkAOscript();
// The scripts' part of the first marker of a run.
void ScriptsAtFirstMarker();
// The scripts' and the feedback's part of a "q" (code 3) or "x" (code 2) marker.
void ScriptsAtEndMarker(int16_t endEvent);
// After a run: each output that ends at marker "x" and sets end volts gets them, and
// every value still waiting for the half-second gate is sent.
void SetEndVoltsAfterRun();

}  // namespace mv
