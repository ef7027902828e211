// The real input selection, display scaling and averaging dialogs under the
// offscreen platform, alone and in the order a new channel passes through them.
#include "setup/channel_dialogs.h"

#include <string>

#include "acquisition/state.h"
#include "conversions/state.h"
#include "devices/datataker_inputs_window.h"
#include "devices/state.h"
#include "dialog_steps.h"
#include "files/state.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/add_channel.h"
#include "setup/channel_table.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {
namespace {

// ---- input selection ----------------------------------------------------------------------

TEST(InputDialogTexts, LabelsHeadingsAndTitles) {
  using namespace ExternalADCode;
  EXPECT_EQ(InputLabel(3, DT500), "Input 3");
  EXPECT_EQ(InputLabel(9, SableUI2), "Input 9  (T1)");
  EXPECT_EQ(InputLabel(10, SableUI3), "Input 10 (T2)");
  EXPECT_EQ(InputLabel(12, SableUI2), "Input 12 (T4)");
  EXPECT_EQ(InputLabel(13, SableUI2), "Pulse Counter");
  EXPECT_EQ(InputLabel(14, SableUI2), "Auxiliary A-D");
  EXPECT_EQ(InputLabel(15, SableUI2), "Serial Input");
  EXPECT_EQ(InputLabel(13, DT85), "Input 13");
  EXPECT_EQ(InputHeading(DT500), "DT500/600 signal connections");
  EXPECT_EQ(InputHeading(ADC1), "ADC-1 signal connections");
  EXPECT_EQ(InputHeading(SerialStream), "A to D signal connections");
  EXPECT_EQ(InputDialogTitle(3, RecordingModeCode::Chart), "Input Selection For Chart Channel 3");
  EXPECT_EQ(InputDialogTitle(1, RecordingModeCode::ScopeChart), "Input Selection For Oscilloscope");
  EXPECT_EQ(InputDialogTitle(1, RecordingModeCode::Scope), "Input Selection For Chart Channel 1");
}

class InputDialogTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::DT500;
    nChannels = 3;
    for (int16_t c = 1; c <= 3; ++c) ChannelVariables[c][ChanField::Input] = static_cast<float>(c + 4);
    setup_hooks::InspectSerialInput = [this](int16_t ch) { calls.push_back("serial " + std::to_string(ch)); };
    setup_hooks::ADAMChannels = [this](int16_t ch, int16_t store) {
      calls.push_back("ADAM " + std::to_string(ch) + " " + std::to_string(store));
    };
  }
  bool Select(test::WindowDriver& driver, int16_t channel, int16_t store) {
    return Run(driver, [&] { return SELECTCHANNEL(channel, store); });
  }
};

TEST_F(InputDialogTest, EachInterfaceOffersItsOwnInputs) {
  struct Case {
    int16_t externalAD, demo, deviceCode, count;
  };
  using namespace ExternalADCode;
  const Case cases[] = {{SableUI2, 0, 0, 15}, {SableUI3, 0, 0, 15}, {DT500, 0, 0, 16}, {DT50, 0, 0, 5},
                        {DT800, 0, 0, 12},    {DT80, 0, 0, 5},      {DT85, 0, 0, 16},  {ADC1, 0, 0, 16},
                        {Demonstration, 1, 0, 16}, {Demonstration, 0, 6, 8}, {Demonstration, 0, 8, 16},
                        {SerialStream, 0, 0, 16}};
  for (const Case& c : cases) {
    External_AD = c.externalAD;
    DemonstrationMODE = c.demo;
    AD_Device_Code = c.deviceCode;
    test::WindowDriver driver;
    driver.WaitFor(kInputWindow)
        .Check([&] {
          EXPECT_TRUE(rt::ControlExists(c.count)) << c.externalAD;
          EXPECT_FALSE(rt::ControlExists(static_cast<int16_t>(c.count + 1))) << c.externalAD;
          EXPECT_EQ(rt::ControlExists(31), c.externalAD == ADC1) << "gain buttons on the ADC-1 only";
        })
        .Click(kInputWindow, 130);
    Select(driver, 2, 0);
    EXPECT_EQ(PrefsArray[PrefsSlot::HardwareInputs], c.count) << c.externalAD;
  }
}

