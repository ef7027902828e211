// The chart point of a scope-plus-chart recording: each chart channel's values
// gathered at the scope steps since the last point, averaged, then converted, checked,
// shown, plotted and stored as the chart sample taker does with its readings.
#pragma once
#include <cstdint>

namespace mv {

// One chart point of channels 2..nChannels. Sample is raised first, so a run's points
// fill columns 1 to n. Reads no interface; empties the gathered sums.
int16_t GETDATA3();

// The value before conversion of a chart channel: the gathered sum over the steps
// gathered. With no step since the last point the channel holds its previous value
// (held), or the failed-reading mark when it has none yet in this run.
float GatheredValue(float sum, int16_t steps, float held, bool haveHeld);

}  // namespace mv
