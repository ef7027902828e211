#include "acquisition/recording_pass.h"

#include <algorithm>
#include <cmath>

#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/recording_keys.h"
#include "acquisition/scope_chart_loop.h"
#include "acquisition/state.h"
#include "acquisition/time_axis.h"
#include "acquisition/toolbar.h"
#include "control/state.h"
#include "control/switch_groups.h"
#include "control/switching_schedule.h"
#include "devices/needs.h"
#include "devices/state.h"
#include "files/needs.h"
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

constexpr int16_t kBackupIndicatorField = 199;

SampleTimingTap gTap;

int64_t Ticks() {
  return rt::TickCount();
}

bool FastScope() {
  return PrefsArray[PrefsSlot::DT800FastScope] == 1;
}

// Painting takes from a fraction of a millisecond (a few new points and readouts) to
// a millisecond or two (a new screen), and the window is painted when it is flushed
// and when events are pumped. Both wait while the next sample is due sooner than
// they take, so a paint never makes that sample late: the room after each sample is
// used instead. What each takes is measured as the run goes (a running mean, which
// one paint the machine held up moves only a little). When even the room after a
// sample is too short the window is still painted every few ticks.
constexpr double kPaintMarginSeconds = 0.0003;
constexpr double kFirstPaintGuessSeconds = 0.001;
constexpr int64_t kLongestPaintDelayTicks = 6;

struct PaintCost {
  double seconds = kFirstPaintGuessSeconds;
  void Note(uint64_t startedUs) {
    const double took = static_cast<double>(rt::Microseconds() - startedUs) * 1e-6;
    seconds += (took - seconds) / 8;
  }
};
PaintCost gFlushCost, gToolbarCost;
bool gFlushHeld = false;  // the last flush due waits for room

// Whether the loop's scope points are due on their own schedule (scope-plus-chart in
// real time; the fast scope takes whole blocks).
bool gScopePointsDue = false;

// The next moment the recording must take something: the chart sample, and in
// scope-plus-chart the scope point when that comes first.
double NextDueSeconds() {
  const double chart = TimeOfNextChartSample;
  if (!gScopePointsDue || NextScopeTimeInSeconds < 0) return chart;
  return chart < 0 ? NextScopeTimeInSeconds : std::min(chart, NextScopeTimeInSeconds);
}

bool HoldForDueSample(int64_t now, int64_t lastDone, const PaintCost& cost) {
  const double due = NextDueSeconds();
  return due >= 0 && now - lastDone < kLongestPaintDelayTicks &&
         due - GetCurrentTimeInSeconds() < cost.seconds + kPaintMarginSeconds;
}

// A full screen is redrawn in this pass, after the keys: the toolbar's paint waits
// for the room after the next sample rather than adding to the new screen's.
bool NewScreenDue() {
  return Sample <= MaxSamples && ScreenCapacity > 0 && NscrnCASEs >= ScreenCapacity;
}

int64_t gToolbarTick = -1;
int64_t gNotesTick = -1;

void CloseReferenceWindowWhenDue() {
  if (timeToCloseRefcheck > 0 && timeNow > timeToCloseRefcheck) {
    rt::CloseWindow(kNextReferenceWindow);
    timeToCloseRefcheck = 0;
  }
}

// With scan averaging the scanner has read the toolbar and the keys: the run ends on
// Stop, Escape alone or key 61.
std::optional<RunEnd> ScanStopTests(const ScanIntervalOutcome& scan) {
  const uint16_t k = rt::KeyMapWord(KeystrokeArray, 3);
  if (StopIconClicked) return RunEnd::StopIcon;
  if (scan.stopRun) return scan.commandQ ? RunEnd::CommandQ : RunEnd::StopKey;
  if (k == KeyWord3::Escape || (k & 0xFFFD) == KeyWord3::Key61) return RunEnd::StopKey;
  return std::nullopt;
}

}  // namespace

void SetSampleTimingTap(SampleTimingTap tap) {
  gTap = std::move(tap);
}

void ServiceNotesOncePerTick() {
  const int64_t now = Ticks();
  if (now == gNotesTick) return;
  gNotesTick = now;
  services::HandleNotes();
}

