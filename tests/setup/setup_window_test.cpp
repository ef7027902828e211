// The real set-up window under the offscreen platform: its rows on large and low
// displays, the read-back, the count buttons, the input check, adding and cutting
// channels, the menu commands it answers and the ways out, with screenshots.
#include "setup/setup_window.h"

#include <cstdlib>
#include <functional>
#include <string>

#include "acquisition/state.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "dialog_steps.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/delete_channels.h"
#include "setup/needs.h"
#include "setup/setup_window_rules.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t kWindow = kSetupWindow;
constexpr int32_t W = 1280;

class SetupWindowTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    UseDisplay("1280x800");
    for (int16_t menu : {2, 112}) {
      rt::NewMenu(menu, "menu");
      for (int16_t i = 1; i <= 25; ++i) rt::SetMenuItem(menu, i, "item");
    }
    rt::SetMenuBar({1, 2, 3, 4});
    Sound_Is_On = 1;
    // The per-channel dialogs of an added channel change nothing here.
    setup_hooks::SELECTCHANNEL = [this](int16_t ch, int16_t) {
      calls.push_back("SELECTCHANNEL " + std::to_string(ch));
      return false;
    };
    setup_hooks::SCALE = [](int16_t) { return false; };
    setup_hooks::AVERAGING = [](int16_t) { return false; };
    PrefsArray[PrefsSlot::WindowWidth] = W;
    PrefsArray[PrefsSlot::WindowHeight] = 768;
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::ADC1;  // 16 inputs, one for each channel
    MaximumChans = 16;
    ChartIntervalInSeconds = 1.0;
    MaxSamples = 3'600;
    // The dispatcher's part in the commands the window answers.
    setup_hooks::DoMENU = [this](int16_t menu, int16_t menuItem) {
      calls.push_back("menu " + std::to_string(menu) + " " + std::to_string(menuItem));
      MENUID = menu;
      item = menuItem;
      if (menu == 2 && (menuItem == 16 || menuItem == 17) && DispSetupON != 0) {
        Action = ActionCode::Click;
        EventID = menuItem == 17 && RecordingMODE == RecordingModeCode::ScopeChart ? 8 : 1;
      } else if (menu == 4 && menuItem == 21) {
        Action = ActionCode::ChannelsChanged;
      }
    };
    setup_hooks::CHECKCHANNEL = [this](int16_t ch) {
      calls.push_back("CHECKCHANNEL " + std::to_string(ch));
      averagedWhenTested = ChannelVariables[ch][ChanField::Averaged];
    };
    setup_hooks::SetADAM = [this](int16_t ch, int16_t show) {
      calls.push_back("SetADAM " + std::to_string(ch) + " " + std::to_string(show));
    };
    setup_hooks::TRIGGER = [this] {
      calls.push_back("TRIGGER");
      TriggerON = 1;
      TriggerChan = 1;  // as activating it in the window marks channel 1
    };
  }
  void TearDown() override {
    unsetenv("MV_DISPLAY_SIZE");
    DialogTest::TearDown();
  }
  static void UseDisplay(const char* size) { setenv("MV_DISPLAY_SIZE", size, 1); }

  // n linear channels on inputs 1..n, ranges -5..5, 10 readings averaged, labelled.
  static void SetChannels(int16_t n) {
    nChannels = n;
    BlankChannelLabels();
    for (int16_t c = 1; c <= n; ++c) {
      auto& r = ChannelVariables[c];
      r[ChanField::Input] = c;
      r[ChanField::A] = 0.0f;
      r[ChanField::B] = 1.0f;
      r[ChanField::C] = 0.0f;
      r[ChanField::PlotMax] = 5.0f;
      r[ChanField::PlotMin] = -5.0f;
      r[ChanField::Averaged] = 10.0f;
      ChannelVariables[0][c] = 1.0f;
      SetChannelLabel(c, "channel " + std::to_string(c));
    }
  }
  void Open(test::WindowDriver& driver) {
    RunVoid(driver, [] { DISPLAYSETUP(); });
  }
  static int16_t State(int16_t control) { return rt::ControlState(control); }
  // A step that waits until the window's loop has finished what the last step began
  // (other windows may pump events on the way) and the condition holds.
  static test::WindowDriver::Step Settled(std::function<bool()> condition) {
    return
        [condition] { return rt::OutputWindow() == kWindow && rt::FrontWindow() == kWindow && condition(); };
  }
  static std::string Text(int16_t field) { return rt::EditText(field); }

  float averagedWhenTested = -1;
};

