#include "kit/rate_rule.h"

#include <algorithm>
#include <cmath>

namespace mv {

RateDecision decideSampleInterval(double elapsed, double pauseMinutes, int32_t intervals, float requested,
                                  float tolerance) {
  RateDecision d;
  d.interval = requested;
  if (intervals < 1) return d;
  const double running = elapsed - 60.0 * pauseMinutes;
  d.measured = static_cast<float>(running / intervals);
  d.ratio = static_cast<float>(static_cast<double>(d.measured) / requested);
  // A zero requested interval or a span that gives no positive time would write an
  // infinite, undefined or negative interval into the data files.
  d.measurable = std::isfinite(d.measured) && d.measured > 0 && std::isfinite(d.ratio) && d.ratio > 0;
  if (!d.measurable) return d;
  const double r = d.ratio, e = tolerance;
  d.interval = (1.0 - e <= r && r <= 1.0 + e) ? requested : d.measured;
  return d;
}

bool StorableInterval(float interval) {
  return std::isfinite(interval) && interval > 0;
}

RateDecision MeasureChartRun(const ChartRunTiming& run, float requested, float tolerance) {
  return decideSampleInterval(run.lastTaken - run.firstDue, run.heldBeforeLast / 60.0, run.samples - 1,
                              requested, tolerance);
}

void NoteChartSample(ChartRunTiming& run, double due, double taken) {
  if (run.samples <= 0) run = ChartRunTiming{due, due, 0, 0, 0};
  run.lastTaken = std::max(taken, due);
  run.samples += 1;
  run.heldBeforeLast = run.heldSeconds;
}

void NoteChartScheduleHeld(ChartRunTiming& run, double oldDue, double heldFrom, double newDue) {
  // Before the first sample nothing is measured yet; a suspended schedule has no due time.
  if (run.samples <= 0 || oldDue < 0) return;
  const double held = newDue - std::max(oldDue, heldFrom);
  if (held > 0) run.heldSeconds += held;
}

}  // namespace mv
