#include "acquisition/scan_averaging.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "acquisition/channel_pipeline.h"
#include "acquisition/chart_loop.h"
#include "acquisition/chart_sample.h"
#include "acquisition/key_commands.h"
#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/recording_keys.h"
#include "acquisition/state.h"
#include "acquisition/time_axis.h"
#include "control/device_outputs.h"
#include "control/switching_schedule.h"
#include "devices/demonstration.h"
#include "devices/dispatcher.h"
#include "devices/needs.h"
#include "devices/state.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr double kScanLeadSeconds = 0.00005;

// Per channel, the readings of the interval that succeeded (their sum is in
// scanvolts); whether a reading that stood, or one that failed, reached the over-range
// limit; when the interval's first scan began and when its last scan with a reading
// that stood ended.
std::array<int32_t, 17> gGoodScans{};
std::array<bool, 17> gGoodOverRange{}, gFailedOverRange{};
double gFirstScanAt = 0, gLastGoodAt = -1;
bool gScanHadGood = false;

// The last channel's readings are averaged as absolute values when that is asked.
bool TakesAbsoluteValue(int16_t ch) {
  return AbsoluteValue == 1 && ch == nChannels && LastChannelScannedInRun;
}

void NoteScan(int16_t ch, float value, bool good) {
  // Every reading is judged against the range as read, before any sign is dropped.
  const bool over = ReadingOverRange(ch, value);
  if (good) {
    scanvolts[ch] += TakesAbsoluteValue(ch) ? std::fabs(value) : value;
    gGoodScans[ch] += 1;
    gGoodOverRange[ch] = gGoodOverRange[ch] || over;
    gScanHadGood = true;
  } else {
    gFailedOverRange[ch] = gFailedOverRange[ch] || over;
  }
}

// The interval's gathering starts (again): a sample holds only readings of its own
// interval, never one from before a pause.
void StartInterval() {
  scanavrg = 0;
  std::fill(scanvolts.begin() + 1, scanvolts.end(), 0.0f);
  gGoodScans.fill(0);
  gGoodOverRange.fill(false);
  gFailedOverRange.fill(false);
  gFirstScanAt = GetCurrentTimeInSeconds();
  gLastGoodAt = -1;
}

// One scan of the scanned channels: every channel, or the last one alone.
void ScanChannels() {
  const int16_t last = std::min<int16_t>(nChannels, 16);
  const int16_t first = LastChannelScannedInRun ? last : int16_t{1};
  if (External_AD == ExternalADCode::SerialStream) {
    services::ReadSerialStream(0);
    for (int16_t ch = first; ch <= last; ++ch) {
      for (int n = 1; n <= 16; ++n) {
        if (serialArray[n][2] == static_cast<float>(ch)) {
          NoteScan(ch, serialArray[n][1], !(serialArray[n][1] == kBadReading));
          break;
        }
      }
    }
    return;
  }
  // The scans gather the sample being taken: a switch the line refused goes out first
  // and is marked there.
  MarkSwitches(KeyMode::Scan, SwitchingBeforeSample());
  ChannelSweep sweep(1);
  for (int16_t ch : SweepOrder(first, last)) {
    if (External_AD != ExternalADCode::Demonstration) {
      sweep.Read(ch);
    } else {
      if (DemonstrationMODE == 1) DemonstrationReadingFiltered(ch);
      sweep.Keep(ch, volts);
    }
  }
  sweep.Settle();
  for (const ChannelSweep::Reading& r : sweep.Readings()) NoteScan(r.channel, r.value, r.stood);
}

void CloseReferenceWindowWhenDue() {
  if (timeToCloseRefcheck > 0 && timeNow > timeToCloseRefcheck) {
    rt::CloseWindow(kNextReferenceWindow);
    timeToCloseRefcheck = 0;
  }
}

}  // namespace

bool LastChannelScanned() {
  if (RecordingMODE != RecordingModeCode::Chart || PrefsArray[PrefsSlot::AverageAllChannels] != 0)
    return false;
  if (External_AD == ExternalADCode::SerialStream) return false;
  const int16_t last = std::min<int16_t>(nChannels, 16);
  return last >= 1 && ChannelVariables[last][ChanField::Averaged] == 0.0f;
}

