// The real Sample Rate window under the offscreen platform: clicks, typed intervals,
// the counts, the DataTaker switching on close, and a screenshot of each variant.
#include <charconv>
#include <filesystem>
#include <string>

#include "acquisition/state.h"
#include "devices/state.h"
#include "dialog_steps.h"
#include "files/needs.h"
#include "files/setup_commands.h"
#include "files/state.h"
#include "kit/needs.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/menus.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/channel_dialogs.h"
#include "setup/channel_table.h"
#include "setup/interval_rules.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t kWindow = kIntervalWindow;
constexpr int32_t W = 700;

// The canvas keeps 8 bits per component.
bool Near(RGBColor a, RGBColor b) {
  const auto close = [](int x, int y) { return x - y < 600 && y - x < 600; };
  return close(a.red, b.red) && close(a.green, b.green) && close(a.blue, b.blue);
}

class IntervalWindowTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    PrefsArray[PrefsSlot::WindowWidth] = W;
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::SableUI2;
    nChannels = 4;
    OldChartSpeed = 1.0;
    OldChartSpeedBut = 9;
    ChartIntervalInSeconds = 1.0;
    MaxSamples = 3'600;
    setup_hooks::SwitchDT800ToHIGHSpeed = [this] { calls.push_back("DT800 high"); };
    setup_hooks::SwitchDT800ToLOWSpeed = [this] { calls.push_back("DT800 low"); };
    // A set-up file loaded here lays the strips out and limits the averaging with this
    // floor's own rules.
    files_hooks::SetChanParams = [](int16_t oldHeight, int16_t rescale) {
      SetChanParams(oldHeight, rescale);
    };
    files_hooks::SetupLoadedMaxAverage = [] { MAXAVERAGE(); };
  }
  void TearDown() override {
    files_hooks::ResetFilesHooks();
    DialogTest::TearDown();
  }
  void OpenChart(test::WindowDriver& driver) {
    RunVoid(driver, [] { GetSampleINTERVAL("Chart Channels"); });
  }
  void OpenScope(test::WindowDriver& driver) {
    RunVoid(driver, [] { GetSampleINTERVAL("OSCILLOSCOPE"); });
  }
  static int16_t State(int16_t control) { return rt::ControlState(control); }
};

TEST_F(IntervalWindowTest, ChartVariantForUI2WarnsAtASixtiethWithFourChannels) {
  MaxSamples = 0;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_EQ(rt::WindowTitle(kWindow), " Chart Channels  ( 4 total ) ");
        EXPECT_EQ(MaxSamples, W) << "no count yet: one screen";
        EXPECT_EQ(State(40), 0) << "<< dimmed at one screen";
        EXPECT_EQ(State(9), 2) << "the accepted interval shows selected";
        EXPECT_TRUE(rt::ControlExists(67));
        EXPECT_TRUE(rt::ControlExists(1));
        EXPECT_FALSE(rt::ControlExists(68)) << "1/500 is not offered on a Sable interface";
        EXPECT_EQ(rt::EditText(122), "Maximum time =  23.1 days");
      })
      .Shot(kWindow, Shot("w9-interval-chart-ui2.png"))
      .Click(kWindow, 2)
      .Check([this] {
        EXPECT_EQ(State(2), 2);
        EXPECT_EQ(State(9), 1) << "the previous button returns to plain";
        EXPECT_EQ(Played("bzot.mp3"), 1) << "limit 4 x 0.005 s";
        EXPECT_TRUE(Near(rt::CanvasPixel(330, 186), ChartBackgroundColor)) << "the caution box";
        EXPECT_EQ(rt::EditText(122), "Maximum time =  9.26 hours");
      })
      .Shot(kWindow, Shot("w9-interval-caution.png"))
      .Click(kWindow, 9)
      .Check([] {
        EXPECT_FALSE(Near(rt::CanvasPixel(330, 186), ChartBackgroundColor)) << "caution cleared at 1 s";
      })
      .Click(kWindow, 2)
      .Click(kWindow, 14);
  OpenChart(driver);
  EXPECT_FALSE(rt::WindowExists(kWindow));
  EXPECT_EQ(SampleIntervalinSeconds, 0.01666667);
  EXPECT_EQ(OldChartSpeed, 0.01666667);
  EXPECT_EQ(OldChartSpeedBut, 2);
  EXPECT_EQ(SamplingSpeedCode, 14) << "the last button handled";
  EXPECT_EQ(Action, ActionCode::Redraw);
  EXPECT_FALSE(rt::MenuItemEnabled(4, 15)) << "no beep at every sample below 0.2 s";
  EXPECT_FALSE(rt::MenuItemEnabled(3, 15)) << "no slope trends below 1/30 s";
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "menus off");
  EXPECT_EQ(calls.back(), "menus on");
  EXPECT_EQ(Count("DT800 high") + Count("DT800 low"), 0);
}