TEST_F(InputDialogTest, SetUpWindowChangeWithoutAClickKeepsTheInput) {
  test::WindowDriver driver;
  driver.WaitFor(kInputWindow)
      .Check([] {
        EXPECT_EQ(rt::WindowTitle(kInputWindow), " Input Selection For Chart Channel 3 ");
        EXPECT_EQ(InputNumber, 1) << "the lowest free input";
        EXPECT_EQ(rt::ControlState(1), 2);
        EXPECT_EQ(rt::EditText(105), " in use");
        EXPECT_EQ(rt::EditText(104), "     available ");
      })
      .Click(kInputWindow, 130);
  EXPECT_FALSE(Select(driver, 3, 0));
  EXPECT_EQ(ChannelVariables[3][ChanField::Input], 7.0f);
}

TEST_F(InputDialogTest, NewChannelTakesTheFreeInputOrTheOneClicked) {
  nChannels = 4;
  ChannelVariables[1][ChanField::Input] = 1.0f;
  test::WindowDriver driver;
  driver.WaitFor(kInputWindow).Key(kInputWindow, Qt::Key_Return, "\r");
  EXPECT_TRUE(Select(driver, 4, 1));
  EXPECT_EQ(ChannelVariables[4][ChanField::Input], 2.0f) << "input 1 is taken by channel 1";

  test::WindowDriver again;
  again.WaitFor(kInputWindow).Click(kInputWindow, 6).Click(kInputWindow, 11).Click(kInputWindow, 130);
  EXPECT_TRUE(Select(again, 3, 0));
  EXPECT_EQ(ChannelVariables[3][ChanField::Input], 11.0f);
  EXPECT_EQ(InputNumber, 11);
}

TEST_F(InputDialogTest, PreselectionNeverOffersAnInputBeyondTheInterface) {
  External_AD = ExternalADCode::DT50;
  nChannels = 6;
  for (int16_t c = 1; c <= 5; ++c) ChannelVariables[c][ChanField::Input] = c;
  ChannelVariables[6][ChanField::Input] = 0.0f;
  test::WindowDriver driver;
  driver.WaitFor(kInputWindow).Click(kInputWindow, 130);
  EXPECT_TRUE(Select(driver, 6, 1));
  EXPECT_EQ(ChannelVariables[6][ChanField::Input], 1.0f) << "every input used: the first, never input 6";
}

TEST_F(InputDialogTest, InputFieldsOutsideTheTableNeverMarkAnInput) {
  nChannels = 3;
  ChannelVariables[1][ChanField::Input] = 40.0f;
  ChannelVariables[2][ChanField::Input] = -3.0f;
  ChannelVariables[3][ChanField::Input] = 1e30f;
  MarkInputsInUse(0);
  for (int k = 1; k <= 16; ++k) EXPECT_EQ(ChannelButtonsArray[k], 0.0f) << k;
  EXPECT_FALSE(InputInUse(1));
  EXPECT_EQ(PreselectedInput(16, 0), 1);
}

TEST_F(InputDialogTest, FreedInputsAreOfferedAgain) {
  ChannelButtonsArray.fill(1.0f);  // left from channels deleted since
  MarkInputsInUse(0);
  EXPECT_EQ(PreselectedInput(16, 0), 1);
  EXPECT_EQ(ChannelButtonsArray[5], 1.0f);
}

