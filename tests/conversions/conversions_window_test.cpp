// The real conversions window (window 10) under the offscreen platform: type
// buttons, the label, the three-way panel, the hand-offs to the breakpoint window,
// the options window and the calibration, and its rules.
#include "conversions/conversions_window.h"

#include <gtest/gtest.h>

#include "conversions/breakpoint_window.h"
#include "conversions/equation_panel.h"
#include "conversions/gas_options_window.h"
#include "conversions/needs.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "setup/state.h"
#include "window_fixture.h"

namespace mv {
namespace {

using test::FieldOf;
using test::Padded;
using test::ReturnIn;
using test::TypeInto;
constexpr int16_t W = kConversionsWindow;
constexpr int16_t kLabel = kChannelLabelField;
constexpr const char* kLarge = "is too large for a channel (at most 3.4e38).";
constexpr const char* kNear = "is too near 0 for a channel (at least 1.18e-38, or 0).";

std::string Refusal(const char* field, const char* typed, const char* why) {
  return std::string(field) + ": \"" + typed + "\" " + why;
}

class ConversionsWindowTest : public test::ConversionWindowTest {
 protected:
  void SetUp() override {
    ConversionWindowTest::SetUp();
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::SableUI2;
    nChannels = 3;
    datalabel = Str255(std::string(240, ' '));
    datalabel2 = datalabel;
    for (int16_t c = 1; c <= 3; ++c) {
      auto& r = ChannelVariables[c];
      r[ChanField::Input] = c;
      r[ChanField::A] = 0.0f;
      r[ChanField::B] = 1.0f;
      r[ChanField::C] = 0.0f;
      r[ChanField::PlotMax] = 5.0f;
      r[ChanField::PlotMin] = -5.0f;
      ChannelVariables[0][c] = 1.0f;
    }
    rt::NewMenu(100, "Conversion Equations");
    rt::NewMenu(120, "Conversion Options");
  }
  void Convert(test::WindowDriver& driver, int16_t channel) {
    Run(driver, [&] { shown = CONVERT(channel); });
  }
  // The coefficients a caller stores into fields 2, 3, 4.
  void ExpectCoefficients(float a, float b, float c) {
    EXPECT_EQ(aval, a);
    EXPECT_EQ(bval, b);
    EXPECT_EQ(exponent, c);
  }
  bool shown = false;
};

TEST_F(ConversionsWindowTest, CustomButtonThreeAndReturnGiveTheOxygenPreset) {
  test::WindowDriver driver;
  driver.WaitFor(W).Click(W, 3).Check([] {
    EXPECT_EQ(FieldOf(W, kLabel), "% oxygen  (Sable)");
    EXPECT_EQ(FieldOf(W, 101), " 19");
    EXPECT_EQ(FieldOf(W, 102), " 0.5");
    EXPECT_EQ(FieldOf(W, 103), " 0") << "a polynomial button shows its c";
  });
  driver.Then("Return", ReturnIn(W, 101));
  Convert(driver, 3);
  EXPECT_TRUE(shown);
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(ChannelVariables[0][3], 2.0f);
  ExpectCoefficients(19.0f, 0.5f, 0.0f);
  EXPECT_EQ(datalabel.mid(61, 30).str(), Padded("% oxygen  (Sable)"));
  EXPECT_EQ(miny, 19.0f);
  EXPECT_EQ(maxy, 21.5f);
  EXPECT_EQ(Action, ActionCode::Redraw);
  EXPECT_EQ(LastChanModified, 3);
  EXPECT_EQ(rt::GetMenuItem(100, 3).text, "Ch. 3:  % oxygen  (Sable)");
  EXPECT_EQ(rt::GetMenuItem(120, 3).text, "ch. 3:  % oxygen  (Sable)");
  EXPECT_EQ(ChannelVariables[3][ChanField::A], 0.0f) << "the caller stores the coefficients";
}

TEST_F(ConversionsWindowTest, ThreeWayButtonAndOKFillTheChannelsPolyRow) {
  polyarray[2][4] = 7.0f;  // the spare field is no business of the window
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, 14)
      .Check([] {
        EXPECT_EQ(rt::ControlState(14), 2);
        EXPECT_EQ(FieldOf(W, kLabel), "% CO2 (LiCor)");
      })
      .Shot(W, Shot("w10-conversions-three-way.png"))
      .Click(W, 15);
  Convert(driver, 2);
  const ThreeWayPolyRecord expected{0.0f, 0.1419f, 1.536e-5f, 1.874e-9f, 7.0f, 0.0001f, 10000.0f};
  EXPECT_EQ(polyarray[2], expected);
  EXPECT_EQ(ChannelVariables[0][2], 6.0f);
  ExpectCoefficients(0.0f, 0.1419f, 1.536e-5f);
  EXPECT_EQ(datalabel.mid(31, 30).str(), Padded("% CO2 (LiCor)"));
  EXPECT_EQ(miny, 0.0f);
  EXPECT_EQ(maxy, 0.3f);
}

TEST_F(ConversionsWindowTest, OpeningAThreeWayChannelKeepsEditsToItsOwnPanel) {
  ChannelVariables[0][1] = 6.0f;
  polyarray[1] = {1.0f, 2.0f, 3.0f, 4.0f, 0.0f, 5.0f, 6.0f};
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(rt::ControlState(14), 2) << "the three-way button is marked";
        EXPECT_EQ(FieldOf(W, 107), " 6");
      })
      .Then("type m", TypeInto(W, 107, "1e-400"))
      .Click(W, 15)
      .Then("refused", [] { return rt::EditFieldExists(kCoefficientRefusalField); })
      .Check([] { EXPECT_EQ(FieldOf(W, kCoefficientRefusalField), Refusal("m", "1e-400", kNear)); })
      .Shot(W, Shot("w10-three-way-refused.png"))
      .Then("type m", TypeInto(W, 107, "2500"))
      .Click(W, 15);
  Convert(driver, 1);
  const ThreeWayPolyRecord expected{1.0f, 2.0f, 3.0f, 4.0f, 0.0f, 5.0f, 2500.0f};
  EXPECT_EQ(polyarray[1], expected);
  EXPECT_EQ(ChannelVariables[0][1], 6.0f);
}

