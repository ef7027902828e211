#include "acquisition/channel_pipeline.h"

#include <array>

#include "acquisition/markers.h"
#include "acquisition/pixel.h"
#include "acquisition/recording_keys.h"
#include "acquisition/state.h"
#include "acquisition/view_colours.h"
#include "control/device_outputs.h"
#include "control/state.h"
#include "control/switching.h"
#include "conversions/evaluate.h"
#include "conversions/gas_exchange.h"
#include "conversions/state.h"
#include "devices/line_step.h"
#include "devices/state.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

const PipelineStyle kChartStyle{" ON      ", "ref", "    ", " zeroed ", " > upper limit!", "   zero", false};
const PipelineStyle kScanStyle{" ON ", " ref", "", " zeroed     ", " > upper limit! ", "   zero", true};
const PipelineStyle kScopeChartStyle{" ON      ",       "ref",   "    ", " zeroed ",
                                     " > upper limit!", "    0", false};

namespace {

// Whether each channel's value in the last sample was a zero standing for a reading of
// another device (its device switched off, or its zero link).
std::array<bool, 17> gZeroedInLastSample{};

// The channel's fields the pipeline works with, read once per sample.
struct ChannelFields {
  int hite = 0;           // strip height
  int minimumPixels = 0;  // lowest y of the strip (its bottom - 1)
  int16_t selectedValve = 0;
  int16_t lastY = 0;  // field 12: y of the last plotted point
};

int16_t DeviceOf(int16_t ch) {
  return WholeCode(ChannelVariables[ch][ChanField::Device]);
}

ChannelFields LoadChannelFields(int16_t ch) {
  const ChannelVariablesRecord& rec = ChannelVariables[ch];
  LoadWorkingCoefficients(ch);
  maxy = rec[ChanField::PlotMax];
  miny = rec[ChanField::PlotMin];
  ChannelFields f;
  f.hite = WholeCode(rec[ChanField::StripHeight]);
  f.minimumPixels = WholeCode(rec[ChanField::StripBottom]) - 1;
  f.selectedValve = DeviceOf(ch);
  f.lastY = WholeCode(rec[ChanField::BottomCopy]);
  return f;
}

struct AlarmState {
  Str255 text = kNoErrorText;
  bool overRange = false;
  bool fired = false;
};

void CountOverRange(AlarmConditionsRecord& alarm, bool overRange, AlarmState& a) {
  if (!overRange || alarm[AlarmField::OverRangeOn] == 0.0f) return;
  alarm[AlarmField::OverRangeCount] += 1.0f;
  alarm[AlarmField::OverRangeLast] = static_cast<float>(Sample);
  a.text = kOverRangeText;
  a.overRange = a.fired = true;
  if (AudibleALARM) PlayAlarmBuzz();
}

void CheckAlarmLimits(int16_t ch, AlarmConditionsRecord& alarm, float value, const PipelineStyle& style,
                      AlarmState& a) {
  if (alarm[AlarmField::AnyOn] == 0.0f) return;
  // A bad reading (failed, overflowed, or a conversion with no result) is no value: it
  // lies beyond no limit, however its mark compares with one.
  const bool measured = value != kBadReading;
  bool low = false;
  if (measured && alarm[AlarmField::LowerOn] != 0.0f && value <= alarm[AlarmField::LowerLimit]) {
    low = true;
    alarm[AlarmField::LowerCount] += 1.0f;
    alarm[AlarmField::LowerLast] = static_cast<float>(Sample);
    if (!a.overRange) a.text = kLowerLimitText;
  }
  bool high = false;
  if (measured && alarm[AlarmField::UpperOn] != 0.0f && value >= alarm[AlarmField::UpperLimit]) {
    high = true;
    alarm[AlarmField::UpperCount] += 1.0f;
    alarm[AlarmField::UpperLast] = static_cast<float>(Sample);
    if (!a.overRange && !low) a.text = style.upperLimitText;
  }
  const bool any = a.overRange || low || high;
  a.fired = any;
  if (ShowDisplays) {
    if (any) {
      rt::SetEditColors(AlarmStatusField(ch), kAlarmTextColour, kAlarmBackColour);
    } else {
      COLORSELECT();
      rt::SetEditColors(AlarmStatusField(ch), PlotFrameColor, ChartBackgroundColor);
    }
    rt::SetEditText(AlarmStatusField(ch), a.text);
  }
  if (any && (AudibleALARM & 1)) PlayAlarmBuzz();
}

// Whether the switching has the device `valve` off, so that a channel it feeds shows
// the zero value: a device other than the one (or pair) sampled now, or any device of a
// group whose reference left every valve shut. One rule for every recording mode.
bool DeviceSwitchedOff(int16_t valve) {
  if (valve == 0) return false;
  // While switch commands wait for a lost line the valves stand as the last switch the
  // instrument got left them, and so do the channels read meanwhile.
  const DevicesOn on = SwitchCommandsUnsent() ? DevicesOut : DevicesOn{RefIsON, OldChan, OldChan2};
  if (on.refIsOn == 1 && (SwitchingMode == 2 || SwitchingMode == 4 || SwitchingMode == 6)) {
    const bool groupTwo = valve > GroupOneLastDevice(External_AD);
    return (groupTwo ? on.group2 : on.group1) == 0;
  }
  if (on.refIsOn != 0) return false;
  switch (SwitchingMode) {
    case 1:
    case 3:
    case 5:
      return valve != on.group1;
    case 2:
    case 4:
    case 6:
      return valve != on.group1 && valve != on.group2;
    default:
      return false;
  }
}

// A channel is zeroed while its own device is off, and, by a zero link, while the
// device of the channel it is linked to is off (that channel's own link followed in
// turn). The link follows that channel's valve, never its value: a primary that truly
// reads the zero value (an analyser on CO2-free air, an input at 0 V) leaves the
// linked channel's readings alone. Links act only while "Extra Zero Links" shows them
// ticked.
bool DeviceZeroApplies(int16_t ch, int16_t valve) {
  if (DeviceSwitchedOff(valve)) return true;
  if (!ZeroLinksInForce()) return false;
  // A ring of links ends once every channel of it was looked at.
  int16_t k = ch;
  for (int hops = 0; hops < 16; ++hops) {
    k = zerolink[static_cast<size_t>(3 * k + 2)];
    if (k < 1 || k > nChannels || k > 16 || k == ch) return false;
    if (DeviceSwitchedOff(DeviceOf(k))) return true;
  }
  return false;
}

void ShowDeviceStatus(int16_t ch, int16_t valve, float value, const PipelineStyle& style) {
  if (SwitchingMode == 0 || valve == 0 || !PrefsArray[PrefsSlot::ShowSwitchStatus] || !ShowDisplays) return;
  const int16_t device = SwitchingMode == SwitchingPatternCode::SequentialFiles ? PresentChan : valve;
  Str255 text = NumText(device) + style.deviceOnSuffix;
  if (RefIsON == 1) {
    const int16_t reference = nGroups == 2 && valve > GroupOneLastDevice(External_AD) ? RefChan2 : RefChan;
    text = Str255(style.referencePrefix) + NumText(reference) + style.referenceSuffix;
  }
  if (value == 0.0f) text = style.zeroedText;
  rt::SetEditText(DeviceStatusField(ch), text);
}

// " -" when the value n + 1 samples back is above the one just stored, else " + ".
Str255 SlopeTrendMark(int16_t ch, const AlarmConditionsRecord& alarm, float value) {
  if (alarm[AlarmField::SlopeTrendOn] == 0.0f || value == 0.0f) return "";
  const int32_t n = SlopeTrendPoints(alarm[AlarmField::SlopeTrendSpan]);
  if (Sample <= n + 1) return "";
  return StoredValue(ch, Sample - 1 - n) > StoredValue(ch, Sample) ? " -" : " + ";
}

void ShowReadout(int16_t ch, const AlarmConditionsRecord& alarm, float value, const PipelineStyle& style) {
  if (!ShowDisplays) return;
  Str255 text = value == 0.0f ? Str255(style.zeroReadout) : StringFormatter(value);
  if (style.slopeTrend) text += SlopeTrendMark(ch, alarm, value);
  rt::SetEditText(ValueReadoutField(ch), text);
}

void DrawSegment(int16_t ch, const ChannelFields& f, int16_t x, int16_t y) {
  if (Sample < 2) {
    LastNsCasx = -500;
    PlotCGrgb(1.0f, -500, y, x, y, ChartDataColor);
  } else {
    PlotCGrgb(1.0f, static_cast<int16_t>(LastNsCasx), f.lastY, x, y, ChartDataColor);
  }
  ChannelVariables[ch][ChanField::BottomCopy] = y;
}

}  // namespace