void ServiceToolbarOncePerTick() {
  const int64_t now = Ticks();
  if (now == gToolbarTick || HoldForDueSample(now, gToolbarTick, gToolbarCost)) return;
  // The pump would paint what a held flush left: it waits for the flush, which paints
  // in the room after a sample, and then finds nothing left to paint.
  if ((gFlushHeld || NewScreenDue()) && now - gToolbarTick < kLongestPaintDelayTicks) return;
  gToolbarTick = now;
  const uint64_t started = rt::Microseconds();
  if (PrefsArray[PrefsSlot::ToolbarHelp]) ShowToolbarHelpWindow();
  services::ReadControlStrip();
  gToolbarCost.Note(started);
}

RecordingPass::RecordingPass(KeyMode mode) : mode_(mode) {
  gNotesTick = gToolbarTick = -1;
  gFlushCost = gToolbarCost = PaintCost{};
  gFlushHeld = false;
  gScopePointsDue = ScopeChart() && !FastScope();
  // Scope-plus-chart shows its status from the first point on.
  if (ScopeChart()) shownSample_ = 0;
}

void RecordingPass::ShowStatusFields() {
  if (Sample == shownSample_) return;
  if (ScopeChart()) {
    if (!(ScopeIntervalInSeconds < 0.023 || FastScope()) || Sample == static_cast<int16_t>(lastSample))
      return;
  } else if (!ShowDisplays) {
    return;
  }
  shownSample_ = Sample;
  rt::SetOutputWindow(kAcquisitionWindow);
  rt::SetEditText(2, SampleCountText(Sample));
  if (ScopeChart() && ChartIntervalInSeconds < 0.004) return;
  const double left = static_cast<double>(MaxSamples - Sample) * ChartIntervalInSeconds;
  rt::SetEditText(3, PercentDoneText(Sample, donefact));
  rt::SetEditText(4, ScopeChart() ? ScopeChartTimeLeftText(left) : TimeLeftText(left));
}

void RecordingPass::FlushOncePerTick() {
  const int64_t now = Ticks();
  if (now <= TimeForNextWindowFlush) return;
  const int32_t steps = ScopeChart() ? TotScopeSample : 0;
  if (Sample == flushedSample_ && Nmarkers == flushedMarkers_ && NscrnCASEs == flushedScreenCases_ &&
      steps == flushedScopeSteps_) {
    TimeForNextWindowFlush = static_cast<int32_t>(now + 1);
    gFlushHeld = false;
    return;
  }
  gFlushHeld = HoldForDueSample(now, flushedTick_, gFlushCost);
  if (gFlushHeld) return;
  TimeForNextWindowFlush = static_cast<int32_t>(now + 1);
  flushedTick_ = now;
  flushedSample_ = Sample;
  flushedMarkers_ = Nmarkers;
  flushedScreenCases_ = NscrnCASEs;
  flushedScopeSteps_ = steps;
  const uint64_t started = rt::Microseconds();
  // The status texts show only when the window paints: written once per paint, not
  // with every sample.
  ShowStatusFields();
  rt::SetOutputWindow(kAcquisitionWindow);
  rt::FlushWindow();
  gFlushCost.Note(started);
}

void RecordingPass::TakeChartSampleWhenDue(void (*take)()) {
  CurrentTimeInSeconds = GetCurrentTimeInSeconds();
  if (CurrentTimeInSeconds > 0 && TimeOfNextChartSample < 0) return;  // sampling suspended
  timeNow = static_cast<int32_t>(Ticks());
  if (!(CurrentTimeInSeconds >= TimeOfNextChartSample)) return;
  const int32_t stored = Sample;
  take();
  // A sample not stored (the run's stop came first, or a silent instrument's sample
  // inside a gap) is no sample of the run.
  if (Sample != stored) ChartSampleTaken();
}

void RecordingPass::ChartSampleTaken() {
  if (gTap) {
    const PlacedSample p = LastPlacedSample();
    gTap(p.at, p.readAt);
  }
}

void RecordingPass::TimedBackup() {
  if (!TimedBackupsOn()) return;
  if (!backupShown_ || !(BackupFileIndicator == shownBackupIndicator_)) {
    rt::SetEditFont(kBackupIndicatorField, KitFont(3, 10));
    rt::SetEditText(kBackupIndicatorField, BackupFileIndicator);
    shownBackupIndicator_ = BackupFileIndicator;
    backupShown_ = true;
  }
  if (int64_t{timeNow} > NextSAVEtime) acq_hooks::AutoTimedBACKUP(1);
}

