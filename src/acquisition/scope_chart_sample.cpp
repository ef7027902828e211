#include "acquisition/scope_chart_sample.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "acquisition/channel_pipeline.h"
#include "acquisition/chart_sample.h"
#include "acquisition/markers.h"
#include "acquisition/recording_keys.h"
#include "acquisition/scope_loop.h"
#include "acquisition/state.h"
#include "acquisition/time_axis.h"
#include "control/state.h"
#include "devices/dispatcher.h"
#include "devices/line_step.h"
#include "devices/state.h"
#include "kit/format.h"
#include "kit/protocol.h"
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

// When the chart channels were last gathered and which of them failed then (a gather
// the tests lay out by hand has nothing failed and counts as gathered now).
double gGatheredAt = -1;
std::array<bool, 17> gFailed{};

}  // namespace

void GatherChartChannels() {
  const int16_t last = std::min<int16_t>(nChannels, 16);
  if (DemonstrationMODE) {
    Kfloat = kDemonstrationScale;
    const int passes = FastScope() ? 10 : 1;
    for (int pass = 0; pass < passes; ++pass)
      for (int16_t ch = 2; ch <= last; ++ch)
        DataCache[ch] += static_cast<float>(rt::Rnd(400)) / kDemonstrationScale;
    gFailed.fill(false);
  } else {
    for (int16_t ch = 2; ch <= last; ++ch) {
      const uint64_t failedBefore = ReadingsFailed();
      ReadExternalADdevice(ch, 1);
      DataCache[ch] = volts;
      gFailed[ch] = ReadingsFailed() != failedBefore;
    }
    scope2total = 0;
  }
  scope2total = static_cast<int16_t>(scope2total + 1);
  gGatheredAt = GetCurrentTimeInSeconds();
}

int16_t GETDATA3() {
  // A point with no scope step since the last one reads its channels now.
  if (scope2total <= 0) GatherChartChannels();
  const int16_t last = std::min<int16_t>(nChannels, 16);
  SampleReadings when;
  when.startedAt = CurrentTimeInSeconds;
  when.readAt = gGatheredAt >= 0 ? gGatheredAt : GetCurrentTimeInSeconds();
  when.anyStood = last < 2;
  for (int16_t ch = 2; ch <= last; ++ch) when.anyStood |= !gFailed[ch];
  const SampleFate fate = PlaceChartSample(KeyMode::ScopeChart, when);
  gGatheredAt = -1;
  if (fate == SampleFate::Drop) {
    for (int16_t ch = 2; ch <= last; ++ch) DataCache[ch] = 0.0f;
    scope2total = 0;
    gFailed.fill(false);
    return 0;
  }
  Sample += 1;
  NscrnCASEs += 1;
  rt::SetOutputWindow(kAcquisitionWindow);
  if (ShowDisplays) SetSampleProgress(true);
  const int64_t t = rt::TickCount();
  TicsAtLastSample = static_cast<int32_t>(t);
  if (t > TimeForNextCursorFix) {
    KillSpinningCursor();
    TimeForNextCursorFix = static_cast<int32_t>(t + 90);
  }
  PlaySampleBeep();

  const int16_t x = PresentChartX();
  bool alarmFired = false;
  for (int16_t ch = 2; ch <= last; ++ch) {
    volts = StoredChannelValue(ch, static_cast<float>(static_cast<double>(DataCache[ch]) / scope2total),
                               !gFailed[ch], fate);
    DataCache[ch] = 0.0f;
    const bool overRange = BeyondOverRangeLimit(ch, volts);
    alarmFired |= RunChannelPipeline(ch, volts, overRange, x, kScopeChartStyle).alarmFired;
  }
  // One more buzz for a point in which an alarm fired, as the chart taker does.
  if (alarmFired && (AudibleALARM & 1)) PlayAlarmBuzz();
  markerFlag = 0;
  scope2total = 0;
  gFailed.fill(false);
  LastNsCasx = x;
  return 0;
}

}  // namespace mv
