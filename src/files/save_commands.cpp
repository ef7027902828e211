#include "files/save_commands.h"

#include <cmath>
#include <filesystem>
#include <optional>

#include "acquisition/state.h"
#include "control/state.h"
#include "control/switching_schedule.h"
#include "conversions/evaluate.h"
#include "conversions/needs.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/ascii_warn.h"
#include "files/data_file_save.h"
#include "files/file_time.h"
#include "files/held_periods.h"
#include "files/needs.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/date_text.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/rate_rule.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/macroman.h"
#include "runtime/panels.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kNameLimit = 51;  // the file strings' name fields
constexpr const char* kHeldPeriodsPanelTitle = "Save Unsaved Periods in Another Folder...";

Str255 NameField(const std::string& utf8Name) {
  std::string name = Utf8ToMacRoman(utf8Name);
  if (name.size() > kNameLimit) name.resize(kNameLimit);
  return Str255(name);
}

std::string FileNameOf(const std::string& path) {
  return fs::path(path).filename().string();
}
std::string FolderOf(const std::string& path) {
  return fs::path(path).parent_path().string();
}
std::string InFolder(const std::string& folder, const std::string& name) {
  return (fs::path(folder) / name).string();
}

void MarkUnsaved() {
  PrefsArray[PrefsSlot::LastRunSaved] = 0;
}

void ShowFailure(int16_t field, const std::string& text) {
  files_hooks::ShowOnAcquisitionScreen(field, text, true);
  zap();
}

// A save of the recording first writes the periods whose automatic save failed; those
// that still cannot be written are said, and stay held (the guard keeps asking).
void SaveHeldPeriods() {
  if (HeldPeriodCount() == 0) return;
  const std::string name = FileNameOf(OldestHeldPeriodPath());
  const FileResult r = WriteHeldPeriodsOrAskWhere();
  if (!r) files_hooks::FileNotice("A sampling period is still not saved", "\"" + name + "\": " + r.reason);
}

// The root panel alone. The root and the count are set either way: a cancelled panel
// chooses the base name ("repeat file", "scope file") in the documents folder.
void ChooseRoot(RootKind kind) {
  const DataFormat f = DataFileFormatChoice();
  const bool ext = ExtensionsOn();
  const std::string base = RootBase(kind);
  const char* title = kind == RootKind::Scope ? "Scope File Root..." : "Repeat File Root...";
  const std::optional<std::string> chosen = rt::SaveFilePanel(title, base + RootDefaultSuffix(f, ext));
  ScopeFileCFURL = chosen.value_or("");
  filestrings.rootName = NameField(chosen ? RootFromChosenName(FileNameOf(*chosen), f, ext) : base);
  ScopeCount = 0;
}

// The folder of the numbered files: the root's, else the documents folder, so that
// a period or sweep is never dropped for want of a folder.
std::string NumberedFilesFolder() {
  return ScopeFileCFURL.empty() ? rt::DocumentsDir() : FolderOf(ScopeFileCFURL);
}

// Why a save failed, in the few words a screen field holds: a folder that is gone (a
// stick pulled out, a share dropped) is said as such, else the system's word for it.
std::string ShortSaveReason(const std::string& folder, const std::string& reason) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return "folder not found";
  const std::size_t colon = reason.rfind(": ");
  return colon == std::string::npos ? reason : reason.substr(colon + 2);
}

std::string NumberedFileName(RootKind kind, int32_t count) {
  const std::string root = MacRomanToUtf8(filestrings.rootName.str());
  const DataFormat f = DataFileFormatChoice();
  return kind == RootKind::Scope ? ScopeFileName(root, count, f, ExtensionsOn())
                                 : PeriodFileName(root, count, f, ExtensionsOn());
}