void ForgetStoredValuesOfRun() {
  LastStoredOfRun.fill(std::nullopt);
  gZeroedInLastSample.fill(false);
}

bool ZeroedInLastSample(int16_t ch) {
  return ch >= 1 && ch <= 16 && gZeroedInLastSample[static_cast<size_t>(ch)];
}

float StoredValue(int16_t channel, int32_t column) {
  return ChartDataArray.Get(channel, column);
}

void PlayAlarmBuzz() {
  PlaySound("AlarmBUZZ.mp3", "MVsounds");
}

ChannelOutcome RunChannelPipeline(int16_t ch, float reading, bool overRange, int16_t x,
                                  const PipelineStyle& style) {
  static const FlowReader kLastFlow = [](int16_t c) { return LastStoredOfRun[c]; };
  ChannelOutcome out;
  if (ch < 1 || ch > 16) return out;
  const ChannelFields f = LoadChannelFields(ch);
  AlarmConditionsRecord& alarm = alarmsArray[ch];
  AlarmState a;
  CountOverRange(alarm, overRange, a);

  EvaluateConversion(ch, reading, ASCIIvalue);
  // A conversion that overflowed measured nothing: it is a failed reading.
  if (v == kBadReading && reading != kBadReading) NoteFailedReading();
  GasExchangeRecord& gas = SpecialOpsArray[ch];
  if (WholeCode(gas[GasField::Computation]) > 0) ConversionType = WholeCode(gas[GasField::Case]);
  const GasStepOutcome step = GasExchangeStep(gas, v, Sample, kLastFlow);
  if (step.notANumber) NoteFailedReading();
  float value = step.display;

  CheckAlarmLimits(ch, alarm, value, style, a);
  const bool zeroed = DeviceZeroApplies(ch, f.selectedValve);
  if (zeroed) value = DeviceSwitchZeroValue;
  gZeroedInLastSample[static_cast<size_t>(ch)] = zeroed;
  ShowDeviceStatus(ch, f.selectedValve, value, style);

  const float range = maxy - miny;
  out.y = static_cast<int16_t>(PixelY(value, miny, range, f.minimumPixels, f.hite));
  out.stored = GasStoredValue(step, value, zeroed);
  ChartDataArray.Set(ch, Sample, out.stored);
  LastStoredOfRun[ch] = out.stored;

  rt::SetOutputWindow(kAcquisitionWindow);
  ShowReadout(ch, alarm, value, style);
  DrawSegment(ch, f, x, out.y);
  v = value;
  out.value = value;
  out.alarmFired = a.fired;
  return out;
}

}  // namespace mv
