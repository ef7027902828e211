// The save commands and automatic saves: names, folders, the files they leave, the
// state around them, and that a failed write is never taken for a save.
#include "files/save_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "acquisition/state.h"
#include "control/state.h"
#include "conversions/needs.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "files/held_periods.h"
#include "files/needs.h"
#include "files/save_names.h"
#include "files/state.h"
#include "files_test_support.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/panels.h"
#include "setup/state.h"
#include "shell/reset.h"
#include "writers_test_support.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using test::Golden;

// ---- names ---------------------------------------------------------------------------------------

TEST(SaveNames, TheFormatInForceAndTheNamesEachSaveProposes) {
  EXPECT_EQ(FormatChoice(1, 1), DataFormat::Sable) << "Sable wins over text";
  EXPECT_EQ(FormatChoice(0, 1), DataFormat::Text);
  EXPECT_EQ(FormatChoice(0, 0), DataFormat::Binary);
  EXPECT_EQ(SaveCommandDefaultName(DataFormat::Binary, true), "chart data.kstr");
  EXPECT_EQ(SaveCommandDefaultName(DataFormat::Sable, true), "chart data.KSSable");
  EXPECT_EQ(SaveCommandDefaultName(DataFormat::Text, true), "chart data.txt");
  EXPECT_EQ(SaveCommandDefaultName(DataFormat::Text, false), "chart data");
  EXPECT_EQ(RootBase(RootKind::Scope) + RootDefaultSuffix(DataFormat::Text, true), "scope file 1.kssc");
  EXPECT_EQ(RootBase(RootKind::Repeat) + RootDefaultSuffix(DataFormat::Sable, true), "repeat file 1.KSSable");
  EXPECT_EQ(RootDefaultSuffix(DataFormat::Sable, false), " 1");
  EXPECT_EQ(BackupDefaultName(true), "Backup file.kstr");
  EXPECT_EQ(BackupDefaultName(false), "Backup file");
}

TEST(SaveNames, TheRootIsCutOnlyWhenTheNameEndsWithTheDefaultSuffix) {
  EXPECT_EQ(RootFromChosenName("run 1.kssc", DataFormat::Binary, true), "run");
  EXPECT_EQ(RootFromChosenName("run 1.KSSC", DataFormat::Binary, true), "run")
      << "a panel may change the case";
  EXPECT_EQ(RootFromChosenName("run 1.KSSable", DataFormat::Sable, true), "run");
  EXPECT_EQ(RootFromChosenName("run 1", DataFormat::Binary, false), "run");
  EXPECT_EQ(RootFromChosenName("run", DataFormat::Binary, true), "run") << "a typed root keeps every letter";
  EXPECT_EQ(RootFromChosenName("run", DataFormat::Sable, false), "run");
  EXPECT_EQ(RootFromChosenName("mouse.kssc", DataFormat::Binary, true), "mouse");
  EXPECT_EQ(ScopeFileName("run", 2, DataFormat::Binary, true), "run 2.kssc");
  EXPECT_EQ(ScopeFileName("run", 2, DataFormat::Text, true), "run 2.kssc");
  EXPECT_EQ(ScopeFileName("run", 2, DataFormat::Sable, true), "run2.KSSable");
  EXPECT_EQ(PeriodFileName("run", 12, DataFormat::Binary, true), "run 12.kstr");
  EXPECT_EQ(PeriodFileName("run", 3, DataFormat::Sable, true), "run3.KSSable");
  EXPECT_EQ(PeriodFileName("run", 3, DataFormat::Text, true), "run 3") << "text files get no extension";
  EXPECT_EQ(PeriodFileName("run", 3, DataFormat::Binary, false), "run 3");
  EXPECT_EQ(NextFileText("run", 4), " next: 'run 4'  ");
}

TEST(SaveNames, QuickSaveNameAndBackupIndicator) {
  std::tm when{};
  when.tm_year = 117;
  when.tm_mon = 8;
  when.tm_mday = 1;
  when.tm_hour = 14;
  when.tm_min = 5;
  when.tm_sec = 42;
  EXPECT_EQ(QuickSaveName(when, false), "QuickSave 09-01-17-14h05m42s");
  EXPECT_EQ(QuickSaveName(when, true), "QuickSave 09-01-17-14h05m42s.kstr");
  EXPECT_EQ(BackupIndicatorAfter(1).str(), " backup 1 \xC3  ");
}