TEST_F(SetupWindowTest, ChartWithSixteenChannelsOnA1280x800Display) {
  SetChannels(16);
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_EQ(rt::WindowTitle(kWindow), " CHART Mode Acquisition Parameters ");
        const Rect r = rt::WindowContentRect(kWindow);
        EXPECT_EQ(r.height(), 604) << "499 and the extra 105";
        EXPECT_LE(r.bottom, 800);
        for (int16_t c = 1; c <= 16; ++c) EXPECT_TRUE(rt::EditFieldExists(LabelField(c))) << c;
        EXPECT_FALSE(rt::ControlExists(SetupItem::RowsDown)) << "every row fits";
        EXPECT_EQ(State(SetupItem::Add), 0) << "16 channels";
        EXPECT_EQ(State(SetupItem::Cut), 1);
        EXPECT_EQ(State(SetupItem::ScreenView), 1);
        EXPECT_FALSE(rt::MenuItemEnabled(4, 21));
        EXPECT_TRUE(rt::MenuItemEnabled(2, 2)) << "re-arrange";
        EXPECT_EQ(rt::ControlTitle(SetupItem::LastAveraging), "10") << "the last channel's button";
        EXPECT_EQ(rt::ControlTitle(InputButton(12)), "12");
        EXPECT_EQ(Text(LabelField(9)), "channel 9");
        EXPECT_EQ(Text(MinField(1)), "-5");
        EXPECT_EQ(Text(CoefficientField(1, 1)), " 1");
        EXPECT_EQ(Text(SetupItem::ChartCount), "3600");
        EXPECT_EQ(DispSetupON, 1);
      })
      .Shot(kWindow, Shot("w104-setup-chart-16-1280x800.png"))
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
  EXPECT_FALSE(rt::WindowExists(kWindow));
  EXPECT_EQ(FinishFlag, 1);
  EXPECT_EQ(StartOver, 0);
  EXPECT_EQ(Action, ActionCode::Redraw);
  EXPECT_EQ(DispSetupON, 0);
  EXPECT_FALSE(rt::MenuItemEnabled(4, 0)) << "menus off for the run";
  EXPECT_EQ(ChannelVariables[16][ChanField::Averaged], 10.0f);
  EXPECT_EQ(ChannelLabel(16), "channel 16                    ");
}

// The coefficient fields show the numbers the user typed, not the rounding noise of
// their single-precision values ("0.0636100024"), and give back the same floats.
TEST_F(SetupWindowTest, CoefficientFieldsShowTheirOwnDigits) {
  SetChannels(2);
  ChannelVariables[2][ChanField::A] = 0.06361f;
  ChannelVariables[2][ChanField::B] = 0.1106f;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_EQ(Text(CoefficientField(2, 0)), " 0.06361");
        EXPECT_EQ(Text(CoefficientField(2, 1)), " 0.1106");
      })
      .Shot(kWindow, Shot("w104-setup-coefficients.png"))
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
  EXPECT_EQ(ChannelVariables[2][ChanField::A], 0.06361f) << "the text reads back as the same float";
  EXPECT_EQ(ChannelVariables[2][ChanField::B], 0.1106f);
}
TEST_F(SetupWindowTest, SixteenChannelsOnA1024x600DisplayPageTheirRows) {
  UseDisplay("1024x600");
  SetChannels(16);
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_LE(rt::WindowContentRect(kWindow).bottom, 600) << "the window ends on the display";
        EXPECT_TRUE(rt::EditFieldExists(LabelField(14)));
        EXPECT_FALSE(rt::EditFieldExists(LabelField(15)));
        EXPECT_EQ(State(SetupItem::RowsUp), 0);
        EXPECT_EQ(State(SetupItem::RowsDown), 1);
        EXPECT_TRUE(rt::ControlExists(SetupItem::SetupOK));
      })
      .Shot(kWindow, Shot("w104-setup-chart-16-1024x600.png"))
      .Then("type on page one", test::TypeInto(kWindow, LabelField(2), "typed on page one"))
      .Click(kWindow, SetupItem::RowsDown)
      .Check([] {
        EXPECT_FALSE(rt::EditFieldExists(LabelField(2)));
        EXPECT_TRUE(rt::EditFieldExists(LabelField(3)));
        EXPECT_TRUE(rt::EditFieldExists(LabelField(16)));
        EXPECT_TRUE(rt::ControlExists(SetupItem::LastAveraging));
        EXPECT_EQ(State(SetupItem::RowsUp), 1);
        EXPECT_EQ(State(SetupItem::RowsDown), 0);
      })
      .Shot(kWindow, Shot("w104-setup-chart-16-1024x600-page-2.png"))
      .Then("type on page two", test::TypeInto(kWindow, LabelField(16), "last one", true));
  Open(driver);
  EXPECT_EQ(FinishFlag, 1) << "Return in a field is Setup OK";
  EXPECT_EQ(ChannelLabel(2), "typed on page one             ");
  EXPECT_EQ(ChannelLabel(16), "last one                      ");
  EXPECT_EQ(ChannelLabel(1), "channel 1                     ");
}

