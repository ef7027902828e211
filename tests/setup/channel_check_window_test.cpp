// The conversion and display test window: its equation line, the trace position,
// the averaging defaults, and the live window driven in demonstration mode.
#include "setup/channel_check_window.h"

#include <limits>
#include <string>

#include "conversions/evaluate.h"
#include "devices/state.h"
#include "dialog_steps.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/kit/format.h"
#include "shell/state.h"

namespace mv {
namespace {

constexpr int16_t W = kChannelCheckWindow;

TEST(ChannelCheckRules, EquationLinesOfEachKind) {
  const BreakpointRecord bp{1.25f};
  const ThreeWayPolyRecord poly{1, 2, 3, 4, 0, 10, 0.5f};
  const auto eq = [&](int16_t type, float a, float b, float c) {
    return ChannelEquationText(type, a, b, c, bp, poly).str();
  };
  EXPECT_EQ(eq(ConversionTypeCode::Linear, 0, 2, 1), "equation:   2*volts");
  EXPECT_EQ(eq(ConversionTypeCode::Linear, 1.5f, -2, 0), "equation:   1.5-2*volts");
  EXPECT_EQ(eq(ConversionTypeCode::Polynomial, 1, 2, -3), "equation:   1 +  2*volts -3*volts^2");
  EXPECT_EQ(eq(ConversionTypeCode::Polynomial, 0, 2, 0), "equation:   2*volts ");
  EXPECT_EQ(eq(ConversionTypeCode::Power, 0, 2, 0.5f), "equation:   2*volts^ 0.5");
  EXPECT_EQ(eq(ConversionTypeCode::Breakpoint, 0, 1, 0),
            "equation:  complex conversion with breakpoint at 1.25 volts");
  EXPECT_EQ(eq(ConversionTypeCode::ThreeWay, 0, 1, 0),
            "equation:  V=volts* 0.5; data=  10*[ 1 + (V* 2) + (V^2* 3) + (V^3* 4)]");
}

TEST(ChannelCheckRules, TraceHeightsAndAveragingDefaults) {
  EXPECT_EQ(CheckTraceY(5, 0, 10), 165);  // 240 - 5 x 15
  EXPECT_EQ(CheckTraceY(20, 0, 10), 90);
  EXPECT_EQ(CheckTraceY(-5, 0, 10), 240);
  EXPECT_EQ(DefaultTestAveraging(ExternalADCode::SableUI3), 4);
  EXPECT_EQ(DefaultTestAveraging(ExternalADCode::Demonstration), 10);
  EXPECT_EQ(DefaultTestAveraging(ExternalADCode::DT80), 1);
  EXPECT_EQ(AveragingButtonFor(20), CheckButton::Twenty);
  EXPECT_EQ(AveragingButtonFor(10), CheckButton::One);
  EXPECT_EQ(UpdateButtonFor(30), CheckButton::Half);
}

// A plot range of no height (maximum = minimum) must not send the trace outside
// its band or through a cast of an infinite position.
TEST(ChannelCheckRules, ARangeOfNoHeightKeepsTheTraceInItsBand) {
  EXPECT_EQ(CheckTraceY(3, 2, 2), 90);
  EXPECT_EQ(CheckTraceY(1, 2, 2), 240);
  EXPECT_EQ(CheckTraceY(2, 2, 2), 240);
  EXPECT_EQ(CheckTraceY(std::numeric_limits<float>::quiet_NaN(), 0, 10), 240);
}

class ChannelCheckWindowTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Sound_Is_On = 1;
    rt::SeedRandom(7);
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::Demonstration;
    nChannels = 2;
    ChannelVariables[0][2] = ConversionTypeCode::Linear;
    ChannelVariables[2][ChanField::Input] = 3;
    ChannelVariables[2][ChanField::A] = 0;
    ChannelVariables[2][ChanField::B] = 2;
    ChannelVariables[2][ChanField::C] = 1;
    ChannelVariables[2][ChanField::PlotMax] = 3;
    ChannelVariables[2][ChanField::PlotMin] = 0;
  }
  static double FieldValue() { return TextToNumber(rt::EditText(1)); }
};

TEST_F(ChannelCheckWindowTest, DemonstrationAveragesTenWithOneShownThenTakesTheUsersChoices) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(PrefsArray[PrefsSlot::LiveTestReadings], 10);
        EXPECT_EQ(rt::ControlState(CheckButton::One), 2) << "10 is none of the five counts";
        EXPECT_EQ(rt::ControlState(CheckButton::Continuous), 2);
        EXPECT_EQ(rt::WindowTitle(W), " Conversion and Display Test ");
      })
      .Then("a value shown", [] { return !rt::EditText(1).empty(); })
      .Click(W, CheckButton::Twenty)
      .Click(W, CheckButton::Half)
      .Check([] {
        // 2 x (0.301 .. 1.100 V), averaged.
        EXPECT_GE(FieldValue(), 0.6);
        EXPECT_LE(FieldValue(), 2.2);
        EXPECT_EQ(rt::ControlState(CheckButton::One), 1);
        EXPECT_EQ(rt::ControlState(CheckButton::Twenty), 2);
        EXPECT_EQ(rt::ControlState(CheckButton::Half), 2);
        EXPECT_EQ(rt::ControlState(CheckButton::Continuous), 1);
      })
      .Then("a stretch of trace", [passes = 0]() mutable { return ++passes > 250; })
      .Shot(W, Shot("w6-conversion-test.png"))
      .Click(W, CheckButton::Done);
  RunVoid(driver, [] { CHECKCHANNEL(2); });
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(PrefsArray[PrefsSlot::LiveTestReadings], 20);
  EXPECT_EQ(PrefsArray[PrefsSlot::TestUpdateOption], 30);
  EXPECT_EQ(Action, ActionCode::Redraw);
  EXPECT_EQ(Played("upvip.mp3"), 1);
  EXPECT_EQ(Played("downvip.mp3"), 1);
  EXPECT_EQ(calls.back(), "menus on");
}

TEST_F(ChannelCheckWindowTest, ThreeWayChannelLeavesVoltsScaledAndEscapeEnds) {
  ChannelVariables[0][2] = ConversionTypeCode::ThreeWay;
  polyarray[2] = {0, 1, 0, 0, 0, 1, 10};  // value = V x 10, volts scaled by 10
  PrefsArray[PrefsSlot::LiveTestReadings] = 1;
  PrefsArray[PrefsSlot::TestUpdateOption] = 60;
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(PrefsArray[PrefsSlot::TestUpdateOption], 0) << "every opening refreshes on each pass";
      })
      .Then("a value shown", [] { return !rt::EditText(1).empty(); })
      .Key(W, Qt::Key_Escape, "\x1b");
  RunVoid(driver, [] { CHECKCHANNEL(2); });
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_GE(volts, 3.01f);
  EXPECT_LE(volts, 11.0f);
}

}  // namespace
}  // namespace mv