TEST(SaveNames, BackupIntervalArithmeticAndItsLimits) {
  double m = *BackupMinutesAfter(3, 0);  // "15"
  m = *BackupMinutesAfter(11, m);
  m = *BackupMinutesAfter(11, m);
  EXPECT_EQ(m, 60.0);
  EXPECT_EQ(*BackupMinutesAfter(12, 5), 2.5);
  EXPECT_EQ(*BackupMinutesAfter(13, 5), 15.0);
  EXPECT_EQ(*BackupMinutesAfter(14, 0.5), -0.5);
  EXPECT_EQ(*BackupMinutesAfter(15, 99), 0.5);
  EXPECT_EQ(*BackupMinutesAfter(10, 0), 720.0);
  EXPECT_FALSE(BackupMinutesAfter(20, 5).has_value()) << "OK is no preset";
  EXPECT_EQ(BackupTicksFor(60), 216'000);
  EXPECT_EQ(BackupTicksFor(0.5), 1'800);
  EXPECT_EQ(BackupTicksFor(-0.5), 0);
  EXPECT_EQ(BackupTicksFor(1e9), kLongestBackupTicks) << "no 32-bit overflow";
  EXPECT_EQ(kLongestBackupTicks, 14'400 * 3'600);
}

// ---- the commands on a small recording --------------------------------------------------------------

class SaveCommandsTest : public test::FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    dir = test::MakeTempDir("saves");
    docs = test::MakeTempDir("saves-docs");
    setenv("MV_DOCUMENTS_DIR", docs.c_str(), 1);
    PrefsArray[PrefsSlot::AddExtensions] = 1;
    Sound_Is_On = 1;
    PrefsArray[PrefsSlot::WeirdSounds] = 1;  // so the save sound would be heard
    nChannels = 1;
    FirstChan = 1;
    MaxSamples = 5;
    ChartSampleInterval = 1.0f;
    ChartIntervalInSeconds = 1.0;
    SampRateError = 0.01f;
    for (int32_t c = 0; c < 5; ++c) ChartDataArray.Set(1, c, 10.0f + c);
    ChartDataArray.Set(1, 5, 999.0f);  // never filled in this period
    Sample = 5;
    ChartTiming = {0.0, 8.0, 5, 0.0, 0.0};  // 8 s for 4 intervals: 2 s achieved against 1 s asked
    files_hooks::GETFILECOMMENTS = [this] { calls.push_back("comments"); };
    files_hooks::ASCIIWARN = [this] { calls.push_back("asciiwarn"); };
    files_hooks::NewPeriodScreen = [this] { calls.push_back("screen"); };
    files_hooks::ShowOnAcquisitionScreen = [this](int16_t field, const std::string& text, bool failed) {
      shown[field] = text;
      if (failed) calls.push_back("failed " + std::to_string(field));
    };
  }
  void TearDown() override {
    unsetenv("MV_DOCUMENTS_DIR");
    std::error_code ec;
    fs::permissions(dir, fs::perms::owner_all, ec);
    fs::remove_all(dir, ec);
    fs::remove_all(docs, ec);
    FilesTest::TearDown();
  }
  // A folder no file can be written into, for the superuser too.
  fs::path UnwritableFolder() {
    if (::geteuid() == 0) {
      WriteBytes(dir / "not a folder", "x");
      return dir / "not a folder";
    }
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    return dir;
  }
  // The options window has closed the five-sample run: Sample is one less and
  // nSamples keeps the count.
  static void StopTheRun() {
    nSamples = 5;
    Sample = 4;
  }
  static std::string Header(int32_t count, float interval) {
    Golden g;
    g.line("-999");
    g.be16(count);
    g.bef(interval);
    g.be16(1);
    return g.b;
  }
  static std::string Values(std::initializer_list<float> v) {
    Golden g;
    for (float x : v) g.bef(x);
    return g.b;
  }

  fs::path dir, docs;
  std::vector<std::string> calls;
  std::map<int16_t, std::string> shown;
};