TEST_F(InputDialogTest, SableSerialInputOpensTheVariableWindowOnTheUI2Only) {
  External_AD = ExternalADCode::SableUI2;
  ChannelVariables[2][ChanField::Input] = 9.0f;
  TInputMode[2] = 1;
  test::WindowDriver driver;
  driver.WaitFor(kInputWindow)
      .Check([] {
        EXPECT_EQ(rt::ControlTitle(9), "Input 9  (T1)");
        EXPECT_EQ(rt::EditText(109), "  in use");
        EXPECT_EQ(rt::ControlState(22), 2) << "T2 reads volts";
      })
      .Shot(kInputWindow, Shot("w11-input-ui2.png"))
      .Click(kInputWindow, 22)
      .Check([] {
        EXPECT_EQ(TInputMode[2], 0) << "a second click returns to temperature";
        EXPECT_EQ(rt::ControlState(22), 1);
        EXPECT_EQ(rt::ControlState(26), 1);
      })
      .Click(kInputWindow, 27)
      .Check([] { EXPECT_EQ(TInputMode[3], 2); })
      .Click(kInputWindow, 15)
      .Click(kInputWindow, 130);
  EXPECT_TRUE(Select(driver, 2, 0));
  EXPECT_EQ(ChannelVariables[2][ChanField::Input], 15.0f);
  EXPECT_EQ(Count("serial 2"), 1);

  External_AD = ExternalADCode::SableUI3;
  test::WindowDriver ui3;
  ui3.WaitFor(kInputWindow).Click(kInputWindow, 15).Click(kInputWindow, 130);
  Select(ui3, 3, 0);
  EXPECT_EQ(ChannelVariables[3][ChanField::Input], 15.0f);
  EXPECT_EQ(Count("serial 3"), 0) << "the UI3 has no serial-variable window";
}

TEST_F(InputDialogTest, AdcGainIsStoredWithTheChannel) {
  External_AD = ExternalADCode::ADC1;
  GainSet = 1;
  test::WindowDriver driver;
  driver.WaitFor(kInputWindow)
      .Check([] { EXPECT_EQ(rt::ControlState(31), 2); })
      .Click(kInputWindow, 33)
      .Check([] {
        EXPECT_EQ(rt::ControlState(33), 2);
        EXPECT_EQ(rt::ControlState(31), 1);
      })
      .Shot(kInputWindow, Shot("w11-input-adc1.png"))
      .Click(kInputWindow, 130);
  Select(driver, 2, 0);
  EXPECT_EQ(GainSet, 3);
  EXPECT_EQ(ChannelVariables[2][ChanField::Gain], 3.0f);
}

TEST_F(InputDialogTest, DataTakerThermocoupleGetsItsLabelAndRange) {
  External_AD = ExternalADCode::DT800;
  BlankChannelLabels();
  datalabel = datalabel.mid(1, 7 * 30);  // channels 1-7 labelled
  datalabel2.clear();                      // none of 9-16 yet
  DataTakerChannels[8][DataTakerWord::ThermocoupleType] = 3;
  DataTakerChannels[9][DataTakerWord::ThermocoupleType] = 2;
  const auto custom = conversionsArray;
  for (int16_t ch : {8, 9}) {
    test::WindowDriver driver;
    driver.WaitFor(kInputWindow).Click(kInputWindow, 130);
    Select(driver, ch, 1);
  }
  EXPECT_EQ(Count("DATATAKERSTATUS"), 2);
  const std::string label = std::string("temperature  (\xA1") + "C)" + std::string(13, ' ');
  EXPECT_EQ(ChannelLabel(8), label);
  EXPECT_EQ(ChannelLabel(9), label);
  EXPECT_EQ(minyString, "0");
  EXPECT_EQ(maxYstring, "40");
  EXPECT_EQ(conversionsArray, custom) << "the custom buttons keep their ranges";
}

// A thermocouple channel switched to Counter in the DataTaker's input-mode window is
// set up as a counter: no temperature label and no 0 to 40 range.
TEST_F(InputDialogTest, ACounterAfterAThermocoupleIsNotSetUpAsATemperature) {
  External_AD = ExternalADCode::DT800;
  setup_hooks::DATATAKERSTATUS = [] { DATATAKERSTATUS(); };
  DataTakerChannels[2] = {0, 1, 3, 0, 0};  // a type K thermocouple
  const std::string label = ChannelLabel(2).str();
  minyString = "-1";
  maxYstring = "5";
  constexpr int16_t W = kDataTakerInputsWindow;
  test::WindowDriver driver;
  driver.WaitFor(kInputWindow)
      .Click(kInputWindow, 130)
      .WaitFor(W)
      .Click(W, 2)  // row 2's Counter
      .Click(W, kInputsOKButton);
  Select(driver, 2, 1);
  EXPECT_EQ(DataTakerChannels[2], (DataTakerChannelsRecord{0, 0, 0, 0, 1}));
  EXPECT_EQ(ChannelLabel(2).str(), label);
  EXPECT_EQ(minyString, "-1");
  EXPECT_EQ(maxYstring, "5");
}

