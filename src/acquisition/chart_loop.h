// The chart recording loop: samples on a fixed schedule and, between samples, serves
// the keys, the toolbar, notes, switching, scripts, alerts, backups, the X-Y plot and
// new screens; between due times it sleeps instead of spinning.
#pragma once
#include <cstdint>
#include <functional>

#include "runtime/str255.h"

namespace mv {

// Why a chart recording ended.
enum class RunEnd { SamplesDone, StopIcon, StopKey, CommandQ };

// The chart recording loop. Called with the run's counters reset and
// TimeOfNextChartSample set to the first due time; returns when the run ends.
RunEnd CHARTSCANNING();

// Starts the run's time axis (see time_axis.h): the first sample due now + 0.1 s, or
// in scope-plus-chart one chart interval from now (CurrentTimeInSeconds = now). A chart
// run whose priming sweep took `primedSweep` seconds begins its first sample that long
// before it is due (due no sooner than that from now), so the sample stands where it
// is read and the interface's pace is known before it.
void StartChartSchedule(double primedSweep = 0);

// The priming sweep of a chart run: one sweep of the chart channels read as a sample
// reads them, timed; its seconds, or 0 when there is nothing to time (no instrument
// polled in sweeps, readings gathered over the interval, a reading that failed).
double PrimeChartPace();

// The first microsecond at which the clock in seconds reads at least t: 0 for a
// time at or before the clock's start (or no number), kNeverDue for a time the clock
// never reaches (from kNeverDueSeconds on); a few steps of work whatever t is.
constexpr uint64_t kNeverDue = UINT64_MAX;
constexpr double kNeverDueSeconds = 9'007'199'254.740992;  // 2^53 us
uint64_t DueMicroseconds(double t);
// The first microsecond of the tick after the one holding `now` (microseconds).
uint64_t NextTickStart(uint64_t now);
// Rests until `dueSeconds` (the earliest thing due) or the start of the next tick,
// whichever comes first (at once when something is due already), so the recording
// loops never spin.
void RestUntil(double dueSeconds);

// The status texts: " Sample" (" #" from 1,000,001) + the count; the percent done;
// the time left (days above 17,240 s, hours above 7,200 s, minutes above 180 s).
Str255 SampleCountText(int32_t sample);
Str255 PercentDoneText(int32_t sample, float percentPerSample);
Str255 TimeLeftText(double seconds);

// The note window's service and the toolbar's click reader each pump events; the
// recording lets each run at most once per tick.
void ServiceNotesOncePerTick();
void ServiceToolbarOncePerTick();

// A tap for measuring tools: called at each chart sample stored with its place on the
// time axis (the time its file gives it) and the time its readings were taken
// (seconds of the microsecond clock).
using SampleTimingTap = std::function<void(double due, double taken)>;
void SetSampleTimingTap(SampleTimingTap tap);

}  // namespace mv
