#include "files/setup_commands.h"

#include <cmath>
#include <filesystem>

#include "acquisition/state.h"
#include "control/state.h"
#include "control/trigger_window.h"
#include "conversions/spike_filter.h"
#include "files/file_io.h"
#include "files/needs.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/protocol.h"
#include "kit/sample_intervals.h"
#include "kit/sounds.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/panels.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr std::size_t kLargestSetupFile = 1 << 20;  // a set-up is about 10 kB
constexpr int16_t kFileMenu = 1, kEditMenu = 2, kViewMenu = 3, kADMenu = 4, kGridMenu = 90, kLinesMenu = 91;
constexpr int16_t kResetButton = 1, kUseFileButton = 2;

bool Slot(int s) {
  return PrefsArray[s] != 0;
}

float LastStripBottom() {
  const int16_t last = nChannels >= 1 && nChannels <= 16 ? nChannels : 1;
  return ChannelVariables[last][ChanField::StripBottom];
}

// The "Screen Size Mismatch" window: keep the layout for this screen, or take the
// window size the file was made with.
void ScreenSizeMismatch(int16_t rememberedWidth) {
  const HandlerScope callersHandlers;
  BuildWINDOW(kScreenMismatchWindow, "Screen Size Mismatch", 75, 75, 457, 210, 262);
  WARNINGSTRIPES(10);
  if (Sound_Is_On != 0) PlaySound("ahem.mp3", "MVtimerSounds");
  const RGBColor black{0, 0, 0};
  rt::DrawText(24, 36, "WARNING!", KitFont(KestraneFont, 18), black);
  rt::DrawText(24, 60, "The setup file format doesn't fit this screen size.", KitFont(KestraneFont, 12),
               black);
  rt::NewControl(kResetButton, rt::ControlType::DefaultButton, "Reset to the Current Screen Size",
                 Rect{24, 74, 358, 96}, 1);
  rt::NewControl(kUseFileButton, rt::ControlType::PushButton, "Use screen size From Setup File",
                 Rect{24, 102, 358, 124}, 1);
  rt::FlushWindow();
  InstallDialogHandlers(NoMENU);
  Action = 0;
  int16_t choice = 0;
  while (choice == 0) {
    rt::PumpEvents();
    if (!rt::WindowExists(kScreenMismatchWindow)) choice = kResetButton;
    if (Action == ActionCode::Click && (EventID == kResetButton || EventID == kUseFileButton))
      choice = static_cast<int16_t>(EventID);
    if (Action == ActionCode::Key || (Action == ActionCode::CloseBox && EventID == kScreenMismatchWindow))
      choice = kResetButton;
    Action = 0;
  }
  if (choice == kUseFileButton) {
    PrefsArray[PrefsSlot::WindowHeight] = static_cast<int16_t>(std::trunc(LastStripBottom() + 30));
    PrefsArray[PrefsSlot::WindowWidth] = rememberedWidth;
  } else {
    files_hooks::SetChanParams(0, 0);
  }
  if (!rt::WindowExists(kScreenMismatchWindow)) return;
  rt::SetOutputWindow(kScreenMismatchWindow);
  bup();
  rt::DisposeControl(kResetButton);
  rt::DisposeControl(kUseFileButton);
  BuildGrayBox(20, 70, 362, 128, 0);
  rt::FillRect(21, 71, 340, 56, extremelyLightGray.red / 65535.0, extremelyLightGray.green / 65535.0,
               extremelyLightGray.blue / 65535.0);
  rt::DrawText(120, 104, "Loading setup file....", KitFont(KestraneFont, 14), black);
  rt::FlushWindow();
  rt::Delay(433);
  rt::CloseWindow(kScreenMismatchWindow);
}

void StripLayoutAfterLoad(int16_t rememberedWidth) {
  if (LastStripBottom() > rt::DisplayHeight())
    files_hooks::SetChanParams(0, 0);
  else
    files_hooks::SetChanParams(PrefsArray[PrefsSlot::WindowHeight], 1);
  if (LastStripBottom() < PrefsArray[PrefsSlot::WindowHeight] - 30) {
    if (ShowXYPlot != 0)
      files_hooks::SetChanParams(0, 0);
    else
      ScreenSizeMismatch(rememberedWidth);
  }
}