TEST_F(InputDialogTest, AdamModulesHaveTheirOwnWindow) {
  External_AD = ExternalADCode::ADAM;
  EXPECT_TRUE(SELECTCHANNEL(4, 1));
  EXPECT_FALSE(rt::WindowExists(kInputWindow));
  EXPECT_EQ(Count("ADAM 4 1"), 1);
}

// ---- display scaling ---------------------------------------------------------------------

TEST(ScopeChannelRange, PresetsByScale) {
  float lo = 0, hi = 0;
  ScopeChannelRange(5.0f, 1, lo, hi);
  EXPECT_EQ(lo, 0.0f);
  EXPECT_EQ(hi, 5.0f);
  ScopeChannelRange(5.0f, 2, lo, hi);
  EXPECT_EQ(lo, -5.0f);
  EXPECT_EQ(hi, 0.0f);
  ScopeChannelRange(2.5f, 0, lo, hi);
  EXPECT_EQ(lo, -2.5f);
  EXPECT_EQ(hi, 2.5f);
}

class ScalingDialogTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::DT500;
    nChannels = 9;
    BlankChannelLabels();
    SetChannelLabel(2, "O2 (%)");
    SetChannelLabel(9, "Flow (ml/min)");
  }
};

TEST_F(ScalingDialogTest, DataTakerScopeChannelTakesThePresetWithoutAWindow) {
  RecordingMODE = RecordingModeCode::Scope;
  ScopeScale = 1;
  Vmax = 2.5f;
  miny = maxy = 99.0f;
  EXPECT_TRUE(SCALE(1));
  EXPECT_FALSE(rt::WindowExists(kScalingWindow));
  EXPECT_EQ(maxy, 2.5f);
  EXPECT_EQ(miny, 0.0f);
}

TEST_F(ScalingDialogTest, UI2ScopeChannelOpensWithFullScale) {
  RecordingMODE = RecordingModeCode::Scope;
  External_AD = ExternalADCode::SableUI2;
  ScopeScale = 2;
  Vmax = 5.0f;
  test::WindowDriver driver;
  driver.WaitFor(kScalingWindow)
      .Check([] {
        EXPECT_EQ(rt::WindowTitle(kScalingWindow), " OSCILLOSCOPE CHANNEL ");
        EXPECT_EQ(rt::EditText(101), " 5");
        EXPECT_EQ(rt::EditText(102), "-5");
      })
      .Click(kScalingWindow, 1);
  RunVoid(driver, [] { SCALE(1); });
  EXPECT_EQ(maxy, 5.0f);
  EXPECT_EQ(miny, -5.0f);
}

TEST_F(ScalingDialogTest, TypedRangeComesBackAndTextThatIsNoNumberReadsZero) {
  miny = -5.0f;
  maxy = 5.0f;
  test::WindowDriver driver;
  driver.WaitFor(kScalingWindow)
      .Check([] { EXPECT_EQ(rt::WindowTitle(kScalingWindow), " Channel 2:  Display Scaling "); })
      .Then("max", test::TypeInto(kScalingWindow, 101, "21.5"))
      .Then("min", test::TypeInto(kScalingWindow, 102, "lots"))
      .Shot(kScalingWindow, Shot("w111-scaling.png"))
      .Then("Return", test::TypeInto(kScalingWindow, 102, "-0.25", true));
  RunVoid(driver, [] { SCALE(2); });
  EXPECT_FALSE(rt::WindowExists(kScalingWindow));
  EXPECT_EQ(maxy, 21.5f);
  EXPECT_EQ(miny, -0.25f);

  test::WindowDriver again;
  again.WaitFor(kScalingWindow)
      .Then("min", test::TypeInto(kScalingWindow, 102, "lots"))
      .Click(kScalingWindow, 1);
  RunVoid(again, [] { SCALE(9); });
  EXPECT_EQ(miny, 0.0f);
  EXPECT_EQ(maxy, 21.5f) << "the range passes through its text";
}

// ---- averaging -------------------------------------------------------------------------------

