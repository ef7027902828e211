#include "acquisition/chart_loop.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "acquisition/chart_sample.h"
#include "acquisition/key_commands.h"
#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/recording_keys.h"
#include "acquisition/recording_pass.h"
#include "acquisition/scan_averaging.h"
#include "acquisition/state.h"
#include "acquisition/time_axis.h"
#include "control/state.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "files/file_time.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr double kFirstSampleDelay = 0.1;

}  // namespace

uint64_t NextTickStart(uint64_t now) {
  const uint64_t tick = now * 60 / 1'000'000;
  return ((tick + 1) * 1'000'000 + 59) / 60;
}

void RestUntil(double dueSeconds) {
  const uint64_t now = rt::Microseconds();
  uint64_t target = NextTickStart(now);
  if (dueSeconds >= 0) {
    const uint64_t due = DueMicroseconds(dueSeconds);
    if (due <= now) return;
    target = std::min(target, due);
  }
  rt::SleepUntilMicroseconds(target, 50);
}

uint64_t DueMicroseconds(double t) {
  if (!(t > 0)) return 0;
  // Past 2^53 us (285 years) a double no longer tells microseconds apart, and the
  // steps below could never end; such a time is never reached.
  if (!(t < kNeverDueSeconds)) return kNeverDue;
  uint64_t us = static_cast<uint64_t>(std::ceil(t * 1e6));
  // The product may round down by an ulp or two; a few steps put it right.
  for (int step = 0; step < 8 && static_cast<double>(us) * 0.000001 < t; ++step) ++us;
  return us;
}

Str255 SampleCountText(int32_t sample) {
  return Str255(sample >= 1'000'001 ? " #" : " Sample") + NumText(sample);
}

Str255 PercentDoneText(int32_t sample, float percentPerSample) {
  return PictureFormat(static_cast<float>(sample) * percentPerSample, "###.##") + " % done";
}

Str255 TimeLeftText(double t) {
  if (t > 17'240) {
    const double days = t / 86'400;
    return PictureFormat(days, days < 10 ? "###.##" : "####.#") + " days left";
  }
  if (t > 7'200) return PictureFormat(t / 3'600, "####.##") + " hr left";
  if (t > 180) return PictureFormat(t / 60, "####.##") + " min left";
  return PictureFormat(t, "####.##") + " sec left";
}

void StartChartSchedule(double primedSweep) {
  CurrentTimeInSeconds = GetCurrentTimeInSeconds();
  // Scope-plus-chart's first chart point gathers an interval of scope steps.
  const bool scopeChart = RecordingMODE == RecordingModeCode::ScopeChart;
  const double primed = scopeChart ? 0.0 : std::max(0.0, primedSweep);
  ForgetChannelSilences();
  // The run is measured from its first sample's due time: nothing of an earlier run.
  StartChartAxis(
      CurrentTimeInSeconds + (scopeChart ? ChartIntervalInSeconds : std::max(kFirstSampleDelay, primed)),
      primed);
  StoreFileStartAt(ChartTiming.firstDue);
}

double PrimeChartPace() {
  using namespace ExternalADCode;
  if (RecordingMODE != RecordingModeCode::Chart || DemonstrationMODE != 0 || nChannels < 1) return 0;
  if (External_AD == Demonstration || External_AD == Separator || External_AD == SerialStream) return 0;
  if (PrefsArray[PrefsSlot::AverageAllChannels] != 0 || LastChannelScanned()) return 0;
  if (!SerialLine().IsOpen()) return 0;
  return TimeChartSweep().value_or(0);
}

RunEnd CHARTSCANNING() {
  RecordingPass pass(KeyMode::Chart);
  rt::PumpEvents(0);
  LastChannelScannedInRun = LastChannelScanned();
  for (;;) {
    if (Sample > MaxSamples) return pass.Finish(RunEnd::SamplesDone);
    const bool lastScanned = LastChannelScannedInRun;
    const bool scanning = PrefsArray[PrefsSlot::AverageAllChannels] != 0 || lastScanned;
    ScanIntervalOutcome scan;
    if (scanning) {
      scan = GetSCANDATA();
      if (scan.takeSample) {
        const int32_t stored = Sample;
        // The other channels are read when the scans of the last one end, at the due time.
        if (lastScanned) {
          GETDATA();
        } else {
          SHOWSCANRESULTS();
        }
        if (Sample != stored) pass.ChartSampleTaken();
      }
    } else {
      pass.TakeChartSampleWhenDue(GETDATA);
    }
    // The window is painted in the room just after a sample, the status fields with
    // it, and the toolbar's pump that follows finds nothing more to paint.
    pass.FlushOncePerTick();
    if (const auto end = pass.Serve(scanning ? &scan : nullptr)) return pass.Finish(*end);
    if (!scanning) RestUntil(TimeOfNextChartSample);
  }
}

}  // namespace mv
