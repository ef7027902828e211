#include "acquisition/key_commands.h"

#include "acquisition/entry_points.h"
#include "acquisition/markers.h"
#include "acquisition/recording_keys.h"
#include "acquisition/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "shell/state.h"

namespace mv {
namespace {

struct KeyRules {
  int32_t throttle;        // ticks after a handled key
  int32_t addTimeGap;      // ticks between two added times
  int32_t refWindowTicks;  // how long the next-reference window stays
};
constexpr KeyRules kChartRules{30, 30, 60};
constexpr KeyRules kScanRules{15, 20, 120};
constexpr int32_t kSwitchThrottle = 20;  // after a direct switch or an X-Y key
constexpr int32_t kScanMarkerThrottle = 20;

const KeyRules& RulesFor(KeyMode mode) {
  return mode == KeyMode::Chart ? kChartRules : kScanRules;
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
    c = kPauseMarkerCode;
    return false;
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

// Option alone or a click: "1".."8" switch straight to a device; "c", "d", "u", "n"
// act on the X-Y plot. Each clears c and holds the keys for 20 ticks.
void RunSwitchAndPlotKeys(KeyMode mode, int32_t& c) {
  if (c >= '1' && c <= '8') {
    acq_hooks::DIRECTSWITCH(static_cast<int16_t>(c - '0'));
  } else if (c == 'c' || c == 'd' || c == 'u' || c == 'n') {
    if (mode == KeyMode::Scan && !ShowXYPlot) return;
    if (c == 'c') {
      acq_hooks::ClearXYPlot();
      LastXYClear = Sample;
    } else {
      if (c == 'd') ExpandXYdown = 1;
      if (c == 'u') ExpandXYup = 1;
      if (c == 'n') ExpandXYdown = ExpandXYup = 0;
      acq_hooks::ClearXYPlot();
      acq_hooks::RedrawXY();
    }
  } else {
    return;
  }
  NextMarkerTime = timeNow + kSwitchThrottle;
  c = 0;
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

// Sample and reference switching, added time, the keyboard value and the marker.
void RunKeyActions(KeyMode mode, bool handled, int32_t c) {
  const bool markers = PrefsArray[PrefsSlot::MarkerAtSwitch] != 0;
  if (c == '+' || SampleIconClicked) {
    acq_hooks::KeyboardSampleON();
    if (markers) InsertDeviceSwitchMarker('S', kSwitchMarkerTop);
  } else if (c == '-' || ReferenceIconClicked) {
    acq_hooks::KeyboardReferenceON();
    if (markers) InsertDeviceSwitchMarker('R', kSwitchMarkerTop);
  } else if (c == RecordingKeyCode::Return) {
    if (timeNow > NextTimeMoreCASEs) {
      AddSomeTIME();
      NextTimeMoreCASEs = timeNow + RulesFor(mode).addTimeGap;
    }
  } else if (!handled) {
    AdjustKeyboardValue(c);
  }
  NextMarkerTime = timeNow + RulesFor(mode).throttle;
  if (c >= '0' && markerFlag != 1 && Nmarkers <= kMaxMarkers - 1 && RecordingTakesTypedMarkers()) {
    if (mode == KeyMode::Chart) {
      InsertMarker(7, c, kKeyMarkerTop);
    } else if (InsertScanMarker(c)) {
      NextMarkerTime = timeNow + kScanMarkerThrottle;
    }
  }
}

}  // namespace

void CloseReplayWindow() {
  ToggleReplayScaling();
  replayTheData = 0;
  rt::CloseWindow(kReplayWindow);
  rt::SetOutputWindow(kAcquisitionWindow);
  rt::FlushWindow();
}

bool RecordingTakesTypedMarkers() {
  return rt::ApplicationIsActive();
}

KeyOutcome HandleRecordingKeys(KeyMode mode) {
  const uint16_t k = rt::KeyMapWord(KeystrokeArray, 3);
  const bool escapeAlone = k == KeyWord3::Escape;
  const bool commandAlone = k == KeyWord3::Command;
  const bool optionAlone = k == KeyWord3::Option;
  ShiftON = k == KeyWord3::Shift || k == KeyWord3::CapsLock ? 1 : 0;

  if (replayTheData == 1 && ResumeIconClicked) CloseReplayWindow();
  if (timeNow <= NextMarkerTime) return KeyOutcome{escapeAlone, false};

  int32_t c = READKEYS(KeystrokeArray);
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
  if (!escapeAlone && (optionAlone || click)) RunSwitchAndPlotKeys(mode, c);

  if (AddTimeIconClicked) {
    c = RecordingKeyCode::Return;
    AddTimeIconClicked = 0;
  }
  if (click || c > 0 || handled) RunKeyActions(mode, handled, c);
  return KeyOutcome{stop, qStop};
}

}  // namespace mv