TEST_F(SetupWindowTest, ScopePlusChartWithFiveChannels) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  SetChannels(5);
  ScopeMax = 0;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_EQ(rt::WindowTitle(kWindow), " SCOPE plus CHART Mode Acquisition Parameters ");
        EXPECT_EQ(Text(AveragedField(1)), "1");
        for (int16_t c = 2; c <= 5; ++c) {
          EXPECT_EQ(Text(AveragedField(c)), "59") << c;
          EXPECT_EQ(rt::EditFieldType(AveragedField(c)), 7) << "not editable";
          EXPECT_EQ(ChannelVariables[c][ChanField::Averaged], 59.0f) << "1 s over 1/60 s";
        }
        EXPECT_EQ(State(SetupItem::Add), 0) << "five channels";
        EXPECT_EQ(State(SetupItem::Cut), 1);
        EXPECT_TRUE(rt::ControlExists(SetupItem::ScopeRate));
        EXPECT_EQ(Text(SetupItem::ScopeCount), "1280") << "no trace length yet: one width";
        EXPECT_EQ(rt::ControlTitle(SetupItem::Repeat), "Auto-markers");
      })
      .Shot(kWindow, Shot("w104-setup-scope-chart-5-1280x800.png"))
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
  EXPECT_EQ(FinishFlag, 1);
  EXPECT_EQ(ChannelVariables[1][ChanField::Averaged], 1.0f);
  EXPECT_EQ(ChannelVariables[4][ChanField::Averaged], 59.0f);
  EXPECT_EQ(scopeXfactor, 1.0f);
}

TEST_F(SetupWindowTest, RowsReadBackByTheirRules) {
  SetChannels(3);
  ChannelVariables[3][ChanField::A] = 0.1234567f;
  ChannelVariables[3][ChanField::B] = 12.3456789f;
  ChannelVariables[3][ChanField::PlotMax] = 20.94671f;
  const std::string longLabel = "abcdefghijklmnopqrstuvwxyz0123456789";
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Then("a", test::TypeInto(kWindow, CoefficientField(1, 0), "abc"))
      .Then("b", test::TypeInto(kWindow, CoefficientField(1, 1), "2.5"))
      .Then("min", test::TypeInto(kWindow, MinField(1), "x"))
      .Then("max", test::TypeInto(kWindow, MaxField(1), "7.5"))
      .Then("averaged 0", test::TypeInto(kWindow, AveragedField(1), "0"))
      // More than the sample takers count (40000 went into the files while each sample
      // held one reading) is refused with the reason, the field selected.
      .Then("averaged 40000", test::TypeInto(kWindow, AveragedField(2), "40000"))
      .Click(kWindow, SetupItem::SetupOK)
      .Then("refused", Settled([] { return rt::EditFieldExists(290); }))
      .Check([] {
        EXPECT_EQ(Text(290), "Channel 2 averages 40000 readings: a channel averages at most 32767 readings.");
        EXPECT_EQ(rt::FocusedEditField(), AveragedField(2));
        EXPECT_EQ(FinishFlag, 0);
      })
      .Shot(kWindow, Shot("w104-count-refused.png"))
      .Then("averaged text", test::TypeInto(kWindow, AveragedField(2), "many"))
      .Then("long label", test::TypeInto(kWindow, LabelField(1), longLabel))
      .Then("short label", test::TypeInto(kWindow, LabelField(2), "short"))
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
  ASSERT_EQ(FinishFlag, 1);
  const auto& one = ChannelVariables[1];
  EXPECT_EQ(one[ChanField::A], 0.0f) << "text that is no number";
  EXPECT_EQ(one[ChanField::B], 2.5f);
  EXPECT_EQ(one[ChanField::PlotMin], 0.0f);
  EXPECT_EQ(one[ChanField::PlotMax], 7.5f);
  EXPECT_EQ(one[ChanField::Averaged], 10.0f) << "0 keeps the old value";
  EXPECT_EQ(ChannelVariables[2][ChanField::Averaged], 10.0f) << "text keeps the old value";
  EXPECT_EQ(ChannelLabel(1), longLabel.substr(0, 30));
  EXPECT_EQ(ChannelLabel(2), "short                         ");
  EXPECT_LE(datalabel.size(), 242u);
}

