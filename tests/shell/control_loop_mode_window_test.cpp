// The "Modes and Channels" window: its channel buttons and their states, the
// three tabs, Return, the set-up file button, slow and streaming interfaces, and the
// menu states it leaves.
#include <filesystem>
#include <optional>
#include <string>

#include "devices/state.h"
#include "drive/script.h"
#include "files/needs.h"
#include "files/setup_commands.h"
#include "files/state.h"
#include "kit/prefs_slots.h"
#include "runtime/menus.h"
#include "runtime/panels.h"
#include "runtime/windows.h"
#include "setup/interval_rules.h"
#include "setup/state.h"
#include "shell/mode_window.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using namespace MenuNumber;
using ModeWindowTest = test::ControlLoopTest;
constexpr int16_t W = kModeWindow;

int16_t ButtonOf(int16_t channels) {
  return static_cast<int16_t>(ModeControl::FirstChannel - 1 + channels);
}

test::LoopDriver::Step ChooseTab(int16_t tab) {
  return [tab] {
    rt::SetOutputWindow(W);
    rt::SetControlValue(ModeControl::Tabs, tab);
    doDIALOG(ActionCode::Click, ModeControl::Tabs);
    return true;
  };
}

int16_t ControlStateIn(int16_t control) {
  rt::SetOutputWindow(W);
  return rt::ControlExists(control) ? rt::ControlState(control) : -1;
}

TEST_F(ModeWindowTest, ButtonsAboveMaximumChansAreDimmed) {
  MaximumChans = 12;
  External_AD = ExternalADCode::SableUI2;
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(RecordingMODE, RecordingModeCode::Chart) << "a real interface starts in chart mode";
      })
      .Then(ChooseTab(3))
      .Then(ChooseTab(1))
      .Check([] { EXPECT_EQ(ControlStateIn(ButtonOf(14)), 0) << "rebuilt buttons are dimmed again"; })
      .Click(ButtonOf(12))
      .Click(ModeControl::SelectionOK);
  SelectRecordingModeTabWindow();
  EXPECT_EQ(nChannels, 12);
}

TEST_F(ModeWindowTest, ReturnBeforeChoosingKeepsTheWindowOpen) {
  PrefsArray[PrefsSlot::WeirdSounds] = 1;
  PrefsArray[PrefsSlot::AutomaticBackup] = kPrefsInitialValues[PrefsSlot::AutomaticBackup];
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Check([] { EXPECT_EQ(ControlStateIn(ModeControl::SelectionOK), 0); })
      .Key('\r')
      .Check([] {
        EXPECT_TRUE(rt::WindowExists(W)) << "no set-up with 0 channels";
        EXPECT_EQ(nChannels, 0);
      })
      .Click(ButtonOf(3))
      .Check([] { EXPECT_EQ(ControlStateIn(ModeControl::SelectionOK), 1); })
      .Click(ButtonOf(2))
      .Check([] { EXPECT_EQ(ControlStateIn(ButtonOf(3)), 1) << "the earlier choice goes back to plain"; })
      .Key('\r');
  SelectRecordingModeTabWindow();
  EXPECT_TRUE(driver.Finished());
  EXPECT_EQ(nChannels, 2);
  EXPECT_EQ(RecordingMODE, 0) << "the demonstration interface chose no tab";
  EXPECT_TRUE(PlayedFile("wsst.mp3"));
  EXPECT_EQ(State(File, 7), 2) << "timed saves are on at start-up";
}

TEST_F(ModeWindowTest, TabsChangeTheModeAndTheButtons) {
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Then(ChooseTab(2))
      .Check([] {
        EXPECT_EQ(RecordingMODE, RecordingModeCode::Scope);
        EXPECT_EQ(nChannels, 1);
        EXPECT_EQ(ControlStateIn(ModeControl::SelectionOK), 1) << "scope mode can start at once";
        EXPECT_EQ(ControlStateIn(ButtonOf(2)), -1);
      })
      .Then(ChooseTab(3))
      .Check([] {
        EXPECT_EQ(ControlStateIn(ModeControl::SelectionOK), 0);
        EXPECT_EQ(ControlStateIn(ButtonOf(1)), -1) << "scope plus chart takes 2 to 5 channels";
        EXPECT_EQ(ControlStateIn(ButtonOf(5)), 1);
        EXPECT_EQ(ControlStateIn(ButtonOf(6)), -1);
      })
      .Click(ButtonOf(4))
      .Then(ChooseTab(1))
      .Check([] {
        EXPECT_EQ(nChannels, 0) << "a new tab starts with no count";
        EXPECT_EQ(ControlStateIn(ButtonOf(4)), 1);
      })
      .Then(ChooseTab(2))
      .Click(ModeControl::SelectionOK);
  SelectRecordingModeTabWindow();
  EXPECT_EQ(RecordingMODE, RecordingModeCode::Scope);
  EXPECT_EQ(nChannels, 1);
  for (auto [menu, item] : {std::pair{View, 12}, {File, 7}, {AD, 18}, {DA, 0}})
    EXPECT_EQ(State(menu, item), 0) << "a scope run has no " << menu << "/" << item;
}

