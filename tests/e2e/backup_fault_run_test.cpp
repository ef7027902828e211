// Saves that cannot be written in the middle of a demonstration recording (a write error
// at the file layer: folder permissions do not bind the superuser who runs CI), a timed
// backup and an end-of-period save: the recording goes on, the failure is shown, the
// next save that succeeds is whole, and the data-loss guard still asks at Quit.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "files/files_test_support.h"
#include "files/needs.h"
#include "files/state.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "shell/main_body.h"

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
  SetControlLoopTap([this, &failures](const std::string& step) {
    log_.push_back(step);
    if (step != "run preparation") return;
    MaxSamples = 10;
    PrefsArray[PrefsSlot::Autorepeat] = 1;
    PrefsArray[PrefsSlot::AddExtensions] = 1;
    KeepSaveFailures(failures);
  });
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

}  // namespace
}  // namespace mv