TEST_F(SetupWindowTest, ConfirmingUnchangedRowsKeepsEveryValueExact) {
  SetChannels(2);
  ChannelVariables[2][ChanField::A] = 0.1234567f;
  ChannelVariables[2][ChanField::B] = 12.3456789f;
  ChannelVariables[2][ChanField::C] = -3.3333333e-7f;
  ChannelVariables[2][ChanField::PlotMax] = 20.94671f;
  ChannelVariables[2][ChanField::PlotMin] = -0.0012345678f;
  const auto before = ChannelVariables[2];
  test::WindowDriver driver;
  driver.WaitFor(kWindow).Click(kWindow, SetupItem::SetupOK);
  Open(driver);
  for (int f : {ChanField::A, ChanField::B, ChanField::C, ChanField::PlotMax, ChanField::PlotMin})
    EXPECT_EQ(ChannelVariables[2][f], before[f]) << "field " << f;
}

TEST_F(SetupWindowTest, SetupOKKeepsTheCoefficientsOfThreeWayAndBreakpointRows) {
  SetChannels(2);
  ChannelVariables[0][1] = 5.0f;
  ChannelVariables[1][ChanField::A] = 7.0f;
  ChannelVariables[1][ChanField::B] = 8.0f;
  ChannelVariables[1][ChanField::C] = 9.0f;
  ChannelVariables[0][2] = 6.0f;
  ChannelVariables[2][ChanField::A] = 1.25f;
  ChannelVariables[2][ChanField::B] = 3.0f;
  ChannelVariables[2][ChanField::C] = -2.0f;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_EQ(rt::ControlTitle(BreakpointButton(1)), "Breakpoint Conversion");
        EXPECT_EQ(rt::ControlTitle(ThreeWayButton(2)), "3-order Polynomial");
        EXPECT_FALSE(rt::EditFieldExists(CoefficientField(2, 0)));
      })
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
  EXPECT_EQ(ChannelVariables[1][ChanField::A], 7.0f);
  EXPECT_EQ(ChannelVariables[1][ChanField::C], 9.0f);
  EXPECT_EQ(ChannelVariables[2][ChanField::A], 1.25f);
  EXPECT_EQ(ChannelVariables[2][ChanField::B], 3.0f);
  EXPECT_EQ(ChannelVariables[2][ChanField::C], -2.0f);
}

TEST_F(SetupWindowTest, TestButtonNeverStoresZeroReadingsAveraged) {
  SetChannels(2);
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Then("averaged 0", test::TypeInto(kWindow, AveragedField(1), "0"))
      .Click(kWindow, TestButton(1))
      .Then("tested", Settled([this] { return Count("CHECKCHANNEL 1") == 1; }))
      .Check([this] {
        EXPECT_EQ(Count("CHECKCHANNEL 1"), 1);
        EXPECT_EQ(averagedWhenTested, 10.0f) << "a zero would divide the test window's sum by 0";
      })
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
}

