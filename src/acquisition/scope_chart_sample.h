// The chart point of a scope-plus-chart recording: each chart channel's values
// gathered at the scope steps since the last point, averaged, then converted, checked,
// shown, plotted and stored as the chart sample taker does with its readings.
#pragma once
#include <cstdint>

namespace mv {

// Gathers the chart channels' values at a scope step: simulated in demonstration mode,
// otherwise each channel's latest reading replaces what was gathered; notes when, and
// which channels failed.
void GatherChartChannels();

// One chart point of channels 2..nChannels, placed on the time axis (time_axis.h) by
// when its values were gathered; a point with no scope step since the last one
// gathers first, so it never repeats an older point. Unless it joins an open gap,
// Sample is raised, so a run's points fill columns 1 to n. Empties the gathered sums.
int16_t GETDATA3();

}  // namespace mv
