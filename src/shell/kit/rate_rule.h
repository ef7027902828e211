// Which interval a chart recording is stored with: the requested one when the
// achieved rate lies within the tolerance, else the measured one. The rate check
// after a run and every save that computes a measured interval share it.
#pragma once
#include <cstdint>

namespace mv {

struct RateDecision {
  float measured = 0;       // seconds per sample achieved (single precision)
  float ratio = 0;          // measured / requested
  float interval = 0;       // the interval to store
  bool measurable = false;  // a finite, positive measured interval and ratio
};

// elapsed: seconds from the start to the last sample; pauseMinutes: the time
// paused, taken off first; samples: the samples taken; tolerance: the accepted
// relative deviation (bounds included). A run with no usable measurement (fewer
// than one sample, or a requested interval of 0) keeps the requested interval.
RateDecision decideSampleInterval(double elapsed, double pauseMinutes, int32_t samples, float requested,
                                  float tolerance);

}  // namespace mv
