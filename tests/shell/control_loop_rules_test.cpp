// The control loop's rules: the menu states of a run in each mode, the way back to
// the mode choice, the comment header line, the interface rules and the priming of
// the interfaces before a recording. Then its road through the levels, entered as after
// a set-up file given at launch with short demonstration recordings that end at their
// sample count: a set-up window that starts over goes back to the mode choice with the
// set-up discarded; a rerun keeps the channels; a change of mode clears them.
#include <memory>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "acquisition/toolbar.h"
#include "control/device_outputs.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/needs.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "devices/stream_reader.h"
#include "files/state.h"
#include "kit/comment_header.h"
#include "runtime/clock.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/rate_check_window.h"
#include "setup/state.h"
#include "shell/mode_window.h"
#include "shell/options_window.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using namespace MenuNumber;
using ControlLoopRules = test::ControlLoopTest;

// ---- the menu states of a run ------------------------------------------------------------------

TEST_F(ControlLoopRules, AutorepeatOrAutomarkersItemFollowsTheSlotOfTheMode) {
  EXPECT_EQ(AutorepeatItemState(RecordingModeCode::Chart, 0, 1), 1);
  EXPECT_EQ(AutorepeatItemState(RecordingModeCode::ScopeChart, 0, 1), 2);
  SetMenuItemState(AD, 19, 0);
  RecordingMODE = RecordingModeCode::Scope;
  ApplyRunMenuStates(true);
  EXPECT_EQ(State(AD, 19), 0) << "the scope run leaves the item as it was";
  RecordingMODE = RecordingModeCode::Chart;
  PrefsArray[PrefsSlot::Autorepeat] = 1;
  ApplyRunMenuStates(true);
  EXPECT_EQ(State(AD, 19), 2);
}

TEST_F(ControlLoopRules, SampleAveragingAndSlopeTrendsFollowTheRun) {
  EXPECT_EQ(SampleAveragingItem(1, 0.0f), 3);
  EXPECT_EQ(SampleAveragingItem(0, 0.0f), 2);
  EXPECT_EQ(SampleAveragingItem(0, 4.0f), 1);
  RecordingMODE = RecordingModeCode::Chart;
  nChannels = 2;
  ChartIntervalInSeconds = 1.0;
  SetMenuItemState(View, 15, 1);
  ApplyRunMenuStates(true);
  EXPECT_EQ(State(View, 15), 1) << "a 1 s chart keeps its slope trends";
  ChartIntervalInSeconds = 0.02;
  ApplyRunMenuStates(true);
  EXPECT_EQ(State(View, 15), 0) << "no slope trends below 1/30 s";
}

TEST_F(ControlLoopRules, SetupFileRunOffersTheInterfaceItemsAndKeepsTheStrips) {
  External_AD = ExternalADCode::DT500;
  MainMENU();
  RecordingMODE = RecordingModeCode::Chart;
  nChannels = 2;
  ChannelVariables[1][ChanField::StripHeight] = 123.0f;
  ApplyRunMenuStates(true);
  EXPECT_TRUE(rt::MenuItemEnabled(ExternalADDevice, 1)) << "the interface's inputs are offered";
  EXPECT_EQ(ChannelVariables[1][ChanField::StripHeight], 123.0f) << "the file's strips stay";
  ApplyRunMenuStates(false);
  EXPECT_NE(ChannelVariables[1][ChanField::StripHeight], 123.0f) << "a new set-up lays its strips out";
}

// ---- back to the mode choice --------------------------------------------------------------------

TEST_F(ControlLoopRules, BackToModeChoiceClearsTheRecordsButNotRowZero) {
  for (auto& row : ChannelVariables) row.fill(7.0f);
  scopedata[1][5] = 3.0f;
  SetMenuItemState(File, 10, 1);
  ResetForModeChoice();
  for (int f = 0; f < kChannelFields; ++f) EXPECT_EQ(ChannelVariables[0][f], 7.0f) << "row 0 field " << f;
  for (int c = 1; c <= 16; ++c) {
    EXPECT_EQ(ChannelVariables[c][0], 7.0f);
    EXPECT_EQ(ChannelVariables[c][17], 7.0f);
    for (int f = 1; f <= 16; ++f) EXPECT_EQ(ChannelVariables[c][f], 0.0f) << c << "," << f;
  }
  EXPECT_EQ(scopedata[1][5], 0.0f) << "the scope rows are cleared";
  EXPECT_EQ(State(File, 10), 0);
  EXPECT_TRUE(rt::MenuItemEnabled(File, 12)) << "the mode choice never dims Quit";
}

// ---- the comment header line ----------------------------------------------------------------------