void DerivedTimes() {
  minute_units = 0;
  scopeinterval = static_cast<float>(ScopeIntervalInSeconds);
  TraceLength = static_cast<float>(MaxSamples * ChartIntervalInSeconds);
  // A width of 0 would divide by zero; the time per pixel then stays as it was.
  if (PrefsArray[PrefsSlot::WindowWidth] > 0) tfact = TraceLength / PrefsArray[PrefsSlot::WindowWidth];
  if (TraceLength >= 600) {
    minute_units = 1;
    tfact /= 60;
  }
  OldScopeSpeed = ScopeIntervalInSeconds;
  OldChartSpeed = ChartIntervalInSeconds;
  // The buttons that show the loaded intervals when the Sample Rate window opens;
  // the scope's DataTaker column stands only for an interface that has it.
  OldChartSpeedBut = RateButtonForInterval(ChartIntervalInSeconds, false, false);
  const bool sable = External_AD == ExternalADCode::SableUI2 || External_AD == ExternalADCode::SableUI3;
  const bool highSpeedColumn = !sable && DemonstrationMODE == 0 && RecordingMODE == RecordingModeCode::Scope;
  OldScopeSpeedBut = RateButtonForInterval(ScopeIntervalInSeconds, true, highSpeedColumn);
  AltChartInt = OldChartSpeedBut == 13 ? 1 : 0;
  AltScopeInt = OldScopeSpeedBut == 13 ? 1 : 0;
  files_hooks::SetupLoadedMaxAverage();
}

void ModeMenuItems() {
  const bool scope = RecordingMODE == RecordingModeCode::Scope,
             both = RecordingMODE == RecordingModeCode::ScopeChart;
  rt::EnableMenuItem(kEditMenu, 16, !scope);
  rt::EnableMenuItem(kEditMenu, 17, scope || both);
  rt::EnableMenuItem(kViewMenu, 9, !scope);
  rt::EnableMenuItem(kViewMenu, 10, scope || both);
  rt::EnableMenuItem(kViewMenu, 8, !scope);
  if (!scope) {
    rt::EnableMenuItem(kADMenu, 15, ChartIntervalInSeconds >= 0.2);
    rt::EnableMenuItem(kViewMenu, 15, ChartIntervalInSeconds >= 0.033333);
  }
  rt::EnableMenuItem(kADMenu, 18, true);
  rt::CheckMenuItem(kADMenu, 15, Slot(PrefsSlot::BeepEverySample));
}

void MenuMarksAfterLoad() {
  rt::CheckMenuItem(kGridMenu, 1, Slot(PrefsSlot::TimeGrids));
  rt::CheckMenuItem(kGridMenu, 2, Slot(PrefsSlot::TimeGrids) && Slot(PrefsSlot::DashedGrids));
  rt::CheckMenuItem(kLinesMenu, 2, Slot(PrefsSlot::ManyGridLines));
  rt::EnableMenuItem(kViewMenu, 13, SwitchingMode != 0);
  rt::CheckMenuItem(kViewMenu, 13, SwitchingMode != 0 && Slot(PrefsSlot::ShowSwitchStatus));
  rt::CheckMenuItem(kEditMenu, 10, Sound_Is_On != 0);
  rt::EnableMenuItem(kEditMenu, 11, Sound_Is_On != 0);
  if (Sound_Is_On != 0) rt::CheckMenuItem(kEditMenu, 11, Slot(PrefsSlot::WeirdSounds));
  rt::EnableMenuItem(kViewMenu, 15, ChartIntervalInSeconds >= 0.033333);
  ModeMenuItems();
  rt::EnableMenuItem(kADMenu, 25, ZeroLinksInForce());
  const std::pair<std::pair<int16_t, int16_t>, bool> marks[] = {
      {{kADMenu, 23}, ShowXYPlot != 0},
      {{kViewMenu, 13}, Slot(PrefsSlot::ShowSwitchStatus)},
      {{kViewMenu, 14}, Slot(PrefsSlot::LargeReadouts)},
      {{kLinesMenu, 2}, Slot(PrefsSlot::ManyGridLines)},
      {{kGridMenu, 2}, Slot(PrefsSlot::DashedGrids)},
      {{kGridMenu, 1}, Slot(PrefsSlot::TimeGrids)},
      {{kEditMenu, 11}, Slot(PrefsSlot::WeirdSounds)}};
  for (const auto& [where, on] : marks)
    if (on) rt::CheckMenuItem(where.first, where.second, true);
  rt::CheckMenuItem(kADMenu, 12, Slot(PrefsSlot::SpikeFilterOn));
}

// Everything a load sets beyond the stored values.
void AfterSetupLoaded(int16_t rememberedWidth) {
  // "Use Automatic Backup" comes back as the file holds it (ApplySetup took it); only a
  // file without an interval has no backup to use.
  const bool backup = TimedSaveINTERVAL != 0;
  if (!backup) PrefsArray[PrefsSlot::AutomaticBackup] = 0;
  rt::CheckMenuItem(kFileMenu, 7, backup);
  if (Sound_Is_On != 0) PlaySound("setup.mp3", "MVsounds");
  StripLayoutAfterLoad(rememberedWidth);
  if (RecordingMODE != RecordingModeCode::Chart) {
    const ScopeScaleOf s = ScopeScaleForGain(ScopeGain);
    scd = s.countsPerVolt;
    Vmax = s.fullScale;
    ChannelVariables[1][ChanField::PlotMax] = Vmax;
  }
  TriggerGain = TriggerGainForLevel(triggerval);
  DerivedTimes();
  nGroups = (SwitchingMode == 2 || SwitchingMode == 4 || SwitchingMode == 6 || SwitchingMode == 8) ? 2 : 0;
  ReferenceValve = static_cast<int16_t>(RefChan - 1);
  if (PrefsArray[PrefsSlot::ChartRedrawOption] < 0 || PrefsArray[PrefsSlot::ChartRedrawOption] > 3)
    PrefsArray[PrefsSlot::ChartRedrawOption] = 0;
  if (CustomTic != 0) CustomTic = std::trunc(CustomTic * 100000) / 100000;
  MenuMarksAfterLoad();
}

}  // namespace

