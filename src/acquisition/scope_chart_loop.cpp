#include "acquisition/scope_chart_loop.h"

#include <algorithm>
#include <cmath>

#include "acquisition/chart_loop.h"
#include "acquisition/entry_points.h"
#include "acquisition/markers.h"
#include "acquisition/recording_keys.h"
#include "acquisition/scope_chart_sample.h"
#include "acquisition/scope_loop.h"
#include "acquisition/state.h"
#include "control/state.h"
#include "devices/dispatcher.h"
#include "devices/state.h"
#include "files/save_commands.h"
#include "files/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/kit/format.h"
#include "shell/state.h"

namespace mv {
namespace {

constexpr int32_t kKeyThrottle = 15;
constexpr int32_t kLowestKey = 2, kHighestKey = 122;
constexpr int16_t kTabCode = 9, kReturnCode = 13, kNoteMarkerCode = '^';
constexpr float kDemonstrationScale = 4096.0f;

struct PassMemory {
  int32_t shownSample = 0;
};

bool FastScope() {
  return PrefsArray[PrefsSlot::DT800FastScope] == 1;
}

int16_t MarkerTop() {
  return static_cast<int16_t>(std::trunc(ChannelVariables[1][ChanField::StripBottom] + 1.0f));
}

void SetBottomOfPlot() {
  const int16_t last = std::clamp<int16_t>(nChannels, 1, 16);
  BottomOfPlot = static_cast<int16_t>(std::trunc(ChannelVariables[last][ChanField::StripBottom]));
}

void ShowStatusFields(PassMemory& m) {
  if (!(ScopeIntervalInSeconds < 0.023 || FastScope())) return;
  if (Sample == m.shownSample || Sample == static_cast<int16_t>(lastSample)) return;
  rt::SetOutputWindow(kAcquisitionWindow);
  rt::SetEditText(2, SampleCountText(Sample));
  if (ChartIntervalInSeconds >= 0.004) {
    rt::SetEditText(3, PercentDoneText(Sample, donefact));
    rt::SetEditText(
        4, ScopeChartTimeLeftText(static_cast<double>(MaxSamples - Sample) * ChartIntervalInSeconds));
  }
  m.shownSample = Sample;
}

// The chart channels' values of one scope step: simulated in demonstration mode,
// otherwise each channel's latest reading replaces what was gathered.
void GatherChartChannels() {
  const int16_t last = std::min<int16_t>(nChannels, 16);
  if (DemonstrationMODE) {
    Kfloat = kDemonstrationScale;
    const int passes = FastScope() ? 10 : 1;
    for (int pass = 0; pass < passes; ++pass)
      for (int16_t ch = 2; ch <= last; ++ch)
        DataCache[ch] += static_cast<float>(rt::Rnd(400)) / kDemonstrationScale;
  } else {
    for (int16_t ch = 2; ch <= last; ++ch) {
      ReadExternalADdevice(ch, 1);
      DataCache[ch] = volts;
    }
    scope2total = 0;
  }
  scope2total = static_cast<int16_t>(scope2total + 1);
}

void ScopeStep() {
  if (!FastScope()) {
    GETSCOPE();
  } else {
    fast_scope_hooks::HIGHSPEEDIO();
    fast_scope_hooks::GETFAST();
  }
  GatherChartChannels();
}

// The chart's switching, with its guards: the reference is switched on once, not on
// every pass after its time.
void TimedSwitching() {
  if (SwitchingMode == 0) return;
  SetBottomOfPlot();
  CycleValves(MarkerTop());
}

// Commands of Command alone or a toolbar click: pause, backup, next reference.
void RunCommands(int32_t& k) {
  if ((k & 0xFFDF) == 'P' || PauseIconClicked) {
    acq_hooks::PAUSE();
    k = kPauseMarkerCode;
  }
  if ((k & 0xFFDF) == 'B' || BackupIconClicked) {
    acq_hooks::AutoTimedBACKUP(0);
    k = 1;
  }
  if ((k & 0xFFDF) == 'N' || TimeToRefIconClicked) {
    timeToCloseRefcheck = timeNow + 60;
    TimeNextREF();
    k = 1;
  }
}

// Option alone or a toolbar click: direct device switching and the X-Y plot keys.
void RunSwitchAndPlotKeys(int32_t& k) {
  if (k >= '1' && k <= '8') {
    acq_hooks::DIRECTSWITCH(static_cast<int16_t>(k - '0'));
  } else if (k == 'c') {
    acq_hooks::ClearXYPlot();
    LastXYClear = Sample;
  } else if (k == 'd' || k == 'u' || k == 'n') {
    if (k == 'd') ExpandXYdown = 1;
    if (k == 'u') ExpandXYup = 1;
    if (k == 'n') ExpandXYdown = ExpandXYup = 0;
    acq_hooks::ClearXYPlot();
    acq_hooks::RedrawXY();
  } else {
    return;
  }
  NextMarkerTime = timeNow + kKeyThrottle;
  k = 0;
}

// Reads the key map. Returns false on Escape alone (the run stops); else leaves the
// key to act on in k.
bool ReadKeys(int32_t& k) {
  KeystrokeArray = rt::GetKeys();
  const uint16_t w = rt::KeyMapWord(KeystrokeArray, 3);
  if (w == KeyWord3::Escape) return false;
  if (TakeCommandQTyped()) return false;  // Ctrl-Q ends this run as Escape does
  const bool command = w == KeyWord3::Command;
  const bool option = w == KeyWord3::Option;
  ShiftON = w == KeyWord3::Shift || w == KeyWord3::CapsLock ? 1 : 0;
  k = 0;
  if (timeNow > NextMarkerTime) {
    k = READKEYS(KeystrokeArray);
    if (ControlStripClicked || command) RunCommands(k);
    if (ControlStripClicked || option) RunSwitchAndPlotKeys(k);
  }
  if (w == KeyWord3::Tab) k = kTabCode;
  if (AddTimeIconClicked) {
    AddTimeIconClicked = 0;
    k = kReturnCode;
  }
  if (SaveScopeIconClicked) k = kTabCode;
  return true;
}

// The note icon marks the chart with '^' as it opens the note window; taken before the
// note is served, as the window it opened holds the keys from this pass on.
bool TakeNoteIconClick() {
  const bool clicked = MarkerIconClicked != 0;
  MarkerIconClicked = 0;
  return clicked;
}

// Tab saves the sweep and, with automatic markers, marks the chart with the next digit.
void SaveSweepWithMarker(int32_t& k, int16_t top) {
  SaveSCOPE();
  rt::SetOutputWindow(kAcquisitionWindow);
  if (PrefsArray[PrefsSlot::Automarkers] != 1 || Nmarkers > kMaxMarkers - 1) return;
  AutoMarkCount = static_cast<int16_t>(AutoMarkCount >= 9 ? 0 : AutoMarkCount + 1);
  SetBottomOfPlot();
  InsertMarker(6, '0' + AutoMarkCount, top);
  k = '0' + AutoMarkCount;
}

void ActOnKey(int32_t k) {
  if (!(ControlStripClicked || k != 0) || timeNow <= NextMarkerTime) return;
  NextMarkerTime = timeNow + kKeyThrottle;
  const int16_t top = MarkerTop();
  SetBottomOfPlot();
  const bool markers = PrefsArray[PrefsSlot::MarkerAtSwitch] != 0;
  if (k == '+' || SampleIconClicked) {
    acq_hooks::KeyboardSampleON();
    if (markers) InsertDeviceSwitchMarker('S', top);
  }
  if (k == '-' || ReferenceIconClicked) {
    acq_hooks::KeyboardReferenceON();
    if (markers) InsertDeviceSwitchMarker('R', top);
  }
  TabKeyHit = 0;
  if (FastScope()) fast_scope_hooks::GETFAST();
  // The pause leaves its marker where sampling resumed, as in the chart.
  if (k == kPauseMarkerCode && markerFlag == 0 && Nmarkers <= kMaxMarkers - 1) InsertMarker(7, k, top);
  if (k >= kLowestKey && k <= kHighestKey) {
    if (k == kReturnCode) AddSomeTIME();
    if (k == kTabCode) SaveSweepWithMarker(k, top);
    if (k == RecordingKeyCode::Right || k == RecordingKeyCode::Up)
      ASCIIvalue = static_cast<int16_t>(ASCIIvalue + 1);
    if (k == RecordingKeyCode::Left || k == RecordingKeyCode::Down)
      ASCIIvalue = static_cast<int16_t>(ASCIIvalue - 1);
    if (k >= '0' && k <= '9') ASCIIvalue = static_cast<int16_t>(k - '0');
    if (k >= '0' && markerFlag == 0 && Nmarkers <= kMaxMarkers - 1 && rt::ApplicationIsActive()) {
      SetBottomOfPlot();
      InsertMarker(7, k, top);
    }
  }
}

void PlotNewestXYPoint(int32_t& plotted) {
  if (!ShowXYPlot || !XYPlotWindow || Sample < 2 || Sample == plotted) return;
  plotted = Sample;
  acq_hooks::PlotNewestXYPoint();
  rt::SetOutputWindow(kAcquisitionWindow);
}

// The next moment something is due: a scope point or a chart point.
double NextDue() {
  return std::min(NextScopeTimeInSeconds, TimeOfNextChartSample);
}

}  // namespace

Str255 ScopeChartTimeLeftText(double r) {
  if (r > 7'200) return PictureFormat(r / 3'600, "####.##") + " hr left";
  if (r > 180) return PictureFormat(r / 60, "####.##") + " min left";
  return PictureFormat(r, "####.##") + " sec left";
}

int16_t SCOPEPLUSCHARTSCAN() {
  CurrentTimeInSeconds = GetCurrentTimeInSeconds();
  NextScopeTimeInSeconds = CurrentTimeInSeconds + 0.0001;
  const auto t = static_cast<int32_t>(rt::TickCount());
  EmergencyScopeTimeCutoff = ChartTimeCutoff = t;
  NextMarkerTime = 0;
  TabKeyHit = EscapeKeyHit = 0;
  PassMemory m;
  int32_t plottedXY = -1;
  for (;;) {
    ShowStatusFields(m);
    CurrentTimeInSeconds = GetCurrentTimeInSeconds();
    if (!(CurrentTimeInSeconds > 0 && NextScopeTimeInSeconds < 0)) {
      timeNow = static_cast<int32_t>(rt::TickCount());
      if (NextScopeTimeInSeconds <= CurrentTimeInSeconds) ScopeStep();
    }
    if (CurrentTimeInSeconds >= TimeOfNextChartSample || timeNow > ChartTimeCutoff) GETDATA3();
    if (TimedSaveINTERVAL > 0 && timeNow > NextSAVEtime) acq_hooks::AutoTimedBACKUP(1);
    TimedSwitching();
    // Output scripts step on every pass, as in the chart, not only when a key acts.
    if (AO1on == 1 || AO2on == 1) acq_hooks::checkAOscript();
    if (Sample > MaxSamples) return 0;
    if (ScreenCapacity > 0 && NscrnCASEs >= ScreenCapacity) acq_hooks::REDRAWSCREEN();
    if (AlertSOUNDS) acq_hooks::HandleAlertSounds();
    ReadToolbarOncePerTick();
    if (StopIconClicked) return 0;
    if (timeToCloseRefcheck > 0 && timeNow > timeToCloseRefcheck) {
      rt::CloseWindow(kNextReferenceWindow);
      timeToCloseRefcheck = 0;
    }
    // While the note window is open it takes the keys, as in the chart; the note is
    // stored when its OK is clicked.
    int32_t k = 0;
    const bool noteIcon = TakeNoteIconClick();
    if (NoteWindowIsOpen) {
      ServiceNotesOncePerTick();
      if (noteIcon) ActOnKey(kNoteMarkerCode);
    } else {
      if (!ReadKeys(k)) return 0;
      ActOnKey(noteIcon ? kNoteMarkerCode : k);
    }
    PlotNewestXYPoint(plottedXY);
    ClearToolbarFlags();
    RestUntil(NextDue());
  }
}

}  // namespace mv