// The next period starts now: its schedule, its timers and its switching reference.
void RestartPeriodClocks() {
  Sample = 0;
  NscrnCASEs = 0;
  LastNsCasx = 0;
  // The new period's file records only its own pauses, gaps and scans, and starts when its
  // first sample is due, one interval from now: the recording starts the period's time
  // axis so once this save returns.
  CumulativePauseContainer.clear();
  totalPauseDuration = 0;
  ScansStored.fill({});
  StoreFileStartAt(GetCurrentTimeInSeconds() + ChartIntervalInSeconds);
  const double now = rt::TickCount();
  TimeAtStart = ScheduleTick(now);
  NextSAVEtime = ScheduleTick(now + TimedSaveINTERVAL);
  Nmarkers = 0;
}

void StartPeriodRecord() {
  for (int n = 1; n <= nChannels && n <= 16; ++n) voltagespikes[n] = 0;
}

}  // namespace

FileResult WriteHeldPeriodsOrAskWhere() {
  FileResult r = WriteHeldPeriods();
  // Each panel answered is a folder tried; cancelling it leaves the periods held.
  while (!r) {
    const std::optional<std::string> chosen =
        rt::SaveFilePanel(kHeldPeriodsPanelTitle, FileNameOf(OldestHeldPeriodPath()));
    if (!chosen) return r;
    SendHeldPeriodsTo(*chosen);
    r = WriteHeldPeriods();
  }
  return r;
}

int32_t NextNumberedCount(RootKind kind) {
  const std::string folder = NumberedFilesFolder();
  // Bounded: past a million taken names the count is taken as it comes.
  int32_t count = ScopeCount < 0 ? 1 : ScopeCount + 1;
  for (int tries = 0; tries < 1'000'000 && count < INT32_MAX; ++tries, ++count) {
    std::error_code ec;
    if (!fs::exists(InFolder(folder, NumberedFileName(kind, count)), ec) && !ec) break;
  }
  return count;
}

void SetMeasuredSampleInterval() {
  // Measured against the interval the run was asked for, not one set for the next run.
  const float interval = MeasureChartRun(ChartTiming, RunAsRecorded().chartInterval, SampRateError).interval;
  if (StorableInterval(interval)) SampleInterval = interval;
}

FileResult WriteRecording(DataFormat f, const std::string& path, RunPhase phase) {
  FileResult r;
  switch (f) {
    case DataFormat::Sable:
      r = SaveSableDataFile(path, phase);
      break;
    case DataFormat::Text:
      r = SaveTextDataFile(path, phase);
      break;
    default:
      r = SaveChartDataFile(path, phase);
      break;
  }
  // The Sable export is written without the save sound.
  if (r && f != DataFormat::Sable) wsst();
  return r;
}

// ---- the save command and the root of numbered files -------------------------------------------

void SAVEFILES() {
  MarkUnsaved();
  const DataFormat f = DataFileFormatChoice();
  const std::optional<std::string> chosen =
      rt::SaveFilePanel("Save DATA File As...", SaveCommandDefaultName(f, ExtensionsOn()));
  if (!chosen) return;
  sFileCFURL = *chosen;
  if (f == DataFormat::Text) {
    files_hooks::ASCIIWARN();
  } else {
    ScopeFileComments = 0;
    files_hooks::GETFILECOMMENTS();
  }
  SaveHeldPeriods();
  // A text file written by hand shows its progress.
  const FileResult r =
      f == DataFormat::Text ? SaveASCII(sFileCFURL, 1) : WriteRecording(f, sFileCFURL, RunPhase::Closed);
  if (!r) {
    files_hooks::FileNotice("The data were not saved", "\"" + FileNameOf(sFileCFURL) + "\": " + r.reason);
    return;
  }
  filestrings.dataFile = NameField(FileNameOf(sFileCFURL));
}

void ScopeOrRepeatFileRoot(const Str255& kind) {
  const RootKind k = kind == "Scope" ? RootKind::Scope : RootKind::Repeat;
  ChooseRoot(k);
  if (DataFileFormatChoice() == DataFormat::Text) {
    files_hooks::ASCIIWARN();
  } else {
    ScopeFileComments = k == RootKind::Scope ? 1 : 0;
    files_hooks::GETFILECOMMENTS();
  }
}

