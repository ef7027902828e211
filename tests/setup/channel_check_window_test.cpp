// The conversion and display test window: its equation line, the trace position,
// the averaging defaults, and the live window driven in demonstration mode.
#include "setup/channel_check_window.h"

#include <QAbstractButton>
#include <limits>
#include <memory>
#include <string>

#include "conversions/evaluate.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "dialog_steps.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/qt_bridge.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"

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

// The logarithmic and reciprocal types once showed the linear "a + b*volts".
TEST(ChannelCheckRules, EveryTypeShowsItsOwnEquation) {
  const auto eq = [](int16_t type, float a, float b, float c) {
    return ChannelEquationText(type, a, b, c, BreakpointRecord{}, ThreeWayPolyRecord{}).str();
  };
  EXPECT_EQ(eq(ConversionTypeCode::Logarithmic, 1, 2, 0), "equation:   1 +  2*log10(volts)");
  EXPECT_EQ(eq(ConversionTypeCode::Logarithmic, 0, -2, 0), "equation:  -2*log10(volts)");
  EXPECT_EQ(eq(ConversionTypeCode::Reciprocal, 0.5f, 3, 7), "equation:   0.5 +  3/volts");
  EXPECT_EQ(eq(ConversionTypeCode::None, 5, 2, 0), "equation:  volts (no conversion)");
  EXPECT_EQ(eq(ConversionTypeCode::Keyboard, -9999, 1, 0), "equation:  the value of the last recording key");
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

// Opens the window on channel 2 and, once `passes` passes of its loop are done,
// saves its picture and clicks "Done". With one reading a pass, every pass pumps
// the events twice: at its start and before its reading.
void RunPasses(int passes, const std::string& shot) {
  int pumps = 0;
  rt::SetPumpHook([&] {
    if (!rt::WindowExists(W)) return;
    ++pumps;
    if (pumps == 2 * passes + 1) {
      EXPECT_TRUE(rt::SaveWindowImage(W, shot));
      auto* done = qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(W, CheckButton::Done));
      ASSERT_NE(done, nullptr);
      done->click();
    }
    if (pumps > 4 * passes + 100) rt::CloseWindow(W);  // never hang the test
  });
  CHECKCHANNEL(2);
  rt::SetPumpHook(nullptr);
  EXPECT_LE(pumps, 2 * passes + 3) << "Done ends the window after its pass";
}

TEST_F(ChannelCheckWindowTest, TwoHundredSeededPassesOfDemonstrationReadings) {
  PrefsArray[PrefsSlot::LiveTestReadings] = 1;
  ChannelVariables[2][ChanField::B] = 1;
  ChannelVariables[2][ChanField::PlotMax] = 1.1f;
  ChannelVariables[2][ChanField::PlotMin] = 0.3f;  // the readings' own range, 0.301 to 1.1 V
  RunPasses(200, Shot("w6-conversion-test-200-passes.png"));
  EXPECT_FALSE(rt::WindowExists(W));
}

// The value once came from the ten-digit readout rule, so 0.3 showed as
// "0.3000000119"; it follows the program-wide digits as the other readouts do.
TEST_F(ChannelCheckWindowTest, TheValueShowsTheProgramWideDigitsWithoutFloatNoise) {
  PrefsArray[PrefsSlot::LiveTestReadings] = 1;
  ChannelVariables[2][ChanField::A] = 0.3f;
  ChannelVariables[2][ChanField::B] = 0;
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Then("a value shown", [] { return !rt::EditText(1).empty(); })
      .Check([] { EXPECT_EQ(rt::EditText(1), " 0.3"); })
      .Click(W, CheckButton::Done);
  RunVoid(driver, [] { CHECKCHANNEL(2); });
}

// A long value (ten digits asked for) is drawn whole in the value box.
TEST_F(ChannelCheckWindowTest, ALongValueIsShownWhole) {
  SignificantDigits = 10;
  PrefsArray[PrefsSlot::LiveTestReadings] = 1;
  ChannelVariables[0][2] = ConversionTypeCode::Reciprocal;
  ChannelVariables[2][ChanField::A] = -1234.567891f;
  ChannelVariables[2][ChanField::B] = 0;
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Then("a value shown", [] { return !rt::EditText(1).empty(); })
      .Check([] { EXPECT_EQ(rt::EditText(1), "-1234.567871"); })
      .Shot(W, Shot("w6-conversion-test-long-value.png"))
      .Click(W, CheckButton::Done);
  RunVoid(driver, [] { CHECKCHANNEL(2); });
}

// A counter input of a DT500 starts from the chosen count when the window opens:
// the logger receives exactly one preset line.
TEST_F(ChannelCheckWindowTest, ADataTakerCounterInputIsPresetWhenTheWindowOpens) {
  External_AD = ExternalADCode::DT500;
  counterstart = 0;
  DataTakerChannels[2][DataTakerWord::Counter] = 1;
  auto owned = std::make_unique<ScriptedSerialPort>();
  ScriptedSerialPort* port = owned.get();
  InstallSerialPort(std::move(owned));
  test::WindowDriver driver;
  // The window's readings ask for the count ("3HSC"); only one line presets it.
  const auto presets = [port] {
    int n = 0;
    for (const std::string& line : port->Writes()) n += line.rfind("3HSC=", 0) == 0 ? 1 : 0;
    return n;
  };
  driver.WaitFor(W).Check([&] { EXPECT_EQ(presets(), 1) << port->Written(); }).Click(W, CheckButton::Done);
  RunVoid(driver, [] { CHECKCHANNEL(2); });
  ASSERT_FALSE(port->Writes().empty());
  EXPECT_EQ(port->Writes().front(), "3HSC= 0\r");
  EXPECT_EQ(presets(), 1);
  CloseSerialPort();
}

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