TEST_F(ConversionsWindowTest, LinearWithoutTypingReturnsZeroOneZeroAndReplacesATypedLabel) {
  ChannelVariables[0][2] = 3.0f;
  ChannelVariables[2][ChanField::A] = 4.0f;
  ChannelVariables[2][ChanField::C] = 2.0f;
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(rt::ControlState(2), 2) << "a power channel marks Power Function";
        EXPECT_EQ(FieldOf(W, 103), " 2") << "its exponent field";
      })
      .Then("type label", TypeInto(W, kLabel, "my sensor"))
      .Check([] { EXPECT_EQ(FieldOf(W, kLabel), "my sensor"); })
      .Click(W, 18)
      .Check([] {
        EXPECT_EQ(FieldOf(W, kLabel), "volts") << "the proposed label replaces the typed one";
        EXPECT_EQ(FieldOf(W, 103), "<no field>");
      })
      .Click(W, 15);
  Convert(driver, 2);
  ExpectCoefficients(0.0f, 1.0f, 0.0f);
  EXPECT_EQ(ChannelVariables[0][2], 1.0f);
  EXPECT_EQ(datalabel.mid(31, 30).str(), Padded("volts"));
  EXPECT_EQ(miny, -5.0f);
  EXPECT_EQ(maxy, 5.0f);
}

// A coefficient the channel cannot hold ("1e39" was stored as 0, so every sample was 0.0;
// "1e-45" as a subnormal 40 % off) keeps the window open, with the reason.
TEST_F(ConversionsWindowTest, TypedCoefficientsAndLabelAreStored) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, 12)
      .Then("a", TypeInto(W, 101, "1.5"))
      .Then("b", TypeInto(W, 102, "1e39"))
      .Then("Return", ReturnIn(W, 102))
      .Then("refused", [] { return rt::EditFieldExists(kCoefficientRefusalField); })
      .Check([] { EXPECT_EQ(FieldOf(W, kCoefficientRefusalField), Refusal("b", "1e39", kLarge)); })
      .Shot(W, Shot("w10-coefficient-refused.png"))
      .Then("b", TypeInto(W, 102, "-2"))
      .Then("c", TypeInto(W, 103, "abc"))
      .Then("label", TypeInto(W, kLabel, "Pressure (kPa)"))
      .Then("Return", ReturnIn(W, kLabel));
  Convert(driver, 1);
  ExpectCoefficients(1.5f, -2.0f, 0.0f);
  EXPECT_EQ(ChannelVariables[0][1], 2.0f);
  EXPECT_EQ(datalabel.mid(1, 30).str(), Padded("Pressure (kPa)"));
}

