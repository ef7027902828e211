// The sample intervals a recording may use, shared by the Sample Rate window (which
// offers them) and the set-up file reader (which must never take an interval the
// window could not have set): the rate buttons' intervals, the shortest and longest
// interval, and the button that shows an interval.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace mv {

// The fastest rate any interface samples at (the DataTaker's 200 us scope button),
// and one sample a day: beyond it the schedule's tick counts and the duration texts
// lose their meaning, and a wait for the next sample could outlast any recording.
constexpr double kShortestSampleInterval = 0.0002;
constexpr double kLongestSampleInterval = 86'400.0;

// True for a finite interval from the shortest to the longest, both included
// (the shortest with a relative slack of 1e-6, so that an interval that went
// through single precision or ticks still counts).
bool SampleIntervalWithinLimits(double seconds);

// The interval in seconds of a rate button (button 1 is 0.008 s whatever its
// label); nothing for 13, the typed interval, and for numbers that are no rate button.
std::optional<double> RateButtonInterval(int16_t code);
// The interval of every rate preset.
std::vector<double> RatePresetIntervals();

// The rate button that shows an interval, matched within 1e-4 relative; 13 (the
// typed interval) when none of the variant's buttons carries it. The scope variant
// has no 1/500 s button of its own; its DataTaker column (highSpeedColumn) carries
// 0.004 s as button 20 instead of 67, and 0.002 s to 0.0002 s as 21 to 24.
int16_t RateButtonForInterval(double seconds, bool scopeVariant, bool highSpeedColumn);

}  // namespace mv