TEST_F(ModeWindowTest, SlowInterfaceRecordsInChartModeOnly) {
  External_AD = ExternalADCode::DT500;
  DemonstrationMODE = 0;
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(ControlStateIn(ModeControl::Tabs), -1) << "no tabs";
        EXPECT_EQ(RecordingMODE, RecordingModeCode::Chart);
        EXPECT_TRUE(
            rt::SaveWindowImage(W, (test::TestOutputDir() / "w310-modes-slow-interface.png").string()));
      })
      .Click(ButtonOf(1))
      .Key('x');
  SelectRecordingModeTabWindow();
  EXPECT_EQ(nChannels, 1);
  EXPECT_EQ(RecordingMODE, RecordingModeCode::Chart);
}

TEST_F(ModeWindowTest, SetupFileEndsTheWindowOnlyWhenItLoads) {
  // A set-up of four channels in the scope-plus-chart mode, saved before the window opens.
  const std::filesystem::path dir = test::MakeTempDir("mode-setup");
  const std::string setup = (dir / "four.MVsetup").string();
  const int16_t mode = RecordingMODE, channels = nChannels;
  RecordingMODE = RecordingModeCode::ScopeChart;
  nChannels = 4;
  ASSERT_TRUE(WriteSetupFile(setup));
  RecordingMODE = mode;
  nChannels = channels;
  // The strips fill the window, so the load asks nothing about the screen size; the
  // averaging limit is the program's own.
  files_hooks::SetChanParams = [](int16_t, int16_t) {
    ChannelVariables[nChannels][ChanField::StripBottom] = PrefsArray[PrefsSlot::WindowHeight] - 10.0f;
  };
  files_hooks::SetupLoadedMaxAverage = [] { MAXAVERAGE(); };
  rt::SetScriptedPanels(true);
  rt::QueuePanelAnswer(std::nullopt);  // the first open panel is cancelled
  rt::QueuePanelAnswer(setup);
  PrefsArray[PrefsSlot::SetupKnownAtStart] = 1;
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Click(ButtonOf(2))
      .Click(ModeControl::SetupFile)
      .Check([this] {
        EXPECT_TRUE(PlayedFile("downvip.mp3"));
        EXPECT_EQ(PrefsArray[PrefsSlot::SetupKnownAtStart], 0) << "cleared by every click";
        EXPECT_EQ(ControlStateIn(ButtonOf(2)), 2) << "the choice survives a failed load";
      })
      .Click(ModeControl::SetupFile);
  SelectRecordingModeTabWindow();
  EXPECT_FALSE(rt::HasQueuedPanelAnswer()) << "the open panel was asked twice";
  EXPECT_EQ(PrefsArray[PrefsSlot::SetupKnownAtStart], 1);
  EXPECT_EQ(RecordingMODE, RecordingModeCode::ScopeChart);
  EXPECT_EQ(nChannels, 4);
  files_hooks::ResetFilesHooks();
  std::filesystem::remove_all(dir);
}

TEST_F(ModeWindowTest, StreamingInputOpensItsPanelInstead) {
  External_AD = ExternalADCode::SerialStream;
  commands::StreamingSerialChannels = Note("StreamingSerialChannels");
  SelectRecordingModeTabWindow();
  EXPECT_EQ(calls, (std::vector<std::string>{"StreamingSerialChannels"}));
  EXPECT_EQ(RecordingMODE, 0);
  EXPECT_FALSE(rt::WindowExists(W));
}

// The scripted driver's listing, run on this window, tells a script's author the
// numbers to click: the tabs, the channel buttons and "Selection OK" (dimmed until a
// channel count is chosen), with their titles; a click on a number the window does
// not have names the ones it has.
using ModeWindowDriverTest = test::ControlLoopTest;

TEST_F(ModeWindowDriverTest, ListingPrintsTheControlsWithNumbersTitlesAndStates) {
  drive::ScriptRunner runner(
      "start\nuntil 310\nlist\nlist 310\nclick 310 102\nlist 310\nclick 310 23\ngone 310\n");
  const auto result = runner.Run([](int, char**) { SelectRecordingModeTabWindow(); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  const std::string& out = result.output;
  EXPECT_NE(out.find("window 310 \" Modes and Channels \" kind 262 (front)"), std::string::npos) << out;
  for (const char* line :
       {"control 23 default-button \"Selection OK\" dimmed", "control 24 button \"Use Setup File\" enabled",
        "control 30 button \"?\" enabled", "control 101 button \"1 Channel\"",
        "control 102 button \"2 Channels\"", "control 500 tabs \"\" enabled, item 1 of 3 \"Chart"})
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
  EXPECT_NE(out.find("control 102 button \"2 Channels\" marked"), std::string::npos) << out;
  EXPECT_NE(out.find("control 23 default-button \"Selection OK\" enabled"), std::string::npos)
      << "the second listing shows the window after the click\n"
      << out;
}

TEST_F(ModeWindowDriverTest, AFailingClickNamesTheControlsTheWindowHas) {
  drive::ScriptRunner runner("start\nuntil 310\nclick 310 7\n");
  const auto result = runner.Run([](int, char**) { SelectRecordingModeTabWindow(); });
  ASSERT_FALSE(result.ok);
  EXPECT_EQ(result.failedLine, 3);
  for (const char* named : {"no control 7", "23 default-button \"Selection OK\" dimmed",
                            "102 button \"2 Channels\"", "24 button \"Use Setup File\""})
    EXPECT_NE(result.message.find(named), std::string::npos) << named << "\n" << result.message;
}

}  // namespace
}  // namespace mv