TEST_F(ConversionsWindowTest, ChannelZeroFromTheMenuRoadWritesNoRowZero) {
  const auto table = ChannelVariables;
  const auto labels = datalabel;
  EXPECT_FALSE(CONVERT(0));
  EXPECT_FALSE(CONVERT(4)) << "above nChannels";
  EXPECT_FALSE(CONVERT(17));
  EXPECT_EQ(ChannelVariables, table);
  EXPECT_EQ(datalabel, labels);
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(LastChanModified, 0);
}

TEST_F(ConversionsWindowTest, ScopeChannelIsLabelledWithoutAWindow) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  const auto table = ChannelVariables;
  EXPECT_FALSE(CONVERT(1));
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(datalabel.mid(1, 30).str(), Padded("oscilloscope volts"));
  EXPECT_EQ(ChannelVariables, table);
}

TEST_F(ConversionsWindowTest, ReversedRangeOpensWithTheInterfaceRange) {
  External_AD = ExternalADCode::DT800;
  ChannelVariables[2][ChanField::PlotMin] = 5.0f;
  ChannelVariables[2][ChanField::PlotMax] = 5.0f;
  test::WindowDriver driver;
  driver.WaitFor(W).Click(W, 15);
  Convert(driver, 2);
  EXPECT_EQ(ChannelVariables[2][ChanField::PlotMin], -13.0f);
  EXPECT_EQ(ChannelVariables[2][ChanField::PlotMax], 13.0f);
  EXPECT_EQ(miny, -13.0f);
  EXPECT_EQ(maxy, 13.0f);
}

TEST_F(ConversionsWindowTest, CustomButtonEightOnADT50RecordsTheReadingItself) {
  External_AD = ExternalADCode::DT50;
  DataTakerChannels[3][1] = 1;
  test::WindowDriver driver;
  driver.WaitFor(W).Click(W, 8).Click(W, 15);
  Convert(driver, 3);
  EXPECT_EQ(ChannelVariables[0][3], 0.0f);
  EXPECT_EQ(DataTakerChannels[3][2], 1) << "thermocouple type set";
  EXPECT_EQ(DataTakerChannels[3][1], 0) << "cleared by every handled click";
  ExpectCoefficients(0.0f, 50.0f, 0.0f);
}

TEST_F(ConversionsWindowTest, KeyboardRecorderReturnsZerosAndProposesZeroToFifty) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, 13)
      .Check([] { EXPECT_EQ(FieldOf(W, 101), "<no field>") << "the panel is cleared"; })
      .Shot(W, Shot("w10-conversions-keyboard.png"))
      .Click(W, 15);
  Convert(driver, 1);
  EXPECT_EQ(ChannelVariables[0][1], 7.0f);
  ExpectCoefficients(0.0f, 0.0f, 0.0f);
  EXPECT_EQ(datalabel.mid(1, 30).str(), Padded("Event recorder"));
  EXPECT_EQ(miny, 0.0f);
  EXPECT_EQ(maxy, 50.0f);
  EXPECT_EQ(minyString, "0");
  EXPECT_EQ(maxYstring, "50");
}

TEST_F(ConversionsWindowTest, ALabelSetInTheOptionsWindowSurvivesOK) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, ConversionsButton::Options)
      .WaitFor(kGasOptionsWindow)
      .Then("label", TypeInto(kGasOptionsWindow, GasOptionsControl::Label, "VO2 (ml/min)"))
      .Click(kGasOptionsWindow, GasOptionsControl::Done)
      .Then("options gone", [] { return !rt::WindowExists(kGasOptionsWindow); })
      .Check([] { EXPECT_EQ(FieldOf(W, kLabel), "VO2 (ml/min)"); })
      .Click(W, 15);
  Convert(driver, 2);
  EXPECT_EQ(datalabel.mid(31, 30).str(), Padded("VO2 (ml/min)"));
  EXPECT_EQ(rt::GetMenuItem(100, 2).text, "Ch. 2:  VO2 (ml/min)");
}

