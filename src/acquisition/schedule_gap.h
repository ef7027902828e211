// A schedule left behind. A chart file keeps its samples on a grid: a sample's time is
// its index times the interval plus the pauses the file records before it. So a
// sample taken late is stored at a time at which it was not read. A sample (and a
// scope point) may be taken at most max(one interval, 50 ms) after its due time; when
// an instrument that fell silent, a slow save or a held machine leaves the schedule
// further behind than that, the slots it missed are not taken back to back: the
// schedule restarts as after a pause, its next sample due one interval from now.
// For the chart each restart is a gap in the recording, kept as a pause is: the pause
// marker (166) at the sample after it, the skipped time added to totalPauseDuration
// and to the run's held time (so the measured interval stays right), and one line in
// the pause log; restarts that follow each other with nothing but failed readings
// between them are one gap. A sample taken on time or a little late is kept where it is.
// An interface steadily slower than the interval (samples that read well, each about
// as long after the one before as that one after its own predecessor, and longer than
// the interval) is no gap: no sample is missed, the schedule follows its pace, and the
// run's measured interval, which the rate check shows and the files store, is that
// pace, so the stored times still follow the readings.
#pragma once
#include <cstdint>
#include <string>

#include "acquisition/key_commands.h"

namespace mv {

// Whether a schedule due at `due` has fallen further behind `now` than a sample or
// point of this interval may be taken late, max(interval, 50 ms) (a suspended
// schedule, due < 0, never has).
bool FallenBehind(double due, double intervalSeconds, double now);

// The chart sample is due at `now`: true when it may be taken. False when the schedule
// had fallen behind: it was restarted (the next sample due one interval from now) and
// the gap recorded. An interface that keeps a steady pace slower than the interval
// has its sample taken now, with no gap.
bool ChartSampleOnTime(KeyMode mode, double now);

// A sample taken while the last gap is still open (no sample stored since it) in
// which no reading stood: the instrument is still silent. Such a sample is not stored,
// and its interval joins the gap, so a whole silence is one gap with one marker and
// one pause-log line, and the next sample stored is at the time it was read. True when
// the caller must not store it.
bool DropFailedSampleInGap(bool anyReadingStood);

// A sample whose readings ended at `now` (scan averaging reads for the whole interval)
// is about to be stored. When its due time is further behind than the limit, the
// schedule restarts at now, with the gap recorded, so the sample is stored at the time
// its readings ended and the next one is due an interval later.
void RestartChartScheduleWhenBehind(KeyMode mode, double now);

// The pause-log line of a gap: the minutes skipped and the samples taken before it.
std::string ScheduleGapLogEntry(double minutes, int32_t sample);

}  // namespace mv