// The sample takers count a channel's readings in 16 bits: a larger count is refused,
// never stored while each sample holds one reading.
TEST(AveragedReadings, TypedCountsAreAtLeastOneAndNoMoreThanTheSampleTakersAverage) {
  EXPECT_EQ(AveragedReadings(" 12"), 12);
  EXPECT_EQ(AveragedReadings("0"), 1);
  EXPECT_EQ(AveragedReadings("-4"), 1);
  EXPECT_EQ(AveragedReadings("continuous"), 1);
  EXPECT_EQ(AveragedReadings("7.9"), 7);
  EXPECT_EQ(AveragedReadings("32767"), 32'767);
  EXPECT_EQ(AveragedReadings("40000"), std::nullopt);
  EXPECT_EQ(AveragedReadings("1e12"), std::nullopt);
}

class AveragingDialogTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    RecordingMODE = RecordingModeCode::Chart;
    nChannels = 3;
    MaxAvrg = 17;
    SamplesToAverage = 1;
  }
};

TEST_F(AveragingDialogTest, OpensOnlyInChartModeWithoutAllChannelAveraging) {
  for (int16_t mode : {RecordingModeCode::Scope, RecordingModeCode::ScopeChart}) {
    RecordingMODE = mode;
    EXPECT_FALSE(AVERAGING(2));
    EXPECT_EQ(LastChanModified, 2);
  }
  RecordingMODE = RecordingModeCode::Chart;
  PrefsArray[PrefsSlot::AverageAllChannels] = 1;
  EXPECT_FALSE(AVERAGING(3));
  EXPECT_EQ(SamplesToAverage, 1) << "the caller's value stays";
  EXPECT_FALSE(rt::WindowExists(kAveragingWindow));
}

TEST_F(AveragingDialogTest, TypingZeroGivesOneAndACountBeyondTheSampleTakersIsRefused) {
  test::WindowDriver driver;
  driver.WaitFor(kAveragingWindow)
      .Check([] {
        EXPECT_EQ(rt::WindowTitle(kAveragingWindow), " CHANNEL 2 ");
        EXPECT_EQ(rt::EditText(101), " 17");
        EXPECT_FALSE(rt::ControlExists(2)) << "last-channel modes only for the last channel";
      })
      .Shot(kAveragingWindow, Shot("w8-averaging.png"))
      // A count the sample takers cannot average keeps the window open, saying why.
      .Then("40000 and Return", test::TypeInto(kAveragingWindow, 101, "40000", true))
      .Then("refused", [] { return rt::EditFieldExists(102); })
      .Check([] { EXPECT_EQ(rt::EditText(102), "\"40000\": a channel averages at most 32767 readings."); })
      .Shot(kAveragingWindow, Shot("w8-averaging-refused.png"))
      .Then("0 and Return", test::TypeInto(kAveragingWindow, 101, "0", true));
  EXPECT_TRUE(Run(driver, [] { return AVERAGING(2); }));
  EXPECT_EQ(SamplesToAverage, 1);
  EXPECT_EQ(Action, ActionCode::Redraw);
}

TEST_F(AveragingDialogTest, LastChannelContinuousGivesZero) {
  test::WindowDriver driver;
  driver.WaitFor(kAveragingWindow)
      .Check([] { EXPECT_EQ(rt::ControlState(3), 0) << "absolute value dimmed"; })
      .Click(kAveragingWindow, 2)
      .Check([] {
        EXPECT_EQ(rt::EditText(101), "continuous");
        EXPECT_EQ(rt::ControlState(2), 2);
        EXPECT_EQ(rt::ControlState(3), 1);
        EXPECT_TRUE(rt::MenuItemChecked(110, 2));
        EXPECT_FALSE(rt::MenuItemChecked(110, 1));
      })
      .Click(kAveragingWindow, 3)
      .Shot(kAveragingWindow, Shot("w8-averaging-last.png"))
      .Click(kAveragingWindow, 1);
  EXPECT_TRUE(Run(driver, [] { return AVERAGING(3); }));
  EXPECT_EQ(SamplesToAverage, 0);
  EXPECT_EQ(PrefsArray[PrefsSlot::AverageLastChannel], 1);
  EXPECT_EQ(AbsoluteValue, 1);
}

