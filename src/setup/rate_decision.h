// Which interval a finished chart run is stored with: the requested one when the
// achieved rate lies within the tolerance, else the measured one. The rate check
// after a run and the saves that compute a measured interval share it.
#pragma once
#include <cstdint>

namespace mv {

struct RateDecision {
  float measured = 0;  // seconds per sample achieved (single precision)
  float ratio = 0;     // measured / requested
  float interval = 0;  // the interval to store
  bool measurable = false;  // a finite, positive measured interval and ratio
};

// elapsed: seconds from the start to the last sample; pauseMinutes: the time
// paused, taken off first; samples: the samples taken; tolerance: the accepted
// relative deviation (bounds included). A run with no usable measurement (fewer
// than one sample, or a requested interval of 0) keeps the requested interval.
RateDecision decideSampleInterval(double elapsed, double pauseMinutes, int32_t samples, float requested,
                                  float tolerance);

// The decision as the rate check makes it for the recording mode in force: sets
// SampleInterval (with SampRateError) and returns the decision. In oscilloscope
// mode SampleInterval is changed only when the run gives a usable measurement.
RateDecision DecideRunInterval(double elapsed, double pauseMinutes, int32_t samples, float requested);

}  // namespace mv
