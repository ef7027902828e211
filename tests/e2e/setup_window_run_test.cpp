// The whole program through the real set-up window, in demonstration mode: launch,
// Test Mode, chart with two channels and their dialogs, then in the set-up window a
// label typed, a channel added (with its own dialogs) and one cut, a recording
// started with "Setup OK" and stopped with Escape, and Quit through the guard.
#include <gtest/gtest.h>

#include <algorithm>
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
#include "setup/channel_table.h"
#include "setup/needs.h"
#include "setup/setup_window.h"
#include "setup/state.h"
#include "shell/commands.h"
#include "shell/control_loop.h"
#include "shell/main_body.h"

namespace mv {
namespace {

class SetupWindowRunE2E : public test::ProgramRunTest {
 protected:
  void SetUp() override {
    ProgramRunTest::SetUp();
    commands::DISPLAYSETUP = [] { DISPLAYSETUP(); };
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

TEST_F(SetupWindowRunE2E, AddACutAChannelAndStartTheRunWithSetupOK) {
  const std::string script =
      "start\n"
      "until 5\n"
      "mouse 5 270 150\n"
      "gone 15\n"
      "until 9\n"
      "click-label 9 Test Mode\n"
      "gone 9\n"
      "until 310\n"
      "click 310 102\n"  // two channels
      "click 310 23\n"
      "gone 310\n"
      "until 9\n"
      "click 9 14\n" +
      ChannelDialogs() + ChannelDialogs() +
      "until 104\n"
      "shot 104 " +
      Shot("w104-run-setup-two-channels.png") +
      "\n"
      "type 104 16 oxygen\n"  // channel 2's label
      "click 104 220\n" +     // Add Channel...
      ChannelDialogs() +
      "shot 104 " + Shot("w104-run-setup-three-channels.png") +
      "\n"
      "click 104 219\n"  // Cut Channel...
      "until 6\n"
      "click 6 1\n"   // channel 1
      "click 6 23\n"  // Proceed
      "gone 6\n"
      "shot 104 " +
      Shot("w104-run-setup-after-cut.png") +
      "\n"
      "click 104 203\n"  // Setup OK
      "gone 104\n"
      "panel cancel\n"  // no timed backup file
      "until 1\n"
      "wait 0.15\n"
      "hold Escape\n"
      "until 112\n"
      "release Escape\n"
      "click 112 6\n"  // quit
      "until 1776\n"
      "click 1776 2\n"
      "expect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_TRUE(result.exitStatus.has_value());
  EXPECT_EQ(*result.exitStatus, 0);

  EXPECT_TRUE(Logged("set-up window"));
  EXPECT_TRUE(Logged("input 3")) << "the added channel's input dialog";
  EXPECT_TRUE(Logged("run"));
  EXPECT_FALSE(Logged("back to mode choice")) << "Setup OK starts the run, it does not start over";
  EXPECT_EQ(nChannels, 2) << "two, one added, one cut";
  EXPECT_EQ(ChannelLabel(1).str().rfind("oxygen", 0), 0u) << "channel 2 moved up with its typed label";
  EXPECT_GT(nSamples, 0);
  EXPECT_EQ(DispSetupON, 0);
  for (const char* shot : {"w104-run-setup-two-channels.png", "w104-run-setup-three-channels.png",
                           "w104-run-setup-after-cut.png"})
    EXPECT_TRUE(std::filesystem::exists(test::TestOutputDir() / shot)) << shot;
}

// The X-Y dialog reached from the set-up window's menu: it opens on channels 1 and 2
// (no axis was ever chosen), and the click on "Setup OK" made as soon as it closes
// starts the run instead of being spent while the dialog's events run out.
TEST_F(SetupWindowRunE2E, SetupOKClickedAsTheXYDialogClosesStartsTheRun) {
  const std::string script =
      "start\n"
      "until 5\n"
      "until 15\n"
      "mouse 5 270 150\n"
      "gone 15\n"
      "until 9\n"
      "click-label 9 Test Mode\n"
      "gone 9\n"
      "until 310\n"
      "click 310 102\n"  // two channels
      "click 310 23\n"
      "gone 310\n"
      "until 9\n"
      "click 9 14\n" +
      ChannelDialogs() + ChannelDialogs() +
      "until 104\n"
      "menu 4 23\n"  // X-Y Plot...
      "until 200\n"
      "click 200 40\n"  // Show an X-Y Plot?
      "shot 200 " +
      Shot("w200-run-xy-defaults.png") +
      "\n"
      "click 200 41\n"   // Done
      "click 104 203\n"  // Setup OK, at once
      "gone 104 3\n"
      "panel cancel\n"
      "until 1\n"
      "wait 0.5\n"
      "shot 22 " +
      Shot("w22-run-xy-plot.png") +
      "\n"
      "hold Escape\n"
      "until 112\n"
      "release Escape\n"
      "click 112 6\n"
      "until 1776\n"
      "click 1776 2\n"
      "expect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_TRUE(Logged("run"));
  EXPECT_EQ(ShowXYPlot, 1);
  EXPECT_EQ(XYaxisChannelX, 1.0f);
  EXPECT_EQ(XYaxisChannelY, 2.0f);
}

}  // namespace
}  // namespace mv