TEST_F(AveragingDialogTest, AllChannelsOnAndOffShowsTheLimitAgain) {
  PrefsArray[PrefsSlot::AverageLastChannel] = 1;
  AbsoluteValue = 1;
  test::WindowDriver driver;
  driver.WaitFor(kAveragingWindow)
      .Click(kAveragingWindow, 4)
      .Check([] {
        EXPECT_EQ(PrefsArray[PrefsSlot::AverageAllChannels], 1);
        EXPECT_EQ(PrefsArray[PrefsSlot::AverageLastChannel], 0);
        EXPECT_EQ(AbsoluteValue, 0);
        EXPECT_EQ(rt::ControlState(3), 0);
        EXPECT_TRUE(rt::MenuItemChecked(110, 3));
      })
      .Click(kAveragingWindow, 4)
      .Check([] {
        EXPECT_EQ(rt::EditText(101), " 17") << "the window shows what the user gets";
        EXPECT_TRUE(rt::MenuItemChecked(110, 1));
      })
      .Click(kAveragingWindow, 1);
  Run(driver, [] { return AVERAGING(3); });
  EXPECT_EQ(SamplesToAverage, 17);
}

TEST_F(AveragingDialogTest, ChannelBeforeTheLastIgnoresTheLastChannelMode) {
  PrefsArray[PrefsSlot::AverageLastChannel] = 1;
  test::WindowDriver driver;
  driver.WaitFor(kAveragingWindow)
      .Check([] { EXPECT_EQ(rt::EditText(101), " 17"); })
      .Click(kAveragingWindow, 5)
      .Check([] { EXPECT_EQ(rt::EditText(101), " 17"); })
      .Click(kAveragingWindow, 1);
  Run(driver, [] { return AVERAGING(1); });
  EXPECT_EQ(SamplesToAverage, 17) << "continuous averaging belongs to the last channel";
}

TEST_F(AveragingDialogTest, AnyMenuCommandClosesItLikeOK) {
  setup_hooks::DoMENU = [this](int16_t menu, int16_t menuItem) {
    calls.push_back("menu " + std::to_string(menu) + " " + std::to_string(menuItem));
    MENUID = 255;
  };
  test::WindowDriver driver;
  driver.WaitFor(kAveragingWindow)
      .Then("type 6", test::TypeInto(kAveragingWindow, 101, "6"))
      .Then("View 4", test::ChooseMenu(3, 4));
  Run(driver, [] { return AVERAGING(2); });
  EXPECT_EQ(Count("menu 3 4"), 1);
  EXPECT_EQ(SamplesToAverage, 6);
  EXPECT_FALSE(rt::WindowExists(kAveragingWindow));
}

// ---- a new channel through the real dialogs --------------------------------------------------

TEST_F(InputDialogTest, AddedChannelPassesThroughTheRealDialogs) {
  ChartIntervalInSeconds = 10.0;
  External_AD = ExternalADCode::DT800;
  test::WindowDriver driver;
  driver.WaitFor(kInputWindow)
      .Click(kInputWindow, 2)
      .Click(kInputWindow, 130)
      .WaitFor(kScalingWindow)
      .Then("max", test::TypeInto(kScalingWindow, 101, "25"))
      .Then("min", test::TypeInto(kScalingWindow, 102, "-1", true))
      .WaitFor(kAveragingWindow)
      .Check([] { EXPECT_EQ(rt::EditText(101), " 8") << "10 s over 4 channels"; })
      .Click(kAveragingWindow, 1);
  EXPECT_TRUE(Run(driver, [] { return ADD_a_CHANNEL(); }));
  EXPECT_EQ(nChannels, 4);
  const auto& r = ChannelVariables[4];
  EXPECT_EQ(r[ChanField::Input], 2.0f);
  EXPECT_EQ(r[ChanField::B], 1.0f) << "linear: the conversions window is left out here";
  EXPECT_EQ(r[ChanField::PlotMax], 25.0f);
  EXPECT_EQ(r[ChanField::PlotMin], -1.0f);
  EXPECT_EQ(r[ChanField::Averaged], 8.0f);
}

}  // namespace
}  // namespace mv
