#include "acquisition/chart_sample.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "acquisition/channel_pipeline.h"
#include "acquisition/key_commands.h"
#include "acquisition/markers.h"
#include "acquisition/recording_keys.h"
#include "acquisition/scan_averaging.h"
#include "acquisition/state.h"
#include "acquisition/time_axis.h"
#include "control/device_outputs.h"
#include "control/state.h"
#include "control/switching_schedule.h"
#include "conversions/evaluate.h"
#include "devices/demonstration.h"
#include "devices/dispatcher.h"
#include "devices/interfaces.h"
#include "devices/line_step.h"
#include "devices/state.h"
#include "devices/stream_reader.h"
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

bool IsStream() {
  return External_AD == ExternalADCode::SerialStream;
}

// The reading of channel ch for one chart sample, and whether it reached the
// over-range limit with the channel's over-range alarm on. Leaves the value in volts.
struct ChartReading {
  float volts = 0;
  bool overRange = false;
  bool stood = false;  // a reading of the channel stood in this sample
};

// A streaming channel's reading, from the line the sample read (one line serves the
// whole sample).
ChartReading StreamReading(int16_t ch) {
  ChartReading r;
  volts = StreamValue(ch);
  r.overRange = ReadingOverRange(ch, volts);
  r.stood = !(volts == kBadReading);
  SamplesToAverage = 1;
  ShowDisplays = 1;
  r.volts = volts;
  return r;
}

// The channel's readings of the sample, into the sweep.
void ReadChartChannel(int16_t ch, ChannelSweep& sweep) {
  hardwareADchannel = WholeCode(ChannelVariables[ch][ChanField::Input]);
  // A channel set to 0 readings that no scans gather (a streaming instrument, or all
  // channels scanned) still takes one: a mean of no readings would be no number.
  SamplesToAverage = std::max<int32_t>(1, WholeCode(ChannelVariables[ch][ChanField::Averaged]));
  for (int32_t i = 0; i < SamplesToAverage; ++i) {
    if (External_AD != ExternalADCode::Demonstration) {
      sweep.Read(ch);
    } else {
      if (DemonstrationMODE == 1) DemonstrationReadingFiltered(ch);
      sweep.Keep(ch, volts);
    }
  }
}

// A channel's reading from its readings in a settled sweep: the mean of those that
// succeeded (the bad-reading rule's value when none did).
ChartReading ChartReadingOf(int16_t ch, const ChannelSweep& sweep) {
  ChartReading r;
  const std::optional<float> mean = sweep.MeanOf(ch);
  // A failed reading is no reading: it is not averaged, and it is not over range.
  r.volts = mean ? *mean : sweep.FailedValueOf(ch);
  r.stood = mean.has_value();
  for (const ChannelSweep::Reading& k : sweep.Readings())
    if (k.channel == ch && (k.stood || !mean) && ReadingOverRange(ch, k.value)) r.overRange = true;
  volts = r.volts;
  return r;
}

// The last channel averaged continuously: its reading is what the interval's scans
// gathered, not a reading taken now.
ChartReading ScannedChartReading(int16_t ch) {
  const ScannedReading s = ScannedReadingOf(ch);
  ChartReading r;
  r.volts = s.volts;
  r.stood = s.stood;
  r.overRange = s.overRange;
  volts = r.volts;
  return r;
}

}  // namespace

void ReadChartChannels(ChannelSweep& sweep, int16_t scanned) {
  const int16_t first = std::max<int16_t>(FirstChan, 1), last = std::min<int16_t>(nChannels, 16);
  for (int16_t ch : SweepOrder(first, last, scanned)) ReadChartChannel(ch, sweep);
}

std::optional<double> TimeChartSweep() {
  const uint64_t failedBefore = ReadingsFailed();
  const double start = GetCurrentTimeInSeconds();
  serialWasRead = 0;  // the sweep reads the instrument line afresh, as a sample does
  ChannelSweep sweep(0);
  ReadChartChannels(sweep);
  sweep.Settle();
  const double seconds = GetCurrentTimeInSeconds() - start;
  // Only a sweep that asked the instrument for every reading times it: one that read
  // nothing would offer an interval no instrument keeps.
  bool stood = ReadingsFailed() == failedBefore && !sweep.Readings().empty() && sweep.EveryReadAnswered();
  for (const ChannelSweep::Reading& r : sweep.Readings()) stood &= r.stood;
  if (!stood) return std::nullopt;
  return seconds;
}

bool BeyondOverRangeLimit(int16_t ch, float reading) {
  if (External_AD == ExternalADCode::SerialStream) return false;
  if (External_AD == ExternalADCode::ADAM && ch >= 1 && ch <= 16) {
    const std::optional<float> limit = ChannelOverRangeLimit(External_AD, ADsensorType[ch]);
    return limit && std::fabs(reading) >= *limit;
  }
  return std::fabs(reading) >= OverRangeVolts;
}

