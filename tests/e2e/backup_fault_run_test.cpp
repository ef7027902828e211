// Saves that cannot be written in the middle of a demonstration recording (a write error
// at the file layer: folder permissions do not bind the superuser who runs CI), a timed
// backup and an end-of-period save: the recording goes on, the failure is shown, the
// next save that succeeds is whole, and the data-loss guard still asks at Quit.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "files/files_test_support.h"
#include "files/held_periods.h"
#include "files/needs.h"
#include "files/state.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/sound.h"
#include "shell/main_body.h"
#include "shell/menus.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

class BackupFaultRunE2E : public test::ProgramRunTest {
 protected:
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    limit_.reset();
    ProgramRunTest::TearDown();
  }
  std::unique_ptr<test::FileSizeLimit> limit_;
};

TEST_F(BackupFaultRunE2E, AFailedTimedBackupIsShownTheRunGoesOnAndTheNextBackupHoldsEverySample) {
  constexpr int kFailAt = 10, kRecoverAt = 14, kCopyAt = 18, kStopAt = 22;
  const fs::path backup = documents_ / "backup.kstr", copy = documents_ / "backup-copy.kstr";
  std::string shownAfterFailure;
  int32_t samplesAtCopy = 0;
  SetSampleTimingTap([&](double, double) {
    if (Sample == kFailAt) {
      limit_ = std::make_unique<test::FileSizeLimit>(64);
      TimedSaveINTERVAL = 3600;
      NextSAVEtime = 0;  // due on the next pass
    }
    if (Sample == kRecoverAt) {
      shownAfterFailure = BackupFileIndicator.str();
      limit_.reset();
      NextSAVEtime = 0;
    }
    if (Sample == kCopyAt) {
      samplesAtCopy = Sample;
      fs::copy_file(backup, copy, fs::copy_options::overwrite_existing);
    }
    if (Sample == kStopAt) rt::SetKeyDown(rt::key::Escape, true);
  });
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 1\nclick 310 101\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() + "until 104\nclick 104 203\ngone 104\npanel " + backup.string() +
      "\nuntil 112\nrelease Escape\n"
      "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";  // unsaved: the guard asks
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(nSamples, kStopAt) << "the recording went on after the failure";
  EXPECT_EQ(shownAfterFailure, " backup failed");

  // The backup written after the failure holds every sample taken before it.
  ASSERT_TRUE(fs::exists(copy));
  const std::string dump = test::DumpDataFile(copy, "--values 100 ");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(dump, m, std::regex(R"(samples of channel block 1 \((\d+) values\))")))
      << dump;
  const int stored = std::stoi(m[1].str());
  EXPECT_GE(stored, kRecoverAt) << dump;
  EXPECT_LE(stored, samplesAtCopy) << dump;
}

// Autorepeat periods of 10 samples; the second period's save fails with a write error.
// The failure is shown, the recording goes on into the third period, and the third
// period's save writes the failed period into its own name first, then its own samples:
// no period is lost. The guard still asks at Quit for the unsaved last period.
TEST_F(BackupFaultRunE2E, AFailedPeriodSaveIsKeptAndWrittenByTheNextPeriodSave) {
  std::vector<std::string> failures;
  RecordInPeriodsOf(10, [&failures] { KeepSaveFailures(failures); });
  bool secondMissingWhileFailed = false;
  SetSampleTimingTap([&](double, double) {
    if (ScopeCount == 1 && Sample == 5) limit_ = std::make_unique<test::FileSizeLimit>(64);
    if (ScopeCount == 2 && Sample == 2) {
      secondMissingWhileFailed = !fs::exists(documents_ / "run 2.kstr");
      limit_.reset();
    }
    if (ScopeCount == 3 && Sample == 5) rt::SetKeyDown(rt::key::Escape, true);
  });
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 1\nclick 310 101\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() + "until 104\nclick 104 203\ngone 104\npanel cancel\npanel " +
      (documents_ / "run 1.kssc").string() +
      "\nuntil 15\nclick 15 11\ngone 15\n"
      "until 112\nrelease Escape\n"
      "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";  // the last period is unsaved
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(failures, std::vector<std::string>{"198 save failed"});
  EXPECT_TRUE(secondMissingWhileFailed) << "the failed save left no file behind";
  EXPECT_EQ(ScopeCount, 3) << "the recording went on into the third period";
  EXPECT_EQ(nSamples, 5);
  for (const char* name : {"run 1.kstr", "run 2.kstr", "run 3.kstr"}) {
    const fs::path file = documents_ / name;
    ASSERT_TRUE(fs::exists(file)) << file;
    const std::string dump = test::DumpDataFile(file);
    EXPECT_NE(dump.find("samples of channel block 1 (10 values)"), std::string::npos) << dump;
  }
}