TEST_F(SaveCommandsTest, TheSaveCommandWritesTheChosenFileAfterTheCommentWindow) {
  StopTheRun();
  SampleInterval = 0.5f;  // as the rate check after the run decided
  rt::QueuePanelAnswer((dir / "chart data.kstr").string());
  SAVEFILES();
  const std::string bytes = test::Slurp(dir / "chart data.kstr");
  EXPECT_EQ(bytes.substr(0, 13), Header(4, 0.5f));
  EXPECT_NE(bytes.find(Values({10, 11, 12, 13, 14})), std::string::npos) << "every sample taken";
  EXPECT_EQ(PrefsArray[PrefsSlot::LastRunSaved], 1);
  EXPECT_EQ(filestrings.dataFile.str(), "chart data.kstr");
  EXPECT_EQ(calls, std::vector<std::string>{"comments"});
  EXPECT_EQ(CountPlayed("wsst.mp3"), 1);

  PrefsArray[PrefsSlot::SaveText] = 1;
  rt::QueuePanelAnswer((dir / "chart data.txt").string());
  SAVEFILES();
  EXPECT_TRUE(fs::exists(dir / "chart data.txt"));
  EXPECT_EQ(calls, (std::vector<std::string>{"comments", "asciiwarn"})) << "text files carry no comments";

  rt::QueuePanelAnswer(std::nullopt);
  SAVEFILES();
  EXPECT_EQ(PrefsArray[PrefsSlot::LastRunSaved], 0) << "a cancelled save clears the mark";
  EXPECT_EQ(calls.size(), 2u) << "and shows nothing";
}

TEST_F(SaveCommandsTest, AWriteThatFailsLeavesTheRecordingUnsavedAndSaysSo) {
  const fs::path folder = UnwritableFolder();
  rt::QueuePanelAnswer((folder / "run.kstr").string());
  SAVEFILES();
  EXPECT_EQ(PrefsArray[PrefsSlot::LastRunSaved], 0);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("run.kstr"), std::string::npos) << notices[0];
  EXPECT_EQ(CountPlayed("wsst.mp3"), 0) << "no success sound";

  BackupfileCFURL = (folder / "Backup file.kstr").string();
  NBackUp = 2;
  AutoTimedBACKUP(0);
  EXPECT_EQ(shown[kBackupIndicatorField], " backup failed");
  EXPECT_EQ(NBackUp, 2) << "a failed backup is not counted";
  EXPECT_EQ(CountPlayed("bzot.mp3"), 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::LastRunSaved], 0);
}

TEST_F(SaveCommandsTest, RootRunOneGivesNumberedPeriodFilesThatDecodeAndResetThePeriod) {
  rt::QueuePanelAnswer((dir / "run 1.kssc").string());
  ScopeOrRepeatFileRoot("Repeat");
  EXPECT_EQ(filestrings.rootName.str(), "run");
  EXPECT_EQ(ScopeFileComments, 0);
  CommentContainer = "my own notes\rsecond line";
  Nmarkers = 2;
  NBackUp = 3;
  voltagespikes[1] = 7;
  int16_t backupsOnNewScreen = -1;
  files_hooks::NewPeriodScreen = [&backupsOnNewScreen] { backupsOnNewScreen = NBackUp; };
  AUTOSAVE();
  const std::string bytes = test::Slurp(dir / "run 1.kstr");
  ASSERT_GT(bytes.size(), 13u);
  EXPECT_EQ(bytes.substr(0, 13), Header(4, 2.0f));
  EXPECT_NE(bytes.find(Values({10, 11, 12, 13, 14})), std::string::npos);
  EXPECT_EQ(shown[kNextFileField], " next: 'run 2'  ");
  // The new period's screen says what its backups are; no count of backups made is claimed.
  EXPECT_EQ(backupsOnNewScreen, 0);
  EXPECT_EQ(shown.count(kBackupIndicatorField), 0u);
  EXPECT_EQ(Sample, 0);
  EXPECT_EQ(NBackUp, 0);
  EXPECT_EQ(Nmarkers, 0);
  EXPECT_EQ(voltagespikes[1], 0);
  EXPECT_EQ(NewScreen, 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::LastRunSaved], 0) << "the next period is guarded again";
  EXPECT_EQ(CommentContainer.rfind(bullet.str() + "  Recorded ", 0), 0u);
  EXPECT_NE(CommentContainer.find("my own notes\rsecond line"), std::string::npos) << "user text kept";

  Sample = 5;
  PrefsArray[PrefsSlot::SaveText] = 1;
  AUTOSAVE();
  const std::string text = test::Slurp(dir / "run 2");
  EXPECT_NE(text.find("14"), std::string::npos);
  EXPECT_EQ(text.find("999"), std::string::npos) << "the unfilled column is not exported";
}

