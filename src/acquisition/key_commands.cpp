#include "acquisition/key_commands.h"

#include <algorithm>
#include <cmath>

#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/recording_keys.h"
#include "acquisition/scope_loop.h"
#include "acquisition/screen.h"
#include "acquisition/state.h"
#include "acquisition/time_axis.h"
#include "acquisition/xy_plot.h"
#include "control/switching_schedule.h"
#include "files/save_commands.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

struct KeyRules {
  int32_t throttle;        // ticks after a handled key
  int32_t addTimeGap;      // ticks between two added times
  int32_t refWindowTicks;  // how long the next-reference window stays
  int32_t switchThrottle;  // ticks after a direct switch or an X-Y key
};
constexpr KeyRules kChartRules{30, 30, 60, 20};
constexpr KeyRules kScanRules{15, 20, 120, 20};
constexpr KeyRules kScopeChartRules{15, 15, 60, 15};
constexpr int32_t kScanMarkerThrottle = 20;
constexpr int32_t kTabCode = 9;
constexpr int32_t kNoteIconCode = '^';

const KeyRules& RulesFor(KeyMode mode) {
  switch (mode) {
    case KeyMode::Scan:
      return kScanRules;
    case KeyMode::ScopeChart:
      return kScopeChartRules;
    default:
      return kChartRules;
  }
}

int16_t SwitchMarkerTop(KeyMode mode) {
  return mode == KeyMode::ScopeChart ? ScopeChartMarkerTop() : kSwitchMarkerTop;
}

bool FastScope() {
  return PrefsArray[PrefsSlot::DT800FastScope] == 1;
}

void ToggleReplayScaling() {
  ReplayAutoScaling = ReplayAutoScaling ? 0 : 1;
}

// The commands of Command (or a toolbar click), first match wins. Returns true when
// one ran; c becomes "Q" for Command-Q and the pause marker after a pause, and is
// cleared after the others (which must not touch the keyboard value or mark).
bool RunCommand(KeyMode mode, bool click, int32_t& c, bool& qStop) {
  const int32_t upper = c & 0xFFDF;
  if (upper == 'Q') {
    qStop = true;
    c = 'Q';
    return false;  // the "Q" marker follows like a typed one
  }
  if (upper == 'P' || PauseIconClicked) {
    acq_hooks::PAUSE();
    MarkResumedSampling(mode);
    c = 0;
    return true;
  }
  if (upper == 'B' || BackupIconClicked) {
    acq_hooks::AutoTimedBACKUP(0);
  } else if ((upper == 'N' && (mode == KeyMode::Chart || click)) || TimeToRefIconClicked) {
    timeToCloseRefcheck = timeNow + RulesFor(mode).refWindowTicks;
    TimeNextREF();
  } else if ((upper == 'R' || ReplayIconClicked) && RecordingMODE == RecordingModeCode::Chart) {
    ToggleReplayScaling();
    acq_hooks::REPLAY(0);
    replayTheData = 1;
  } else if (upper == 'C' && replayTheData == 1) {
    CloseReplayWindow();
  } else {
    return false;
  }
  c = 0;
  return true;
}

// Option alone or a click: a digit switches straight to its device; "c", "d", "u",
// "n" act on the X-Y plot. Each clears c and holds the keys for 20 ticks. A digit is
// never a typed marker here: one that names no device of the interface switches
// nothing and marks nothing. Returns whether c was a digit.
bool RunSwitchAndPlotKeys(KeyMode mode, int32_t& c) {
  const bool digit = c >= '0' && c <= '9';
  if (digit) {
    MarkSwitches(mode, SwitchingOnDirectSwitch(static_cast<int16_t>(c - '0')));
  } else if (c == 'c' || c == 'd' || c == 'u' || c == 'n') {
    if (mode == KeyMode::Scan && !ShowXYPlot) return false;
    if (c == 'c') {
      acq_hooks::ClearXYPlot();
      LastXYClear = Sample;
    } else {
      if (c == 'd') ExpandXYdown = 1;
      if (c == 'u') ExpandXYup = 1;
      if (c == 'n') ExpandXYdown = ExpandXYup = 0;
      acq_hooks::ClearXYPlot();
      RedrawXY();
    }
  } else {
    return false;
  }
  NextMarkerTime = timeNow + RulesFor(mode).switchThrottle;
  c = 0;
  return digit;
}