TEST_F(ConversionsWindowTest, AdditionalOptionsKeepsTheLabelATypeButtonProposed) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, 3)
      .Click(W, ConversionsButton::Options)
      .WaitFor(kGasOptionsWindow)
      .Check([] { EXPECT_EQ(FieldOf(kGasOptionsWindow, GasOptionsControl::Label), "% oxygen  (Sable)"); })
      .Click(kGasOptionsWindow, GasOptionsControl::ComputeVO2)
      .Click(kGasOptionsWindow, GasOptionsControl::Done)
      .Then("options gone", [] { return !rt::WindowExists(kGasOptionsWindow); })
      .Check([] { EXPECT_EQ(FieldOf(W, kLabel), "% oxygen  (Sable)"); })
      .Click(W, 15);
  Convert(driver, 2);
  EXPECT_EQ(datalabel.mid(31, 30).str(), Padded("% oxygen  (Sable)"));
  EXPECT_EQ(SpecialOpsArray[2][GasField::Computation], 1.0f);
  ExpectCoefficients(19.0f, 0.5f, 0.0f);
}

TEST_F(ConversionsWindowTest, CalibrationStoresTheTypedLabelFirstAndItsFitEndsTheWindow) {
  std::string labelSeen;
  conversion_hooks::DIRECTCAL = [&](int16_t channel) {
    labelSeen = StoredChannelLabel(channel).str();
    aval = 1.0f;
    bval = 2.0f;
    exponent = 3.0f;
    ChannelVariables[0][channel] = 2.0f;
    miny = -1.0f;
    maxy = 9.0f;
    Action = 0;
  };
  test::WindowDriver driver;
  driver.WaitFor(W).Then("label", TypeInto(W, kLabel, "flow")).Click(W, 16);
  Convert(driver, 3);
  EXPECT_EQ(labelSeen, Padded("flow"));
  EXPECT_FALSE(rt::WindowExists(W));
  ExpectCoefficients(1.0f, 2.0f, 3.0f);
  EXPECT_EQ(ChannelVariables[0][3], 2.0f);
  EXPECT_EQ(miny, -1.0f);
  EXPECT_EQ(maxy, 9.0f);
  EXPECT_EQ(Action, ActionCode::Redraw);
  EXPECT_EQ(rt::GetMenuItem(100, 3).text, "Ch. 3:  flow") << "the menu items follow this road too";
}

TEST_F(ConversionsWindowTest, CalibrationClosedByItsCloseBoxBringsTheWindowBack) {
  int calibrations = 0;
  conversion_hooks::DIRECTCAL = [&](int16_t) {
    ++calibrations;
    Action = ActionCode::CloseBox;
  };
  test::WindowDriver driver;
  driver.WaitFor(W).Click(W, 16).WaitFor(W).Click(W, 15);
  Convert(driver, 1);
  EXPECT_EQ(calibrations, 1);
  ExpectCoefficients(0.0f, 1.0f, 0.0f);
  EXPECT_EQ(ChannelVariables[0][1], 1.0f);
}

TEST_F(ConversionsWindowTest, CloseBoxConfirmsTheLabelButKeepsTheWindowOpen) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Then("label", TypeInto(W, kLabel, "O2 (%)"))
      .Event(4, W)
      .Check([] {
        EXPECT_TRUE(rt::WindowExists(W));
        EXPECT_EQ(rt::GetMenuItem(100, 1).text, "Ch. 1:  O2 (%)");
      })
      .Click(W, 15);
  Convert(driver, 1);
  EXPECT_EQ(datalabel.mid(1, 30).str(), Padded("O2 (%)"));
}