TEST_F(SaveCommandsTest, ANewSamplingPeriodStartsAtTheReference) {
  // With automatic repeat each period of a periodic or sequential pattern begins with its
  // reference, as the run's first does: the device left on at the period's end (a sample
  // chamber) must not be recorded as the new period's reference.
  for (int16_t pattern : {5, 6, 10}) {
    auto p = std::make_unique<ScriptedSerialPort>();
    ScriptedSerialPort* port = p.get();
    InstallSerialPort(std::move(p));
    External_AD = ExternalADCode::SableUI2;
    PrefsArray[PrefsSlot::DigitalOutputCoding] = 1;
    PrefsArray[PrefsSlot::Autorepeat] = 1;
    SwitchingMode = pattern;
    nGroups = pattern == 6 ? 2 : 0;
    refint = 1;
    switchint = 2;
    RefChan = 1;
    RefChan2 = pattern == 6 ? 5 : 0;
    nChannels = 2;
    for (int16_t r = 1; r <= 16; ++r) ChannelVariables[r][ChanField::Device] = 0;
    ChannelVariables[1][ChanField::Device] = pattern == 10 ? 1 : 3;
    ChannelVariables[2][ChanField::Device] = pattern == 6 ? 6 : 1;
    RefIsON = 0;  // a sample device is on as the period ends
    DeviceInUse = 3;
    rt::QueuePanelAnswer((dir / ("period " + std::to_string(pattern) + ".kssc")).string());
    ScopeOrRepeatFileRoot("Repeat");
    Sample = 5;
    port->ReplyNext("k");
    const int64_t before = rt::TickCount();
    AUTOSAVE();
    EXPECT_EQ(RefIsON, 1) << pattern;
    EXPECT_EQ(DeviceInUse, 1) << pattern;
    ASSERT_FALSE(port->Writes().empty()) << pattern;
    EXPECT_EQ(port->Writes().front(), std::string("o\x00\r", 3)) << "reference device 1's word: " << pattern;
    // The reference period is timed from the period's start, not from the switch.
    EXPECT_GE(RefOffTime, before + 3'600) << pattern;
    EXPECT_LE(RefOffTime, rt::TickCount() + 3'600) << pattern;
    CloseSerialPort();
  }
}

// The end of a period never waits on a panel: a run with no root writes its periods
// under the base name in the documents folder.
TEST_F(SaveCommandsTest, APeriodWithNoRootGoesToTheDocumentsFolderWithoutAsking) {
  rt::QueuePanelAnswer((dir / "never asked 1.kssc").string());
  AUTOSAVE();
  EXPECT_TRUE(rt::HasQueuedPanelAnswer()) << "no panel was shown";
  EXPECT_TRUE(fs::exists(docs / "repeat file 1.kstr"));
  EXPECT_EQ(shown[kNextFileField], " next: 'repeat file 2'  ");
}

TEST_F(SaveCommandsTest, QuickSaveGoesToTheDocumentsFolderAndIsNoSave) {
  StopTheRun();
  ChartTiming = {0.0, 3.024, 4, 0.0, 0.0};  // 1.008 s a sample: within 1 %, the asked interval is stored
  ASSERT_TRUE(QuickSAVE());
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(docs)) files.push_back(e.path());
  ASSERT_EQ(files.size(), 1u);
  const std::string name = files[0].filename().string();
  EXPECT_EQ(name.rfind("QuickSave ", 0), 0u) << name;
  EXPECT_EQ(name.substr(name.size() - 5), ".kstr");
  const std::string bytes = test::Slurp(files[0]);
  EXPECT_EQ(bytes.substr(0, 13), Header(4, 1.0f)) << "five samples: the last index is 4";
  EXPECT_NE(bytes.find(Values({10, 11, 12, 13, 14})), std::string::npos);
  EXPECT_EQ(PrefsArray[PrefsSlot::LastRunSaved], 0);
  EXPECT_EQ(QuicksaveCounter, 1);
}

TEST_F(SaveCommandsTest, ABackupBeforeTheFirstSampleKeepsTheRequestedInterval) {
  BackupfileCFURL = (dir / "Backup file.kstr").string();
  Sample = 0;
  ChartTiming = {};
  AutoTimedBACKUP(1);
  EXPECT_EQ(SampleInterval, 1.0f);
  EXPECT_EQ(NBackUp, 1);
  EXPECT_EQ(BackupFileIndicator.str(), " backup 1 \xC3  ");
  EXPECT_EQ(NextSAVEtime, static_cast<int32_t>(rt::TickCount()) + TimedSaveINTERVAL);
  EXPECT_TRUE(fs::exists(dir / "Backup file.kstr"));
}

TEST_F(SaveCommandsTest, ScopeSweepsAreNumberedFromTheRootInTheRootsFolder) {
  PrefsArray[PrefsSlot::SaveSable] = 1;
  rt::QueuePanelAnswer((dir / "sweep 1.KSSable").string());
  ScopeOrRepeatFileRoot("Scope");
  EXPECT_EQ(ScopeFileComments, 1);
  ScopeMax = 4;
  scopeinterval = 0.01f;
  SaveSCOPE();
  SaveSCOPE();
  EXPECT_TRUE(fs::exists(dir / "sweep1.KSSable"));
  EXPECT_TRUE(fs::exists(dir / "sweep2.KSSable"));
  EXPECT_EQ(shown[kNextFileField], " next: 'sweep 3'  ");
  EXPECT_EQ(CountPlayed("wsst.mp3"), 0) << "the Sable export is written silently";
  // The folder gone (a stick pulled out): the sweep lost is named with why, and the
  // next sweep takes its name once the folder is back.
  const fs::path away = dir.string() + "-away";
  fs::rename(dir, away);
  SaveSCOPE();
  EXPECT_EQ(shown[kNextFileField], " 'sweep3.KSSable' not saved: folder not found ");
  EXPECT_EQ(calls.back(), "failed 198");
  fs::rename(away, dir);
  SaveSCOPE();
  EXPECT_TRUE(fs::exists(dir / "sweep3.KSSable"));
  EXPECT_EQ(shown[kNextFileField], " next: 'sweep 4'  ");
}

TEST_F(SaveCommandsTest, ACancelledBackupPanelLeavesTheRunWithoutTimedBackups) {
  ASSERT_GT(TimedSaveINTERVAL, 0);
  PrefsArray[PrefsSlot::AutomaticBackup] = 1;
  rt::QueuePanelAnswer(std::nullopt);
  BACKUPFILENAME();
  EXPECT_FALSE(TimedBackupsWritten());
  TimeAtStart = 0;
  NextSAVEtime = 0;
  AutoTimedBACKUP(1);  // the timed path, due
  EXPECT_TRUE(fs::is_empty(docs));
  EXPECT_TRUE(fs::is_empty(dir));
  EXPECT_EQ(NBackUp, 0);
  EXPECT_TRUE(calls.empty()) << "nothing failed: there was nothing to write";
  rt::QueuePanelAnswer((dir / "night.kstr").string());
  BACKUPFILENAME();
  EXPECT_TRUE(TimedBackupsWritten());
}

// The key or the toolbar icon in a run whose backup panel was cancelled asks for the
// file again, leaving the run's menus off; a name chosen writes the backup at once.
TEST_F(SaveCommandsTest, TheBackupIconWithNoBackupFileAsksForItAgain) {
  std::vector<int16_t> menus;
  services::SetUpMENUs = [&](int16_t state) { menus.push_back(state); };
  BackupfileCFURL.clear();
  rt::QueuePanelAnswer(std::nullopt);
  BackupIconClicked = 1;
  AutoTimedBACKUP(0);
  EXPECT_EQ(BackupIconClicked, 0);
  EXPECT_TRUE(fs::is_empty(dir)) << "cancelled again: still no backup";
  EXPECT_TRUE(calls.empty());

  rt::QueuePanelAnswer((dir / "night.kstr").string());
  AutoTimedBACKUP(0);
  ASSERT_TRUE(fs::exists(dir / "night.kstr"));
  EXPECT_NE(test::Slurp(dir / "night.kstr").find(Values({10, 11, 12, 13, 14})), std::string::npos);
  EXPECT_EQ(NBackUp, 1);
  EXPECT_EQ(shown[kBackupIndicatorField], " backup 1 \xC3  ");
  EXPECT_GT(NextSAVEtime, static_cast<int32_t>(rt::TickCount())) << "timed backups go on from now";
  EXPECT_TRUE(menus.empty()) << "the recording keeps its menus off";
}

// The next period overwrites the store; a period whose save failed keeps its own
// samples in memory and the next period's save writes them into the period's own name
// first. While it is held the recording counts as unsaved.
TEST_F(SaveCommandsTest, APeriodWhoseSaveFailedIsHeldAndWrittenIntoItsOwnNameByTheNextSave) {
  rt::QueuePanelAnswer((dir / "run 1.kssc").string());
  ScopeOrRepeatFileRoot("Repeat");
  {
    const test::FileSizeLimit full(8);
    AUTOSAVE();
  }
  EXPECT_FALSE(fs::exists(dir / "run 1.kstr"));
  EXPECT_EQ(HeldPeriodCount(), 1);
  EXPECT_EQ(calls.back(), "failed 198");
  for (int32_t c = 0; c < 5; ++c) ChartDataArray.Set(1, c, 20.0f + c);
  Sample = 5;
  AUTOSAVE();
  EXPECT_EQ(HeldPeriodCount(), 0);
  EXPECT_NE(test::Slurp(dir / "run 1.kstr").find(Values({10, 11, 12, 13, 14})), std::string::npos);
  EXPECT_NE(test::Slurp(dir / "run 2.kstr").find(Values({20, 21, 22, 23, 24})), std::string::npos);
  EXPECT_EQ(shown[kNextFileField], " next: 'run 3'  ");
}

// Periods held in a folder that stays unwritable: the save of the recording asks for
// another folder. The oldest takes the name chosen, the next keeps its own, made free
// where that folder already holds it; a cancelled panel keeps them held and says so.
TEST_F(SaveCommandsTest, HeldPeriodsThatCannotGoWhereTheyWereMeantGoToTheFolderThePanelChooses) {
  const fs::path blocked = UnwritableFolder(), other = docs / "other";
  fs::create_directories(other);
  WriteBytes(other / "run 2.kstr", "a file already there");
  rt::QueuePanelAnswer((blocked / "run 1.kssc").string());
  ScopeOrRepeatFileRoot("Repeat");
  for (float first : {10.0f, 20.0f}) {
    for (int32_t c = 0; c < 5; ++c) ChartDataArray.Set(1, c, first + c);
    Sample = 5;
    AUTOSAVE();
  }
  ASSERT_EQ(HeldPeriodCount(), 2);
  EXPECT_EQ(HeldSampleCount(), 10);
  StopTheRun();
  rt::QueuePanelAnswer((dir / "stopped.kstr").string());
  rt::QueuePanelAnswer(std::nullopt);  // the other folder: not now
  SAVEFILES();
  EXPECT_EQ(HeldPeriodCount(), 2);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].rfind("A sampling period is still not saved: \"run 1.kstr\"", 0), 0u) << notices[0];
  EXPECT_TRUE(fs::exists(dir / "stopped.kstr")) << "the recording itself is saved all the same";

  rt::QueuePanelAnswer((dir / "stopped.kstr").string());
  rt::QueuePanelAnswer((other / "first period.kstr").string());
  SAVEFILES();
  EXPECT_EQ(HeldPeriodCount(), 0);
  EXPECT_NE(test::Slurp(other / "first period.kstr").find(Values({10, 11, 12, 13, 14})), std::string::npos);
  EXPECT_EQ(test::Slurp(other / "run 2.kstr"), "a file already there");
  EXPECT_NE(test::Slurp(other / "run 2 (2).kstr").find(Values({20, 21, 22, 23, 24})), std::string::npos);
  EXPECT_FALSE(rt::HasQueuedPanelAnswer());
}

