// A set-up file saved from the options window after a recording, and opened again at
// the next start on the same display: it opens without the "Screen Size Mismatch"
// question, its strips filling the window.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "common/test_support.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "files/state.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "setup/state.h"
#include "shell/main_body.h"

namespace mv {
namespace {

class SetupAfterRunE2E : public test::ProgramRunTest {
 protected:
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    ProgramRunTest::TearDown();
  }
};

// Every sample drawn writes its strip's last y into the channel record; the layout
// the set-up stores must not depend on it. The recording screen fits the strips to
// the display for the run; the set-up keeps the layout chosen before it, which fills
// the window of a later start on the same display.
TEST_F(SetupAfterRunE2E, ASetupSavedAfterARecordingReopensWithoutAScreenSizeQuestion) {
  const std::string setup = (documents_ / "after-the-run.MVsetup").string();  // no blank: one argument
  SetSampleTimingTap([](double, double) {
    if (Sample == 40) rt::SetKeyDown(rt::key::Escape, true);
  });
  // Two channels recorded; "Make a set-up file" (button 4) after the run, then Quit.
  const std::string record =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 1\nclick 310 102\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() + test::ChannelDialogs() +
      "until 104\npanel cancel\nclick 104 203\ngone 104\n"
      "until 112\nrelease Escape\n"
      "panel " +
      setup +
      "\nclick 112 4\nwait 0.2\n"
      "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  auto result = drive::ScriptRunner(record).Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_GT(nSamples, 1) << "samples were drawn";

  // The program started again on the same display with the set-up file (as a file
  // manager starts it): the interface choice (window 21) comes next, with no "Screen
  // Size Mismatch" window (11) first.
  test::ProgramTest::TearDown();
  test::ProgramTest::SetUp();
  SetControlLoopTap([this](const std::string& step) { log_.push_back(step); });
  const std::string reopen =
      "start " + setup + "\nuntil 21\nclick-label 21 Test/demonstration\ngone 21\nuntil 104 20\nshot 104 " +
      Shot("w104-setup-reopened-after-run.png") + "\n";
  result = drive::ScriptRunner(reopen).Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(SetupFileName.str(), "after-the-run.MVsetup");
  const float lastBottom = ChannelVariables[2][ChanField::StripBottom];
  EXPECT_GE(lastBottom, PrefsArray[PrefsSlot::WindowHeight] - 30) << "the strips fill the window";
  EXPECT_FLOAT_EQ(ChannelVariables[1][ChanField::StripHeight], ChannelVariables[2][ChanField::StripHeight]);
}

}  // namespace
}  // namespace mv
