// The colours of the present view: chart or scope colours.
#pragma once
#include "runtime/types.h"

namespace mv {

// The background of the present view (UseScopeColors: the scope colours, the fast
// scope's own background when slot 40 is 1; else the chart colours); sets
// PlotFrameColor (frames, ticks, grids) and Pblack (labels).
RGBColor COLORSELECT();

}  // namespace mv