// ---- rules ------------------------------------------------------------------------------------------

ScopeScaleOf ScopeScaleForGain(int16_t gain) {
  switch (gain) {
    case 2:
      return {819.2f, 2.5f};
    case 5:
      return {2048.0f, 1.0f};
    case 10:
      return {4096.0f, 0.5f};
    case 20:
      return {8192.0f, 0.25f};
    case 50:
      return {20480.0f, 0.1f};
    case 100:
      return {40960.0f, 0.05f};
    default:
      return {409.6f, 5.0f};
  }
}

// ---- the commands -----------------------------------------------------------------------------------

bool WriteSetupFile(const std::string& path) {
  // The stored values are written as the program will use them.
  if (MaxSamples == 0) MaxSamples = PrefsArray[PrefsSlot::WindowWidth];
  if (TriggerChan < 1 || TriggerChan > 16) TriggerChan = 1;
  // A file the reader would refuse is not written: the set-up would be lost at its load.
  SetupRecord setup = CaptureSetup();
  // The thresholds go out as the filter uses them, none while it is off: loaded again,
  // the set-up filters exactly when it filtered as it was saved.
  setup.spikeFilter = CurrentSpikeFilter().thresholds;
  if (const std::string problem = SetupRecordProblem(setup); !problem.empty()) {
    files_hooks::FileNotice("The set-up file was not saved", problem);
    return false;
  }
  const FileResult r = WriteFileSafely(path, EncodeSetup(setup));
  if (!r) files_hooks::FileNotice("The set-up file was not saved", r.reason);
  return r.ok;
}

void MAKESETUP() {
  const auto path = rt::SaveFilePanel("Setup File Name", "Mirevant setup file.MVsetup");
  if (!path) return;
  if (WriteSetupFile(*path)) wsst();
}

bool LoadSetupFile(const std::string& path) {
  const FileBytes file = ReadFileBytes(path, kLargestSetupFile);
  if (file.status != ReadStatus::Ok) {
    files_hooks::FileNotice("The set-up file could not be read", file.reason);
    return false;
  }
  const ParsedSetup parsed = ParseSetup(file.bytes, CaptureSetup());
  if (!parsed.record) {
    files_hooks::FileNotice("The set-up file could not be loaded", parsed.reason);
    return false;
  }
  SetupFileName = Str255(std::filesystem::path(path).filename().string());
  // Autorepeat (slot 44) and the fast scope (slot 40) come from the file itself.
  PrefsArray[PrefsSlot::Automarkers] = 0;
  ApplySetup(*parsed.record);
  // The filter is on while a used channel has a threshold, as it was when the set-up
  // was saved; a file without thresholds leaves it as it was.
  if (parsed.spikeThresholds) {
    bool any = false;
    for (int16_t ch = 1; ch <= nChannels && ch <= 16; ++ch) any = any || SpikeFilterArray[ch] > 1.0f;
    PrefsArray[PrefsSlot::SpikeFilterOn] = any ? 1 : 0;
  }
  // The window width the file was made on is taken only when it fits this display.
  const int16_t display = static_cast<int16_t>(std::min(rt::DisplayWidth(), 32'767));
  int16_t remembered = PrefsArray[PrefsSlot::WindowWidth];
  if (parsed.textForm || parsed.version == kSetupVersionOldest ||
      parsed.version == kSetupVersionOldestShort) {
    if (parsed.hasStoredWidth) remembered = std::min(parsed.storedWidth, display);
  } else if (parsed.storedWidth <= display && parsed.storedWidth > 0) {
    PrefsArray[PrefsSlot::WindowWidth] = parsed.storedWidth;
    remembered = parsed.storedWidth;
  } else {
    remembered = display;
  }
  AfterSetupLoaded(remembered);
  return true;
}

bool GETSETUP(int16_t kind) {
  NoSetupFileFound = 0;
  std::string path;
  if (kind != 0) {
    path = CLICKEDSetupFileCFURL;
  } else if (const auto chosen = rt::OpenFilePanel("Setup File", {kSetupExtension})) {
    path = *chosen;
  }
  if (path.empty()) {
    NoSetupFileFound = 1;
    return false;
  }
  return LoadSetupFile(path);
}

}  // namespace mv
