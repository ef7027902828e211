#include "acquisition/chart_sample.h"

#include <algorithm>
#include <cmath>

#include "acquisition/channel_pipeline.h"
#include "acquisition/markers.h"
#include "acquisition/recording_keys.h"
#include "acquisition/state.h"
#include "control/state.h"
#include "conversions/evaluate.h"
#include "devices/demonstration.h"
#include "devices/dispatcher.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/rate_rule.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

bool OverRangeAlarmOn(int16_t ch) {
  return alarmsArray[ch][AlarmField::OverRangeOn] != 0.0f;
}

bool IsOverRange(float reading) {
  return std::fabs(reading) >= OverRangeVolts;
}

// The streaming value of channel ch: the first stream variable (1..16) recorded on
// it, else the variable its hardware input names, else the failed-reading mark.
float StreamValue(int16_t ch) {
  for (int n = 1; n <= 16; ++n) {
    if (serialArray[n][2] == static_cast<float>(ch)) return serialArray[n][1];
  }
  const int16_t input = WholeCode(ChannelVariables[ch][ChanField::Input]);
  if (input >= 1 && input <= 16) return serialArray[input][1];
  return kBadReading;
}

}  // namespace

ChartReading TakeChartReading(int16_t ch) {
  ChartReading r;
  hardwareADchannel = WholeCode(ChannelVariables[ch][ChanField::Input]);
  if (External_AD == ExternalADCode::SerialStream) {
    ReadStreamLineOfSample();
    volts = StreamValue(ch);
    r.overRange = IsOverRange(volts) && OverRangeAlarmOn(ch);
    SamplesToAverage = 1;
    ShowDisplays = 1;
    r.volts = volts;
    return r;
  }
  // A channel set to 0 readings (continuous averaging) still takes one: a mean of no
  // readings would be no number.
  SamplesToAverage = std::max<int32_t>(1, WholeCode(ChannelVariables[ch][ChanField::Averaged]));
  double sum = 0.0;
  for (int32_t i = 0; i < SamplesToAverage; ++i) {
    if (External_AD != ExternalADCode::Demonstration)
      ReadExternalADdevice(ch, 1);
    else if (DemonstrationMODE == 1)
      DemonstrationReadingFiltered(ch);
    sum += volts;
    if (IsOverRange(volts) && OverRangeAlarmOn(ch)) r.overRange = true;
  }
  volts = static_cast<float>(sum / SamplesToAverage);
  r.volts = volts;
  return r;
}

void SetSampleProgress(bool evenWhenZero) {
  if (MaxSamples <= 0) return;
  const int64_t p = int64_t{SegmentsInProgressBar} * Sample / MaxSamples;
  if (p > 0 || evenWhenZero)
    rt::SetControlValue(kProgressBarControl, static_cast<int>(std::clamp<int64_t>(p, 0, INT32_MAX)));
}

void AdvanceChartSchedule() {
  NoteChartSample(ChartTiming, TimeOfNextChartSample, GetCurrentTimeInSeconds());
  TimeOfNextChartSample += ChartIntervalInSeconds;
}

void PlaySampleBeep() {
  if (PrefsArray[PrefsSlot::BeepEverySample]) PlaySampleBeepSound();
}

void GETDATA() {
  NscrnCASEs += 1;
  rt::SetOutputWindow(kAcquisitionWindow);
  if (ShowDisplays) SetSampleProgress(false);
  TicsAtLastSample = static_cast<int32_t>(rt::TickCount());
  AdvanceChartSchedule();
  PlaySampleBeep();
  const int16_t x = PresentChartX();
  serialWasRead = 0;  // a new sample reads the stream's next line
  bool alarmFired = false;
  const int16_t last = std::min<int16_t>(nChannels, 16);
  for (int16_t ch = std::max<int16_t>(FirstChan, 1); ch <= last; ++ch) {
    const ChartReading r = TakeChartReading(ch);
    alarmFired |= RunChannelPipeline(ch, r.volts, r.overRange, x, kChartStyle).alarmFired;
  }
  // One more buzz for a sample in which an alarm fired (never for a quiet sample).
  if (alarmFired && (AudibleALARM & 1)) PlayAlarmBuzz();
  Sample += 1;
  LastNsCasx = x;
  markerFlag = 0;
}

}  // namespace mv
