#include "acquisition/chart_loop.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "acquisition/chart_sample.h"
#include "acquisition/entry_points.h"
#include "acquisition/key_commands.h"
#include "acquisition/markers.h"
#include "acquisition/recording_keys.h"
#include "acquisition/scan_averaging.h"
#include "acquisition/state.h"
#include "control/state.h"
#include "files/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/kit/builders.h"
#include "shell/kit/format.h"
#include "shell/kit/services.h"
#include "shell/state.h"

namespace mv {
namespace {

constexpr double kFirstSampleDelay = 0.1;
constexpr int16_t kBackupIndicatorField = 199;

// What the loop remembers between passes to write only what changed.
struct LoopMemory {
  int32_t shownSample = -1;
  bool backupShown = false;
  Str255 shownBackupIndicator;
  int32_t plottedXYSample = -1;
  int32_t flushedSample = -1, flushedMarkers = -1, flushedScreenCases = -1;
  int64_t flushedTick = -1;
};

int64_t gNotesTick = -1;
int64_t gToolbarTick = -1;
SampleTimingTap gTap;

int64_t Ticks() {
  return rt::TickCount();
}

// The first microsecond of the tick after the one holding now.
uint64_t NextTickStart(uint64_t now) {
  const uint64_t tick = now * 60 / 1'000'000;
  return ((tick + 1) * 1'000'000 + 59) / 60;
}

void ShowStatusFields(LoopMemory& m) {
  if (!ShowDisplays || Sample == m.shownSample) return;
  m.shownSample = Sample;
  rt::SetOutputWindow(kAcquisitionWindow);
  rt::SetEditText(2, SampleCountText(Sample));
  rt::SetEditText(3, PercentDoneText(Sample, donefact));
  rt::SetEditText(4, TimeLeftText(static_cast<double>(MaxSamples - Sample) * ChartIntervalInSeconds));
}

// Painting a window of many strips takes a millisecond or two, and the window is
// painted when it is flushed and when events are pumped. Both wait while the next
// sample is nearly due, so a paint never makes that sample late, and the room after
// each sample is used instead. Intervals too short to leave such room paint on
// every tick as before, and no wait lasts more than a few ticks.
constexpr double kPaintRoomSeconds = 0.003;
constexpr int64_t kLongestPaintDelayTicks = 6;

bool HoldForDueSample(int64_t now, int64_t lastDone) {
  return ChartIntervalInSeconds > 2 * kPaintRoomSeconds && TimeOfNextChartSample >= 0 &&
         TimeOfNextChartSample - GetCurrentTimeInSeconds() < kPaintRoomSeconds &&
         now - lastDone < kLongestPaintDelayTicks;
}

// At most one flush per tick, and only when the chart changed since the last one.
void FlushOncePerTick(LoopMemory& m) {
  const int64_t now = Ticks();
  if (now <= TimeForNextWindowFlush) return;
  if (Sample == m.flushedSample && Nmarkers == m.flushedMarkers && NscrnCASEs == m.flushedScreenCases) {
    TimeForNextWindowFlush = static_cast<int32_t>(now + 1);
    return;
  }
  if (HoldForDueSample(now, m.flushedTick)) return;
  TimeForNextWindowFlush = static_cast<int32_t>(now + 1);
  m.flushedTick = now;
  m.flushedSample = Sample;
  m.flushedMarkers = Nmarkers;
  m.flushedScreenCases = NscrnCASEs;
  rt::SetOutputWindow(kAcquisitionWindow);
  rt::FlushWindow();
}

void TakeDueSample() {
  if (NoteWindowIsOpen) ServiceNotesOncePerTick();
  CurrentTimeInSeconds = GetCurrentTimeInSeconds();
  if (CurrentTimeInSeconds > 0 && TimeOfNextChartSample < 0) return;  // sampling suspended
  timeNow = static_cast<int32_t>(Ticks());
  if (CurrentTimeInSeconds >= TimeOfNextChartSample) {
    const double due = TimeOfNextChartSample;
    GETDATA();
    if (gTap) gTap(due, CurrentTimeInSeconds);
  }
  // The keys are read on every pass, after a sample too: with an interface slower than
  // the interval a sample is always due, and Escape must still reach the loop.
  KeystrokeArray = rt::GetKeys();
}

void TimedBackup(LoopMemory& m) {
  if (TimedSaveINTERVAL <= 0) return;
  if (!m.backupShown || !(BackupFileIndicator == m.shownBackupIndicator)) {
    rt::SetEditFont(kBackupIndicatorField, KitFont(3, 10));
    rt::SetEditText(kBackupIndicatorField, BackupFileIndicator);
    m.shownBackupIndicator = BackupFileIndicator;
    m.backupShown = true;
  }
  if (int64_t{timeNow} > NextSAVEtime) acq_hooks::AutoTimedBACKUP(1);
}

void CloseReferenceWindowWhenDue() {
  if (timeToCloseRefcheck > 0 && timeNow > timeToCloseRefcheck) {
    rt::CloseWindow(kNextReferenceWindow);
    timeToCloseRefcheck = 0;
  }
}

// Step 7 with scan averaging: the run ends on Stop, Escape alone or key 61.
std::optional<RunEnd> ScanStopTests(const ScanIntervalOutcome& scan) {
  const uint16_t k = rt::KeyMapWord(KeystrokeArray, 3);
  if (StopIconClicked) return RunEnd::StopIcon;
  if (scan.stopRun) return scan.commandQ ? RunEnd::CommandQ : RunEnd::StopKey;
  if (k == KeyWord3::Escape || (k & 0xFFFD) == KeyWord3::Key61) return RunEnd::StopKey;
  return std::nullopt;
}

// Steps 7 and 8 without scan averaging: the toolbar, then the keys (not while a note
// is typed).
std::optional<RunEnd> ChartStopTestsAndKeys() {
  ServiceToolbarOncePerTick();
  if (StopIconClicked) return RunEnd::StopIcon;
  CloseReferenceWindowWhenDue();
  if (NoteWindowIsOpen) return std::nullopt;
  const KeyOutcome keys = HandleRecordingKeys(KeyMode::Chart);
  if (keys.stopRun) return keys.commandQ ? RunEnd::CommandQ : RunEnd::StopKey;
  return std::nullopt;
}

void PlotXY(LoopMemory& m) {
  if (!ShowXYPlot || !XYPlotWindow || Sample < 2 || Sample == m.plottedXYSample) return;
  m.plottedXYSample = Sample;
  acq_hooks::PlotNewestXYPoint();
}

// Whether pattern 10 has switched devices both before the present channel and from it on.
bool DevicesOnBothSides() {
  bool below = false, from = false;
  for (int ch = 1; ch <= 8; ++ch) {
    if (ChannelVariables[ch][ChanField::Device] <= 0.0f) continue;
    if (ch < PresentChan)
      below = true;
    else
      from = true;
  }
  return below && from;
}

}  // namespace

void CycleValves(int16_t markerTop) {
  if (SwitchingMode == SwitchingPatternCode::Off) return;
  tick = static_cast<int32_t>(Ticks());
  const bool markers = PrefsArray[PrefsSlot::MarkerAtSwitch] != 0;
  const int64_t now = tick;
  switch (SwitchingMode) {
    case 3:
    case 4:
    case 7:
    case 8:
    case 9:
      if (now >= RefOffTime) {
        acq_hooks::SWITCHTOSAMPLE();
        if (markers) InsertDeviceSwitchMarker('S', markerTop);
      }
      break;
    case 5:
    case 6:
    case 10:
      if (now >= RefOffTime) {
        const int16_t device = SampleValve;
        acq_hooks::CYCLECHANNELS();
        if (markers && SwitchingMode == 10)
          InsertMarker(7, '0' + device, kKeyMarkerTop);
        else if (markers)
          InsertDeviceSwitchMarker('S', markerTop);
      }
      break;
    default:
      break;
  }
  if (now < RefOnTime) return;
  if (SwitchingMode == 10 && SkipRefsBetweenChannels && DevicesOnBothSides()) {
    RefOffTime = tick;
  } else if (RefIsON == 0) {
    acq_hooks::SWITCHTOREFERENCE();
    if (markers) InsertDeviceSwitchMarker('R', markerTop);
  }
}

namespace {

// Between due samples: sleep until the next due time or the next tick, whichever
// comes first; a sample that is due already is taken at once (catching up).
void SleepUntilNextDue() {
  const uint64_t now = rt::Microseconds();
  uint64_t target = NextTickStart(now);
  if (TimeOfNextChartSample >= 0) {
    const uint64_t due = DueMicroseconds(TimeOfNextChartSample);
    if (due <= now) return;
    target = std::min(target, due);
  }
  rt::SleepUntilMicroseconds(target, 50);
}

}  // namespace

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

void ServiceNotesOncePerTick() {
  const int64_t now = Ticks();
  if (now == gNotesTick) return;
  gNotesTick = now;
  services::HandleNotes();
}

void ServiceToolbarOncePerTick() {
  const int64_t now = Ticks();
  if (now == gToolbarTick || HoldForDueSample(now, gToolbarTick)) return;
  gToolbarTick = now;
  if (PrefsArray[PrefsSlot::ToolbarHelp]) acq_hooks::ShowToolbarHelpWindow();
  services::ReadControlStrip();
}

void SetSampleTimingTap(SampleTimingTap tap) {
  gTap = std::move(tap);
}

void StartChartSchedule() {
  CurrentTimeInSeconds = GetCurrentTimeInSeconds();
  TimeOfNextChartSample = CurrentTimeInSeconds + kFirstSampleDelay;
  // The run is measured from its first sample's due time: nothing of an earlier run.
  ChartTiming = {};
}

RunEnd CHARTSCANNING() {
  LoopMemory m;
  gNotesTick = gToolbarTick = -1;
  rt::PumpEvents(0);
  for (;;) {
    ShowStatusFields(m);
    if (Sample > MaxSamples) return RunEnd::SamplesDone;
    FlushOncePerTick(m);
    const bool scanning = PrefsArray[PrefsSlot::AverageAllChannels] != 0;
    ScanIntervalOutcome scan;
    if (scanning) {
      scan = GetSCANDATA();
      if (scan.takeSample) {
        const double due = TimeOfNextChartSample;
        SHOWSCANRESULTS();
        if (gTap) gTap(due, CurrentTimeInSeconds);
      }
    } else {
      TakeDueSample();
    }
    rt::SetOutputWindow(kAcquisitionWindow);
    TimedBackup(m);
    if (AlertSOUNDS) acq_hooks::HandleAlertSounds();
    if (const auto end = scanning ? ScanStopTests(scan) : ChartStopTestsAndKeys()) return *end;
    ClearToolbarFlags();
    PlotXY(m);
    if (AO1on == 1 || AO2on == 1) acq_hooks::checkAOscript();
    CycleValves(kSwitchMarkerTop);
    if (Sample >= MaxSamples && PrefsArray[PrefsSlot::Autorepeat]) acq_hooks::AUTOSAVE();
    rt::SetOutputWindow(kAcquisitionWindow);
    if (Sample <= MaxSamples && ScreenCapacity > 0 && NscrnCASEs >= ScreenCapacity) acq_hooks::REDRAWSCREEN();
    if (!scanning) SleepUntilNextDue();
  }
}

}  // namespace mv
