// The rate check's decision for the recording mode in force (the rule itself,
// decideSampleInterval, is the kit's, shared with the saves).
#pragma once
#include <cstdint>

#include "shell/kit/rate_rule.h"

namespace mv {

// The decision as the rate check makes it for the recording mode in force: sets
// SampleInterval (with SampRateError) and returns the decision. In oscilloscope
// mode SampleInterval is changed only when the run gives a usable measurement.
RateDecision DecideRunInterval(double elapsed, double pauseMinutes, int32_t samples, float requested);

}  // namespace mv