bool ReadingOverRange(int16_t ch, float reading) {
  return BeyondOverRangeLimit(ch, reading) && alarmsArray[ch][AlarmField::OverRangeOn] != 0.0f;
}

void SetSampleProgress(bool evenWhenZero) {
  if (MaxSamples <= 0) return;
  const int64_t p = int64_t{SegmentsInProgressBar} * Sample / MaxSamples;
  if (p > 0 || evenWhenZero)
    rt::SetControlValue(kProgressBarControl, static_cast<int>(std::clamp<int64_t>(p, 0, INT32_MAX)));
}

void PlaySampleBeep() {
  if (PrefsArray[PrefsSlot::BeepEverySample]) PlaySampleBeepSound();
}

void GETDATA() {
  serialWasRead = 0;  // a new sample reads the stream's next line
  const uint64_t failedBefore = ReadingsFailed();
  SampleReadings when;
  when.startedAt = GetCurrentTimeInSeconds();
  if (IsStream()) {
    // A streaming instrument's sample is its next line. When the run's stop comes
    // before the line does, the run ends without this sample.
    ReadStreamLineOfSample();
    if (StreamReadStopped()) return;
  }
  rt::SetOutputWindow(kAcquisitionWindow);
  // A switch the line refused (hung up) goes out before the valves' channels are read,
  // and is marked at this sample: its readings are the first the switch applies to.
  MarkSwitches(KeyMode::Chart, SwitchingBeforeSample());
  TicsAtLastSample = static_cast<int32_t>(rt::TickCount());
  PlaySampleBeep();  // the reader ends it
  const int16_t first = std::max<int16_t>(FirstChan, 1), last = std::min<int16_t>(nChannels, 16);
  // Every channel is read before any is stored: a reply is known to be its channel's
  // own only once the line has stayed quiet after the sweep.
  std::array<ChartReading, 17> readings{};
  // With the last channel averaged continuously, the scans of the interval read it.
  const int16_t scanned = LastChannelScannedInRun && !IsStream() ? last : int16_t{0};
  if (IsStream()) {
    when.readAt = GetCurrentTimeInSeconds();
    when.anyStood = ReadingsFailed() == failedBefore;  // one line serves every channel
    for (int16_t ch = first; ch <= last; ++ch) readings[ch] = StreamReading(ch);
  } else {
    // The interval is the sweep's room: a request held for another ADAM module's silence
    // may wait it out within it.
    ChannelSweep sweep(1, ChartIntervalInSeconds);
    ReadChartChannels(sweep, scanned);
    // The readings were taken by now; the quiet wait that follows only tells which stood.
    const double sweptAt = GetCurrentTimeInSeconds();
    sweep.Settle();
    for (int16_t ch = first; ch <= last; ++ch)
      readings[ch] = ch == scanned ? ScannedChartReading(ch) : ChartReadingOf(ch, sweep);
    // The sample stands when its last reading that stood was taken: the waits of the
    // readings that failed after it (a sweep cut by a time-out) lie after the sample.
    std::optional<double> stoodAt = sweep.LastStoodAt();
    if (scanned > 0) {
      when.gathered = true;
      const ScannedReading s = ScannedReadingOf(scanned);
      if (s.stood) stoodAt = std::max(stoodAt.value_or(s.at), s.at);
    }
    when.anyStood = stoodAt.has_value();
    when.readAt = stoodAt.value_or(sweptAt);
  }
  when.sweepSeconds = when.readAt - when.startedAt;
  // The time axis places the sample by when its readings were taken: an instrument
  // still silent leaves it out, and after a gap nothing of before the gap is held.
  const SampleFate fate = PlaceChartSample(KeyMode::Chart, when);
  if (fate == SampleFate::Drop) return;
  NscrnCASEs += 1;
  if (ShowDisplays) SetSampleProgress(false);
  const int16_t x = PresentChartX();
  if (scanned > 0) CountScansStored(scanned);
  bool alarmFired = false;
  for (int16_t ch = first; ch <= last; ++ch) {
    const ChartReading& r = readings[ch];
    const float value = StoredChannelValue(ch, r.volts, r.stood, fate);
    alarmFired |= RunChannelPipeline(ch, value, r.overRange, x, kChartStyle).alarmFired;
  }
  // One more buzz for a sample in which an alarm fired (never for a quiet sample).
  if (alarmFired && (AudibleALARM & 1)) PlayAlarmBuzz();
  Sample += 1;
  LastNsCasx = x;
  markerFlag = 0;
}

}  // namespace mv
