#include "shell/control_loop.h"

#include <algorithm>

#include "acquisition/channel_pipeline.h"
#include "acquisition/chart_loop.h"
#include "acquisition/fast_scope.h"
#include "acquisition/markers.h"
#include "acquisition/needs.h"
#include "acquisition/recording_keys.h"
#include "acquisition/state.h"
#include "acquisition/toolbar.h"
#include "control/feedback_window.h"
#include "control/state.h"
#include "control/switch_groups.h"
#include "control/switching.h"
#include "conversions/evaluate.h"
#include "conversions/spike_filter.h"
#include "conversions/state.h"
#include "devices/adam_reader.h"
#include "devices/connection.h"
#include "devices/dispatcher.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "devices/stream_reader.h"
#include "files/save_commands.h"
#include "files/state.h"
#include "kit/comment_header.h"
#include "kit/date_text.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/add_channel.h"
#include "setup/channel_dialogs.h"
#include "setup/channel_table.h"
#include "setup/state.h"
#include "shell/commands.h"
#include "shell/menus.h"
#include "shell/mode_window.h"
#include "shell/options_window.h"
#include "shell/startup.h"

namespace mv {

int16_t LastControlLoopEntry = 0;

namespace {

using namespace MenuNumber;

constexpr int16_t kTrendWindow = 199;
constexpr int16_t kAlarmsItem = 16, kAutorepeatItem = 19, kCutChannelsItem = 20, kSpikeFilterItem = 12;
// A fast scope on the DT800 below this interval reads whole blocks from the logger.
constexpr double kFastScopeInterval = 0.016;
constexpr double kSlopeTrendShortestInterval = 0.033333;
// The Sable interfaces answer their reset byte with at most this many bytes.
constexpr unsigned char kSableReset = 208;
constexpr int kSableResetReply = 144;
constexpr int kSableResetWaitMs = 4;

ControlLoopTap gTap;

void Step(const char* name) {
  if (gTap) gTap(name);
}

bool On(int slot) {
  return PrefsArray[slot] != 0;
}
int16_t ChannelCount() {
  return std::clamp<int16_t>(nChannels, 0, 16);
}
bool SetupFromFile() {
  return On(PrefsSlot::SetupKnownAtStart);
}

// The sample-rate window for one interval: it starts from the interval in force, so
// a window that changes nothing leaves it as it was.
void AskChartInterval() {
  SampleIntervalinSeconds = ChartIntervalInSeconds;
  GetSampleINTERVAL("Chart Channels");
  ChartIntervalInSeconds = SampleIntervalinSeconds;
  ChartSampleInterval = static_cast<float>(SampleIntervalinSeconds);
}

void AskScopeInterval() {
  SampleIntervalinSeconds = ScopeIntervalInSeconds;
  GetSampleINTERVAL("OSCILLOSCOPE");
  ScopeIntervalInSeconds = SampleIntervalinSeconds;
  scopeinterval = static_cast<float>(SampleIntervalinSeconds);
}

void OfferAutorepeatItem(const char* text) {
  rt::SetMenuItem(AD, kAutorepeatItem, text);
  rt::EnableMenuItem(AD, kAutorepeatItem, true);
}

void AskIntervalsOfMode() {
  if (RecordingMODE == 0) RecordingMODE = RecordingModeCode::Chart;
  switch (RecordingMODE) {
    case RecordingModeCode::Scope:
      AskScopeInterval();
      break;
    case RecordingModeCode::ScopeChart:
      AskScopeInterval();
      OfferAutorepeatItem("Automarkers");
      AskChartInterval();
      break;
    default:
      AskChartInterval();
      OfferAutorepeatItem("Autorepeat");
      break;
  }
}

// The streaming serial input brings its own channels: no dialogs.
void FinishStreamingChannels() {
  if (MaxSamples == 0) MaxSamples = PrefsArray[PrefsSlot::WindowWidth];
  RecordingMODE = RecordingModeCode::Chart;
  if (DemonstrationMODE == 1) External_AD = ExternalADCode::Demonstration;
}

bool AnyAlarmSet() {
  for (int16_t ch = 1; ch <= ChannelCount(); ++ch)
    if (alarmsArray[ch][AlarmField::AnyOn] != 0.0f) return true;
  return false;
}

void SampleAveragingMenu() {
  const float lastAveraged =
      ChannelCount() >= 1 ? ChannelVariables[ChannelCount()][ChanField::Averaged] : 1.0f;
  const int16_t checked = SampleAveragingItem(PrefsArray[PrefsSlot::AverageAllChannels], lastAveraged);
  for (int16_t i = 1; i <= 3; ++i) SetMenuItemState(SampleAveraging, i, i == checked ? 2 : 1);
}

void ExternalDeviceItemsForSetupFile() {
  SetMenuItemState(AD, 4, 0);
  if (External_AD == ExternalADCode::Demonstration) return;
  if (rt::MenuExists(ExternalADDevice)) {
    for (int16_t i = 1; i <= 4; ++i) rt::EnableMenuItem(ExternalADDevice, i, true);
    rt::CheckMenuItem(ExternalADDevice, 1, External_AD >= 1 && External_AD <= 3);
  }
  rt::EnableMenuItem(AD, 13, true);
}

}  // namespace

void RecordRun() {
  switch (RecordingMODE) {
    case RecordingModeCode::ScopeChart:
      PrefsArray[PrefsSlot::DT800FastScope] = 0;
      MakeAcquisitionTOOLBAR(1);
      PrefsArray[PrefsSlot::DT800MainsFilter] = 1;
      commands::SCOPEPLUSCHARTSCAN();
      break;
    case RecordingModeCode::Scope:
      MakeAcquisitionTOOLBAR(1);
      PrefsArray[PrefsSlot::DT800MainsFilter] = 1;
      if (External_AD == ExternalADCode::DT800 && ScopeIntervalInSeconds < kFastScopeInterval)
        PrefsArray[PrefsSlot::DT800FastScope] = 1;
      if (External_AD == ExternalADCode::DT800 && On(PrefsSlot::DT800FastScope) && DemonstrationMODE == 0) {
        SerialLine().Write("P48=50\r");
        BurstCommandString();
      }
      commands::SCOPESCANNING();
      break;
    default:
      MarkerCounter = 201;
      MakeAcquisitionTOOLBAR(0);
      CHARTSCANNING();
      break;
  }
}

namespace {

void ResetRunValues() {
  LastScopeDur = 0;
  ScansStored.fill({});
  LastXYClear = 1;
  HavePaused = 0;
  totalPauseDuration = 0;
  SampleRateChanged = 0;
  NumberOfNotes = 0;
  NoteWindowIsOpen = 0;
  SWITCHTOREFERENCE();
  MarkScopeTraceUnread();
}

}  // namespace

void SetControlLoopTap(ControlLoopTap tap) {
  gTap = std::move(tap);
}

// ---- rules ---------------------------------------------------------------------------------------

const std::array<RunMenuRow, 6>& RunMenuTable() {
  //                                         chart scope scope+chart
  static const std::array<RunMenuRow, 6> table = {{{AD, 15, 1, 0, 0},     // Beep at Sample
                                                   {Edit, 16, 1, 0, 1},   // Chart Sample Rate
                                                   {Edit, 17, 0, 1, 1},   // Scope Sample Rate
                                                   {View, 9, 1, 0, 1},    // Chart Views and Tics
                                                   {View, 10, 0, 1, 1},   // Scope Views and Tics
                                                   {View, 8, 1, 0, 1}}};  // Plot Height
  return table;
}

int16_t RunMenuState(const RunMenuRow& row, int16_t recordingMode) {
  switch (recordingMode) {
    case RecordingModeCode::Scope:
      return row.scope;
    case RecordingModeCode::ScopeChart:
      return row.scopeChart;
    default:
      return row.chart;
  }
}

std::optional<int16_t> AutorepeatItemState(int16_t recordingMode, int16_t autorepeat, int16_t automarkers) {
  if (recordingMode == RecordingModeCode::Scope) return std::nullopt;
  if (recordingMode == RecordingModeCode::ScopeChart) return automarkers ? 2 : 1;
  return autorepeat ? 2 : 1;
}

int16_t SampleAveragingItem(int16_t averageAllChannels, float lastChannelAveraged) {
  if (averageAllChannels) return 3;
  return lastChannelAveraged == 0.0f ? 2 : 1;
}

void ResetScopeRestingPosition() {
  ScYpos = ScopeBase - ScopeCalibrationFactor * volts;
  scopedata[2][0] = ScYpos;
  scopedata[3][0] = ScYpos;
}

void PrimeInterface() {
  const int16_t code = External_AD;
  if (code == ExternalADCode::SableUI2 || code == ExternalADCode::SableUI3) {
    SerialLine().Write(std::string(1, static_cast<char>(kSableReset)));
    rt::Delay(kSableResetWaitMs);
    SerialLine().ReadBytes(kSableResetReply);
  } else if (code >= ExternalADCode::DT800 && code <= ExternalADCode::DT85) {
    for (int pass = 0; pass < 2; ++pass)
      for (int16_t ch = 1; ch <= ChannelCount(); ++ch) ReadExternalADdevice(ch, 0);
  } else if (code == ExternalADCode::ADAM) {
    // Before the chart's timed sweep and its first due time: the commands take a
    // while, and a run that counted them would begin late, with a gap at sample 0.
    SetADAM(0, 0);
  } else if (code == ExternalADCode::SerialStream) {
    ForgetStreamLinesSoFar();
  }
}

// ---- the steps ---------------------------------------------------------------------------------------

void ChooseRecordingMode() {
  Step("mode choice");
  ChannelVariables[1][ChanField::PlotMin] = 0.0f;
  ChannelVariables[1][ChanField::PlotMax] = 5.0f;
  ScopeGain = 1;
  scd = 409.6f;
  Vmax = 5.0f;
  scsf = 5.0f;
  SetMenuItemState(AD, kAlarmsItem, 0);
  SelectRecordingModeTabWindow();
  // Nothing chosen on the tabs (the demonstration interface starts that way) is chart.
  if (RecordingMODE == 0 && !SetupFromFile()) RecordingMODE = RecordingModeCode::Chart;
  if (RecordingMODE == RecordingModeCode::Chart) SetMenuItemState(AD, kAlarmsItem, 1);
  if (RecordingMODE == RecordingModeCode::ScopeChart) PrefsArray[PrefsSlot::Automarkers] = 1;
  rt::DrawMenuBar();
}

void PrepareSetUp() {
  Step("preparation");
  HowManyHardwareADinputs();
  AOmenuAdjust();
  // The interface may have changed since the schedule was set: its marks say whether
  // the interface has the output the feedback drives.
  CheckFeedbackMenuItems(DoFeedback == 1);
  // References this interface cannot switch, or two that are not one in each group here
  // (a set-up made on another), would shut every valve of a group; the set-up window
  // refuses to start with them, and they are never put out: the lines stay as they were.
  if (SwitchingMode != SwitchingPatternCode::Off && !ReferencesRefused()) SWITCHTOREFERENCE();
}

void SetUpChannels() {
  Step("channels");
  if (External_AD != ExternalADCode::SerialStream) BlankChannelLabels();
  AskIntervalsOfMode();
  LastChanModified = 0;
  SetUpChannelsOfNewSetup();
  if (External_AD == ExternalADCode::SerialStream) FinishStreamingChannels();
}

void ApplyInterfaceRules(bool setupFromFile) {
  Step("interface rules");
  if (External_AD == ExternalADCode::DT800)
    DT800FastAcquisitionMode = RecordingMODE == RecordingModeCode::Chart ? 0 : 1;
  if (External_AD >= ExternalADCode::DT500 && External_AD <= ExternalADCode::DT85)
    PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
  // The readings are filtered exactly while the menu shows the check mark.
  rt::CheckMenuItem(AD, kSpikeFilterItem, PrefsArray[PrefsSlot::SpikeFilterOn] != 0);
  // A set-up file carries its own ratios.
  if (!setupFromFile)
    for (int ch = 1; ch <= 16; ++ch) SpikeFilterArray[ch] = 2.0f;
}

void ApplyRunMenuStates(bool setupFromFile) {
  Step("menu states");
  for (const RunMenuRow& row : RunMenuTable())
    SetMenuItemState(row.menu, row.item, RunMenuState(row, RecordingMODE));
  if (const auto state = AutorepeatItemState(RecordingMODE, PrefsArray[PrefsSlot::Autorepeat],
                                             PrefsArray[PrefsSlot::Automarkers]))
    SetMenuItemState(AD, kAutorepeatItem, *state);
  SetMenuItemState(Edit, 19, 1);
  SetMenuItemState(AD, kCutChannelsItem, 1);
  // Enabled with the check marks the switches give them.
  for (int16_t i = 11; i <= 14; ++i) rt::EnableMenuItem(View, i, true);
  SampleAveragingMenu();
  if (RecordingMODE > RecordingModeCode::Chart || ChartIntervalInSeconds < kSlopeTrendShortestInterval)
    SetMenuItemState(View, 15, 0);
  if (!setupFromFile)
    SetChanParams(0, 0);
  else
    ExternalDeviceItemsForSetupFile();
  rt::CheckMenuItem(AD, kAlarmsItem, AnyAlarmSet());
  rt::DrawMenuBar();
}

void PrepareRun() {
  Step("run preparation");
  if (RecordingMODE == RecordingModeCode::Scope)
    TimedSaveINTERVAL = 0;
  else if (TimedBackupsOn())
    BackupFileForRun();
  if (RecordingMODE == RecordingModeCode::Scope || RecordingMODE == RecordingModeCode::ScopeChart)
    commands::ScopeOrRepeatFileRoot("Scope");
  else if (On(PrefsSlot::Autorepeat))
    commands::ScopeOrRepeatFileRoot("Repeat");
  ResetRunCounters();
  if (SoundsOn() && On(PrefsSlot::WeirdSounds)) PlaySound("big click.mp3", "MVsounds");
  CLEARALARMS();
  commands::DRAWSCREEN(1);
  LastNsCasx = 0;
  NscrnCASEs = 0;
  FirstChan = RecordingMODE == RecordingModeCode::ScopeChart ? 2 : 1;
  if (rt::WindowExists(kAcquisitionWindow)) {
    rt::SetOutputWindow(kAcquisitionWindow);
    rt::SetWindowBackground(gray);
  }
  ResetScopeRestingPosition();
  TimeAtStart = static_cast<int32_t>(rt::TickCount());
  if (External_AD != ExternalADCode::Demonstration && !On(PrefsSlot::SerialPortOpen)) SetUpSerialPort();
  NextMarkerTime = 0;
  oldscopex = -1000;
  rt::SeedRandomFromSystem();
  CommentContainer =
      WithCommentHeader(CommentContainer, StartupCommentHeader(TodayDateText(), NowTimeText()));
}

void RunOnce() {
  Step("run");
  ResetRunValues();
  // The spike filter compares a reading only with readings of this run.
  ForgetSpikeReferences();
  PrimeInterface();
  // The schedule starts after any trigger wait (the screen's) and the interface's
  // priming, whose timed sweep tells the interface's pace before the first sample is
  // placed; the files' start time is its first sample's due time.
  StartChartSchedule(PrimeChartPace());
  CumulativePauseContainer.clear();
  // The analog outputs' half-second gate is left as it stands: the first screen has
  // just sent the scripts' first volts, and the next command waits its turn.
  for (int16_t ch = 1; ch <= ChannelCount(); ++ch) voltagespikes[ch] = 0;
  // The run's files report the filter as the run used it, not as it stands later.
  SpikeFilterOfRun = CurrentSpikeFilter();
  // So do they the conversions; and no flow has been read in this run yet.
  ConversionsOfRun = CurrentConversions();
  ForgetStoredValuesOfRun();
  rt::FlushEvents();
  rt::SetMenuHandler(MenusOFF);
  rt::HideWindow(kStatusStripWindow);
  {
    RecordingLoopRunning = 1;
    CommandQTyped = 0;
    struct Done {
      ~Done() {
        RecordingLoopRunning = 0;
        CommandQTyped = 0;
      }
    } done;
    RecordRun();
  }
  // The run read the keyboard from its key map: a key typed into it (the Escape that
  // stopped it, say) or a click it left unread is done with, and no window after the run
  // takes it as its own.
  rt::FlushEvents();
  Action = 0;
  EventID = 0;
  // So do the windows and saves after the run, with what changed while it recorded (a
  // pause's plot ranges, the alarm counts) as it ended, whatever the set-up becomes.
  KeepRunAsItEnded(ConversionsOfRun);

  Step("options");
  rt::CloseWindow(kReplayWindow);
  OPTIONSWINDOW();
  SetMenuItemState(File, 1, 0);
  ResetScopeRestingPosition();
}

void ResetForModeChoice() {
  Step("back to mode choice");
  minute_units = 0;
  ChartView = 1;
  // Quit keeps its place in the File menu whatever the item numbers.
  for (int16_t i = 10; i <= 13; ++i)
    if (i <= rt::MenuItemCount(File) && !IsQuitItem(File, i)) SetMenuItemState(File, i, 0);
  SetMenuItemState(AD, kAutorepeatItem, 0);
  ClearChannelRecords();
  ConversionsOfRun = {};
  CLEARARRAY();
  rt::CloseWindow(kTrendWindow);
}

void ControlLoop(LoopEntry entry) {
  LastControlLoopEntry = static_cast<int16_t>(entry);
  bool atModeChoice = entry == LoopEntry::ModeChoice;
  for (;;) {
    if (atModeChoice) ChooseRecordingMode();
    atModeChoice = true;
    PrepareSetUp();
    const bool fromFile = SetupFromFile();
    if (!fromFile) {
      SetUpChannels();
    } else if (External_AD == ExternalADCode::SerialStream) {
      AskChartInterval();
    }
    ApplyInterfaceRules(fromFile);
    ApplyRunMenuStates(fromFile);
    Step("set-up window");
    StartOver = 0;
    commands::DISPLAYSETUP();
    if (StartOver) {
      ResetForModeChoice();
      continue;
    }
    PrepareRun();
    do {
      RunOnce();
    } while (RecordingMODE != 0);
    ResetForModeChoice();
  }
}

}  // namespace mv
