// The options window after a run: closing the run, its keys, each command's outcome
// in slot 43, the guarded restart, quick save, replay, quit with the shutdown
// message, and its report windows.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "acquisition/fast_scope.h"
#include "acquisition/state.h"
#include "common/store_summary_check.h"
#include "control/state.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "files/shutdown_message.h"
#include "files/state.h"
#include "kit/format.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/options_window.h"
#include "shell/run_reports.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using namespace MenuNumber;
constexpr int16_t W = kOptionsWindow;
constexpr int16_t kGuard = 1776;

class OptionsWindowTest : public test::ControlLoopTest {
 protected:
  void SetUp() override {
    ControlLoopTest::SetUp();
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::Demonstration;
    DemonstrationMODE = 1;
    nChannels = 2;
    Sample = 40;
    TimedSaveINTERVAL = 0;
    commands::DRAWSCREEN = NoteWith("DRAWSCREEN");
    commands::SAVEFILES = [this] {
      calls.push_back("SAVEFILES");
      if (saveWorks) {
        PrefsArray[PrefsSlot::LastRunSaved] = 1;
        filestrings.dataFile = "run 1.kstr";
      }
    };
    commands::DISPLAYSETUP = Note("DISPLAYSETUP");
    commands::MAKESETUP = Note("MAKESETUP");
    commands::SHOWROOTFILE = Note("SHOWROOTFILE");
    commands::TURNVALVESOFF = Note("TURNVALVESOFF");
    commands::CHECKSAMPLERATE = [this](float, int16_t show) {
      calls.push_back("CHECKSAMPLERATE " + std::to_string(show));
    };
    acq_hooks::REPLAY = [this](int16_t flag) { calls.push_back("REPLAY " + std::to_string(flag)); };
    acq_hooks::AutoTimedBACKUP = [this](int16_t f) {
      calls.push_back("AutoTimedBACKUP " + std::to_string(f));
    };
  }
  // The window's title as shown (the builder pads it with a blank each side).
  static std::string Title() { return rt::WindowTitle(W).str(); }
  bool saveWorks = true;
};

// ---- rules ------------------------------------------------------------------------------------

TEST_F(OptionsWindowTest, SampleCountTheButtonsOfEachModeAndTheSpikeReport) {
  EXPECT_EQ(OptionsWindowTitle(RecordingModeCode::ScopeChart, 1234567), "Chart Halted at 1234567 Samples");
  EXPECT_TRUE(ShowsRootNameButton(RecordingModeCode::Chart, 1)) << "a repeating chart names its files";
  EXPECT_TRUE(CutChannelsEnabled(RecordingModeCode::Chart, 11));
  EXPECT_FALSE(CutChannelsEnabled(RecordingModeCode::Chart, 12));
  EXPECT_FALSE(CutChannelsEnabled(RecordingModeCode::ScopeChart, 5));
  EXPECT_EQ(SpikeReportFor(1, 0).label + SpikeReportFor(1, 0).result, "chan 1:    no spikes detected");
  EXPECT_TRUE(SpikeReportFor(1, 0).noSpikes);
  EXPECT_EQ(SpikeReportFor(12, 1).result, " 1 spike removed");
  EXPECT_EQ(SpikeReportFor(3, 27).result, " 27 spikes removed");
}

TEST_F(OptionsWindowTest, ScopeChartFixUpNeverCopiesAnEarlierRun) {
  for (int32_t col = 0; col <= 2; ++col) ChartDataArray.Set(2, col, 9.0f);  // an earlier run's values
  ChartDataArray.Set(1, 0, 1.0f);
  FillScopeChartStartColumns(2, 1);
  EXPECT_EQ(ChartDataArray.Get(2, 0), 9.0f) << "column 2 was not written in this run";
  ChartDataArray.Set(2, 2, 5.0f);
  ChartDataArray.Set(3, 2, 6.0f);
  FillScopeChartStartColumns(3, 2);
  EXPECT_EQ(ChartDataArray.Get(2, 0), 5.0f);
  EXPECT_EQ(ChartDataArray.Get(3, 0), 6.0f);
  EXPECT_EQ(ChartDataArray.Get(1, 0), 1.0f) << "the scope channel keeps its own";
}