const std::string kHeader = "\xA5  Recorded 09/01/17 at 14:05:42:" + std::string(36, ' ') + "\r";

TEST_F(ControlLoopRules, HeaderLineIsSeventyBytesAndNeverOverwritesTheUsersText) {
  EXPECT_EQ(RunCommentHeader("09/01/17", "14:05:42"), kHeader);
  EXPECT_EQ(kHeader.size(), 70u);
  const std::string notes = "Chamber 3, adult female, 21.5 g, fasted overnight\rsecond line";
  EXPECT_EQ(WithCommentHeader(notes, kHeader), kHeader + notes);
  // A bullet that opens the user's own line is no header.
  EXPECT_EQ(WithCommentHeader("\xA5 note to self\r", kHeader), kHeader + "\xA5 note to self\r");
  EXPECT_EQ(WithCommentHeader("", kHeader), kHeader);
}

TEST_F(ControlLoopRules, HeaderLineReplacesTheOldHeaderOnly) {
  const std::string startup = "\xA5 Recorded 08/31/17 at 09:00:00:  \r";
  EXPECT_EQ(WithCommentHeader(startup + "my notes\r", kHeader), kHeader + "my notes\r");
  EXPECT_EQ(WithCommentHeader(WithCommentHeader("my notes", kHeader), kHeader), kHeader + "my notes");
  EXPECT_EQ(WithCommentHeader("\xA5  Recorded 08/31/17 at 09:00:00:\r\nmy notes", kHeader),
            kHeader + "my notes");
  EXPECT_EQ(WithCommentHeader("\xA5 Recorded 08/31/17 at 09:00:00:", kHeader), kHeader) << "a header alone";
  EXPECT_EQ(WithCommentHeader("notes", "\xA5 Recorded x"), "\xA5 Recorded x\rnotes") << "a CR is added";
}

// ---- interface rules -----------------------------------------------------------------------------

TEST_F(ControlLoopRules, DataTakersFilterSpikesAndALoadedSetupKeepsItsRatios) {
  SpikeFilterArray.fill(3.5f);
  ApplyInterfaceRules(true);
  EXPECT_EQ(SpikeFilterArray[16], 3.5f);
  ApplyInterfaceRules(false);
  EXPECT_EQ(SpikeFilterArray[16], 2.0f);
  for (int16_t code : {ExternalADCode::Demonstration, ExternalADCode::SableUI2, ExternalADCode::ADAM,
                       ExternalADCode::ADC1, ExternalADCode::DT50, ExternalADCode::DT800}) {
    PrefsArray[PrefsSlot::SpikeFilterOn] = 0;
    External_AD = code;
    ApplyInterfaceRules(false);
    EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn],
              code == ExternalADCode::DT50 || code == ExternalADCode::DT800)
        << code;
    EXPECT_EQ(rt::MenuItemChecked(AD, 12), PrefsArray[PrefsSlot::SpikeFilterOn] != 0)
        << code << ": the menu shows whether the readings are filtered";
  }
  DT800FastAcquisitionMode = 1;
  RecordingMODE = RecordingModeCode::Chart;
  ApplyInterfaceRules(false);
  EXPECT_EQ(DT800FastAcquisitionMode, 0) << "the DT800 mode follows the recording mode";
  RecordingMODE = RecordingModeCode::Scope;
  ApplyInterfaceRules(false);
  EXPECT_EQ(DT800FastAcquisitionMode, 1);
}

// ---- priming the interface -----------------------------------------------------------------------

TEST_F(ControlLoopRules, SableGetsItsResetByteAndTheReplyIsDrained) {
  auto port = std::make_unique<ScriptedSerialPort>();
  ScriptedSerialPort* p = port.get();
  InstallSerialPort(std::move(port));
  p->DeliverNow(std::string(200, 'x'));
  External_AD = ExternalADCode::SableUI3;
  PrimeInterface();
  ASSERT_EQ(p->Writes().size(), 1u);
  EXPECT_EQ(p->Writes()[0], std::string(1, '\xD0'));
  EXPECT_EQ(p->BytesWaiting(), 56) << "at most 144 bytes are taken";
  CloseSerialPort();
}

// Lines a streaming instrument sent before the run, and the rest of the one it was
// sending, wait at the port; the run's first sample reads the first line sent after.
TEST_F(ControlLoopRules, AStreamsLinesSentBeforeTheRunAreNeverItsFirstSample) {
  auto port = std::make_unique<ScriptedSerialPort>();
  ScriptedSerialPort* p = port.get();
  InstallSerialPort(std::move(port));
  External_AD = ExternalADCode::SerialStream;
  serialArray[1][2] = 1;
  p->DeliverNow("1.5,1\r2.5,2\r3.");
  PrimeInterface();
  const auto now = static_cast<uint32_t>(rt::TickCount());
  p->DeliverAt(now + 2, "5,3\r");
  p->DeliverAt(now + 4, "4.5,4\r");
  ReadSerialStream(1);
  EXPECT_EQ(serialArray[1][1], 4.5f);
  CloseSerialPort();
}