ScannedReading ScannedReadingOf(int16_t ch) {
  ScannedReading r;
  const int32_t good = gGoodScans[ch];
  r.stood = good > 0;
  // The mean of the interval's readings that succeeded; a failed reading is none, and
  // counts toward over range only when no reading stood (as in a chart sample). With no
  // reading of its own interval the channel holds the bad-reading code: a value kept
  // from before (the last value a failed reading gives back) belongs to another interval.
  r.volts = r.stood ? static_cast<float>(static_cast<double>(scanvolts[ch]) / good) : kBadReading;
  r.overRange = gGoodOverRange[ch] || (!r.stood && gFailedOverRange[ch]);
  if (r.stood) r.at = gLastGoodAt;
  return r;
}

void CountScansStored(int16_t ch) {
  if (ch < 1 || ch > 16 || gGoodScans[ch] == 0) return;
  ScansStored[ch].readings += gGoodScans[ch];
  ScansStored[ch].samples += 1;
}

ScanIntervalOutcome GetSCANDATA() {
  ScanIntervalOutcome out;
  StartInterval();
  int32_t holds = ChartAxisHolds();
  for (;;) {
    if (NoteWindowIsOpen) ServiceNotesOncePerTick();
    rt::SetOutputWindow(kAcquisitionWindow);
    if (StopIconClicked) return out;
    ServiceToolbarOncePerTick();
    scanavrg += 1;
    out.takeSample = true;
    const uint64_t before = rt::Microseconds();
    gScanHadGood = false;
    ScanChannels();
    // A scan that took no measurable time (a clock that stands still) yields one
    // microsecond, so the interval always ends.
    if (rt::Microseconds() == before) rt::SleepUntilMicroseconds(before + 1);
    CurrentTimeInSeconds = GetCurrentTimeInSeconds();
    if (gScanHadGood) gLastGoodAt = CurrentTimeInSeconds;
    timeNow = static_cast<int32_t>(rt::TickCount());
    CloseReferenceWindowWhenDue();
    if (!NoteWindowIsOpen) {
      KeystrokeArray = rt::GetKeys();
      if (timeNow > NextMarkerTime) {
        const KeyOutcome keys = HandleRecordingKeys(KeyMode::Scan);
        if (keys.stopRun) {
          out.stopRun = true;
          out.commandQ = keys.commandQ;
          return out;
        }
        if (StopIconClicked) return out;
      }
    }
    if (ChartAxisHolds() != holds) {
      // A pause: the sample due after it gathers from the pause's end.
      holds = ChartAxisHolds();
      StartInterval();
      continue;
    }
    // The due time is read at every scan: only the time axis moves it.
    if (CurrentTimeInSeconds >= TimeOfNextChartSample - kScanLeadSeconds) {
      ClearToolbarFlags();
      return out;
    }
  }
}

void SHOWSCANRESULTS() {
  const int32_t t = static_cast<int32_t>(rt::TickCount());
  if (t > TimeForNextCursorFix) {
    KillSpinningCursor();
    TimeForNextCursorFix = t + 90;
  }
  const int16_t first = std::max<int16_t>(FirstChan, 1), last = std::min<int16_t>(nChannels, 16);
  // The sample stands when its last scan that read well ended (the interval's scans
  // lead up to its due time); an instrument still silent leaves it out.
  SampleReadings when;
  when.startedAt = gFirstScanAt;
  when.gathered = true;
  when.anyStood = gLastGoodAt >= 0;
  when.readAt = when.anyStood ? gLastGoodAt : GetCurrentTimeInSeconds();
  const SampleFate fate = PlaceChartSample(KeyMode::Scan, when);
  if (fate == SampleFate::Drop) return;
  NscrnCASEs += 1;
  TicsAtLastSample = t;
  if (PrefsArray[PrefsSlot::BeepEverySample]) {
    services::StopSampleBeep();
    PlaySampleBeep();
  }
  const int16_t x = PresentChartX();
  for (int16_t ch = first; ch <= last; ++ch) {
    const ScannedReading r = ScannedReadingOf(ch);
    CountScansStored(ch);
    volts = StoredChannelValue(ch, r.volts, r.stood, fate);
    RunChannelPipeline(ch, volts, r.overRange, x, kScanStyle);
  }
  Sample += 1;
  LastNsCasx = x;
  markerFlag = 0;
  if (ShowDisplays && MaxSamples > PrefsArray[PrefsSlot::WindowWidth] * ChartView) SetSampleProgress(false);
}

}  // namespace mv
