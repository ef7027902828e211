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
#include "control/state.h"
#include "devices/state.h"
#include "kit/protocol.h"
#include "runtime/clock.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

// Each chart channel's last value before conversion in this run, for a point that
// finds no scope step since the one before it.
std::array<float, 17> gHeld{};
std::array<bool, 17> gHaveHeld{};

}  // namespace

float GatheredValue(float sum, int16_t steps, float held, bool haveHeld) {
  if (steps > 0) return static_cast<float>(static_cast<double>(sum) / steps);
  return haveHeld ? held : kBadReading;
}

int16_t GETDATA3() {
  Sample += 1;
  NscrnCASEs += 1;
  if (Sample == 1) gHaveHeld.fill(false);
  rt::SetOutputWindow(kAcquisitionWindow);
  if (ShowDisplays) SetSampleProgress(true);
  AdvanceChartSchedule();
  const int64_t t = rt::TickCount();
  TicsAtLastSample = static_cast<int32_t>(t);
  if (t > TimeForNextCursorFix) {
    KillSpinningCursor();
    TimeForNextCursorFix = static_cast<int32_t>(t + 90);
  }
  ChartTimeCutoff = OverdueTick(ChartIntervalInSeconds, t);
  PlaySampleBeep();

  const int16_t x = PresentChartX();
  bool alarmFired = false;
  const int16_t last = std::min<int16_t>(nChannels, 16);
  for (int16_t ch = 2; ch <= last; ++ch) {
    volts = GatheredValue(DataCache[ch], scope2total, gHeld[ch], gHaveHeld[ch]);
    DataCache[ch] = 0.0f;
    if (volts != kBadReading) {
      gHeld[ch] = volts;
      gHaveHeld[ch] = true;
    }
    const bool overRange = std::fabs(volts) >= OverRangeVolts;
    alarmFired |= RunChannelPipeline(ch, volts, overRange, x, kScopeChartStyle).alarmFired;
  }
  // One more buzz for a point in which an alarm fired, as the chart taker does.
  if (alarmFired && (AudibleALARM & 1)) PlayAlarmBuzz();
  markerFlag = 0;
  scope2total = 0;
  LastNsCasx = x;
  return 0;
}

}  // namespace mv