// ---- the backup file -----------------------------------------------------------------------------

namespace {

constexpr int16_t kSelectNewName = 1, kOverwrite = 2;
constexpr int32_t kOverwriteKey = 'O';

void CautionText(int16_t x, int16_t y, const char* text, double size, bool bold) {
  rt::FontSpec font = KitFont(KestraneFont, size);
  font.bold = bold;
  rt::DrawText(x, y, text, font, RGBColor{0, 0, 0});
}

// "That backup file already exists": 1 choose another name, 2 overwrite. Replacing the
// file destroys an earlier recording, so only a deliberate answer does it: a click on
// "Overwrite old file" or its own key, O. Escape, Return, the close box and every other
// key choose another name, as does the window going without an answer. It takes answers
// only from its own window; while it asks, a Quit is ignored.
int16_t BackupExistsCaution() {
  const DataLossQuestion asking;
  const HandlerScope callersHandlers;
  BuildWINDOW(kBackupExistsWindow, "", 100, 100, 500, 230, 262);
  WARNINGSTRIPES(5);
  CautionText(70, 38, "Caution...", 24, false);
  if (SoundsOn()) PlaySound("ahem.mp3", "MVtimerSounds");
  CautionText(70, 60, "That backup file already exists.", 14, true);
  CautionText(70, 78, "If you use it you could wipe out your data!", 12, false);
  DrawIcon(138, 20, 50);
  rt::NewControl(kSelectNewName, rt::ControlType::PushButton, "Select new backup file name",
                 Rect{20, 92, 210, 118}, 1);
  rt::NewControl(kOverwrite, rt::ControlType::PushButton, "Overwrite old file", Rect{230, 92, 380, 118}, 1);
  rt::FlushWindow();
  InstallDialogHandlers();
  Action = 0;
  EventID = 0;
  int16_t answer = 0;
  while (answer == 0 && rt::WindowExists(kBackupExistsWindow)) {
    rt::PumpEvents();
    const bool own = rt::FrontWindow() == kBackupExistsWindow;
    if (own && Action == ActionCode::Click && (EventID == kSelectNewName || EventID == kOverwrite))
      answer = static_cast<int16_t>(EventID);
    else if (own && Action == ActionCode::Key)
      answer = EventID == kOverwriteKey || EventID == (kOverwriteKey | 0x20) ? kOverwrite : kSelectNewName;
    else if (Action == ActionCode::CloseBox && EventID == kBackupExistsWindow)
      answer = kSelectNewName;
    Action = 0;
  }
  rt::CloseWindow(kBackupExistsWindow);
  Action = 0;
  EventID = 0;
  return answer == 0 ? kSelectNewName : answer;
}

}  // namespace

namespace {

// The backup panel and its caution; true when a backup file was chosen.
bool AskBackupFile() {
  const std::string defaultName = BackupDefaultName(ExtensionsOn());
  bool mustChoose = false;  // after "Select new backup file name" a name must be chosen
  for (;;) {
    const std::optional<std::string> chosen = rt::SaveFilePanel("Select name for backup file", defaultName);
    if (!chosen) {
      if (mustChoose) continue;
      // No timed backup file; the name stays the default, so a restart does not ask again.
      BackupfileCFURL.clear();
      backupfile = NameField(defaultName);
      break;
    }
    std::string path = *chosen;
    if (FileNameOf(path).empty()) path = InFolder(FolderOf(path), defaultName);
    if (fs::exists(path) && BackupExistsCaution() == kSelectNewName) {
      mustChoose = true;
      continue;
    }
    BackupfileCFURL = path;
    backupfile = NameField(FileNameOf(path));
    BackupChosenForNextRun = true;
    break;
  }
  return !BackupfileCFURL.empty();
}

}  // namespace

void BACKUPFILENAME() {
  services::SetUpMENUs(0);
  AskBackupFile();
  services::SetUpMENUs(1);
}