TEST_F(ConversionsWindowTest, BreakpointButtonRunsTheBreakpointWindowAndRebuilds) {
  ChannelVariables[1][ChanField::A] = 4.0f;
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, 17)
      .WaitFor(kBreakpointWindow)
      .Click(kBreakpointWindow, BreakpointControl::Done)
      .Then("rebuilt", [] { return !rt::WindowExists(kBreakpointWindow) && rt::WindowExists(W); })
      .Check([] {
        EXPECT_EQ(rt::ControlState(17), 2);
        EXPECT_EQ(FieldOf(W, 101), "<no field>") << "the breakpoint note instead of fields";
      })
      .Shot(W, Shot("w10-conversions-breakpoint.png"))
      .Click(W, 15);
  Convert(driver, 1);
  EXPECT_EQ(ChannelVariables[0][1], 5.0f);
  ExpectCoefficients(0.0f, 0.0f, 0.0f);
}

TEST_F(ConversionsWindowTest, EveryTypePanelShowsItsFields) {
  struct Case {
    int16_t button;
    const char* shot;
    bool hasC;
  };
  const Case cases[] = {{18, "w10-conversions-linear.png", false},
                        {2, "w10-conversions-power.png", true},
                        {12, "w10-conversions-polynomial.png", true},
                        {1, "w10-conversions-log.png", false},
                        {19, "w10-conversions-reciprocal.png", false}};
  test::WindowDriver driver;
  driver.WaitFor(W);
  for (const Case& c : cases) {
    driver.Click(W, c.button)
        .Check([c] {
          EXPECT_EQ(rt::ControlState(c.button), 2) << c.shot;
          EXPECT_EQ(FieldOf(W, 101), " 0") << c.shot;
          EXPECT_EQ(FieldOf(W, 102), " 1") << c.shot;
          EXPECT_EQ(FieldOf(W, 103) != "<no field>", c.hasC) << c.shot;
        })
        .Shot(W, Shot(c.shot));
  }
  driver.Click(W, 15);
  Convert(driver, 2);
  EXPECT_EQ(ChannelVariables[0][2], 9.0f) << "the last one clicked";
}

TEST_F(ConversionsWindowTest, SableTemperatureInputFollowsItsReadMode) {
  ChannelVariables[2][ChanField::Input] = 10;
  TInputMode[2] = 1;  // T2 read as volts
  test::WindowDriver driver;
  driver.WaitFor(W).Check([] { EXPECT_EQ(FieldOf(W, kLabel), "volts"); }).Click(W, 15);
  Convert(driver, 2);
  EXPECT_EQ(hardwareADchannel, 10);
  EXPECT_EQ(ChannelVariables[2][ChanField::PlotMin], 0.0f);
  EXPECT_EQ(ChannelVariables[2][ChanField::PlotMax], 5.0f);
}

TEST_F(ConversionsWindowTest, DataTakerThermocoupleChannelIsLabelledATemperature) {
  External_AD = ExternalADCode::DT500;
  DataTakerChannels[1][0] = 0;
  DataTakerChannels[1][2] = 3;
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(FieldOf(W, kLabel),
                  "Temperature (\xC2\xB0"
                  "C)");
      })
      .Click(W, 15);
  Convert(driver, 1);
  EXPECT_EQ(datalabel.mid(1, 30).str(), Padded("Temperature (\xA1"
                                               "C)"));
  EXPECT_EQ(miny, 0.0f);
  EXPECT_EQ(maxy, 40.0f);
}

TEST_F(ConversionsWindowTest, StreamingInputOffersNoCalibrationAndScopeChartNoOptionsForChannelOne) {
  External_AD = ExternalADCode::SerialStream;
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_FALSE(rt::ControlExists(16));
        EXPECT_TRUE(rt::ControlExists(20));
      })
      .Click(W, 15);
  Convert(driver, 2);
  EXPECT_FALSE(OptionsButtonShown(RecordingModeCode::ScopeChart, 1));
  EXPECT_TRUE(OptionsButtonShown(RecordingModeCode::ScopeChart, 2));
  EXPECT_FALSE(OptionsButtonShown(RecordingModeCode::Scope, 1));
}

// ---- rules ------------------------------------------------------------------------------------