TEST_F(ControlLoopRules, DT800FamilyReadsEveryChannelTwiceBeforeARun) {
  std::vector<int16_t> reads;
  services::ReadDataTaker800 = [&](int16_t channel, int16_t recording) {
    EXPECT_EQ(recording, 0);
    reads.push_back(channel);
  };
  nChannels = 3;
  External_AD = ExternalADCode::DT85;
  PrimeInterface();
  EXPECT_EQ(reads, (std::vector<int16_t>{1, 2, 3, 1, 2, 3}));
}

TEST_F(ControlLoopRules, DT800ScopeBelowSixtiethOfASecondTakesTheFastPath) {
  auto port = std::make_unique<ScriptedSerialPort>();
  ScriptedSerialPort* p = port.get();
  InstallSerialPort(std::move(port));
  // Each scope run notes whether the recording toolbar was put up for it, then takes
  // it down so that the next run must put it up again.
  // it down so that the next run must put it up again; it notes what the line had been
  // sent when it started.
  std::string sentBeforeScan;
  commands::SCOPESCANNING = [this, p, &sentBeforeScan] {
    calls.push_back(rt::WindowExists(kToolbarWindow) ? "toolbar, SCOPESCANNING" : "SCOPESCANNING");
    if (rt::WindowExists(kToolbarWindow)) rt::CloseWindow(kToolbarWindow);
    sentBeforeScan = p->Written();
  };
  External_AD = ExternalADCode::DT800;
  DemonstrationMODE = 0;
  RecordingMODE = RecordingModeCode::Scope;

  ScopeIntervalInSeconds = 0.016;
  RecordRun();
  EXPECT_EQ(PrefsArray[PrefsSlot::DT800FastScope], 0) << "0.016 s itself is not below";
  EXPECT_TRUE(p->Written().empty());

  ScopeIntervalInSeconds = 0.01;
  RecordRun();
  EXPECT_EQ(PrefsArray[PrefsSlot::DT800FastScope], 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::DT800MainsFilter], 1);
  // The mains filter, then the logger's burst command, both before the scan starts.
  const std::string mains = "P48=50\r", burst = "RX;BURST(";
  ASSERT_EQ(sentBeforeScan.compare(0, mains.size(), mains), 0) << sentBeforeScan;
  EXPECT_EQ(sentBeforeScan.compare(mains.size(), burst.size(), burst), 0) << sentBeforeScan;
  EXPECT_EQ(sentBeforeScan.back(), '\r');
  EXPECT_EQ(p->Written(), sentBeforeScan) << "nothing more once the scan has started";
  EXPECT_EQ(calls, (std::vector<std::string>{"toolbar, SCOPESCANNING", "toolbar, SCOPESCANNING"}));
  CloseSerialPort();
}

TEST_F(ControlLoopRules, ScopePlusChartRunSwitchesTheFastScopeOff) {
  commands::SCOPEPLUSCHARTSCAN = [this] {
    calls.push_back(rt::WindowExists(kToolbarWindow) ? "toolbar, SCOPEPLUSCHARTSCAN" : "SCOPEPLUSCHARTSCAN");
  };
  PrefsArray[PrefsSlot::DT800FastScope] = 1;
  RecordingMODE = RecordingModeCode::ScopeChart;
  RecordRun();
  EXPECT_EQ(PrefsArray[PrefsSlot::DT800FastScope], 0);
  EXPECT_TRUE(Called("toolbar, SCOPEPLUSCHARTSCAN")) << "the run records under the recording toolbar";
}

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
    // The user starts each run from the set-up window without changing anything.
    commands::DISPLAYSETUP = [] {};
    // The rate check after a run and the outputs switched off on leaving are the real ones.
    commands::CHECKSAMPLERATE = [](float requested, int16_t soundFlag) {
      CHECKSAMPLERATE(ChartTiming, requested, soundFlag);
    };
    commands::TURNVALVESOFF = [] { TURNVALVESOFF(); };
    CommentContainer = "Ambient 21 C\r";
  }
  // Ends the loop from inside it: the program's exit, as Quit ends it.
  static test::LoopDriver::Step Leave() {
    return [] {
      rt::ExitProgram(5);
      return true;
    };
  }
  static void RunLoop() {
    EXPECT_EQ(test::ExitStatusOf([] { ControlLoop(LoopEntry::Preparation); }), 5);
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