void AdjustKeyboardValue(int32_t c) {
  if (c == RecordingKeyCode::Home)
    ASCIIvalue = 0;
  else if (c == RecordingKeyCode::Right || c == RecordingKeyCode::Up)
    ASCIIvalue = static_cast<int16_t>(ASCIIvalue + 1);
  else if (c >= '0' && c <= '9')
    ASCIIvalue = static_cast<int16_t>(c - '0');
  else if (c == RecordingKeyCode::Left || c == RecordingKeyCode::Down)
    ASCIIvalue = static_cast<int16_t>(ASCIIvalue - 1);
}

// Tab in scope-plus-chart saves the sweep and, with automatic markers, marks the
// chart with the next digit (which then takes no typed marker: one is pending).
void SaveSweepWithMarker() {
  SaveSCOPE();
  rt::SetOutputWindow(kAcquisitionWindow);
  if (PrefsArray[PrefsSlot::Automarkers] != 1 || Nmarkers > kMaxMarkers - 1) return;
  AutoMarkCount = static_cast<int16_t>(AutoMarkCount >= 9 ? 0 : AutoMarkCount + 1);
  InsertMarker(6, '0' + AutoMarkCount, ScopeChartMarkerTop());
}

void AddTimeWhenDue(KeyMode mode) {
  if (timeNow <= NextTimeMoreCASEs) return;
  AddSomeTIME();
  NextTimeMoreCASEs = timeNow + RulesFor(mode).addTimeGap;
}

// Sample and reference switching, added time, the keyboard value and the marker.
void RunKeyActions(KeyMode mode, bool handled, int32_t c) {
  if (c == '+' || SampleIconClicked) {
    MarkSwitches(mode, SwitchingOnKeySample());
  } else if (c == '-' || ReferenceIconClicked) {
    MarkSwitches(mode, SwitchingOnKeyReference());
  } else if (c == RecordingKeyCode::Return) {
    AddTimeWhenDue(mode);
  } else if (mode == KeyMode::ScopeChart && c == kTabCode) {
    SaveSweepWithMarker();
  } else if (!handled) {
    AdjustKeyboardValue(c);
  }
  if (mode == KeyMode::ScopeChart) {
    TabKeyHit = 0;
    if (FastScope()) fast_scope_hooks::GETFAST();
  }
  NextMarkerTime = timeNow + RulesFor(mode).throttle;
  // A marker refused for want of room is said on the screen (again, after a new screen).
  if (c >= '0' && markerFlag != 1 && Nmarkers >= kMaxMarkers) ShowMarkerTableFull();
  if (c >= '0' && markerFlag != 1 && Nmarkers <= kMaxMarkers - 1 && RecordingTakesTypedMarkers()) {
    if (mode == KeyMode::Chart) {
      InsertMarker(7, c, kKeyMarkerTop);
    } else if (mode == KeyMode::ScopeChart) {
      InsertMarker(7, c, ScopeChartMarkerTop());
    } else if (InsertScanMarker(c)) {
      NextMarkerTime = timeNow + kScanMarkerThrottle;
    }
  }
}

// A save by a Tab still held: the next save waits for Tab to come up, so one press
// saves one sweep and puts one marker however long the key stays down.
bool gTabHeldSinceSave = false;

// The switching key ("+", "-", or a digit with Alt) that switched and is still down:
// the key map shows a key down for as long as it is held, and the throttle alone would
// switch again every half second. One press is one switch; the key acts again only once
// it has come up.
int32_t gSwitchKeyHeld = 0;

// The scope-plus-chart keys besides the chart's: Tab alone (pressed anew) or the save
// icon saves the sweep, and the note icon marks the chart with "^".
void ScopeChartKeys(uint16_t word3, int32_t& c) {
  const bool tab = word3 == KeyWord3::Tab;
  if ((tab && !gTabHeldSinceSave) || SaveScopeIconClicked) c = kTabCode;
  if (MarkerIconClicked) {
    MarkerIconClicked = 0;
    c = kNoteIconCode;
  }
  if (tab && c == kTabCode) gTabHeldSinceSave = true;
}

}  // namespace

void CloseReplayWindow() {
  ToggleReplayScaling();
  replayTheData = 0;
  rt::CloseWindow(kReplayWindow);
  rt::SetOutputWindow(kAcquisitionWindow);
  rt::FlushWindow();
}

