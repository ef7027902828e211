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
  RateDecision d = decideSampleInterval(run.lastTaken - run.firstDue, run.heldBeforeLast / 60.0, run.samples - 1,
                                        requested, tolerance);
  if (run.grid > 0 && run.samples >= 2) {
    d.measured = d.interval = run.grid;
    d.ratio = run.grid / requested;
    d.measurable = std::isfinite(d.ratio) && d.ratio > 0;
  }
  return d;
}

}  // namespace mv