TEST(ConversionsWindowRules, InterfaceRangesAndTexts) {
  EXPECT_EQ(InterfaceVoltageRange(ExternalADCode::ADC1), (DisplayRange{-0.4f, 0.4f}));
  EXPECT_EQ(InterfaceVoltageRange(ExternalADCode::DT500), (DisplayRange{-3.5f, 3.5f}));
  EXPECT_EQ(InterfaceVoltageRange(ExternalADCode::DT50), (DisplayRange{-3.5f, 3.5f}));
  EXPECT_EQ(InterfaceVoltageRange(ExternalADCode::DT800), (DisplayRange{-13.0f, 13.0f}));
  EXPECT_EQ(InterfaceVoltageRange(ExternalADCode::DT85), (DisplayRange{-3.0f, 3.0f}));
  EXPECT_EQ(InterfaceVoltageRange(ExternalADCode::ADAM), (DisplayRange{-5.0f, 5.0f}));
  EXPECT_EQ(InterfaceRangeTexts(ExternalADCode::ADC1).minimum, "-.4");
  EXPECT_EQ(InterfaceRangeTexts(ExternalADCode::ADC1).maximum, ".4");
  EXPECT_EQ(InterfaceRangeTexts(ExternalADCode::DT800).maximum, "10");
  EXPECT_EQ(InterfaceRangeTexts(ExternalADCode::DT80).minimum, "-3");
  EXPECT_EQ(InterfaceRangeTexts(ExternalADCode::SableUI3).minimum, "-5");
}

TEST(ConversionsWindowRules, TypeButtonsProposeTheirTextsAsNumbersToo) {
  const auto linear = TypeButtonChoice(18, ExternalADCode::ADC1);
  ASSERT_TRUE(linear);
  EXPECT_EQ(linear->range, (DisplayRange{-0.4f, 0.4f}));
  const auto power = TypeButtonChoice(2, ExternalADCode::DT800);
  ASSERT_TRUE(power);
  EXPECT_EQ(power->type, 3);
  EXPECT_EQ(power->c, 1.0f);
  EXPECT_EQ(power->range, (DisplayRange{-10.0f, 10.0f}));
  EXPECT_FALSE(TypeButtonChoice(15, 0));
  EXPECT_FALSE(TypeButtonChoice(11, 0));
}

TEST(ConversionsWindowRules, MarkedButtonFollowsTheTypeShown) {
  EXPECT_EQ(MarkedButtonForType(1), 18);
  EXPECT_EQ(MarkedButtonForType(2), 12);
  EXPECT_EQ(MarkedButtonForType(3), 2);
  EXPECT_EQ(MarkedButtonForType(5), 17);
  EXPECT_EQ(MarkedButtonForType(6), 14);
  EXPECT_EQ(MarkedButtonForType(7), 13);
  EXPECT_EQ(MarkedButtonForType(8), 1);
  EXPECT_EQ(MarkedButtonForType(9), 19);
  EXPECT_EQ(MarkedButtonForType(0), 18);
  EXPECT_EQ(MarkedButtonForType(4), 18);
}

TEST(ConversionsWindowRules, SableTemperatureInputIsATemperatureOnlyWhenReadAsOne) {
  const InputProposal degrees = SableInternalInputProposal(9, 0);
  EXPECT_EQ(*degrees.label,
            "Temperature (\xA1"
            "C)");
  EXPECT_EQ(*degrees.range, (DisplayRange{0.0f, 40.0f}));
  const InputProposal volts = SableInternalInputProposal(12, 1);
  EXPECT_EQ(*volts.label, "volts");
  EXPECT_EQ(*volts.range, (DisplayRange{0.0f, 5.0f}));
  const InputProposal ohms = SableInternalInputProposal(11, 2);
  EXPECT_EQ(*ohms.label, "Resistance (ohms)");
  EXPECT_FALSE(ohms.range);
  EXPECT_TRUE(SableInternalInputProposal(10, 7).zap);
  EXPECT_EQ(*SableInternalInputProposal(13, 0).range, (DisplayRange{0.0f, 65565.0f}));
  EXPECT_FALSE(SableInternalInputProposal(15, 0).label);
  EXPECT_FALSE(SableInternalInputProposal(16, 0).range);
  EXPECT_FALSE(SableInternalInputProposal(8, 0).label);
}

TEST(ConversionsWindowRules, MenuItemTextTrimsTheLabel) {
  EXPECT_EQ(ConversionMenuText("Ch.", 12, "CO2 (%)        "), "Ch. 12:  CO2 (%)");
}

}  // namespace
}  // namespace mv
