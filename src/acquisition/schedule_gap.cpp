#include "acquisition/schedule_gap.h"

#include <algorithm>

#include "acquisition/state.h"
#include "devices/line_step.h"
#include "files/state.h"
#include "kit/format.h"
#include "kit/rate_rule.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr double kFarBehindIntervals = 5.0;
constexpr double kFarBehindSeconds = 2.0;

// A sample that read well and began no later than this after the one before was taken
// in the run's stride: when every sample takes a little longer than the interval, the
// schedule falls behind with no sample missing.
constexpr double kStrideSlackSeconds = 0.25;

struct Gap {
  bool open = false;
  int32_t sample = 0;  // the gap's first sample
  double skipped = 0;  // seconds the schedule jumped over in the whole gap
};
Gap gGap;
double gPreviousStart = -1;  // when the sample before the last one began
uint64_t gFailedBefore = 0;  // failed readings counted before the last sample

}  // namespace

double FarBehindLimit(double intervalSeconds) {
  return std::max(kFarBehindIntervals * intervalSeconds, kFarBehindSeconds);
}

double ReanchorWhenFarBehind(double& next, double intervalSeconds, double now) {
  // A suspended schedule (negative) has no due time to fall behind.
  if (!(next >= 0) || !(now - next > FarBehindLimit(intervalSeconds))) return 0;
  const double skipped = now - next;
  next = now;
  return skipped;
}

std::string ScheduleGapLogEntry(float minutes, int32_t sample) {
  return "   ----------\r *  Readings failed or lagged for" + NumText(minutes).str() + " minutes at case" +
         NumText(sample).str() + "\r";
}

void KeepChartSchedule(KeyMode mode) {
  const double now = GetCurrentTimeInSeconds();
  const double due = TimeOfNextChartSample;
  const double started = ChartTiming.lastTaken;
  const bool inStride = gPreviousStart >= 0 && ReadingsFailed() == gFailedBefore &&
                        started - gPreviousStart <= ChartIntervalInSeconds + kStrideSlackSeconds;
  gPreviousStart = started;
  gFailedBefore = ReadingsFailed();
  const double skipped = ReanchorWhenFarBehind(TimeOfNextChartSample, ChartIntervalInSeconds, now);
  // An interface slower than the interval: the samples came one after the other at the
  // pace it keeps, none was missed, and the run's measured interval is that pace. The
  // schedule follows it; nothing is a pause.
  if (skipped > 0 && inStride && !gGap.open) return;
  if (skipped > 0) {
    CurrentTimeInSeconds = now;
    // The skipped time is no sampling time: the run's interval is measured without it.
    NoteChartScheduleHeld(ChartTiming, due, due, TimeOfNextChartSample);
    if (!gGap.open) {
      gGap = Gap{true, Sample, 0};
      MarkResumedSampling(mode);
    }
    gGap.skipped += skipped;
    return;
  }
  // Kept again: the sample just taken left its successor still to come.
  if (gGap.open && due >= 0 && now < due) CloseChartScheduleGap();
}

void CloseChartScheduleGap() {
  if (!gGap.open) return;
  const auto minutes = static_cast<float>(gGap.skipped / 60.0);
  totalPauseDuration += minutes;
  CumulativePauseContainer += ScheduleGapLogEntry(minutes, gGap.sample);
  gGap = Gap{};
}

void ResetChartScheduleGap() {
  gGap = Gap{};
  gPreviousStart = -1;
  gFailedBefore = ReadingsFailed();
}

}  // namespace mv