// A folder that stays unwritable, for the superuser too: a file where the folder
// should be (folder permissions do not bind the superuser who runs CI).
fs::path UnwritableFolder(const fs::path& parent) {
  const fs::path blocked = parent / "read-only";
  if (::geteuid() == 0) {
    std::ofstream(blocked) << "not a folder";
  } else {
    fs::create_directories(blocked);
    fs::permissions(blocked, fs::perms::owner_read | fs::perms::owner_exec);
  }
  return blocked;
}

// Autorepeat periods of 10 samples into a folder that stays read-only: three periods
// are held, and the run stops 5 samples into the fourth. The stop's Save writes the
// run and offers a panel for the periods (cancelled: they stay held, and it says so);
// the Quit guard offers it again, and cancelled it names the 30 held samples, not the
// run's, which were saved; the next Quit's panel takes them into another folder and the
// program ends. Every sample of the run is in some file.
TEST_F(BackupFaultRunE2E, PeriodsHeldInAReadOnlyFolderAreSavedElsewhereAndTheGuardCountsThem) {
  const fs::path blocked = UnwritableFolder(documents_), elsewhere = documents_ / "elsewhere";
  fs::create_directories(elsewhere);
  std::vector<std::string> failures;
  RecordInPeriodsOf(10, [&failures] {
    Sound_Is_On = 1;
    PrefsArray[PrefsSlot::WeirdSounds] = 1;  // the guard screams as it opens
    KeepSaveFailures(failures);
  });
  SetSampleTimingTap([](double, double) {
    if (ScopeCount == 3 && Sample == 5) rt::SetKeyDown(rt::key::Escape, true);
  });
  std::vector<int64_t> guardCounts;
  rt::SetSoundSink([&guardCounts](const std::string& path) {
    if (test::SoundFileName(path) == "scream.mp3") guardCounts.push_back(SamplesNotSaved());
  });
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 1\nclick 310 101\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() + "until 104\npanel cancel\npanel " + (blocked / "run 1.kssc").string() +
      "\nclick 104 203\ngone 104\nuntil 15\nclick 15 11\ngone 15\n"
      "until 112\nrelease Escape\n"
      "panel " +
      (documents_ / "stopped.kstr").string() +
      "\npanel cancel\nclick 112 2\n"
      "until 15\nclick 15 11\ngone 15\nuntil 668\nclick 668 1\ngone 668\nuntil 2\n"
      "panel cancel\nclick 112 6\nuntil 1776\nshot 1776 " +
      Shot("w1776-guard-held-periods.png") +
      "\nclick 1776 1\ngone 1776\n"
      "panel " +
      (elsewhere / "run 1.kstr").string() + "\nclick 112 6\nexpect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(failures, (std::vector<std::string>(3, "198 save failed")));
  EXPECT_EQ(guardCounts, std::vector<int64_t>{30}) << "the held periods only: the run was saved";
  EXPECT_EQ(HeldPeriodCount(), 0);
  for (const char* name : {"run 1.kstr", "run 2.kstr", "run 3.kstr"}) {
    const std::string dump = test::DumpDataFile(elsewhere / name);
    EXPECT_NE(dump.find("samples of channel block 1 (10 values)"), std::string::npos) << name << dump;
  }
  const std::string stopped = test::DumpDataFile(documents_ / "stopped.kstr");
  EXPECT_NE(stopped.find("samples of channel block 1 (5 values)"), std::string::npos) << stopped;
}