TEST_F(SetupWindowTest, ForwardStopsAtTwoMillionAndBackAtOneScreen) {
  SetChannels(2);
  MaxSamples = 1'999'000;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Click(kWindow, SetupItem::ChartMore)
      .Check([] {
        EXPECT_EQ(MaxSamples, 2'000'000);
        EXPECT_EQ(State(SetupItem::ChartMore), 0);
        EXPECT_EQ(Text(SetupItem::ChartCount), "2000000");
      })
      .Click(kWindow, SetupItem::FirstScreen)
      .Check([] {
        EXPECT_EQ(MaxSamples, W);
        EXPECT_EQ(State(SetupItem::ChartLess), 0);
        EXPECT_EQ(State(SetupItem::ChartMore), 1);
      })
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
  EXPECT_EQ(MaxSamples, W);
}

TEST_F(SetupWindowTest, Dt800ScopeTraceStopsAt4096InOscilloscopeMode) {
  RecordingMODE = RecordingModeCode::Scope;
  External_AD = ExternalADCode::DT800;
  SetChannels(1);
  SwitchingMode = 5;
  ScopeIntervalInSeconds = 0.004;
  ScopeMax = 2 * W;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_EQ(SwitchingMode, 0) << "no switching in oscilloscope mode";
        EXPECT_EQ(rt::ControlTitle(SetupItem::ChartRate), "Scope Sample Rate...");
        EXPECT_FALSE(rt::ControlExists(SetupItem::Add));
        EXPECT_FALSE(rt::ControlExists(SetupItem::Beep));
        EXPECT_EQ(Text(AveragedField(1)), "N.A.");
      })
      .Click(kWindow, SetupItem::ScopeMore)
      .Click(kWindow, SetupItem::ScopeMore)
      .Check([] {
        EXPECT_EQ(ScopeMax, 4'096);
        EXPECT_EQ(MaximumScopeSamples, 4'096);
        EXPECT_EQ(State(SetupItem::ScopeMore), 0);
        EXPECT_EQ(Text(SetupItem::ScopeCount), "4096");
      })
      .Shot(kWindow, Shot("w104-setup-scope-dt800.png"))
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
  EXPECT_FLOAT_EQ(scopeXfactor, 1280.0f / 4096.0f);
}

TEST_F(SetupWindowTest, InputBeyondTheInterfaceBlocksSetupOKUntilChanged) {
  External_AD = ExternalADCode::ADAM;  // one module: 8 inputs
  SetChannels(4);
  ChannelVariables[3][ChanField::Input] = 9.0f;
  setup_hooks::SELECTCHANNEL = [](int16_t ch, int16_t) {
    ChannelVariables[ch][ChanField::Input] = 2.0f;
    return true;
  };
  test::WindowDriver driver;
  driver.WaitFor(kInputWarningWindow)
      .Check([] {
        EXPECT_EQ(rt::WindowTitle(kInputWarningWindow), " AD input out of range ");
        EXPECT_EQ(PrefsArray[PrefsSlot::HardwareInputs], 8);
      })
      .Shot(kInputWarningWindow, Shot("w1778-setup-input-warning.png"))
      .Click(kInputWarningWindow, 1)
      .Then("warning closed", [] { return !rt::WindowExists(kInputWarningWindow); })
      .Click(kWindow, SetupItem::SetupOK)
      .WaitFor(kInputWarningWindow)
      .Check([] {
        EXPECT_EQ(FinishFlag, 0);
        EXPECT_TRUE(rt::WindowExists(kWindow));
      })
      .Click(kInputWarningWindow, 1)
      .Click(kWindow, InputButton(3))
      .Then("input changed", Settled([] { return ChannelVariables[3][ChanField::Input] == 2.0f; }))
      .Check([] { EXPECT_EQ(rt::ControlTitle(InputButton(3)), "2"); })
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
  EXPECT_EQ(FinishFlag, 1);
  EXPECT_EQ(Played("bzot.mp3"), 2);
  EXPECT_EQ(Count("SetADAM 0 1"), 1) << "the ranges of every channel on opening";
  EXPECT_EQ(Count("SetADAM 3 0"), 1) << "the changed channel's range";
}

TEST_F(SetupWindowTest, RestartIsNotHeldBackByAnInputOutOfRange) {
  SetChannels(2);
  ChannelVariables[1][ChanField::Input] = 20.0f;  // the ADC-1 has 16
  test::WindowDriver driver;
  driver.WaitFor(kInputWarningWindow).Click(kInputWarningWindow, 1).Click(kWindow, SetupItem::Restart);
  Open(driver);
  EXPECT_EQ(StartOver, 1);
  EXPECT_EQ(FinishFlag, 0);
  EXPECT_FALSE(rt::WindowExists(kWindow));
}

TEST_F(SetupWindowTest, SetupOKWithNoChannelsIsRefused) {
  nChannels = 0;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Click(kWindow, SetupItem::SetupOK)
      .Check([this] {
        EXPECT_TRUE(rt::WindowExists(kWindow));
        EXPECT_EQ(FinishFlag, 0);
        EXPECT_EQ(Played("bzot.mp3"), 1);
        EXPECT_EQ(State(SetupItem::Add), 1);
      })
      .Click(kWindow, SetupItem::Add)
      .Then("channel added", Settled([] { return rt::EditFieldExists(LabelField(1)); }))
      .Check([] { EXPECT_EQ(nChannels, 1); })
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
  EXPECT_EQ(FinishFlag, 1);
}

// Two device groups meet the interface and coding they run with here: opened where they
// cannot be switched, the pattern runs as its one-group partner and a line says so; a
// start that would still send a pattern the coding cannot do is refused, with the reason.
TEST_F(SetupWindowTest, TwoGroupsTheCodingCannotSwitchNeverStartARun) {
  constexpr int16_t kNote = 290;
  SetChannels(2);
  External_AD = ExternalADCode::SableUI3;
  ChannelVariables[1][ChanField::Device] = 2;
  ChannelVariables[2][ChanField::Device] = 6;
  RefChan = 1;
  RefChan2 = 5;
  SwitchingMode = 6;
  nGroups = 2;
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 1;
  test::WindowDriver opened;
  opened.WaitFor(kWindow)
      .Check([] {
        EXPECT_EQ(SwitchingMode, 5);
        EXPECT_EQ(nGroups, 0);
        EXPECT_EQ(Text(kNote),
                  "The three-bit word switches one device at a time: the set-up's two device groups now run "
                  "as one.");
      })
      .Shot(kWindow, Shot("w104-setup-two-groups-now-one.png"))
      .Click(kWindow, SetupItem::SetupOK);
  Open(opened);
  EXPECT_EQ(FinishFlag, 1);
  EXPECT_EQ(SwitchingNote, "") << "the run starts: nothing is left to tell";

  // The coding changed behind the window (as a later interface or coding choice would
  // change it): the start is refused until the pattern fits.
  SwitchingMode = 6;
  nGroups = 2;
  PrefsArray[PrefsSlot::DigitalOutputCoding] = 0;
  FinishFlag = 0;
  test::WindowDriver refused;
  refused.WaitFor(kWindow)
      .Check([] { PrefsArray[PrefsSlot::DigitalOutputCoding] = 1; })
      .Click(kWindow, SetupItem::SetupOK)
      .Check([this] {
        EXPECT_TRUE(rt::WindowExists(kWindow));
        EXPECT_EQ(FinishFlag, 0);
        EXPECT_EQ(Played("bzot.mp3"), 1);
        EXPECT_EQ(
            Text(kNote),
            "The three-bit word switches one device at a time: untick Two Device Groups in Device Control.");
        SwitchingMode = 5;
        nGroups = 0;
      })
      .Click(kWindow, SetupItem::SetupOK);
  Open(refused);
  EXPECT_EQ(FinishFlag, 1);
}

TEST_F(SetupWindowTest, AddCutAndScreenViewFollowTheChannelCount) {
  SetChannels(1);
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_EQ(State(SetupItem::Add), 1);
        EXPECT_EQ(State(SetupItem::Cut), 0);
        EXPECT_EQ(State(SetupItem::ScreenView), 0);
        EXPECT_FALSE(rt::MenuItemEnabled(4, 20));
        EXPECT_FALSE(rt::MenuItemEnabled(2, 2));
      })
      .Click(kWindow, SetupItem::Add)
      .Then("channel added", Settled([] { return rt::EditFieldExists(LabelField(2)); }))
      .Check([] {
        EXPECT_EQ(nChannels, 2);
        EXPECT_TRUE(rt::ControlExists(TestButton(2)));
        EXPECT_EQ(State(SetupItem::Cut), 1);
        EXPECT_EQ(State(SetupItem::ScreenView), 1);
        EXPECT_TRUE(rt::MenuItemEnabled(4, 20));
        EXPECT_FALSE(rt::WindowVisible(25)) << "the channel strip went away again";
      })
      .Click(kWindow, SetupItem::Cut)
      .WaitFor(kChannelListWindow)
      .Click(kChannelListWindow, 1)
      .Click(kChannelListWindow, 23)
      .Then("channel cut", Settled([] { return !rt::EditFieldExists(LabelField(2)); }))
      .Check([] {
        EXPECT_EQ(nChannels, 1);
        EXPECT_FALSE(rt::EditFieldExists(LabelField(2)));
        EXPECT_FALSE(rt::ControlExists(TestButton(2)));
        EXPECT_EQ(State(SetupItem::Cut), 0);
        EXPECT_EQ(Text(LabelField(1)), "") << "the added channel, now channel 1, has a blank label";
      })
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
  EXPECT_EQ(FinishFlag, 1);
}