int16_t ScopeChartMarkerTop() {
  const int16_t last = std::clamp<int16_t>(nChannels, 1, 16);
  BottomOfPlot = static_cast<int16_t>(std::trunc(ChannelVariables[last][ChanField::StripBottom]));
  return static_cast<int16_t>(std::trunc(ChannelVariables[1][ChanField::StripBottom] + 1.0f));
}

bool RecordingTakesTypedMarkers() {
  return rt::ApplicationIsActive();
}

void MarkSwitches(KeyMode mode, const std::vector<SwitchMarker>& switches) {
  for (const SwitchMarker& m : switches) {
    const int32_t code = m.deviceDigit ? m.label : DeviceSwitchMarkerCode(m.label);
    if (m.deviceDigit)
      InsertMarker(7, code, kKeyMarkerTop);
    else
      InsertDeviceSwitchMarker(m.label, SwitchMarkerTop(mode));
    NoteSwitchMade(code, m.at >= 0 ? m.at : GetCurrentTimeInSeconds());
  }
}

void MarkNoteIconClick(KeyMode mode) {
  if (!MarkerIconClicked) return;
  MarkerIconClicked = 0;
  if (timeNow > NextMarkerTime) RunKeyActions(mode, false, kNoteIconCode);
}

namespace {

bool InsertPauseMarker(KeyMode mode) {
  if (mode == KeyMode::Scan) return InsertScanMarker(kPauseMarkerCode);
  const int16_t top = mode == KeyMode::ScopeChart ? ScopeChartMarkerTop() : kKeyMarkerTop;
  return InsertMarker(7, kPauseMarkerCode, top);
}

}  // namespace

void MarkResumedSampling(KeyMode mode) {
  InsertPauseMarker(mode);
}

void MarkScheduleGap(KeyMode mode) {
  // The last places of the table stay free for the user's own markers.
  if (Nmarkers >= kGapMarkerPlaces) return;
  InsertPauseMarker(mode);
}

KeyOutcome HandleRecordingKeys(KeyMode mode) {
  const uint16_t k = rt::KeyMapWord(KeystrokeArray, 3);
  const bool escapeAlone = k == KeyWord3::Escape;
  const bool commandAlone = k == KeyWord3::Command;
  const bool optionAlone = k == KeyWord3::Option;
  ShiftON = k == KeyWord3::Shift || k == KeyWord3::CapsLock ? 1 : 0;

  if (replayTheData == 1 && ResumeIconClicked) CloseReplayWindow();
  // A release is seen at every look, throttled or not: the next press saves again.
  if (k != KeyWord3::Tab) gTabHeldSinceSave = false;
  if (gSwitchKeyHeld != 0 && !RecordingKeyDown(KeystrokeArray, gSwitchKeyHeld)) gSwitchKeyHeld = 0;
  if (timeNow <= NextMarkerTime) return KeyOutcome{escapeAlone, false};

  int32_t c = READKEYS(KeystrokeArray);
  // The key of a switch already made is taken no further while it stays down.
  if (c != 0 && c == gSwitchKeyHeld) c = 0;
  // Ctrl-Q typed between two looks at the key map counts as Command-Q held now.
  const bool typedQ = TakeCommandQTyped();
  if (typedQ) c = 'Q';
  const bool click = ControlStripClicked != 0;
  bool qStop = false;
  bool handled = false;
  if (click || commandAlone || typedQ) handled = RunCommand(mode, click, c, qStop);

  // Escape alone stops; otherwise Option alone or a click makes keys act on devices
  // and the X-Y plot. Command-Q keeps its stop (it used to be cleared here).
  const bool stop = escapeAlone || qStop;
  if (!escapeAlone && (optionAlone || click)) {
    const int32_t key = c;
    if (RunSwitchAndPlotKeys(mode, c)) gSwitchKeyHeld = key;
  }

  if (AddTimeIconClicked) {
    c = RecordingKeyCode::Return;
    AddTimeIconClicked = 0;
  }
  if (mode == KeyMode::ScopeChart) ScopeChartKeys(k, c);
  if (c == '+' || c == '-') gSwitchKeyHeld = c;
  if (click || c > 0 || handled) RunKeyActions(mode, handled, c);
  return KeyOutcome{stop, qStop};
}

}  // namespace mv