TEST_F(SaveCommandsTest, ABackupThatCannotBeWrittenSaysSoOnTheScreenWhateverAskedForIt) {
  BackupfileCFURL = (UnwritableFolder() / "Backup file.kstr").string();
  for (int16_t resetTimer : {1, 0}) {
    shown.clear();
    AutoTimedBACKUP(resetTimer);
    EXPECT_EQ(shown[kBackupIndicatorField], " backup failed") << resetTimer;
    EXPECT_EQ(BackupFileIndicator.str(), " backup failed") << "the loop keeps showing it";
    EXPECT_EQ(NBackUp, 0);
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"failed 199", "failed 199"}));
}

TEST_F(SaveCommandsTest, NumberedSweepsNeverReplaceASweepOfAnEarlierRunOrSession) {
  const auto newSession = [] {
    ResetProgramState();
    PrefsArray[PrefsSlot::AddExtensions] = 1;
    nChannels = 1;
    ScopeMax = 4;
    scopeinterval = 0.25f;
  };
  const auto recordAndSave = [](float level) {
    for (int p = 1; p <= 4; ++p) scopedata[1][p] = level;
    rt::QueuePanelAnswer(std::nullopt);  // the root panel cancelled: the documents folder
    ScopeOrRepeatFileRoot("Scope");
    SaveSCOPE();
  };
  newSession();
  recordAndSave(1.0f);
  const std::string first = test::Slurp(docs / "scope file 1.kssc");
  ASSERT_NE(first.find(Values({1, 1, 1, 1})), std::string::npos);
  recordAndSave(2.0f);  // a second recording of the same session
  EXPECT_EQ(shown[kNextFileField], " next: 'scope file 3'  ");
  newSession();
  recordAndSave(3.0f);
  EXPECT_EQ(test::Slurp(docs / "scope file 1.kssc"), first);
  EXPECT_NE(test::Slurp(docs / "scope file 2.kssc").find(Values({2, 2, 2, 2})), std::string::npos);
  EXPECT_NE(test::Slurp(docs / "scope file 3.kssc").find(Values({3, 3, 3, 3})), std::string::npos);
  EXPECT_EQ(shown[kNextFileField], " next: 'scope file 4'  ");
}