TEST_F(SetupWindowTest, BeepAtSampleBoxIsOffBelowTwoTenths) {
  SetChannels(2);
  ChartIntervalInSeconds = 0.1;
  PrefsArray[PrefsSlot::BeepEverySample] = 1;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Check([] {
        EXPECT_EQ(State(SetupItem::Beep), 0);
        EXPECT_EQ(PrefsArray[PrefsSlot::BeepEverySample], 0);
      })
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
}

TEST_F(SetupWindowTest, BeepAndRepeatBoxesFlipTheirSlotsAndMenuMarks) {
  SetChannels(2);
  ChartIntervalInSeconds = 0.5;
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Click(kWindow, SetupItem::Beep)
      .Check([this] {
        EXPECT_EQ(PrefsArray[PrefsSlot::BeepEverySample], 1);
        EXPECT_EQ(State(SetupItem::Beep), 2);
        EXPECT_TRUE(rt::MenuItemChecked(4, 15));
        EXPECT_EQ(Played("bup.mp3"), 1);
      })
      .Click(kWindow, SetupItem::Repeat)
      .Check([] {
        EXPECT_EQ(PrefsArray[PrefsSlot::Autorepeat], 1);
        EXPECT_EQ(State(SetupItem::Repeat), 2);
        EXPECT_TRUE(rt::MenuItemChecked(4, 19));
      })
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
}

