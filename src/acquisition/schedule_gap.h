// A schedule left far behind. When an instrument goes silent or is reset, each read
// waits out its time-out and the chart schedule falls many intervals behind; taking
// the missed samples back to back would put readings at times at which none was
// taken. So after a sample whose next due time is already past by more than
// max(5 intervals, 2 s) the schedule restarts from now, as after a pause. Smaller
// lateness is caught up. An interface steadily slower than the interval (samples that
// read well, each about as long after the one before as that one was after its own
// predecessor, and longer than the interval) misses no sample: the schedule restarts
// from now without a pause, and the run's measured interval, which the rate check shows
// and the files store, is the pace it kept.
#pragma once
#include <cstdint>
#include <string>

#include "acquisition/key_commands.h"

namespace mv {

// How far a schedule of this interval may fall behind before it restarts from now.
double FarBehindLimit(double intervalSeconds);

// Restarts `next` from now when it is past by more than the limit. Returns the time
// skipped (now - the old next), 0 when the schedule is kept.
double ReanchorWhenFarBehind(double& next, double intervalSeconds, double now);

// After each chart sample. Re-anchorings that follow each other with no sample taken
// on time between them make one gap: the pause marker at the gap's first sample when
// it opens, and when the schedule is kept again the time skipped in the whole gap
// added to totalPauseDuration and to the run's held time (so the measured interval
// stays right), with one line in the pause log.
void KeepChartSchedule(KeyMode mode);
// Records a gap still open (the run ends before the schedule was kept again).
void CloseChartScheduleGap();
// A new run (or sampling period) starts with no gap.
void ResetChartScheduleGap();

// The pause-log line of a gap: the minutes skipped and the case at which it began.
std::string ScheduleGapLogEntry(float minutes, int32_t sample);

}  // namespace mv