TEST_F(SaveCommandsTest, APeriodFileNeverReplacesAnEarlierOneAndTheNextNameIsTheRealOne) {
  WriteBytes(docs / "repeat file 1.kstr", "an earlier session's period");
  WriteBytes(docs / "repeat file 3.kstr", "and another");
  AUTOSAVE();
  EXPECT_EQ(test::Slurp(docs / "repeat file 1.kstr"), "an earlier session's period");
  EXPECT_EQ(test::Slurp(docs / "repeat file 2.kstr").substr(0, 13), Header(4, 2.0f));
  EXPECT_EQ(shown[kNextFileField], " next: 'repeat file 4'  ") << "3 is taken";
  Sample = 5;
  AUTOSAVE();
  EXPECT_EQ(test::Slurp(docs / "repeat file 3.kstr"), "and another");
  EXPECT_TRUE(fs::exists(docs / "repeat file 4.kstr"));
  EXPECT_EQ(shown[kNextFileField], " next: 'repeat file 5'  ");
}

TEST_F(SaveCommandsTest, AnExistingBackupFileAsksBeforeItIsOverwritten) {
  WriteBytes(dir / "old backup.kstr", "old");
  rt::QueuePanelAnswer((dir / "old backup.kstr").string());
  Drive({Until(kBackupExistsWindow), Shot(kBackupExistsWindow, "w1777-backup-exists.png"),
         Click(kBackupExistsWindow, 2)});
  BACKUPFILENAME();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(BackupfileCFURL, (dir / "old backup.kstr").string());
  EXPECT_EQ(backupfile.str(), "old backup.kstr");
  EXPECT_EQ(test::Slurp(dir / "old backup.kstr"), "old") << "nothing written yet";
}

}  // namespace
}  // namespace mv
