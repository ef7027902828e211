#include "acquisition/scope_chart_loop.h"

#include <algorithm>
#include <cmath>

#include "acquisition/needs.h"
#include "acquisition/recording_pass.h"
#include "acquisition/scope_chart_sample.h"
#include "acquisition/scope_loop.h"
#include "acquisition/state.h"
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

constexpr float kDemonstrationScale = 4096.0f;

bool FastScope() {
  return PrefsArray[PrefsSlot::DT800FastScope] == 1;
}

// The chart channels' values of one scope step: simulated in demonstration mode,
// otherwise each channel's latest reading replaces what was gathered.
void GatherChartChannels() {
  const int16_t last = std::min<int16_t>(nChannels, 16);
  if (DemonstrationMODE) {
    Kfloat = kDemonstrationScale;
    const int passes = FastScope() ? 10 : 1;
    for (int pass = 0; pass < passes; ++pass)
      for (int16_t ch = 2; ch <= last; ++ch)
        DataCache[ch] += static_cast<float>(rt::Rnd(400)) / kDemonstrationScale;
  } else {
    for (int16_t ch = 2; ch <= last; ++ch) {
      ReadExternalADdevice(ch, 1);
      DataCache[ch] = volts;
    }
    scope2total = 0;
  }
  scope2total = static_cast<int16_t>(scope2total + 1);
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
  NextScopeTimeInSeconds = CurrentTimeInSeconds + 0.0001;
  const auto t = static_cast<int32_t>(rt::TickCount());
  EmergencyScopeTimeCutoff = ChartTimeCutoff = t;
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
    pass.TakeChartSampleWhenDue([] { GETDATA3(); }, timeNow > ChartTimeCutoff);
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