// The first chart point (column 1, the file's sample 0) is a reading of its own: the
// fix-up after the run must not put the second point's value over it.
TEST_F(OptionsWindowTest, ScopeChartFixUpLeavesTheFirstChartPointItsOwnReading) {
  for (int32_t col = 1; col <= 3; ++col) {
    ChartDataArray.Set(2, col, 10.0f * col);
    ChartDataArray.Set(3, col, 100.0f * col);
  }
  FillScopeChartStartColumns(3, 3);
  EXPECT_EQ(ChartDataArray.Get(2, 1), 10.0f);
  EXPECT_EQ(ChartDataArray.Get(3, 1), 100.0f);
  EXPECT_EQ(ChartDataArray.Get(2, 0), 20.0f) << "the column no point fills takes column 2's value";
}

TEST_F(OptionsWindowTest, ScopeChartFixUpKeepsTheStoreSummaryRight) {
  // A run's first column rewritten over a wide group: the group's only extreme goes.
  for (int32_t col = 0; col < 200; ++col) ChartDataArray.Set(2, col, col < 1 ? -50.0f : col * 0.5f);
  FillScopeChartStartColumns(2, 199);
  EXPECT_EQ(ChartDataArray.Get(2, 0), 1.0f);
  test::ExpectSummaryMatchesValues(ChartDataArray, 2, 200, "the scope-plus-chart start column filled");
}

// ---- the window ----------------------------------------------------------------------------------

TEST_F(OptionsWindowTest, ClosingTheRunAndEveryStayingCommand) {
  TimedSaveINTERVAL = 3600;
  PrefsArray[PrefsSlot::AutomaticBackup] = 1;
  PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
  voltagespikes[2] = 3;
  alarmsArray[1][AlarmField::AnyOn] = 1.0f;
  alarmsArray[1][AlarmField::UpperOn] = 1.0f;
  rt::OpenWindow(1, "acquisition", Rect{0, 40, 400, 300}, 6);
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Check([this] {
        EXPECT_EQ(Title(), " Chart Halted at 40 Samples ") << "the count every file of the run holds";
        EXPECT_EQ(nSamples, 40);
        EXPECT_FALSE(rt::WindowExists(1)) << "the acquisition window closes";
        EXPECT_TRUE(rt::WindowExists(kSpikeReportWindow));
        EXPECT_TRUE(PlayedFile("MVtimerSounds/ahem.mp3")) << "alarms were set and kinds chosen";
        rt::SetOutputWindow(W);
        EXPECT_TRUE(rt::ControlExists(OptionsButton::Alarms));
        EXPECT_FALSE(rt::ControlExists(OptionsButton::RootName));
        EXPECT_EQ(State(File, 10), 1);
        EXPECT_TRUE(rt::SaveWindowImage(W, (test::TestOutputDir() / "w112-options.png").string()));
        EXPECT_TRUE(
            rt::SaveWindowImage(kSpikeReportWindow, (test::TestOutputDir() / "w24-spikes.png").string()));
      })
      .Key('s')
      .Check([this] {
        EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], OptionsOutcome::Saved);
        EXPECT_TRUE(rt::WindowExists(kSavedNoticeWindow));
      })
      .Key('\r')
      .Key('a')
      .Check([this] { EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], OptionsOutcome::SubWindow); })
      .Key('M')
      .Key('c')
      .Click(OptionsButton::RateCheck)
      .Check([this] { EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], OptionsOutcome::Stay); })
      .Click(OptionsButton::ChangeMode);
  OPTIONSWINDOW();
  EXPECT_TRUE(driver.Finished());
  EXPECT_EQ(calls,
            (std::vector<std::string>{"AutoTimedBACKUP 1", "CHECKSAMPLERATE 1", "SAVEFILES", "SAVEFILES",
                                      "DISPLAYSETUP", "MAKESETUP", "SHOWROOTFILE", "CHECKSAMPLERATE 1"}));
  EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], OptionsOutcome::ChangeMode);
  EXPECT_EQ(RecordingMODE, 0);
  EXPECT_FALSE(rt::WindowExists(W));
}

TEST_F(OptionsWindowTest, TheSetupCanBeSavedAndPrintedAfterEveryCommandThatStays) {
  struct Step {
    const char* what;
    int32_t key;  // 0: click the button
    int16_t button;
  };
  const Step steps[] = {{"a save", 's', 0},
                        {"a set-up file written or cancelled", 'M', 0},
                        {"the acquisition parameters", 'a', 0},
                        {"the rate check", 0, OptionsButton::RateCheck}};
  test::LoopDriver driver;
  driver.WaitFor(W);
  for (const Step& step : steps) {
    if (step.key != 0) driver.Key(step.key);
    if (step.key == 0) driver.Click(step.button);
    driver.Check([this, what = step.what] {
      EXPECT_EQ(State(File, 10), 1) << "Save Setup File... after " << what;
      EXPECT_EQ(State(File, 11), 1) << "Print Setup Data... after " << what;
    });
  }
  driver.Click(OptionsButton::ChangeMode);
  OPTIONSWINDOW();
  EXPECT_TRUE(driver.Finished());
  EXPECT_EQ(State(File, 10), 0) << "back to the mode choice: no set-up to save";
  EXPECT_EQ(State(File, 11), 0);
}