TEST_F(IntervalWindowTest, MinusFiftyAtThirtyFloorsAtTen) {
  MaxSamples = 30;
  test::WindowDriver driver;
  driver.WaitFor(kWindow).Click(kWindow, 45).Check([] {
    EXPECT_EQ(MaxSamples, 10);
    EXPECT_EQ(rt::EditText(111), " 10");
    for (int16_t b : {40, 41, 45, 46, 47}) EXPECT_EQ(State(b), 0) << b;
  });
  driver.Click(kWindow, 14);
  OpenChart(driver);
  EXPECT_EQ(Played("bzot.mp3"), 1);
  EXPECT_EQ(MaxSamples, 10);
}

TEST_F(IntervalWindowTest, TimesTenAndDurationButtons) {
  MaxSamples = 1'000;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Click(kWindow, 65)
      .Click(kWindow, 65)
      .Click(kWindow, 65)
      .Check([] {
        EXPECT_EQ(MaxSamples, 1'000'000);
        EXPECT_EQ(State(65), 0) << "ten times more would pass the capacity";
        EXPECT_EQ(State(63), 1);
      })
      .Click(kWindow, 63)
      .Check([] {
        EXPECT_EQ(MaxSamples, 2'000'000);
        EXPECT_EQ(rt::EditText(111), " 2000000");
        EXPECT_EQ(State(63), 0);
        EXPECT_EQ(State(43), 0);
        EXPECT_EQ(State(44), 0);
      })
      .Click(kWindow, 59)
      .Check([] {
        EXPECT_EQ(MaxSamples, 3'600) << "one hour at 1 s";
        EXPECT_EQ(State(44), 1);
      })
      .Then("type 40", test::TypeInto(kWindow, 101, "40"))
      .Click(kWindow, 13)
      .Check([] {
        EXPECT_EQ(SampleIntervalinSeconds, 40.0);
        EXPECT_EQ(State(59), 0) << "100 samples take 4,000 s";
        EXPECT_EQ(State(60), 1);
        EXPECT_EQ(State(13), 2);
        EXPECT_EQ(AltChartInt, 1);
      })
      .Click(kWindow, 14);
  OpenChart(driver);
  EXPECT_EQ(OldChartSpeedBut, 13);
  EXPECT_EQ(OldChartSpeed, 40.0);
  EXPECT_EQ(interval, 40.0f);
  EXPECT_TRUE(rt::MenuItemEnabled(4, 15)) << "beep at sample from 0.2 s";
}

TEST_F(IntervalWindowTest, UseOtherIntervalWithNothingUsableTakesFiveSeconds) {
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Then("type -2", test::TypeInto(kWindow, 101, "-2"))
      .Click(kWindow, 13)
      .Click(kWindow, 14);
  OpenChart(driver);
  EXPECT_EQ(NewInterval, 5.0f);
  EXPECT_EQ(OldChartSpeed, 5.0);
}

TEST_F(IntervalWindowTest, UseOtherKeepsTheTypedIntervalAsTyped) {
  // The interval a run is timed and judged by is the number typed: 0.01 s stays
  // 0.01 s, not the 0.0099999998 s a float makes of it, so it is not below the
  // readouts' 10,000 microsecond limit.
  for (const std::string typed : {"0.01", "0.1", "0.3", "0.033", "2.2"}) {
    test::WindowDriver driver;
    driver.WaitFor(kWindow)
        .Then("type " + typed, test::TypeInto(kWindow, 101, typed))
        .Click(kWindow, 13)
        .Click(kWindow, 14);
    OpenChart(driver);
    double expected = 0;
    std::from_chars(typed.data(), typed.data() + typed.size(), expected);
    EXPECT_EQ(SampleIntervalinSeconds, expected) << typed;
    EXPECT_EQ(OldChartSpeed, expected) << typed;
  }
}

// Return and Selection OK both take a typed interval, and both refuse one the window
// cannot keep.
TEST_F(IntervalWindowTest, ReturnAndSelectionOKCommitTheTypedIntervalAndKeepTheButton) {
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "Selection OK" : "Return");
    OldChartSpeed = 1.0;
    test::WindowDriver driver;
    driver.WaitFor(kWindow).Then("type 0.3", test::TypeInto(kWindow, 101, "0.3", !ok));
    if (ok) driver.Click(kWindow, 14);
    OpenChart(driver);
    EXPECT_FALSE(rt::WindowExists(kWindow));
    EXPECT_EQ(SampleIntervalinSeconds, 0.3);
    EXPECT_EQ(OldChartSpeed, 0.3);
    EXPECT_EQ(OldChartSpeedBut, 9);
    EXPECT_EQ(SamplingSpeedCode, ok ? 14 : 0) << "no rate button was clicked";
  }
}