void BackupFileForRun() {
  // A file named for this run before its set-up is the one the user meant: asking again
  // would send the backups to a second name and leave the first one empty.
  if (!(BackupChosenForNextRun && !BackupfileCFURL.empty())) BACKUPFILENAME();
  BackupChosenForNextRun = false;
}

bool TimedBackupsWritten() {
  return TimedBackupsOn() && !BackupfileCFURL.empty();
}

// ---- the root name line of the options window ------------------------------------------------------

void SHOWROOTFILE() {
  const int16_t previous = rt::OutputWindow();
  rt::CloseWindow(kRootNameWindow);
  BuildWINDOW(kRootNameWindow, "", 107, 30, 619, 53, 13);
  rt::FillWindow(LightGray);
  rt::FontSpec font = KitFont(KestraneFont, 12);
  font.bold = true;
  const char* what = PrefsArray[PrefsSlot::Autorepeat] != 0 ? "chart data" : "scope data";
  rt::DrawText(10, 16, std::string("Root file name for ") + what, font, RGBColor{0, 0, 0});
  BUILDEF(3, filestrings.rootName, 236, 4, 501, 19, 5, 0);
  rt::FlushWindow();
  if (previous != 0 && previous != kRootNameWindow && rt::WindowExists(previous))
    rt::SetOutputWindow(previous);
}

// ---- the timed backup ----------------------------------------------------------------------------

namespace {

// The backup timer starts again from now. The sample schedule is left as it stands:
// the samples catch up on their grid when they can within the rule, and a sample read
// later than that is placed after a gap of the time lost (the recording's time axis).
void RestartBackupTimer() {
  NextSAVEtime = ScheduleTick(static_cast<double>(rt::TickCount()) + TimedSaveINTERVAL);
}

void ClearBackupClick() {
  ControlStripClicked = 0;
  BackupIconClicked = 0;
}

}  // namespace

void AutoTimedBACKUP(int16_t resetTimer) {
  bool asked = false;
  if (BackupfileCFURL.empty()) {
    // The timed path has no file to write (the screen says "backup off"). The key or
    // the icon asks for one, so backups can still be turned on during the run; the
    // recording keeps its menus off meanwhile, and a sample read late after the panel
    // stands after a gap of the time lost.
    if (resetTimer == 1) return ClearBackupClick();
    asked = AskBackupFile();
    RestartBackupTimer();
    if (!asked) return ClearBackupClick();
  }
  SetMeasuredSampleInterval();
  if (backupfile.empty()) backupfile = BackupDefaultName(false);
  // The writer replaces the old backup only once the new one is complete.
  const FileResult r = WriteRecording(DataFormat::Binary, BackupfileCFURL, RunPhase::Open);
  if (resetTimer == 1 || asked) {
    RestartBackupTimer();
  } else {
    // The key or icon that asked: wait for its click to end (bounded).
    for (int i = 0; i < 300 && rt::Button(); ++i) rt::PumpEvents(10);
  }
  MarkUnsaved();  // a backup is no save of the recording
  if (r) {
    ++NBackUp;
    BackupFileIndicator = BackupIndicatorAfter(NBackUp);
    files_hooks::ShowOnAcquisitionScreen(kBackupIndicatorField, BackupFileIndicator.str(), false);
  } else {
    BackupFileIndicator = " backup failed";
    ShowFailure(kBackupIndicatorField, " backup failed");
  }
  ClearBackupClick();
}

// ---- the end of a sampling period ----------------------------------------------------------------