TEST_F(OptionsWindowTest, RestartAsksTheGuardAndStartsTheScreenAgain) {
  PrefsArray[PrefsSlot::WarnUnsaved] = 1;
  alarmsArray[2][AlarmField::UpperCount] = 5.0f;
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Click(OptionsButton::Restart)
      .WaitFor(kGuard)
      .Click(1)  // "NO -- Save Data First"
      .Check([this] { EXPECT_FALSE(Called("DRAWSCREEN 1")); })
      .Key('r')
      .WaitFor(kGuard)
      .Click(2);  // "Yes -- OK to Proceed"
  OPTIONSWINDOW();
  EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], OptionsOutcome::Rerun);
  EXPECT_EQ(RecordingMODE, RecordingModeCode::Chart) << "a rerun keeps the mode";
  EXPECT_EQ(Count("DRAWSCREEN 1"), 1);
  EXPECT_TRUE(Called("TURNVALVESOFF"));
  EXPECT_EQ(alarmsArray[2][AlarmField::UpperCount], 0.0f);
  EXPECT_FALSE(rt::WindowExists(W));
}

TEST_F(OptionsWindowTest, SavesThatFailKeepTheRunGuardedAndShowNoSavedNotice) {
  PrefsArray[PrefsSlot::WarnUnsaved] = 1;
  saveWorks = false;
  filestrings.dataFile = "last week.kstr";
  bool written = false;
  commands::QuickSAVE = [&] {
    calls.push_back("QuickSAVE");
    return written;
  };
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Click(OptionsButton::Save)
      .Check([] { EXPECT_FALSE(rt::WindowExists(kSavedNoticeWindow)); })
      .Click(OptionsButton::QuickSave)
      .Check([&] {
        EXPECT_TRUE(rt::WindowExists(W)) << "the run stays for a real save";
        EXPECT_FALSE(rt::WindowExists(kGuard));
        written = true;
      })
      .Click(OptionsButton::QuickSave);
  OPTIONSWINDOW();
  EXPECT_TRUE(Called("SAVEFILES"));
  EXPECT_EQ(Count("QuickSAVE"), 2);
  EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], OptionsOutcome::Rerun) << "a saved run restarts unasked";
  EXPECT_EQ(PrefsArray[PrefsSlot::WarnUnsaved], 1) << "the warning comes back";
}

// A DT800 that never answers a fast-scope block stops the run: the options window
// that replaces the recording screen says why, and opens without waiting for the
// silent logger a second time.
TEST_F(OptionsWindowTest, ASilentLoggerStopsTheFastScopeAndTheWindowSaysWhy) {
  RecordingMODE = RecordingModeCode::Scope;
  External_AD = ExternalADCode::DT800;
  DemonstrationMODE = 0;
  PrefsArray[PrefsSlot::DT800FastScope] = 1;
  ScopeMax = 100;
  ScopeIntervalInSeconds = 0.002;
  InstallSerialPort(std::make_unique<ScriptedSerialPort>());  // nothing ever comes
  HIGHSPEEDIO();
  ASSERT_EQ(EscapeKeyHit, 1) << "the run stops";
  const double stopped = GetCurrentTimeInSeconds();
  double opened = 0;
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Check([&] {
        opened = GetCurrentTimeInSeconds();
        rt::SetOutputWindow(W);
        ASSERT_TRUE(rt::EditFieldExists(kStopReasonField));
        EXPECT_EQ(rt::EditText(kStopReasonField), kFastScopeNoReplyText);
        EXPECT_TRUE(rt::SaveWindowImage(W, (test::TestOutputDir() / "w112-options-no-reply.png").string()));
      })
      .Click(OptionsButton::ChangeMode);
  OPTIONSWINDOW();
  CloseSerialPort();
  EXPECT_TRUE(driver.Finished());
  EXPECT_LT(opened - stopped, 1.0) << "the logger's buffer is emptied without waiting for an answer";
}