// Beyond one sample a day an interval could not be kept in a set-up file.
TEST_F(IntervalWindowTest, AnIntervalOfZeroNoNumberOrBeyondTheLimitsIsRefused) {
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "Selection OK" : "Return");
    const int buzzed = Played("bzot.mp3");
    test::WindowDriver driver;
    driver.WaitFor(kWindow);
    for (const char* typed : {"0", "x", "100000", "-1"}) {
      driver.Then(std::string(typed) + " and commit", test::TypeInto(kWindow, 101, typed, !ok));
      if (ok) driver.Click(kWindow, 14);
      driver.Check([typed] {
        EXPECT_TRUE(rt::WindowExists(kWindow)) << typed << " refused: the window stays";
        EXPECT_EQ(rt::EditText(101), " 1") << "the field shows the interval in force again";
      });
    }
    driver.Click(kWindow, 14);
    OpenChart(driver);
    EXPECT_FALSE(rt::WindowExists(kWindow));
    EXPECT_EQ(Played("bzot.mp3") - buzzed, 4);
    EXPECT_EQ(OldChartSpeed, 1.0);
  }
}

// A set-up saved at 0.1 s comes back at 0.1 s, and the window opens with the
// 1/10 second button selected.
TEST_F(IntervalWindowTest, ASetupSavedAtATenthOfASecondOpensWithItsButtonSelected) {
  OldChartSpeed = ChartIntervalInSeconds = 0.1;
  ScopeIntervalInSeconds = 0.01;
  ShowXYPlot = 1;  // strips laid out afresh without asking
  const auto path = test::MakeTempDir("interval-setup") / "tenth.MVsetup";
  ASSERT_TRUE(WriteSetupFile(path.string()));
  OldChartSpeed = ChartIntervalInSeconds = 1.0;
  OldChartSpeedBut = 9;
  ASSERT_TRUE(LoadSetupFile(path.string()));
  EXPECT_EQ(ChartIntervalInSeconds, 0.1);
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Shot(kWindow, Shot("w9-interval-after-setup-load.png"))
      .Check([] {
        EXPECT_EQ(State(6), 2) << "1/10 second";
        EXPECT_EQ(State(9), 1) << "1 second";
        EXPECT_EQ(rt::EditText(101), " 0.1");
      })
      .Click(kWindow, 14);
  OpenChart(driver);
  EXPECT_EQ(OldChartSpeed, 0.1);
  std::filesystem::remove_all(path.parent_path());
}