// The toolbar, then the keys; while a note is typed the note window takes them.
std::optional<RunEnd> RecordingPass::ToolbarAndKeys() {
  ServiceToolbarOncePerTick();
  if (StopIconClicked) return RunEnd::StopIcon;
  CloseReferenceWindowWhenDue();
  if (NoteWindowIsOpen) {
    ServiceNotesOncePerTick();
    if (ScopeChart()) MarkNoteIconClick(mode_);
    return std::nullopt;
  }
  // The keys are read on every pass, after a sample too: with an interface slower than
  // the interval a sample is always due, and Escape must still reach the loop.
  KeystrokeArray = rt::GetKeys();
  const KeyOutcome keys = HandleRecordingKeys(mode_);
  if (keys.stopRun) return keys.commandQ ? RunEnd::CommandQ : RunEnd::StopKey;
  return std::nullopt;
}

void RecordingPass::PlotXY() {
  if (!ShowXYPlot || !XYPlotWindow || Sample < 2 || Sample == plottedXYSample_) return;
  plottedXYSample_ = Sample;
  acq_hooks::PlotNewestXYPoint();
  rt::SetOutputWindow(kAcquisitionWindow);
}

// Run-time switching, through the switching engine's guarded calls. This is the one
// place a recording switches devices by time: a single switching schedule belongs here.
void RecordingPass::Switching() {
  if (SwitchingMode == SwitchingPatternCode::Off) return;
  MarkSwitches(mode_, SwitchingOnPass(static_cast<int32_t>(Ticks())));
}

std::optional<RunEnd> RecordingPass::Serve(const ScanIntervalOutcome* scan) {
  rt::SetOutputWindow(kAcquisitionWindow);
  TimedBackup();
  if (AlertSOUNDS) acq_hooks::HandleAlertSounds();
  if (const auto end = scan ? ScanStopTests(*scan) : ToolbarAndKeys()) return end;
  ClearToolbarFlags();
  PlotXY();
  if (AO1on == 1 || AO2on == 1) acq_hooks::checkAOscript();
  if (DoFeedback == 1) acq_hooks::checkFEEDBACKLoop();
  // Output volts the half-second gate held back go out as soon as it opens.
  acq_hooks::PumpAOvolts();
  // Timed switching takes its turn here, after the keys, on every pass.
  Switching();
  if (!ScopeChart() && Sample >= MaxSamples && PrefsArray[PrefsSlot::Autorepeat]) {
    // A period starts a run of its own: two references that are not one in each group
    // start none. The run ends here with this period kept unsaved, as a run that does
    // not repeat.
    if (const auto refusal = ReferenceGroupRefusal()) {
      files_hooks::FileNotice("The next period was not started", *refusal);
      return RunEnd::SamplesDone;
    }
    // As at a run's end, nothing stands beyond the period's last sample: a key typed
    // in the pass that took it is saved on it, in this period's file.
    KeepMarkersWithinRun(std::max<int32_t>(Sample - 1, 0));
    acq_hooks::AUTOSAVE();
    // A new sampling period has a time axis of its own: its first sample is due one
    // interval from now, when its file says it starts. The interface's pace is the
    // run's: a slow spell the period starts in is gaps, as anywhere else in the run.
    if (Sample == 0) StartPeriodChartAxis(GetCurrentTimeInSeconds() + ChartIntervalInSeconds);
  }
  rt::SetOutputWindow(kAcquisitionWindow);
  if (NewScreenDue()) acq_hooks::REDRAWSCREEN();
  return std::nullopt;
}

RunEnd RecordingPass::Finish(RunEnd end) {
  // A run stopped in the pass of its last sample still shows that sample's count.
  ShowStatusFields();
  // Nothing stands beyond the last sample: a silence the run ended in is recorded there,
  // and so is every marker set after it.
  const int32_t lastSample = std::max<int32_t>(Sample - 1, 0);
  EndChartAxis(GetCurrentTimeInSeconds(), lastSample);
  KeepMarkersWithinRun(lastSample);
  return end;
}

}  // namespace mv
