#include "acquisition/scan_averaging.h"

#include <algorithm>
#include <array>

#include "acquisition/channel_pipeline.h"
#include "acquisition/chart_loop.h"
#include "acquisition/chart_sample.h"
#include "acquisition/key_commands.h"
#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/recording_keys.h"
#include "acquisition/schedule_gap.h"
#include "acquisition/state.h"
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
// scanvolts), and the value of the last one that failed.
std::array<int32_t, 17> gGoodScans{};
std::array<float, 17> gFailedValue{};

void NoteScan(int16_t ch, float value, bool good) {
  if (good) {
    scanvolts[ch] += value;
    gGoodScans[ch] += 1;
  } else {
    gFailedValue[ch] = value;
  }
}

void ScanAllChannels() {
  const int16_t last = std::min<int16_t>(nChannels, 16);
  if (External_AD == ExternalADCode::SerialStream) {
    services::ReadSerialStream(0);
    for (int16_t ch = 1; ch <= last; ++ch) {
      for (int n = 1; n <= 16; ++n) {
        if (serialArray[n][2] == static_cast<float>(ch)) {
          NoteScan(ch, serialArray[n][1], !(serialArray[n][1] == kBadReading));
          break;
        }
      }
    }
    return;
  }
  ChannelSweep sweep(1);
  for (int16_t ch = 1; ch <= last; ++ch) {
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

ScanIntervalOutcome GetSCANDATA() {
  ScanIntervalOutcome out;
  scanavrg = 0;
  std::fill(scanvolts.begin() + 1, scanvolts.end(), 0.0f);
  gGoodScans.fill(0);
  gFailedValue.fill(kBadReading);
  const double deadline = TimeOfNextChartSample - kScanLeadSeconds;
  for (;;) {
    if (NoteWindowIsOpen) ServiceNotesOncePerTick();
    rt::SetOutputWindow(kAcquisitionWindow);
    if (StopIconClicked) return out;
    ServiceToolbarOncePerTick();
    scanavrg += 1;
    out.takeSample = true;
    const uint64_t before = rt::Microseconds();
    ScanAllChannels();
    // A scan that took no measurable time (a clock that stands still) yields one
    // microsecond, so the interval always ends.
    if (rt::Microseconds() == before) rt::SleepUntilMicroseconds(before + 1);
    CurrentTimeInSeconds = GetCurrentTimeInSeconds();
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
    if (CurrentTimeInSeconds >= deadline) {
      TotalScans += scanavrg;
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
  NscrnCASEs += 1;
  AdvanceChartSchedule();
  const int16_t first = std::max<int16_t>(FirstChan, 1), last = std::min<int16_t>(nChannels, 16);
  // An instrument still silent after the schedule restarted: the interval holds no
  // reading, and the gap takes its time.
  bool anyStood = false;
  for (int16_t ch = first; ch <= last; ++ch) anyStood |= gGoodScans[ch] > 0;
  if (DropFailedSampleInGap(anyStood)) {
    NscrnCASEs -= 1;
    return;
  }
  TicsAtLastSample = t;
  if (PrefsArray[PrefsSlot::BeepEverySample]) {
    services::StopSampleBeep();
    PlaySampleBeep();
  }
  const int16_t x = PresentChartX();
  for (int16_t ch = first; ch <= last; ++ch) {
    // The mean of the interval's readings that succeeded; a failed reading is none.
    const int32_t good = gGoodScans[ch];
    volts = good > 0 ? static_cast<float>(static_cast<double>(scanvolts[ch]) / good) : gFailedValue[ch];
    RunChannelPipeline(ch, volts, false, x, kScanStyle);
  }
  Sample += 1;
  LastNsCasx = x;
  markerFlag = 0;
  if (ShowDisplays && MaxSamples > PrefsArray[PrefsSlot::WindowWidth] * ChartView) SetSampleProgress(false);
}

}  // namespace mv
