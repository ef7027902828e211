// How long the interface in use takes to read the set-up's chart channels, measured
// before a run by reading them as a chart sample does, so the sample-interval window
// can name an interval the interface cannot keep.
#pragma once
#include <optional>

namespace mv {

struct SweepTiming {
  double longest = 0;   // seconds, the slowest sweep measured (its quiet wait included)
  double shortest = 0;  // seconds, the fastest
  int sweeps = 0;
};

// A few sweeps of a chart recording's channels 1..nChannels through the program's
// readers: up to five, and no new one begun after half a second. Nothing when no
// instrument is connected (demonstration mode, a streaming instrument, whose lines set
// their own pace, or no open line), in other recording modes (scope plus chart reads
// its chart channels between scope points, not in sweeps of their own), or when a
// reading failed: a silent instrument costs one reply's time-out, since the rest of a
// sweep fails at once after it.
std::optional<SweepTiming> MeasureChartSweeps();

}  // namespace mv
