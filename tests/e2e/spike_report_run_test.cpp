// The spike filter a data file reports is the one the run used: a demonstration run
// recorded with the filter on or off, the Spike Filter window then changed the other
// way before the run is saved from the options window, and the saved chart file read
// back by the dump tool.
#include <gtest/gtest.h>

#include <string>

#include "common/dump_tool.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "shell/main_body.h"

namespace mv {
namespace {

// Window 18 is the Spike Filter window (A-D menu 4, item 12): 293 sets every channel
// to 2, 290 turns every filter off, 200 is Done.
std::string SpikeWindow(const char* button) {
  return std::string("menu 4 12\nuntil 18\nclick 18 ") + button + "\nclick 18 200\ngone 18\n";
}

struct SpikeRun {
  const char* name;
  const char* beforeRun;  // the Spike Filter window's button in the set-up window, or ""
  const char* afterRun;   // its button in the options window, before the save
  bool reported;          // the file says what the filter removed
};

void PrintTo(const SpikeRun& r, std::ostream* os) {
  *os << r.name;
}

const SpikeRun kRuns[] = {
    {"OffDuringTheRunTurnedOnBeforeTheSave", "", "293", false},
    {"OnDuringTheRunTurnedOffBeforeTheSave", "293", "290", true},
};

class SpikeReportRunE2E : public test::ProgramRunTest, public ::testing::WithParamInterface<SpikeRun> {};

TEST_P(SpikeReportRunE2E, TheFileReportsTheFilterAsTheRunUsedIt) {
  const SpikeRun& r = GetParam();
  const std::string beforeRun = *r.beforeRun ? SpikeWindow(r.beforeRun) : std::string();
  const std::string file = (documents_ / "run.kstr").string();
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 1\nclick 310 101\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() + "until 104\n" + beforeRun + "click 104 203\ngone 104\npanel cancel\n" +
      "until 1\nwait 0.15\nhold Escape\nuntil 112\nrelease Escape\n" + SpikeWindow(r.afterRun) + "panel " +
      file + "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\nclick 112 6\nexpect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);

  const std::string dump = test::DumpDataFile(documents_ / "run.kstr");
  const bool reported = dump.find("chan 1:   0 spikes removed; filter factor: 2") != std::string::npos;
  EXPECT_EQ(reported, r.reported) << dump;
  if (!r.reported) {
    EXPECT_EQ(dump.find("spikes removed"), std::string::npos) << dump;
  }
}

INSTANTIATE_TEST_SUITE_P(SpikeFilterChangedAfterTheRun, SpikeReportRunE2E, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<SpikeRun>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
