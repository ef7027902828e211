#include "acquisition/scope_chart_loop.h"

#include <algorithm>
#include <cmath>

#include "acquisition/needs.h"
#include "acquisition/recording_pass.h"
#include "acquisition/scope_chart_sample.h"
#include "acquisition/scope_loop.h"
#include "acquisition/state.h"
#include "acquisition/time_axis.h"
#include "devices/dispatcher.h"
#include "devices/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

bool FastScope() {
  return PrefsArray[PrefsSlot::DT800FastScope] == 1;
}

void ScopeStep() {
  if (!FastScope()) {
    GETSCOPE();
  } else {
    fast_scope_hooks::HIGHSPEEDIO();
    fast_scope_hooks::GETFAST();
  }
  GatherChartChannels();
}

// The next moment something is due: a scope point or a chart point.
double NextDue() {
  return std::min(NextScopeTimeInSeconds, TimeOfNextChartSample);
}

}  // namespace

Str255 ScopeChartTimeLeftText(double r) {
  if (r > 7'200) return PictureFormat(r / 3'600, "####.##") + " hr left";
  if (r > 180) return PictureFormat(r / 60, "####.##") + " min left";
  return PictureFormat(r, "####.##") + " sec left";
}

int16_t SCOPEPLUSCHARTSCAN() {
  CurrentTimeInSeconds = GetCurrentTimeInSeconds();
  StartScopeAxis(CurrentTimeInSeconds + 0.0001);
  NextMarkerTime = 0;
  TabKeyHit = EscapeKeyHit = 0;
  RecordingPass pass(KeyMode::ScopeChart);
  for (;;) {
    pass.ShowStatusFields();
    if (Sample > MaxSamples) {
      pass.Finish(RunEnd::SamplesDone);
      return 0;
    }
    CurrentTimeInSeconds = GetCurrentTimeInSeconds();
    if (!(CurrentTimeInSeconds > 0 && NextScopeTimeInSeconds < 0)) {
      timeNow = static_cast<int32_t>(rt::TickCount());
      // The fast scope's blocks take their own time; real-time points keep a schedule.
      if (NextScopeTimeInSeconds <= CurrentTimeInSeconds &&
          (FastScope() || ScopePointOnTime(CurrentTimeInSeconds)))
        ScopeStep();
    }
    pass.TakeChartSampleWhenDue([] { GETDATA3(); });
    // Painted in the room just after a point, as the chart loop paints after a sample.
    pass.FlushOncePerTick();
    if (pass.Serve()) {
      pass.Finish(RunEnd::StopKey);
      return 0;
    }
    RestUntil(NextDue());
  }
}

}  // namespace mv
