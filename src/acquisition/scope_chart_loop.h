// The scope-plus-chart recording: channel 1 as a scope trace, channels 2 to nChannels
// as chart strips below it. Each pass takes a scope point when one is due, gathers the
// chart channels' values, takes a chart point when its time comes, and serves the
// backups, switching, new screens, alerts, the toolbar, the keys and the X-Y plot.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

// The loop; returns 0 when the recording stops (Stop icon, Escape alone, or the
// planned samples taken).
int16_t SCOPEPLUSCHARTSCAN();

// The status field's time left: hours above 7,200 s, minutes above 180 s, else seconds.
Str255 ScopeChartTimeLeftText(double seconds);

}  // namespace mv
