// The run-time switching schedule: the calls every recording loop makes, and the one
// place where switching times are computed.
//
// Each recording loop calls, in this order:
//   1. SwitchingAtRunStart(t0) once as the run's clocks start (t0 = start tick);
//   2. SwitchingAtPeriodStart(now) when a further sampling period begins;
//   3. on every pass, the keys first (SwitchingOnKeySample, SwitchingOnKeyReference,
//      SwitchingOnDirectSwitch, SwitchingOnAddTime), then SwitchingOnPass(now);
//   4. SwitchingAtRunEnd() when the run is over.
// The run's other timed services start with RunServicesAtStart and hear of markers
// through RunServicesAtFirstMarker and RunServicesAtEndMarker. The switching calls return
// the switch markers the loop should draw (when the marker preference asks for them),
// so the loop keeps its own marker placement. A switch whose commands wait for the line
// (hung up) is not marked then: its markers come with the sample its commands go out
// before (SwitchingBeforeSample) or the switch that sends them ahead of its own, and a
// run that ends first never marks it.
#pragma once
#include <cstdint>
#include <vector>

#include "control/state.h"

namespace mv {

// A tick count saturated to the 32-bit schedule range; past it is "never".
int32_t ScheduleTick(double ticks);

// A new run's first reference and sample times from its start tick t0, and its first
// sample device; a run resumed on its screen (newRun false) keeps its times, only those
// its pattern does not use are "never".
void SwitchingAtRunStart(double t0, bool newRun);
// A further sampling period starting now: the reference goes on first (a periodic
// pattern's period begins with its reference, as the run's first does), then the new
// period's times and its first sample device.
void SwitchingAtPeriodStart(double now);
// Before a sample's readings: the switch commands the line refused go out, and the
// switches they complete are returned, to be marked at this sample, whose readings are
// the first taken with the valves as they now stand.
std::vector<SwitchMarker> SwitchingBeforeSample();
// The timed switches due at `now`, in order: the move to the sample (or along the cycle),
// then the reference when its time has come and it is off.
std::vector<SwitchMarker> SwitchingOnPass(int32_t now);
// The keys: '+' (or the sample icon), '-' (or the reference icon), a direct switch to
// device n (a sample switch like '+', marked as one), and Return's added w samples (the
// reference at the end moves with them).
std::vector<SwitchMarker> SwitchingOnKeySample();
std::vector<SwitchMarker> SwitchingOnKeyReference();
std::vector<SwitchMarker> SwitchingOnDirectSwitch(int16_t n);
void SwitchingOnAddTime(int32_t w);
// The run is over: the reference goes back on and nothing further is due.
void SwitchingAtRunEnd();

// The run's timed services besides switching: the audible timer first (its start sound
// is the run's first), then the output scripts.
void RunServicesAtStart();
// The run's first marker: the timer, then the scripts waiting for it.
void RunServicesAtFirstMarker();
// An "x" (key 'x') or "q" (key 'q') end marker: the timer (at "x"), then the scripts
// that end at it.
void RunServicesAtEndMarker(char key);

}  // namespace mv