// With "Warn Before Overwriting Files or Flushing Unsaved Data" off (a set-up file can
// switch it off unnoticed), Quit used to drop every held period without a word. The
// preference spares only the question about the stopped run: Quit offers the held
// period its panel; cancelled, the guard asks about the held samples alone; the next
// Quit's panel takes the period into another folder and the program ends.
TEST_F(BackupFaultRunE2E, WithTheWarningOffQuitStillOffersTheHeldPeriodsPanel) {
  const fs::path blocked = UnwritableFolder(documents_), elsewhere = documents_ / "elsewhere";
  fs::create_directories(elsewhere);
  RecordInPeriodsOf(10, [] {
    Sound_Is_On = 1;
    PrefsArray[PrefsSlot::WeirdSounds] = 1;
    PrefsArray[PrefsSlot::WarnUnsaved] = 0;
  });
  SetSampleTimingTap([](double, double) {
    if (ScopeCount == 1 && Sample == 5) rt::SetKeyDown(rt::key::Escape, true);
  });
  std::vector<int64_t> guardCounts;
  rt::SetSoundSink([&guardCounts](const std::string& path) {
    if (test::SoundFileName(path) == "scream.mp3") guardCounts.push_back(SamplesNotSaved());
  });
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 1\nclick 310 101\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() + "until 104\npanel cancel\npanel " + (blocked / "run 1.kssc").string() +
      "\nclick 104 203\ngone 104\nuntil 15\nclick 15 11\ngone 15\n"
      "until 112\nrelease Escape\n"
      "panel cancel\nclick 112 6\nuntil 1776\nclick 1776 1\ngone 1776\n"
      "panel " +
      (elsewhere / "run 1.kstr").string() + "\nclick 112 6\nexpect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(guardCounts, std::vector<int64_t>{10}) << "the held period only: the warning is off for the run";
  EXPECT_EQ(HeldPeriodCount(), 0);
  const std::string dump = test::DumpDataFile(elsewhere / "run 1.kstr");
  EXPECT_NE(dump.find("samples of channel block 1 (10 values)"), std::string::npos) << dump;
}

// The caution "That backup file already exists" before a run. Answered otherwise than
// by "Overwrite old file" or its key O, another name is asked for, the run's backups go
// there, and the earlier experiment's file stays byte for byte as it was.
struct CautionAnswer {
  const char* name;
  const char* steps;
  bool overwrites = false;
  // The backup named by File > item 8 in the set-up window; the run's start asks again.
  bool fromFileMenu = false;
};

void PrintTo(const CautionAnswer& a, std::ostream* out) {
  *out << a.name;
}

const CautionAnswer kCautionAnswers[] = {
    {"EscapeTwice", "key Escape\nkey Escape\n"},
    {"N", "key n\n"},
    {"Return", "key Return\n"},
    {"CloseBox", "close 1777\n"},
    {"OverwriteKey", "key o\n", true},
    {"OverwriteButton", "click 1777 2\n", true},
    {"CtrlOThenEscape", "key ctrl+o\nkey Escape\n"},
    {"FileMenuEscape", "key Escape\n", false, true},
    {"FileMenuCloseBox", "close 1777\n", false, true},
};

class BackupCautionRunE2E : public test::ProgramRunTest, public ::testing::WithParamInterface<CautionAnswer> {
 protected:
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    ProgramRunTest::TearDown();
  }
};

TEST_P(BackupCautionRunE2E, OnlyTheOverwriteButtonReplacesAnEarlierBackupFile) {
  const CautionAnswer& answer = GetParam();
  const fs::path earlier = documents_ / "earlier experiment.kstr", chosen = documents_ / "new backup.kstr";
  const std::string earlierBytes = "an earlier experiment's backup\r\x01\x02";
  std::ofstream(earlier, std::ios::binary) << earlierBytes;
  SetSampleTimingTap([](double, double) {
    if (Sample == 6 || Sample == 12) NextSAVEtime = 0;  // a timed backup on the next pass
    if (Sample == 16) rt::SetKeyDown(rt::key::Escape, true);
  });
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 1\nclick 310 101\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() + "until 104\n" + (answer.fromFileMenu ? "menu 1 8\n" : "click 104 203\ngone 104\n") +
      "panel " + earlier.string() + "\nuntil 1777\n" + (answer.overwrites ? "" : "panel " + chosen.string() + "\n") +
      answer.steps + "gone 1777\n" + (answer.fromFileMenu ? "click 104 203\ngone 104\npanel " + chosen.string() + "\n" : "") +
      "until 112\nrelease Escape\nclick 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  const fs::path backups = answer.overwrites ? earlier : chosen;
  EXPECT_EQ(BackupfileCFURL, backups.string());
  if (!answer.overwrites) {
    std::ifstream in(earlier, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), earlierBytes);
  }
  ASSERT_TRUE(fs::exists(backups));
  const std::string dump = test::DumpDataFile(backups);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(dump, m, std::regex(R"(samples of channel block 1 \((\d+) values\))")))
      << dump;
  EXPECT_GE(std::stoi(m[1].str()), 12) << "the second backup holds the run up to then";
}

INSTANTIATE_TEST_SUITE_P(Answers, BackupCautionRunE2E, ::testing::ValuesIn(kCautionAnswers),
                         [](const ::testing::TestParamInfo<CautionAnswer>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