void AUTOSAVE() {
  SetMeasuredSampleInterval();
  // The export carries this period's end, not the last stopped run's.
  EndRecordingDate = TodayDateText();
  EndRecordingTime = NowTimeText();
  // The root was settled before the run (a cancelled panel chose the base name and
  // the documents folder): an unattended run never stops here on a panel. A run
  // that never had a root takes the base name.
  if (filestrings.rootName.empty()) filestrings.rootName = NameField(RootBase(RootKind::Repeat));
  const DataFormat f = DataFileFormatChoice();
  ScopeCount = NextNumberedCount(RootKind::Repeat);
  const std::string path = InFolder(NumberedFilesFolder(), NumberedFileName(RootKind::Repeat, ScopeCount));
  // Periods whose save failed before go first, each into its own name.
  const FileResult earlier = WriteHeldPeriods();
  const FileResult r = WriteRecording(f, path, RunPhase::Open);
  // The next period overwrites the store: a period that could not be written is kept.
  if (!r) HoldFailedPeriod(f, path);

  // Each period's screen counts its time from 0, as its file does: the labels' carry
  // from the last period's screen is dropped, as the options window drops it after a run.
  zz = 0;
  NextTicPosition = 0;
  NewScreen = 1;
  // The period has no backup yet: its screen's indicator says what the run's backups
  // are (on, off for want of a file, not chosen), as the run's first screen did.
  NBackUp = 0;
  files_hooks::NewPeriodScreen();
  if (r && earlier)
    files_hooks::ShowOnAcquisitionScreen(
        kNextFileField, NextFileText(filestrings.rootName.str(), NextNumberedCount(RootKind::Repeat)).str(),
        false);
  else
    ShowFailure(kNextFileField, " save failed");
  RestartPeriodClocks();
  SwitchingAtPeriodStart(rt::TickCount());
  StartPeriodRecord();
  // The new period has not been saved: the data-loss guard must cover it.
  MarkUnsaved();
}

// ---- the quick save ------------------------------------------------------------------------------

bool QuickSAVE() {
  SetMeasuredSampleInterval();
  ++QuicksaveCounter;
  const std::string name = QuickSaveName(LocalTimeNow(), ExtensionsOn());
  // The program's own folder is not the user's to write into: the documents folder,
  // else the folder of the last save.
  std::vector<std::string> folders{rt::DocumentsDir()};
  if (!sFileCFURL.empty() && FolderOf(sFileCFURL) != folders.front()) folders.push_back(FolderOf(sFileCFURL));
  FileResult r{false, "no folder to save into"};
  std::string written = name;
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    // Names go by the second: a second quick save within it takes "(2)", never the
    // first one's file.
    const std::string path = FreePathIn(folder, name);
    r = WriteRecording(DataFormat::Binary, path, RunPhase::Closed);
    written = FileNameOf(path);
    if (r) break;
  }
  if (r) SaveHeldPeriods();
  MarkUnsaved();  // a quick save is no save of the recording
  if (!r) {
    zap();
    files_hooks::FileNotice("The quick save failed", "\"" + written + "\": " + r.reason);
  }
  return r.ok;
}

// ---- numbered scope sweeps -----------------------------------------------------------------------

void SaveSCOPE() {
  const DataFormat f = DataFileFormatChoice();
  const int32_t lastSaved = ScopeCount;
  ScopeCount = NextNumberedCount(RootKind::Scope);
  const std::string folder = NumberedFilesFolder();
  const std::string name = NumberedFileName(RootKind::Scope, ScopeCount);
  const std::string path = InFolder(folder, name);
  FileResult r;
  switch (f) {
    case DataFormat::Sable:
      r = SaveScopeSweepSable(path);
      break;
    case DataFormat::Text:
      r = SaveScopeSweepText(path);
      break;
    default:
      r = SaveScopeSweepBinary(path);
      break;
  }
  if (r) {
    files_hooks::ShowOnAcquisitionScreen(
        kNextFileField, NextFileText(filestrings.rootName.str(), NextNumberedCount(RootKind::Scope)).str(),
        false);
    // Only the binary sweep file sounds; the Sable export and the text list are silent.
    if (f == DataFormat::Binary) wsst();
  } else {
    // The next sweep takes the name of the one lost, so the numbers on the screen and
    // in the folder agree; the screen says at once which sweep was lost and why.
    ScopeCount = lastSaved;
    ShowFailure(kNextFileField,
                SweepNotSavedText(Utf8ToMacRoman(name), ShortSaveReason(folder, r.reason)).str());
  }
  rt::PeekEvents();
}

}  // namespace mv