TEST_F(OptionsWindowTest, ReplayNeverTakesASampleOffTheRun) {
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Click(OptionsButton::Replay)
      .WaitFor(W)
      .Click(OptionsButton::Replay)
      .WaitFor(W)
      .Check([this] { EXPECT_EQ(Title(), " Chart Halted at 40 Samples "); })
      .Click(OptionsButton::Restart);
  OPTIONSWINDOW();
  EXPECT_EQ(Count("REPLAY 1"), 2);
  EXPECT_EQ(PrefsArray[PrefsSlot::GuardAnswer], OptionsOutcome::Rerun);
}

TEST_F(OptionsWindowTest, NoSampleRunNeverCountsMinusOneAndAlarmsWithoutKindsShowNoAlarmButton) {
  Sample = 0;
  PrefsArray[PrefsSlot::WarnUnsaved] = 1;
  alarmsArray[1][AlarmField::AnyOn] = 1.0f;
  alarmsArray[3][AlarmField::LowerOn] = 1.0f;  // channel 3 is not in use
  alarmsArray[2][AlarmField::LowerOn] = 0.5f;  // truncated to 0
  EXPECT_TRUE(TakeAlarmSummary(2).alarmsSet);
  EXPECT_FALSE(TakeAlarmSummary(2).kindsChosen);
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Check([this] {
        EXPECT_EQ(Title(), " Chart Halted at 0 Samples ");
        rt::SetOutputWindow(W);
        EXPECT_FALSE(rt::ControlExists(OptionsButton::Alarms));
      })
      .Click(OptionsButton::ChangeMode);
  OPTIONSWINDOW();
  EXPECT_EQ(Sample, 0);
  EXPECT_EQ(nSamples, 0);
  EXPECT_EQ(RecordingMODE, 0) << "nothing to lose: no guard";
}

TEST_F(OptionsWindowTest, ScopeModeShowsItsRootNameAndNoReplay) {
  RecordingMODE = RecordingModeCode::Scope;
  nChannels = 1;
  std::string root;
  commands::ScopeOrRepeatFileRoot = [&](const Str255& r) { root = r.str(); };
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Check([this] {
        EXPECT_EQ(Title(), " Oscilloscope Acquisition Halted ");
        rt::SetOutputWindow(W);
        EXPECT_FALSE(rt::ControlExists(OptionsButton::Replay));
        // The picture buttons carry what their pictures read, for a listing or a reader.
        EXPECT_EQ(rt::ControlTitle(OptionsButton::Restart).str(), "Record again");
        EXPECT_EQ(rt::ControlTitle(OptionsButton::Save).str(), "Save data");
        EXPECT_EQ(rt::ControlTitle(OptionsButton::QuickSave).str(), "Quick save");
        EXPECT_EQ(rt::ControlTitle(OptionsButton::ChangeMode).str(), "Change recording mode");
      })
      .Key('C')
      .Click(OptionsButton::ChangeMode);
  OPTIONSWINDOW();
  EXPECT_EQ(root, "Scope");
  EXPECT_EQ(ScopeCount, 0);
}

TEST_F(OptionsWindowTest, QuitShowsTheShutdownMessageAndEndsWithStatusZero) {
  const auto config = test::MakeTempDir("options-config");
  setenv("MV_CONFIG_DIR", config.c_str(), 1);
  ASSERT_TRUE(WriteShutdownMessage("Close the nitrogen valve before you leave the lab"));
  PrefsArray[PrefsSlot::ShutdownMessage] = 1;
  Sound_Is_On = 0;
  test::LoopDriver driver;
  driver.WaitFor(W)
      .Click(OptionsButton::Quit)
      .WaitFor(kShutdownWindow)
      .Check([] {
        rt::SetOutputWindow(kShutdownWindow);
        EXPECT_EQ(rt::EditText(1), "Close the nitrogen valve before you leave the lab");
        rt::SaveWindowImage(kShutdownWindow, (test::TestOutputDir() / "w666-shutdown.png").string());
      })
      .Click(kShutdownDismissButton);
  EXPECT_EQ(test::ExitStatusOf(OPTIONSWINDOW), 0);
  EXPECT_FALSE(Called("TURNVALVESOFF")) << "nothing to switch off in demonstration mode";
  EXPECT_TRUE(PlayedFile("rip.mp3")) << "sounds are switched on for the message";
  unsetenv("MV_CONFIG_DIR");
  std::filesystem::remove_all(config);
}

}  // namespace
}  // namespace mv