TEST_F(IntervalWindowTest, UseOtherIntervalBeyondTheLimitsTakesTheNearestLimit) {
  for (const auto& [typed, taken] : {std::pair{"1e9", 86'400.0}, {"0.00001", 0.0002}}) {
    test::WindowDriver driver;
    driver.WaitFor(kWindow).Then(typed, test::TypeInto(kWindow, 101, typed)).Click(kWindow, 13).Click(kWindow, 14);
    OpenChart(driver);
    EXPECT_EQ(NewInterval, static_cast<float>(taken)) << typed;
    EXPECT_EQ(OldChartSpeed, taken) << typed << ": the limit itself, not its float rounding";
  }
}

TEST_F(IntervalWindowTest, DT800SwitchesToHighSpeedAtATwentieth) {
  External_AD = ExternalADCode::DT800;
  nChannels = 1;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_FALSE(rt::ControlExists(1)) << "no 1/125 s on a DT800 chart";
        EXPECT_FALSE(rt::ControlExists(67));
      })
      .Shot(kWindow, Shot("w9-interval-chart-dt800.png"))
      .Click(kWindow, 4)
      .Click(kWindow, 14);
  OpenChart(driver);
  EXPECT_EQ(DT800FastAcquisitionMode, 1);
  EXPECT_EQ(Count("DT800 high"), 1);
  EXPECT_EQ(Count("DT800 low"), 0);
}

TEST_F(IntervalWindowTest, DT800SwitchesToHighAccuracyAtATenth) {
  External_AD = ExternalADCode::DT800;
  DT800FastAcquisitionMode = 1;
  test::WindowDriver driver;
  driver.WaitFor(kWindow).Click(kWindow, 6).Click(kWindow, 14);
  OpenChart(driver);
  EXPECT_EQ(DT800FastAcquisitionMode, 0);
  EXPECT_EQ(Count("DT800 low"), 1);
  EXPECT_EQ(Count("DT800 high"), 0);
}

TEST_F(IntervalWindowTest, DemonstrationChartOffersTheFastestPresets) {
  External_AD = ExternalADCode::Demonstration;
  DemonstrationMODE = 1;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        for (int16_t b : {68, 67, 1, 2, 31, 13}) EXPECT_TRUE(rt::ControlExists(b)) << b;
      })
      .Shot(kWindow, Shot("w9-interval-chart-demo.png"))
      .Click(kWindow, 68)
      .Click(kWindow, 14);
  OpenChart(driver);
  EXPECT_EQ(OldChartSpeed, 0.002);
}

TEST_F(IntervalWindowTest, ScopeVariantOnADataTakerLimitsTheTrace) {
  RecordingMODE = RecordingModeCode::Scope;
  External_AD = ExternalADCode::DT800;
  nChannels = 1;
  ScopeMax = 10'000;
  OldScopeSpeed = 0.01666667;
  OldScopeSpeedBut = 2;
  ChannelVariables[1][ChanField::Averaged] = 3.0f;
  ScopeScale = 1;
  Vmax = 2.5f;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_EQ(rt::WindowTitle(kWindow), " OSCILLOSCOPE ");
        for (int16_t b : {1, 20, 21, 22, 23, 24}) EXPECT_TRUE(rt::ControlExists(b)) << b;
        EXPECT_FALSE(rt::ControlExists(13)) << "no typed interval in the scope variant";
        EXPECT_EQ(rt::ControlTitle(1), ".008 second (1/125)");
        EXPECT_EQ(ScopeScale, 0);
        EXPECT_EQ(Vmax, 5.0f);
        EXPECT_EQ(ChannelVariables[1][ChanField::PlotMin], -5.0f);
      })
      .Click(kWindow, 20)
      .Check([] {
        EXPECT_EQ(ScopeMax, 4'096);
        EXPECT_EQ(rt::EditText(108), "4096");
        EXPECT_EQ(PrefsArray[PrefsSlot::DT800FastScope], 1);
        EXPECT_EQ(scopeinterval, 0.004f);
        EXPECT_EQ(rt::EditText(1112), "about 52 seconds");
      })
      .Shot(kWindow, Shot("w9-interval-scope-dt800.png"))
      .Click(kWindow, 14);
  OpenScope(driver);
  EXPECT_EQ(OldScopeSpeed, 0.004);
  EXPECT_EQ(OldScopeSpeedBut, 20);
  EXPECT_EQ(Kfloat, 10.0f);
  EXPECT_EQ(ChannelVariables[1][ChanField::Averaged], 1.0f);
  EXPECT_EQ(Count("DT800 low"), 1) << "oscilloscope mode: high accuracy for the chart readings";
}

