#include "acquisition/schedule_gap.h"

#include <algorithm>
#include <cstddef>

#include "acquisition/scope_loop.h"
#include "acquisition/state.h"
#include "devices/line_step.h"
#include "files/file_time.h"
#include "files/state.h"
#include "kit/format.h"
#include "kit/rate_rule.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr double kLeastLatenessLimit = 0.05;

// The gap of the last restart. It stays open while its run (or sampling period) goes on,
// no sample has been stored after it and its pause-log line is still the log's last: a
// silent instrument whose every reading fails restarts the schedule again and again, and
// the whole silence is one gap.
struct OpenGap {
  double runDue = 0;       // the first due time of the run the gap is in
  int32_t sample = 0;      // the sample after the gap (its marker's)
  double seconds = 0;      // the time the schedule skipped in the whole gap
  float pauseBefore = 0;   // totalPauseDuration before the gap
  std::size_t logAt = 0;   // where its pause-log line begins
  std::size_t logEnd = 0;  // and where it ends (0: no gap recorded)
};
OpenGap gOpenGap;

// The last two chart samples' starts and the failed readings counted when the newer began.
struct Stride {
  double lastStart = -1, startBefore = -1;
  uint64_t failedAtLastStart = 0;
};
Stride gStride;

// The samples come one after the other at a pace of their own, slower than the interval:
// the last one read well, began longer than an interval after the one before, and the
// sample now starts about as long after it. That is an interface that cannot keep the
// interval, not a gap; a stall is a sudden lengthening or a failed reading.
bool InStride(double now) {
  if (ChartTiming.samples <= 0) {
    // A new run or sampling period: no pace of its own yet.
    gStride = Stride{};
    return false;
  }
  if (ChartTiming.lastTaken != gStride.lastStart) {
    gStride.startBefore = gStride.lastStart;
    gStride.lastStart = ChartTiming.lastTaken;
  }
  const double pace = gStride.lastStart - gStride.startBefore;
  return gStride.startBefore >= 0 && ReadingsFailed() == gStride.failedAtLastStart &&
         pace > ChartIntervalInSeconds && now - gStride.lastStart <= 1.5 * pace + 0.01;
}

bool GapStillOpen() {
  const OpenGap& g = gOpenGap;
  return g.logEnd > 0 && ChartTiming.samples > 0 && ChartTiming.firstDue == g.runDue && Sample == g.sample &&
         CumulativePauseContainer.size() == g.logEnd;
}

// The gap's time, in the pause duration and in its pause-log line.
void RecordGap(double seconds) {
  OpenGap& g = gOpenGap;
  g.seconds += seconds;
  const double minutes = g.seconds / 60.0;
  totalPauseDuration = g.pauseBefore + static_cast<float>(minutes);
  CumulativePauseContainer.resize(g.logAt);
  CumulativePauseContainer += ScheduleGapLogEntry(minutes, g.sample);
  g.logEnd = CumulativePauseContainer.size();
}

// The chart schedule jumps from its due time to `newDue`: the jump is a gap, kept as
// a pause is kept.
void RestartChartSchedule(KeyMode mode, double newDue) {
  const double due = TimeOfNextChartSample;
  NoteChartScheduleHeld(ChartTiming, due, due, newDue);
  TimeOfNextChartSample = newDue;
  // In scope-plus-chart a chart point is also taken once a tick time-out passes; it
  // counts from the restart, or it would take the next point at once.
  ChartTimeCutoff = OverdueTick(ChartIntervalInSeconds, static_cast<int64_t>(rt::Ticks64()));
  if (!GapStillOpen()) {
    gOpenGap =
        OpenGap{ChartTiming.firstDue, Sample, 0, totalPauseDuration, CumulativePauseContainer.size(), 0};
    MarkResumedSampling(mode);
  }
  RecordGap(newDue - due);
}

}  // namespace

bool FallenBehind(double due, double intervalSeconds, double now) {
  return due >= 0 && now - due > std::max(intervalSeconds, kLeastLatenessLimit);
}

std::string ScheduleGapLogEntry(double minutes, int32_t sample) {
  return "   ----------\r *  Readings failed or lagged for" + LoggedMinutesText(minutes) + " minutes at case" +
         NumText(sample).str() + "\r";
}

bool DropFailedSampleInGap(bool anyReadingStood) {
  if (anyReadingStood || !GapStillOpen()) return false;
  // The sample's interval joins the gap: it is held time, not a sample interval.
  ChartTiming.samples -= 1;
  ChartTiming.heldSeconds += ChartIntervalInSeconds;
  ChartTiming.heldBeforeLast = ChartTiming.heldSeconds;
  RecordGap(ChartIntervalInSeconds);
  return true;
}

bool ChartSampleOnTime(KeyMode mode, double now) {
  const bool inStride = InStride(now);
  gStride.failedAtLastStart = ReadingsFailed();
  if (!FallenBehind(TimeOfNextChartSample, ChartIntervalInSeconds, now)) return true;
  if (inStride) {
    // The schedule follows the interface's own pace: nothing was missed.
    TimeOfNextChartSample = now;
    return true;
  }
  CurrentTimeInSeconds = now;
  RestartChartSchedule(mode, now + ChartIntervalInSeconds);
  return false;
}

void RestartChartScheduleWhenBehind(KeyMode mode, double now) {
  if (!FallenBehind(TimeOfNextChartSample, ChartIntervalInSeconds, now)) return;
  CurrentTimeInSeconds = now;
  RestartChartSchedule(mode, now);
}

}  // namespace mv
