// The whole program driven as a user drives it, in demonstration mode: launch,
// Test Mode, the mode window's three tabs, chart with two channels, the interval
// window and each channel's input, conversions, scaling and averaging dialogs, a
// recording stopped with Escape, the options window, a guarded restart and a
// second recording, a change of mode, a third recording with one channel, and Quit
// through the guard.
//
// Every window is the real one, the set-up window and the recording screen included.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "acquisition/needs.h"
#include "acquisition/state.h"
#include "common/test_support.h"
#include "devices/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "kit/state.h"
#include "runtime/sound.h"
#include "runtime/windows.h"
#include "setup/needs.h"
#include "setup/state.h"
#include "shell/control_loop.h"
#include "shell/main_body.h"

namespace mv {
namespace {

class DemonstrationRunE2E : public test::ProgramRunTest {
 protected:
  void SetUp() override {
    ProgramRunTest::SetUp();
    // The per-channel dialogs are the real ones; the log notes each as it opens.
    auto input = setup_hooks::SELECTCHANNEL;
    setup_hooks::SELECTCHANNEL = [this, input](int16_t ch, int16_t store) {
      log_.push_back("input " + std::to_string(ch));
      return input(ch, store);
    };
    LogDialog(setup_hooks::SCALE, "scale");
    LogDialog(setup_hooks::AVERAGING, "averaging");
  }
};

using test::ChannelDialogs;

// A recording on the real screen, stopped with Escape read from the key map.
// The set-up window confirms the recording; the timed backup's file panel that
// follows is cancelled.
std::string SetupOK() { return "until 104\nclick 104 203\ngone 104\npanel cancel\n"; }

std::string RecordAndStop(const std::string& shot = {}) {
  return "until 1\nwait 0.15\n" + (shot.empty() ? "" : "shot 1 " + shot + "\n") +
         "hold Escape\nuntil 112\nrelease Escape\n";
}

TEST_F(DemonstrationRunE2E, LaunchToQuitThroughThreeRecordings) {
  const std::string script =
      "start\n"
      "until 5\n"
      "mouse 5 270 150\n"  // past the flies
      "gone 15\n"
      "until 9\n"
      "click-label 9 Test Mode\n"
      "gone 9\n"
      "until 310\n"
      "shot 310 " +
      Shot("w310-run-chart-tab.png") +
      "\n"
      "pick 310 500 2\n"
      "shot 310 " +
      Shot("w310-run-scope-tab.png") +
      "\n"
      "pick 310 500 3\n"
      "shot 310 " +
      Shot("w310-run-scope-chart-tab.png") +
      "\n"
      "pick 310 500 1\n"
      "click 310 102\n"
      "click 310 23\n"
      "gone 310\n"
      "until 9\n"  // the sample-rate window
      "click 9 14\n" +
      ChannelDialogs() + ChannelDialogs() + SetupOK() + RecordAndStop(Shot("w1-run-recording.png")) +
      "shot 112 " +
      Shot("w112-run-options.png") +
      "\n"
      "click 112 1\n"  // restart: the guard asks
      "until 1776\n"
      "click 1776 2\n" +
      RecordAndStop() +
      "click 112 5\n"  // change mode: the guard asks again
      "until 1776\n"
      "click 1776 2\n"
      "until 310\n"
      "click 310 101\n"
      "key Return\n"
      "gone 310\n"
      "until 9\n"
      "click 9 14\n" +
      ChannelDialogs() + SetupOK() + RecordAndStop() +
      "click 112 6\n"  // quit
      "until 1776\n"
      "click 1776 2\n"
      "expect-exit 0\n";
  const auto began = std::chrono::steady_clock::now();
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_TRUE(result.exitStatus.has_value());
  EXPECT_EQ(*result.exitStatus, 0);

  const std::vector<std::string> setUpTwoChannels = {"mode choice",
                                                     "preparation",
                                                     "channels",
                                                     "input 1",
                                                     "scale 1",
                                                     "averaging 1",
                                                     "input 2",
                                                     "scale 2",
                                                     "averaging 2",
                                                     "interface rules",
                                                     "menu states",
                                                     "set-up window",
                                                     "run preparation",
                                                     "run",
                                                     "options"};
  std::vector<std::string> expected = setUpTwoChannels;
  for (const char* step :
       {"run", "options", "back to mode choice", "mode choice", "preparation", "channels",
        "input 1", "scale 1", "averaging 1", "interface rules", "menu states", "set-up window", "run preparation", "run", "options"})
    expected.push_back(step);
  EXPECT_EQ(log_, expected);

  EXPECT_EQ(External_AD, ExternalADCode::Demonstration);
  EXPECT_EQ(DemonstrationMODE, 1);
  EXPECT_EQ(nChannels, 1);
  EXPECT_EQ(RecordingMODE, RecordingModeCode::Chart);
  EXPECT_GT(nSamples, 0) << "the third recording took samples before Escape";
  EXPECT_EQ(Sample, nSamples - 1);
  for (const char* shot : {"w310-run-chart-tab.png", "w310-run-scope-tab.png", "w310-run-scope-chart-tab.png",
                           "w112-run-options.png"})
    EXPECT_TRUE(std::filesystem::exists(test::TestOutputDir() / shot)) << shot;
  EXPECT_LT(seconds, 10.0);
}

}  // namespace
}  // namespace mv
