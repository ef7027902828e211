#include "shell/kit/rate_rule.h"

#include <cmath>

namespace mv {

RateDecision decideSampleInterval(double elapsed, double pauseMinutes, int32_t samples, float requested,
                                  float tolerance) {
  RateDecision d;
  d.interval = requested;
  if (samples < 1) return d;
  const double running = elapsed - 60.0 * pauseMinutes;
  d.measured = static_cast<float>(running / samples);
  d.ratio = static_cast<float>(static_cast<double>(d.measured) / requested);
  // A zero requested interval or a run that gives no positive time would write an
  // infinite, undefined or negative interval into the data files.
  d.measurable = std::isfinite(d.measured) && d.measured > 0 && std::isfinite(d.ratio) && d.ratio > 0;
  if (!d.measurable) return d;
  const double r = d.ratio, e = tolerance;
  d.interval = (1.0 - e <= r && r <= 1.0 + e) ? requested : d.measured;
  return d;
}

}  // namespace mv