TEST_F(IntervalWindowTest, ScopeTraceButtonsStepByOneScreen) {
  RecordingMODE = RecordingModeCode::Scope;
  External_AD = ExternalADCode::SableUI3;
  nChannels = 1;
  ScopeMax = 0;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_EQ(ScopeMax, W);
        EXPECT_TRUE(rt::ControlExists(67));
        EXPECT_FALSE(rt::ControlExists(20));
      })
      .Click(kWindow, 19)
      .Check([] { EXPECT_EQ(ScopeMax, 2 * W); })
      .Click(kWindow, 39)
      .Check([] {
        EXPECT_EQ(ScopeMax, 16'384);
        EXPECT_EQ(State(19), 0);
        EXPECT_EQ(State(17), 1);
      })
      .Click(kWindow, 17)
      .Shot(kWindow, Shot("w9-interval-scope-ui3.png"))
      .Click(kWindow, 14);
  OpenScope(driver);
  EXPECT_EQ(ScopeMax, W);
  EXPECT_EQ(PrefsArray[PrefsSlot::DT800FastScope], 0);
}

TEST_F(IntervalWindowTest, ScopeWindowOfScopePlusChartOffersNoHighSpeed) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  External_AD = ExternalADCode::DT800;
  nChannels = 3;
  PrefsArray[PrefsSlot::DT800FastScope] = 1;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        for (int16_t b : {1, 20, 67}) EXPECT_FALSE(rt::ControlExists(b)) << b;
        EXPECT_EQ(rt::EditText(20),
                  "High-speed sampling is not usable in 'Scope plus Chart' mode with a DT800");
      })
      .Click(kWindow, 3)
      .Shot(kWindow, Shot("w9-interval-scope-chart-dt800.png"))
      .Click(kWindow, 14);
  OpenScope(driver);
  EXPECT_EQ(PrefsArray[PrefsSlot::DT800FastScope], 0) << "a preset ends high-speed sampling";
  EXPECT_EQ(OldScopeSpeed, 2 * 0.01666667);
  EXPECT_EQ(Count("DT800 low"), 1);
}

TEST_F(IntervalWindowTest, DemonstrationScopeShowsTheRealConvertersNote) {
  RecordingMODE = RecordingModeCode::Scope;
  External_AD = ExternalADCode::Demonstration;
  DemonstrationMODE = 1;
  nChannels = 1;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_TRUE(rt::ControlExists(67));
        EXPECT_FALSE(rt::ControlExists(20));
      })
      .Shot(kWindow, Shot("w9-interval-scope-demo.png"))
      .Click(kWindow, 67)
      .Click(kWindow, 14);
  OpenScope(driver);
  EXPECT_EQ(OldScopeSpeed, 0.004);
  EXPECT_EQ(PrefsArray[PrefsSlot::DT800FastScope], 0) << "no high-speed scope without a DataTaker";
}

TEST_F(IntervalWindowTest, ChartWindowOfScopePlusChartLeavesTheScopeIntervalAlone) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  nChannels = 3;
  scopeinterval = 0.004f;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] { EXPECT_EQ(rt::WindowTitle(kWindow), " Chart Channels  ( 2 total ) "); })
      .Click(kWindow, 10)
      .Click(kWindow, 14);
  OpenChart(driver);
  EXPECT_EQ(OldChartSpeed, 2.0);
  EXPECT_EQ(scopeinterval, 0.004f);
}

