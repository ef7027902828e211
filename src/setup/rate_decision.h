// The rate check's decision for the recording mode in force (the rule itself,
// MeasureChartRun, is the kit's, shared with the saves).
#pragma once
#include <cstdint>

#include "kit/rate_rule.h"

namespace mv {

// The decision as the rate check makes it for the recording mode in force: measures
// the run, sets SampleInterval (with SampRateError) and returns the decision. In
// oscilloscope mode SampleInterval is changed only when the run gives a usable
// measurement; in the chart modes a run without one stores the requested interval.
RateDecision DecideRunInterval(const ChartRunTiming& run, float requested);

}  // namespace mv