TEST_F(SetupWindowTest, MenuCommandsActOnTheWindow) {
  SetChannels(2);
  test::WindowDriver driver;
  driver.WaitFor(kWindow)
      .Then("label", test::TypeInto(kWindow, LabelField(2), "typed before the menu"))
      .Then("Add a Channel...", test::ChooseMenu(4, 21))
      .Then("channel added", Settled([] { return rt::EditFieldExists(LabelField(3)); }))
      .Check([] {
        EXPECT_EQ(nChannels, 3);
        EXPECT_EQ(rt::EditText(LabelField(2)), "typed before the menu") << "read back before the command";
      })
      .Then("Chart Sample Rate...", test::ChooseMenu(2, 16))
      .WaitFor(kIntervalWindow)
      .Click(kIntervalWindow, 2)
      .Click(kIntervalWindow, 14)
      .Then("rate window closed", Settled([] { return !rt::WindowExists(kIntervalWindow); }))
      .Check([] {
        EXPECT_DOUBLE_EQ(ChartIntervalInSeconds, 0.01666667);
        EXPECT_EQ(State(SetupItem::Beep), 0) << "below 0.2 s";
        EXPECT_EQ(Text(AveragedField(1)), std::to_string(MaxAvrg))
            << "every channel averages the most that fit";
      })
      .Click(kWindow, SetupItem::Trigger)
      .Click(kWindow, SetupItem::SetupOK);
  Open(driver);
  EXPECT_EQ(Count("menu 4 21"), 1);
  EXPECT_EQ(Count("menu 2 16"), 1);
  EXPECT_EQ(Count("TRIGGER"), 1);
  EXPECT_EQ(ChannelLabel(2), "typed before the menu         ");
  EXPECT_EQ(ChannelVariables[1][ChanField::Averaged], MaxAvrg);
}

}  // namespace
}  // namespace mv
