#include "setup/rate_decision.h"

#include "setup/state.h"
#include "shell/state.h"

namespace mv {

RateDecision DecideRunInterval(double elapsed, double pauseMinutes, int32_t samples, float requested) {
  const RateDecision d = decideSampleInterval(elapsed, pauseMinutes, samples, requested, SampRateError);
  if (RecordingMODE == RecordingModeCode::Scope && !d.measurable) return d;
  SampleInterval = d.interval;
  return d;
}

}  // namespace mv