TEST_F(IntervalWindowTest, BackupBoxSetsTheIntervalAndTheMenuMark) {
  PrefsArray[PrefsSlot::AutomaticBackup] = 0;
  TimedSaveINTERVAL = 0;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] { EXPECT_EQ(rt::EditText(109), "(off)"); })
      .Click(kWindow, 100)
      .Check([] {
        EXPECT_EQ(TimedSaveINTERVAL, 36'000) << "ten minutes when nothing usable was typed";
        EXPECT_EQ(rt::EditText(109), " 10");
        EXPECT_TRUE(rt::MenuItemChecked(1, 7));
        EXPECT_EQ(State(100), 2);
      })
      .Then("15 minutes", test::TypeInto(kWindow, 109, "15"))
      .Click(kWindow, 14);
  OpenChart(driver);
  EXPECT_EQ(TimedSaveINTERVAL, 54'000) << "read again on closing";
  EXPECT_EQ(PrefsArray[PrefsSlot::AutomaticBackup], 1);

  test::WindowDriver again;
  again.WaitFor(kWindow).Click(kWindow, 100).Click(kWindow, 14);
  OpenChart(again);
  EXPECT_EQ(TimedSaveINTERVAL, 0);
  EXPECT_FALSE(rt::MenuItemChecked(1, 7));
}

TEST_F(IntervalWindowTest, MenuChoicesAreDroppedButQuitKeepsItsGuard) {
  rt::SetMenuItem(1, 14, "Quit");
  rt::SetMenuItemKey(1, 14, 'Q');
  int quits = 0;
  services::Quit = [&] { ++quits; };
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Then("choose View 5", test::ChooseMenu(3, 5))
      .Check([] {
        EXPECT_TRUE(rt::WindowExists(kWindow));
        EXPECT_EQ(MENUID, 0);
      })
      .Then("choose Quit", test::ChooseMenu(1, 14))
      .Check([&] { EXPECT_EQ(quits, 1) << "through the Quit procedure, not an exit"; })
      .Click(kWindow, 14);
  OpenChart(driver);
}

TEST_F(IntervalWindowTest, WeirdSoundsAddTheDelayedRemark) {
  PrefsArray[PrefsSlot::WeirdSounds] = 1;
  Sound_Is_On = 1;
  rt::SeedRandom(77);
  const bool remark = rt::Rnd(5) >= 3;
  rt::SeedRandom(77);
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([this] { EXPECT_EQ(Played("boop.mp3"), 1); })
      .Click(kWindow, 2)
      .Check([this] { EXPECT_EQ(Played("don't try that.mp3"), 0) << "not before 600 ms"; })
      .Check([] { rt::AdvanceVirtualClock(0.7); })
      .Then("a pass", [] { return true; })
      .Check([this, remark] { EXPECT_EQ(Played("don't try that.mp3"), remark ? 1 : 0); })
      .Click(kWindow, 14);
  OpenChart(driver);
}

TEST_F(IntervalWindowTest, ClosingMarksTheLastChannelContinuousAndSetsTheLimit) {
  PrefsArray[PrefsSlot::AverageLastChannel] = 1;
  ChannelVariables[4][ChanField::Averaged] = 5.0f;
  External_AD = ExternalADCode::DT800;
  ChartIntervalInSeconds = 10.0;
  nChannels = 2;
  test::WindowDriver driver;
  driver.WaitFor(kWindow).Click(kWindow, 14);
  OpenChart(driver);
  EXPECT_EQ(MaxAvrg, 17) << "from the chart interval in force";
  EXPECT_EQ(ChannelVariables[2][ChanField::Averaged], 0.0f);
  EXPECT_EQ(ChannelVariables[4][ChanField::Averaged], 5.0f) << "rows beyond the channels stay";
}

}  // namespace
}  // namespace mv
