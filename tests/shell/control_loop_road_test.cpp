// The control loop's levels: a set-up window that starts over goes back to the mode
// choice with the set-up discarded; a rerun keeps the channels; a change of mode
// clears them. Entered as after a set-up file given at launch, with short demonstration
// recordings that end at their sample count.
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "control_loop_test_support.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/kit/comment_header.h"
#include "shell/mode_window.h"
#include "shell/options_window.h"

namespace mv {
namespace {

class ControlLoopRoad : public test::ControlLoopTest {
 protected:
  void SetUp() override {
    ControlLoopTest::SetUp();
    // As a set-up file leaves it: chart mode, two channels, their records filled.
    PrefsArray[PrefsSlot::SetupKnownAtStart] = 1;
    PrefsArray[PrefsSlot::WindowHeight] = 750;
    External_AD = ExternalADCode::Demonstration;
    DemonstrationMODE = 1;
    RecordingMODE = RecordingModeCode::Chart;
    nChannels = 2;
    for (int16_t ch = 1; ch <= 2; ++ch) {
      auto& r = ChannelVariables[ch];
      ChannelVariables[0][ch] = 1.0f;
      r[ChanField::Input] = ch;
      r[ChanField::B] = 1.0f;
      r[ChanField::PlotMax] = 1.0f;
      r[ChanField::Averaged] = 1.0f;
      r[ChanField::StripHeight] = 300.0f;
      r[ChanField::StripBottom] = static_cast<float>(46 + 300 * ch);
    }
    ChartIntervalInSeconds = 0.1;
    MaxSamples = 3;
    TimedSaveINTERVAL = 0;
    SpikeFilterArray.fill(4.0f);
    commands::DRAWSCREEN = NoteWith("DRAWSCREEN");
    CommentContainer = "Ambient 21 C\r";
  }
  // Ends the loop from inside it: the program's exit, as Quit ends it.
  static test::LoopDriver::Step Leave() {
    return [] {
      rt::ExitProgram(5);
      return true;
    };
  }
  void RunLoop() {
    try {
      ControlLoop(LoopEntry::Preparation);
    } catch (const rt::ProgramExit& e) {
      EXPECT_EQ(e.status, 5);
    }
  }
};

TEST_F(ControlLoopRoad, StartingOverInTheSetupWindowGoesBackToTheModeChoice) {
  commands::DISPLAYSETUP = [this] {
    calls.push_back("DISPLAYSETUP");
    StartOver = 1;
  };
  test::LoopDriver driver;
  driver.WaitFor(kModeWindow).Then(Leave());
  RunLoop();
  EXPECT_EQ(LastControlLoopEntry, static_cast<int16_t>(LoopEntry::Preparation));
  EXPECT_EQ(calls, (std::vector<std::string>{"preparation", "interface rules", "menu states", "set-up window",
                                             "DISPLAYSETUP", "back to mode choice", "mode choice"}));
  EXPECT_EQ(ChannelVariables[1][ChanField::Input], 0.0f) << "the set-up is discarded";
  EXPECT_EQ(ChannelVariables[0][1], 1.0f) << "row 0 keeps the conversion types";
  EXPECT_EQ(SpikeFilterArray[3], 4.0f) << "the set-up file's ratios";
  EXPECT_EQ(PrefsArray[PrefsSlot::HardwareInputs], 16);
}

TEST_F(ControlLoopRoad, RerunKeepsTheChannelsAndChangingTheModeClearsThem) {
  test::LoopDriver driver;
  driver.WaitFor(kOptionsWindow)
      .Check([] {
        EXPECT_EQ(nSamples, 4) << "samples 0 to 3 of the period";
        EXPECT_EQ(Sample, 3);
      })
      .Click(OptionsButton::Restart)
      .WaitFor(kOptionsWindow)
      .Check([] { EXPECT_EQ(ChannelVariables[2][ChanField::Input], 2.0f) << "a rerun keeps the channels"; })
      .Click(OptionsButton::ChangeMode)
      .WaitFor(kModeWindow)
      .Check([] { EXPECT_EQ(ChannelVariables[2][ChanField::Input], 0.0f) << "a new mode starts afresh"; })
      .Then(Leave());
  RunLoop();
  EXPECT_EQ(calls,
            (std::vector<std::string>{"preparation", "interface rules", "menu states", "set-up window",
                                      "run preparation", "DRAWSCREEN 1", "run", "options", "DRAWSCREEN 1",
                                      "run", "options", "back to mode choice", "mode choice"}));
  const std::string header = CommentContainer.substr(0, CommentContainer.find('\r') + 1);
  EXPECT_TRUE(IsCommentHeaderLine(header));
  EXPECT_EQ(header.size(), 70u) << "the run's header line";
  EXPECT_EQ(CommentContainer.substr(header.size()), "Ambient 21 C\r") << "the user's comment survives";
}

}  // namespace
}  // namespace mv
