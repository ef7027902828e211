#include "acquisition/view_colours.h"

#include "acquisition/state.h"
#include "kit/state.h"

namespace mv {

RGBColor COLORSELECT() {
  if (UseScopeColors) {
    PlotFrameColor = ScopeFrameColor;
    Pblack = RGBColor{64272, 64272, 0};
    return PrefsArray[PrefsSlot::DT800FastScope] == 1 ? FastScopeBackground : ScopeBackgroundColor;
  }
  PlotFrameColor = ChartFrameColor;
  Pblack = RGBColor{0, 0, 0};
  return ChartBackgroundColor;
}

}  // namespace mv
