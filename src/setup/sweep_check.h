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

// The sweeps a chart run will make, by the mode its interval puts the interface in. A
// DT800 reads in its high-speed mode at intervals below 0.1 s (set when the
// sample-interval window closes) and in its high-accuracy mode otherwise, and the two
// take different times a sweep: both are measured, each in its own mode, and the
// logger is left in the mode it was in. Any other interface has one mode.
struct ModeSweeps {
  std::optional<SweepTiming> accurate;  // the only mode, or a DT800's high-accuracy mode
  std::optional<SweepTiming> fast;      // a DT800's high-speed mode
  bool dt800 = false;
};
ModeSweeps MeasureChartSweepsByMode();
// The longest sweep measured in the mode a run at `interval` reads in; nothing when
// that mode was not measured.
std::optional<double> SweepAtInterval(const ModeSweeps& sweeps, double interval);
// The shortest interval a run keeps: one no shorter than the sweeps (with their
// margin) of the mode that interval itself puts the interface in.
std::optional<double> ShortestIntervalRunKeeps(const ModeSweeps& sweeps);

}  // namespace mv
