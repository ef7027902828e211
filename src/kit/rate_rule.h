// Which interval a chart recording is stored with: the requested one when the
// achieved rate lies within the tolerance, else the measured one. The rate check
// after a run and every save that computes a measured interval share it.
#pragma once
#include <cstdint>

#include "kit/state.h"

namespace mv {

struct RateDecision {
  float measured = 0;       // seconds per sample achieved (single precision)
  float ratio = 0;          // measured / requested
  float interval = 0;       // the interval to store
  bool measurable = false;  // a finite, positive measured interval and ratio
};

// elapsed: seconds of the measured span; pauseMinutes: the time paused in it, taken
// off first; intervals: the sample intervals the span holds; tolerance: the
// accepted relative deviation (bounds included). A span with no interval, no
// positive time or a requested interval of 0 gives no measurement and keeps the
// requested interval; the callers store only a StorableInterval, so nothing
// infinite, negative or zero reaches a data file.
RateDecision decideSampleInterval(double elapsed, double pauseMinutes, int32_t intervals, float requested,
                                  float tolerance);

// Whether an interval may be stored in a data file: finite and above 0. A requested
// interval of 0 (none set) is not, and the interval stored before is kept.
bool StorableInterval(float interval);

// The measurement of a chart run: from the first sample's due time to the place of
// the latest, less the time held in between, over the intervals between the samples
// stored. A run that kept its schedule measures exactly its interval. A run whose grid
// followed a slower interface measures, and stores, that grid: its samples stand on it.
// The rate check and every save call this one function.
RateDecision MeasureChartRun(const ChartRunTiming& run, float requested, float tolerance);

}  // namespace mv
