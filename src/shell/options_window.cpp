#include "shell/options_window.h"

#include <algorithm>
#include <string>

#include "acquisition/fast_scope.h"
#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/state.h"
#include "acquisition/view_colours.h"
#include "control/alarm_log.h"
#include "control/analog_output.h"
#include "control/output_scripts.h"
#include "control/sequence_labels.h"
#include "control/state.h"
#include "control/switch_groups.h"
#include "control/switching_schedule.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "devices/datataker_reader.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "files/needs.h"
#include "files/save_commands.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/date_text.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/protocol.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/sound.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/commands.h"
#include "shell/control_loop.h"
#include "shell/menus.h"
#include "shell/run_reports.h"

namespace mv {

namespace {

using namespace MenuNumber;
namespace OB = OptionsButton;

constexpr const char* kImages = "MVimages";
constexpr int16_t kStatusStrip = 25, kAcquisitionWindow = 1, kXYPlotWindow = 22;
constexpr int16_t kAboutWindow = 33, kInfoWindow = 4;
// The DT800's logger buffer is emptied this often while the window waits.
constexpr uint32_t kBufferCheckTicks = 30;

bool On(int slot) {
  return PrefsArray[slot] != 0;
}
int16_t& Outcome() {
  return PrefsArray[PrefsSlot::GuardAnswer];
}
bool ScopeModes() {
  return RecordingMODE == RecordingModeCode::Scope || RecordingMODE == RecordingModeCode::ScopeChart;
}
bool DT800FastScope() {
  return External_AD == ExternalADCode::DT800 && On(PrefsSlot::DT800FastScope);
}
int16_t ChannelCount() {
  return std::clamp<int16_t>(nChannels, 0, 16);
}

// What the run left for the window.
struct RunFacts {
  AlarmSummary alarms;
};

// ---- closing the run --------------------------------------------------------------------------

void EndTimesAndBackup() {
  EndRecordingTime = NowTimeText();
  EndRecordingDate = TodayDateText();
  if (TimedBackupsOn()) acq_hooks::AutoTimedBACKUP(1);
  for (int16_t w : {300, 777, 1001}) rt::CloseWindow(w);
  ClearToolbarFlags();
  SetMenuItemState(Edit, 2, 0);
  rt::FlushEvents();
}

void RunEndSound() {
  if (SoundsOn()) PlaySound(On(PrefsSlot::WeirdSounds) ? "skid.mp3" : "piiing.mp3", "MVsounds");
}

void ResetRunViews() {
  TempTriggrON = TriggerON;
  EscapeKeyHit = 0;
  TabKeyHit = 0;
}

void ExternalDeviceMenuAfterRun() {
  if (!rt::MenuExists(ExternalADDevice)) return;
  const int16_t code = External_AD;
  const bool resettable = code == ExternalADCode::DT500 || code == ExternalADCode::DT800 ||
                          code == ExternalADCode::DT80 || code == ExternalADCode::DT85;
  rt::EnableMenuItem(ExternalADDevice, 3, resettable);
  if (code == ExternalADCode::DT800) {
    rt::EnableMenuItem(ExternalADDevice, 4, true);
    if (On(PrefsSlot::DT800FastScope)) {
      SerialLine().Write("U\r");
      // A logger that stopped the run by never answering is not waited for again.
      FlushDT800Buffer(FastScopeLoggerSilent() ? 0 : 1);
    }
  } else {
    rt::EnableMenuItem(ExternalADDevice, 4, false);
  }
}

void MenusAfterRun() {
  if (RecordingMODE == RecordingModeCode::Chart) {
    wssst();
    rt::HideWindow(kStatusStrip);
  }
  SetUpMENUs(1);
  ExternalDeviceMenuAfterRun();
  SetMenuItemState(File, 10, 1);
  SetMenuItemState(File, 11, 1);
  UseScopeColors = 0;
  COLORSELECT();
  rt::DrawMenuBar();
}

RunFacts CloseTheRun() {
  RunFacts facts;
  // The start columns first, so the backup made at the stop holds what every saved
  // file of the run will hold.
  if (RecordingMODE == RecordingModeCode::ScopeChart) FillScopeChartStartColumns(ChannelCount(), Sample);
  EndTimesAndBackup();
  SetMenuItemState(File, 1, 1);
  SetMenuItemState(Special, 1, 1);
  RunEndSound();

  ResetRunViews();
  facts.alarms = TakeAlarmSummary(ChannelCount());
  rt::CloseWindow(kAcquisitionWindow);
  if (On(PrefsSlot::SpikeFilterOn)) ShowVoltageSpikes();
  zz = 0;
  NextTicPosition = 0;
  rt::CloseWindow(kXYPlotWindow);
  XYPlotWindow = 0;
  rt::FlushEvents();
  WINDOWCLEAR();
  NewScreen = 0;
  ASCIIvalue = 0;
  PresentChan = 0;
  OldChan = SampleValve;
  OldChan2 = SampleValve2;
  SwitchingAtRunEnd();

  nSamples = Sample;
  Sample = SampleAfterRun(Sample);
  // Outputs whose scripts end at marker "x" get their end volts.
  SetEndVoltsAfterRun();
  MenusAfterRun();
  if (On(PrefsSlot::LastRunSaved) && !On(PrefsSlot::Autorepeat)) ShowFileIsSaved(filestrings.dataFile);
  return facts;
}

// ---- the window -------------------------------------------------------------------------------

struct ButtonRow {
  int16_t number;
  const char* picture;
  Rect where;
  const char* title;  // what the picture reads
};

void BuildButtons(const RunFacts& facts) {
  const ButtonRow pictures[] = {
      {OB::Restart, "restart button.gif", {5, 5, 325, 49}, "Record again"},
      {OB::Save, "save data button.png", {5, 54, 325, 97}, "Save data"},
      {OB::QuickSave, "quicksave button.gif", {5, 103, 325, 145}, "Quick save"},
      {OB::Parameters, "acquisition params button.gif", {5, 151, 325, 195}, "Acquisition parameters"},
      {OB::MakeSetup, "make setup button.gif", {5, 200, 325, 244}, "Make a set-up file"},
      {OB::ChangeMode, "change mode button.gif", {5, 249, 325, 293}, "Change recording mode"},
      {OB::Quit, "quit button.gif", {210, 472, 325, 512}, "Quit"}};
  for (const ButtonRow& b : pictures)
    rt::NewPictureButton(b.number, rt::ResourcePath(kImages, b.picture), b.where, 1, b.title);
  const bool rootName = ShowsRootNameButton(RecordingMODE, PrefsArray[PrefsSlot::Autorepeat]);
  if (rootName) {
    const Str255 title =
        Str255(ScopeModes() ? "Change Scope" : "Change Chart") + " Root File Name...      ('C')";
    rt::NewControl(OB::RootName, rt::ControlType::PushButton, title, Rect{25, 312, 325, 338}, 1);
    if (SwitchingMode == SwitchingPatternCode::SequentialFiles)
      rt::NewControl(OB::SequenceLabels, rt::ControlType::PushButton, "Sequence Labels...",
                     Rect{170, 360, 325, 380}, 1);
  }
  rt::NewControl(OB::RateCheck, rt::ControlType::PushButton, "Check Sample Rate", Rect{170, 384, 325, 409},
                 1);
  if (RecordingMODE == RecordingModeCode::Chart)
    rt::NewControl(OB::Replay, rt::ControlType::PushButton, "Replay Data", Rect{170, 412, 325, 436}, 1);
  rt::NewControl(OB::Help, rt::ControlType::PushButton, "?", Rect{170, 480, 200, 500}, 1);
  if (rootName) commands::SHOWROOTFILE();
  if (facts.alarms.alarmsSet && facts.alarms.kindsChosen) {
    rt::NewControl(OB::Alarms, rt::ControlType::PushButton, "Check Alarms...", Rect{170, 439, 325, 463}, 1);
    if (SoundsOn()) PlaySound("ahem.mp3", "MVtimerSounds");
    for (int step = 0; step < 11; ++step) {
      rt::SetControlState(OB::Alarms, step % 2 == 0 ? 2 : 1);
      rt::PeekEvents();
      rt::Delay(50);
    }
    rt::SetControlState(OB::Alarms, 1);
  }
}

// Why the fast scope stopped by itself, while the user chooses what to do next: the
// recording screen that said so is closed.
void ShowWhyTheFastScopeStopped() {
  if (!DT800FastScope() || !FastScopeLoggerSilent()) return;
  rt::NewEditField(kStopReasonField, kFastScopeNoReplyText, Rect{5, 341, 325, 357}, 5, 1);
  rt::FontSpec font = KitFont(KestraneFont, 12);
  font.bold = true;
  rt::SetEditFont(kStopReasonField, font);
  rt::SetEditColors(kStopReasonField, RGBred, rgbyellow);
}

void InstallOptionsHandlers() {
  rt::SetDialogHandler(doDIALOG);
  rt::SetEditKeyHandler(CheckRETURN);
  rt::SetMenuHandler(DoMENU);
  rt::SetMouseHandler(noMOUSE);
}

void OpenOptionsWindow(const RunFacts& facts) {
  rt::CloseWindow(kOptionsWindow);
  // The count every saved file of the run holds.
  BuildWINDOW(kOptionsWindow, OptionsWindowTitle(RecordingMODE, nSamples), 25, 77, 362, 601, 6);
  rt::SetTextFont(KitFont(KestraneFont, 14));
  DrawThisImage(CreateCGImageFromBundleResource(kImages, "MVlogo.gif"), 12, 380, 130, 502);
  BuildButtons(facts);
  ShowWhyTheFastScopeStopped();
  rt::FlushWindow();
  SetMenuItemState(AD, 20, CutChannelsEnabled(RecordingMODE, nChannels) ? 1 : 0);
  commands::CHECKSAMPLERATE(RunAsRecorded().chartInterval, 1);
  rt::BringWindowForward(kOptionsWindow);
  InstallOptionsHandlers();
  Action = 0;
  EventID = 0;
}

// ---- the commands ------------------------------------------------------------------------------

void RootIfAutorepeatSwitchedOn(int16_t autorepeatBefore) {
  if (autorepeatBefore == 0 && On(PrefsSlot::Autorepeat)) commands::ScopeOrRepeatFileRoot("Repeat");
}

void RestartRun() {
  // The run starts again from this set-up as Setup OK would have started it: two
  // references that are not one in each group (the interface changed since) start none.
  if (const auto refusal = ReferenceGroupRefusal()) {
    files_hooks::FileNotice("The run was not started again", *refusal);
    Outcome() = OptionsOutcome::Stay;
    return;
  }
  rt::CloseWindow(kSpikeReportWindow);
  MAKESURE(1);
  if (Outcome() != 1) {
    Outcome() = OptionsOutcome::Stay;
    return;
  }
  SetUpMENUs(0);
  if (RecordingMODE == RecordingModeCode::Chart && On(PrefsSlot::Autorepeat) && MENU19toggle)
    commands::ScopeOrRepeatFileRoot("Repeat");
  if (On(PrefsSlot::CheckBackupName) && TimedBackupsOn() && backupfile.empty()) BACKUPFILENAME();
  rt::CloseWindow(kSavedNoticeWindow);
  CLEARALARMS();
  if (External_AD != ExternalADCode::Demonstration || DemonstrationMODE != 0) commands::TURNVALVESOFF();
  if (RefChan >= 2) ReferenceValve = static_cast<int16_t>(RefChan - 1);
  rt::CloseWindow(kAcquisitionWindow);
  rt::CloseWindow(kInfoWindow);
  ScSample = 0;
  Sample = 0;
  nSamples = 0;  // the run is given up: nothing of it is at stake any more
  NscrnCASEs = 0;
  Nmarkers = 0;
  NewScreen = 0;
  PrefsArray[PrefsSlot::LastRunSaved] = 0;
  if (SoundsOn() && On(PrefsSlot::WeirdSounds)) PlaySound("big click.mp3", "MVsounds");
  CLEARARRAY();
  commands::DRAWSCREEN(1);
  Outcome() = OptionsOutcome::Rerun;
  oldscopex = 0;
  Tscope = 0;
}

// A quick save that did not write its file keeps the run and its guard.
void QuickSaveAndRestart() {
  if (!commands::QuickSAVE()) {
    Outcome() = OptionsOutcome::Stay;
    return;
  }
  const int16_t warn = PrefsArray[PrefsSlot::WarnUnsaved];
  PrefsArray[PrefsSlot::WarnUnsaved] = 0;
  RestartRun();
  PrefsArray[PrefsSlot::WarnUnsaved] = warn;
}

void SaveData() {
  // The stopped run's file is written as no period file is (its spike report in the
  // comment); Automatic Repeat stays as the user set it, for the next "Record again".
  const int16_t autorepeat = PrefsArray[PrefsSlot::Autorepeat];
  PrefsArray[PrefsSlot::Autorepeat] = 0;
  commands::SAVEFILES();
  PrefsArray[PrefsSlot::Autorepeat] = autorepeat;
  Outcome() = OptionsOutcome::Saved;
  // Only a written file earns the notice.
  if (On(PrefsSlot::LastRunSaved)) ShowFileIsSaved(filestrings.dataFile);
  WINDOWCLEAR();
  rt::BringWindowForward(kOptionsWindow);
  Action = ActionCode::Redraw;
}

void ChangeParameters() {
  const int16_t autorepeat = PrefsArray[PrefsSlot::Autorepeat];
  commands::DISPLAYSETUP();
  // The set-up's OK shuts the menus for a run about to start when few samples were
  // taken; here the stopped run waits in this window, whose menus (the file formats,
  // Save Setup, Quit) are the user's again.
  SetUpMENUs(1);
  Outcome() = OptionsOutcome::SubWindow;
  RootIfAutorepeatSwitchedOn(autorepeat);
  WINDOWCLEAR();
  Action = ActionCode::Redraw;
}

void ChangeModeCommand() {
  MAKESURE(10);
  if (Outcome() != 1) {
    Outcome() = OptionsOutcome::Stay;
    return;
  }
  if (DT800FastScope()) ResetDataTaker();
  rt::CloseWindow(kOptionsWindow);
  ScSample = 0;
  Sample = 0;
  nSamples = 0;  // the run is given up with its set-up
  NscrnCASEs = 0;
  Outcome() = OptionsOutcome::ChangeMode;
  for (int16_t w = 6; w <= 5 + ChannelCount(); ++w) rt::CloseWindow(w);
}

void Shutdown() {
  FlushAOvolts();
  if (DemonstrationMODE == 0 && External_AD != ExternalADCode::Demonstration && On(PrefsSlot::SerialPortOpen))
    commands::TURNVALVESOFF();
  rt::WaitForSoundEnd();
  if (DT800FastScope()) {
    FlushDT800Buffer(0);
    SerialLine().Write("SINGLEPUSH\r");
  }
  ShowShutdownMessage();
}

void QuitFromOptions() {
  MAKESURE(0);
  if (Outcome() == 1) Shutdown();
  Outcome() = OptionsOutcome::Stay;
}

void ChangeRootName() {
  if (ScopeModes())
    commands::ScopeOrRepeatFileRoot("Scope");
  else if (RecordingMODE == RecordingModeCode::Chart && On(PrefsSlot::Autorepeat))
    commands::ScopeOrRepeatFileRoot("Repeat");
  ScopeCount = 0;
  Outcome() = OptionsOutcome::SubWindow;
  commands::SHOWROOTFILE();
}

void RunCommand(int16_t button, const RunFacts& facts) {
  switch (button) {
    case OB::QuickSave:
      QuickSaveAndRestart();
      break;
    case OB::Restart:
      RestartRun();
      break;
    case OB::Save:
      SaveData();
      break;
    case OB::Parameters:
      ChangeParameters();
      break;
    case OB::MakeSetup:
      commands::MAKESETUP();
      Outcome() = OptionsOutcome::SubWindow;
      break;
    case OB::ChangeMode:
      ChangeModeCommand();
      break;
    case OB::Quit:
      QuitFromOptions();
      break;
    case OB::RootName:
      ChangeRootName();
      break;
    case OB::Alarms: {
      const int16_t autorepeat = PrefsArray[PrefsSlot::Autorepeat];
      SHOWALARMS();
      Outcome() = OptionsOutcome::SubWindow;
      RootIfAutorepeatSwitchedOn(autorepeat);
      break;
    }
    case OB::SequenceLabels:
      GetSequenceLabels();
      Outcome() = OptionsOutcome::SubWindow;
      break;
    case OB::RateCheck:
      commands::CHECKSAMPLERATE(RunAsRecorded().chartInterval, 1);
      rt::BringWindowForward(kOptionsWindow);
      WINDOWCLEAR();
      Outcome() = OptionsOutcome::Stay;
      break;
    case OB::Help:
      DoHelpWindow(kOptionsHelpTopic);
      Outcome() = OptionsOutcome::Stay;
      break;
    default:
      break;
  }
}

bool IsCommand(int16_t button) {
  switch (button) {
    case OB::Restart:
    case OB::Save:
    case OB::Parameters:
    case OB::MakeSetup:
    case OB::ChangeMode:
    case OB::Quit:
    case OB::RootName:
    case OB::Alarms:
    case OB::SequenceLabels:
    case OB::RateCheck:
    case OB::QuickSave:
    case OB::Help:
    case OB::Replay:
      return true;
    default:
      return false;
  }
}

// What every command is followed by. True when the window hands back to the loop.
bool AfterCommand(const RunFacts& facts) {
  LastNsCasx = 0;
  NscrnCASEs = 0;
  EventID = 0;
  CurrentTimeInSeconds = GetCurrentTimeInSeconds();
  TimeAtStart = static_cast<int32_t>(rt::TickCount());
  oldscopex = -1000;
  rt::SeedRandomFromSystem();
  NextMarkerTime = 0;
  const int16_t outcome = Outcome();
  if (outcome == OptionsOutcome::ChangeMode) {
    // Only leaving for the mode choice gives up the set-up; while the window stays,
    // or a rerun uses the same set-up, it can still be saved and printed.
    SetMenuItemState(File, 10, 0);
    SetMenuItemState(File, 11, 0);
    SetMenuItemState(AD, 20, 0);
    RecordingMODE = 0;
    return true;
  }
  if (outcome == OptionsOutcome::Rerun) {
    rt::CloseWindow(kOptionsWindow);
    SetMenuItemState(AD, 20, 0);
    SetUpMENUs(0);
    MENU19toggle = 0;
    ScansStored.fill({});
    return true;
  }
  if (rt::WindowExists(kOptionsWindow))
    rt::BringWindowForward(kOptionsWindow);
  else
    OpenOptionsWindow(facts);
  InstallOptionsHandlers();
  return false;
}

// A press held down in the left margin counts once per press.
int16_t HeldRowButton(bool& pressTaken) {
  if (!rt::Button()) {
    pressTaken = false;
    return 0;
  }
  // Only a press that no control took: a press on a button acts when it is released.
  if (pressTaken || rt::FrontWindow() != kOptionsWindow || rt::LastClickWindow() != kOptionsWindow ||
      rt::LastPressOnControl())
    return 0;
  rt::SetOutputWindow(kOptionsWindow);
  const Point p = rt::GetMouse();
  const int16_t button = OptionsMouseRowButton(p.h, p.v);
  if (button) pressTaken = true;
  return button;
}

}  // namespace

// ---- rules ---------------------------------------------------------------------------------------

int16_t OptionsKeyButton(int32_t key) {
  switch (key) {
    case 's':
    case 'S':
      return OB::Save;
    case 'r':
    case 'R':
      return OB::Restart;
    case 'a':
    case 'A':
      return OB::Parameters;
    case 'm':
    case 'M':
      return OB::MakeSetup;
    case 'c':
    case 'C':
      return OB::RootName;
    default:
      return OB::Save;
  }
}

int16_t OptionsMouseRowButton(int x, int y) {
  if (x < 1 || x > 71) return 0;
  if (y >= 2 && y <= 50) return OB::Restart;
  if (y >= 60 && y <= 103) return OB::Save;
  if (y >= 114 && y <= 157) return OB::Parameters;
  if (y >= 168 && y <= 204) return OB::MakeSetup;
  if (y >= 279 && y <= 308) return OB::ChangeMode;
  return 0;
}

bool OptionsWindowEnds(int16_t outcome) {
  return outcome == OptionsOutcome::Rerun || outcome == OptionsOutcome::ChangeMode;
}

Str255 OptionsWindowTitle(int16_t recordingMode, int32_t samplesShown) {
  if (recordingMode == RecordingModeCode::Scope) return "Oscilloscope Acquisition Halted";
  return Str255("Chart Halted at ") + std::string_view(std::to_string(std::max<int32_t>(samplesShown, 0))) +
         " Samples";
}

int32_t SampleAfterRun(int32_t samplesTaken) {
  return samplesTaken > 0 ? samplesTaken - 1 : 0;
}

void FillScopeChartStartColumns(int16_t channels, int32_t samplesTaken) {
  if (samplesTaken < 2) return;
  // Column 1 holds the run's first chart point, a reading of its own: only column 0,
  // which no chart point fills, takes the value of column 2.
  for (int16_t ch = 2; ch <= std::min<int16_t>(channels, 16); ++ch)
    ChartDataArray.Set(ch, 0, ChartDataArray.Get(ch, 2));
}

AlarmSummary TakeAlarmSummary(int16_t channels) {
  AlarmSummary s;
  for (int16_t ch = 1; ch <= std::clamp<int16_t>(channels, 0, 16); ++ch) {
    const auto& r = alarmsArray[ch];
    if (r[AlarmField::AnyOn] != 0.0f) s.alarmsSet = true;
    for (int f : {AlarmField::LowerOn, AlarmField::UpperOn, AlarmField::OverRangeOn})
      if (static_cast<int32_t>(r[f]) != 0) s.kindsChosen = true;
  }
  return s;
}

bool ShowsRootNameButton(int16_t recordingMode, int16_t autorepeat) {
  return recordingMode == RecordingModeCode::Scope || recordingMode == RecordingModeCode::ScopeChart ||
         (recordingMode == RecordingModeCode::Chart && autorepeat != 0);
}

bool CutChannelsEnabled(int16_t recordingMode, int16_t channels) {
  return (recordingMode == RecordingModeCode::ScopeChart && channels <= 4) ||
         (recordingMode == RecordingModeCode::Chart && channels <= 11);
}

// ---- the window ------------------------------------------------------------------------------------

void OPTIONSWINDOW() {
  const RunFacts facts = CloseTheRun();
  Outcome() = OptionsOutcome::Stay;
  OpenOptionsWindow(facts);
  uint64_t nextBufferCheck = rt::Ticks64() + kBufferCheckTicks;
  bool pressTaken = false;
  for (;;) {
    rt::PumpEvents();
    rt::EnableMenuItem(Special, 0, true);
    if (Action == ActionCode::WindowActivity && EventID == kOptionsWindow)
      rt::BringWindowForward(kOptionsWindow);
    if (rt::Ticks64() >= nextBufferCheck) {
      nextBufferCheck = rt::Ticks64() + kBufferCheckTicks;
      if (DT800FastScope()) FlushDT800Buffer(0);
    }
    int16_t button = HeldRowButton(pressTaken);
    if (Action == ActionCode::Key) button = OptionsKeyButton(EventID);
    if (Action == ActionCode::CloseBox && (EventID == kAcquisitionWindow || EventID == kAboutWindow))
      rt::CloseWindow(static_cast<int16_t>(EventID));
    if (Action == ActionCode::Click) button = static_cast<int16_t>(EventID);
    Action = 0;
    if (!IsCommand(button)) continue;
    rt::CloseWindow(kAboutWindow);
    rt::CloseWindow(kInfoWindow);
    if (button == OB::Replay) {
      rt::CloseWindow(kOptionsWindow);
      acq_hooks::REPLAY(1);
      rt::FlushEvents();
      Action = 0;
      EventID = 0;
      // The window comes back as it was; the run's counts are not taken again.
      OpenOptionsWindow(facts);
      continue;
    }
    RunCommand(button, facts);
    if (AfterCommand(facts)) return;
  }
}

}  // namespace mv
