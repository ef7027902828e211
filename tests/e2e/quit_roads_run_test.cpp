// The whole program in demonstration mode with a stopped, unsaved recording: every road
// by which the user can quit passes the data-loss guard. Answered "no" the program goes
// on with the recording kept; answered "yes" on the same road again, it ends.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "kit/state.h"
#include "shell/main_body.h"

namespace mv {
namespace {

struct QuitRoad {
  const char* name;
  const char* steps;  // what the user does at the options window to quit
};

void PrintTo(const QuitRoad& road, std::ostream* out) {
  *out << road.name;
}

// The options window's own Quit button, File > Quit from its menu bar, and Ctrl-Q
// typed there (outside the recording). The options window's close box does not quit.
const QuitRoad kRoads[] = {
    {"OptionsWindowQuit", "click 112 6\n"},
    {"FileQuit", "menu 1 12\n"},
    {"CtrlQ", "key ctrl+q\n"},
};

class QuitRoadE2E : public test::ProgramRunTest, public ::testing::WithParamInterface<QuitRoad> {};

TEST_P(QuitRoadE2E, QuittingWithUnsavedSamplesAsksTheGuardFirst) {
  const std::string road = GetParam().steps;
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\nclick 310 101\nkey Return\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() +
      "until 104\nclick 104 203\ngone 104\npanel cancel\nuntil 1\nwait 0.3\n"
      "hold Escape\nuntil 112\nrelease Escape\n" +
      road +
      "until 1776\n"
      "key n\ngone 1776\nuntil 112\n" +  // kept: the options window is back
      road +
      "until 1776\nclick 1776 2\nexpect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_TRUE(result.exitStatus.has_value());
  EXPECT_EQ(*result.exitStatus, 0);
  EXPECT_GT(nSamples, 0) << "the samples were still there when the guard let the program end";
}

INSTANTIATE_TEST_SUITE_P(Roads, QuitRoadE2E, ::testing::ValuesIn(kRoads),
                         [](const ::testing::TestParamInfo<QuitRoad>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
