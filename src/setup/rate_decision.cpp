#include "setup/rate_decision.h"

#include "kit/state.h"
#include "setup/state.h"

namespace mv {

RateDecision DecideRunInterval(const ChartRunTiming& run, float requested) {
  const RateDecision d = MeasureChartRun(run, requested, SampRateError);
  if (RecordingMODE == RecordingModeCode::Scope && !d.measurable) return d;
  if (StorableInterval(d.interval)) SampleInterval = d.interval;
  return d;
}

}  // namespace mv
