// The whole program in demonstration mode with a stopped, unsaved recording: every road
// by which the user can quit (or drop the run) passes the data-loss guard, naming the
// samples at stake. Answered "no" the program goes on with the recording kept; answered
// "yes" on the same road again, it goes on.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "files/state.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/sound.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/main_body.h"
#include "shell/menus.h"

namespace mv {
namespace {

struct QuitRoad {
  const char* name;
  const char* steps;  // what the user does at the options window to quit
  // A run of one sample at 1 s: the road is quit, record again or change mode, and
  // `then` is what follows its "yes".
  bool oneSample = false;
  const char* then = "expect-exit 0\n";
};

void PrintTo(const QuitRoad& road, std::ostream* out) {
  *out << road.name;
}

// The options window's own Quit button, File > Quit from its menu bar, and Ctrl-Q
// typed there (outside the recording). The options window's close box does not quit.
// A run of a single sample is at stake as much as a long one, on every road that would
// drop it: after "yes" to record again the next run is guarded in turn, and after "yes"
// to a change of mode nothing of the run is left to ask about.
const QuitRoad kRoads[] = {
    {"OptionsWindowQuit", "click 112 6\n"},
    {"FileQuit", "menu 1 12\n"},
    {"CtrlQ", "key ctrl+q\n"},
    {"OneSampleQuit", "click 112 6\n", true},
    {"OneSampleRecordAgain", "click 112 1\n", true,
     "until 112 30\nrelease Escape\nclick 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n"},
    {"OneSampleChangeMode", "click 112 5\n", true, "until 310\nmenu 1 12\nexpect-exit 0\n"},
};

class QuitRoadE2E : public test::ProgramRunTest, public ::testing::WithParamInterface<QuitRoad> {
 protected:
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    rt::SetSoundSink(nullptr);
    ProgramRunTest::TearDown();
  }
};

TEST_P(QuitRoadE2E, QuittingWithUnsavedSamplesAsksTheGuardFirst) {
  const QuitRoad& r = GetParam();
  const std::string road = r.steps;
  if (r.oneSample) {
    SetControlLoopTap([this](const std::string& step) {
      log_.push_back(step);
      if (step != "run preparation") return;
      ChartSampleInterval = 1.0f;
      ChartIntervalInSeconds = 1.0;
    });
    SetSampleTimingTap([](double, double) {
      if (Sample == 1) rt::SetKeyDown(rt::key::Escape, true);
    });
  }
  // The count each question names, taken when it sounds its warning.
  std::vector<int64_t> counts;
  rt::SetSoundSink([&counts](const std::string&) {
    if (rt::WindowExists(kGuardWindow)) counts.push_back(SamplesNotSaved());
  });
  const std::string stop = r.oneSample ? "until 112 30\nrelease Escape\n"
                                       : "until 1\nwait 0.3\nhold Escape\nuntil 112\nrelease Escape\n";
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\nclick 310 101\nkey Return\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() + "until 104\nclick 104 203\ngone 104\npanel cancel\n" + stop + road +
      "until 1776\n"
      "key n\ngone 1776\nuntil 112\n" +  // kept: the options window is back
      road +
      "until 1776\nclick 1776 2\n" + r.then;
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_TRUE(result.exitStatus.has_value());
  EXPECT_EQ(*result.exitStatus, 0);
  if (std::string(r.then) == "expect-exit 0\n") {
    EXPECT_GT(nSamples, 0) << "the samples were still there when the guard let the program end";
  }
  ASSERT_GE(counts.size(), 2u) << "the guard asked on both tries";
  for (int64_t count : counts) {
    if (r.oneSample) {
      EXPECT_EQ(count, 1) << "one sample not saved";
    } else {
      EXPECT_GT(count, 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Roads, QuitRoadE2E, ::testing::ValuesIn(kRoads),
                         [](const ::testing::TestParamInfo<QuitRoad>& info) { return info.param.name; });

// One question about losing data at a time: Ctrl-Q typed while the guard or the backup
// caution asks is ignored. It used to open a second guard over the first, after whose
// "N" the next click on "Save Data" answered the first guard "yes" and quit unsaved; in
// the caution, the second guard took the caution's window (they shared a number) and its
// "N" left the caution answered "Overwrite old file".
class NestedQuestionE2E : public test::ProgramRunTest {
 protected:
  static std::string StoppedRun() {
    return "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
           "until 310\nclick 310 101\nkey Return\ngone 310\nuntil 9\nclick 9 14\n" +
           test::ChannelDialogs() +
           "until 104\nclick 104 203\ngone 104\npanel cancel\nuntil 1\nwait 0.3\nhold Escape\nuntil 112\n"
           "release Escape\n";
  }
  drive::ScriptResult Run(const std::string& script) {
    return drive::ScriptRunner(script).Run([](int argc, char** argv) { MainBody(argc, argv); });
  }
};

TEST_F(NestedQuestionE2E, CtrlQWhileTheGuardAsksNeverLetsTheNextClickQuitUnsaved) {
  const std::filesystem::path data = documents_ / "kept.kstr";
  const std::string script = StoppedRun() + "click 112 6\nuntil 1776\nkey ctrl+q\nwait 0.3\nshot 1776 " +
                             Shot("w1776-guard-after-ctrl-q.png") +
                             "\nkey n\ngone 1776\nuntil 112\n"
                             // Save Data saves: its panel and the file information window.
                             "panel " +
                             data.string() +
                             "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\n"
                             "click 112 6\nexpect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_TRUE(std::filesystem::exists(data)) << "the run was saved before the program ended";
  EXPECT_EQ(PrefsArray[PrefsSlot::LastRunSaved], 1);
}

TEST_F(NestedQuestionE2E, CtrlQInTheBackupCautionKeepsTheEarlierBackupFile) {
  const std::filesystem::path earlier = documents_ / "earlier backup.kstr";
  const std::filesystem::path chosen = documents_ / "new backup.kstr";
  std::ofstream(earlier, std::ios::binary) << "an earlier experiment";
  const std::string script = StoppedRun() + "panel " + earlier.string() +
                             "\nmenu 1 8\nuntil 1777\nkey ctrl+q\nwait 0.3\nshot 1777 " +
                             Shot("w1777-backup-caution-after-ctrl-q.png") + "\npanel " + chosen.string() +
                             "\nclick 1777 1\ngone 1777\n"
                             "wait 0.3\nclick 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  std::ifstream in(earlier, std::ios::binary);
  const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(kept, "an earlier experiment");
  EXPECT_EQ(BackupfileCFURL, chosen.string());
}

}  // namespace
}  // namespace mv
