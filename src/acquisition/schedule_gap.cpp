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

struct Gap {
  bool open = false;
  int32_t sample = 0;  // the gap's first sample
  double skipped = 0;  // seconds the schedule jumped over in the whole gap
};
Gap gGap;

// The samples come one after the other at a pace of their own, slower than the
// interval: the sample just taken read well and began longer than an interval after
// the one before it, which had begun about as long after its own predecessor. That is
// an interface that cannot keep the interval, not a gap; a stall is a sudden lengthening.
struct Stride {
  double starts[3] = {-1, -1, -1};  // the last three samples' starts, newest first
  uint64_t failedBefore = 0;        // failed readings counted before the sample just taken
};
Stride gStride;

bool InStride() {
  double* starts = gStride.starts;
  if (ChartTiming.lastTaken != starts[0]) {
    starts[2] = starts[1];
    starts[1] = starts[0];
    starts[0] = ChartTiming.lastTaken;
  }
  const double pace = starts[0] - starts[1], paceBefore = starts[1] - starts[2];
  const bool steady = starts[2] >= 0 && ReadingsFailed() == gStride.failedBefore &&
                      pace > ChartIntervalInSeconds && paceBefore > ChartIntervalInSeconds &&
                      pace <= 1.5 * paceBefore + 0.01;
  gStride.failedBefore = ReadingsFailed();
  return steady;
}

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
  const bool inStride = InStride();
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
  gStride = Stride{};
  gStride.failedBefore = ReadingsFailed();
}

}  // namespace mv
