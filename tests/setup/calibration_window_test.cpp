// The direct calibration window driven as the user drives it: typed values, live
// readings through the interface's reader (a fake DataTaker reader) or the
// demonstration readings, the fits and their plots, the refusals, the 100-point end
// and every way of abandoning it.
#include "setup/calibration_window.h"

#include <QComboBox>
#include <string>
#include <utility>
#include <vector>

#include "conversions/conversions_window.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "devices/needs.h"
#include "devices/state.h"
#include "dialog_steps.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/conversion_windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t W = kCalibrationWindow;
constexpr int16_t kConversions = kConversionsWindow;
using namespace CalibrationControl;

std::string Field(int16_t field) {
  rt::SetOutputWindow(W);
  return rt::EditText(field);
}
int16_t StateOf(int16_t control) {
  rt::SetOutputWindow(W);
  return rt::ControlState(control);
}

class CalibrationWindowTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    InstallConversionWindows();
    rt::NewMenu(100, "Conversion Equations");
    rt::NewMenu(120, "Conversion Options");
    Sound_Is_On = 1;
    PrefsArray[PrefsSlot::WeirdSounds] = 1;
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::DT500;
    services::ReadDataTaker500 = [this](int16_t channel, int16_t) {
      ++reads;
      volts = fakeVolts;
    };
    nChannels = 2;
    BlankChannelLabels();
    // Channel 2: a logarithmic conversion on input 3, shown from 0 to 5.
    ChannelVariables[0][2] = ConversionTypeCode::Logarithmic;
    ChannelVariables[2][ChanField::Input] = 3;
    ChannelVariables[2][ChanField::A] = 1;
    ChannelVariables[2][ChanField::B] = 2;
    ChannelVariables[2][ChanField::C] = 0;
    ChannelVariables[2][ChanField::PlotMin] = 0;
    ChannelVariables[2][ChanField::PlotMax] = 5;
  }

  // Types the value, sets what the reader returns, and takes the point.
  void Point(test::WindowDriver& d, const char* value, float readerVolts) {
    d.Then("type", test::TypeInto(W, ValueField, value))
        .Check([this, readerVolts] { fakeVolts = readerVolts; })
        .Click(W, GetVoltage);
  }
  static void PickReadings(test::WindowDriver& d, int item) {
    d.Then("readings per point", [item] {
      auto* combo = qobject_cast<QComboBox*>(rt::bridge::ControlWidget(W, ReadingsPopup));
      if (!combo) return false;
      combo->setCurrentIndex(item - 1);
      emit combo->activated(item - 1);
      return true;
    });
  }
  static test::WindowDriver::Step CountShows(std::string text) {
    return [text] { return rt::WindowExists(W) && Field(CountField) == text; };
  }

  float fakeVolts = 0;
  int reads = 0;
};

// The conversions window's "Direct Calibration..." opens the calibration; three
// live points give the line, and Equation OK hands it back through the
// conversions window, which closes with it.
TEST_F(CalibrationWindowTest, ThreeLivePointsGiveTheLineAndEquationOKHandsItBack) {
  test::WindowDriver d;
  d.WaitFor(kConversions)
      .Check([] { EXPECT_EQ(rt::ControlState(ConversionsButton::DirectCalibration), 1) << "offered"; })
      .Click(kConversions, ConversionsButton::DirectCalibration)
      .WaitFor(W)
      .Check([] {
        EXPECT_EQ(rt::WindowTitle(W), " Direct Calibration for Channel 2, Input 3   (100 points maximum) ");
        EXPECT_EQ(ChannelVariables[0][2], ConversionTypeCode::Linear) << "a calibration starts linear";
        EXPECT_EQ(StateOf(Residuals), 0) << "no residuals before a fit";
        EXPECT_EQ(Field(EquationField), "A + B*volts");
      });
  Point(d, "10", 0.5f);
  d.Then("one point", CountShows(" 1 point; a straight line needs 2"));
  Point(d, "20", 1.0f);
  d.Then("two points", CountShows(" 2 points; r-squared =  1"))
      .Check([this] { fakeVolts = 1.5f; })
      .Then("return takes the point", test::TypeInto(W, ValueField, "30", true))
      .Then("fitted", CountShows(" 3 points; r-squared =  1"))
      .Check([] {
        EXPECT_EQ(Field(EquationField), " 0 +  20*volts");
        EXPECT_EQ(Field(VoltsField), " 1.5");
        EXPECT_EQ(StateOf(Residuals), 1);
      })
      .Shot(W, Shot("w315-direct-calibration-fit.png"))
      .Click(W, EquationOK);
  RunVoid(d, [] { CONVERT(2); });
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_FALSE(rt::WindowExists(kConversions)) << "the fit ends the conversions window too";
  EXPECT_EQ(aval, 0.0f);
  EXPECT_EQ(bval, 20.0f);
  EXPECT_EQ(exponent, 0.0f);
  EXPECT_EQ(ChannelVariables[0][2], ConversionTypeCode::Linear);
  EXPECT_EQ(miny, 10.0f) << "the typed values are the proposed range";
  EXPECT_EQ(maxy, 30.0f);
  EXPECT_EQ(Action, ActionCode::Redraw);
  EXPECT_EQ(Played("setup.mp3"), 3);
  EXPECT_EQ(autocalibrationArray[3][1], 30.0f);
  EXPECT_EQ(autocalibrationArray[3][2], 1.5f);
}

// An abandoned calibration must not leave the channel with another conversion type
// (a logarithmic channel used to come back linear, or power, with its old a, b, c).
TEST_F(CalibrationWindowTest, AbandoningKeepsTheChannelsConversionType) {
  test::WindowDriver d;
  d.WaitFor(kConversions).Click(kConversions, ConversionsButton::DirectCalibration).WaitFor(W);
  Point(d, "1", 1.0f);
  Point(d, "4", 2.0f);
  Point(d, "16", 4.0f);
  d.Then("fitted", [] { return Field(CountField).find(" 3 points; r-squared = ") == 0; })
      .Click(W, Power)
      .Check([] { EXPECT_EQ(ChannelVariables[0][2], ConversionTypeCode::Power); })
      .Event(ActionCode::CloseBox, W)
      .Then("the conversions window again",
            [] { return !rt::WindowExists(W) && rt::WindowExists(kConversions); })
      .Check([] { EXPECT_EQ(ChannelVariables[0][2], ConversionTypeCode::Logarithmic); })
      .Click(kConversions, ConversionsButton::SelectionOK);
  RunVoid(d, [] { CONVERT(2); });
  EXPECT_EQ(ChannelVariables[0][2], ConversionTypeCode::Logarithmic);
  EXPECT_EQ(Played("rip.mp3"), 1);
}

// Every way out other than Equation OK restores the type, the coefficients and the
// range as they were; the calibration window's own activation changes end nothing.
TEST_F(CalibrationWindowTest, EveryAbandonRestoresTypeCoefficientsAndRange) {
  struct Way {
    const char* what;
    int16_t kind, item;
  };
  const Way ways[] = {
      {"its close box", 4, W},
      {"a click in the conversions window", 3, kConversions},
      {"the user activating another window", 18, kConversions},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.what);
    ChannelVariables[0][2] = ConversionTypeCode::Logarithmic;
    aval = 1, bval = 2, exponent = 3, miny = -4, maxy = 5;
    test::WindowDriver d;
    d.WaitFor(W);
    Point(d, "10", 0.5f);
    Point(d, "20", 1.0f);
    Point(d, "30", 1.5f);
    d.Then("fitted", CountShows(" 3 points; r-squared =  1"))
        .Click(W, Polynomial)
        .Event(18, -W)
        .Check([] { EXPECT_TRUE(rt::WindowExists(W)) << "losing the focus abandons nothing"; })
        .Event(way.kind, way.item);
    RunVoid(d, [] { DIRECTCAL(2); });
    EXPECT_FALSE(rt::WindowExists(W));
    EXPECT_EQ(Action, ActionCode::CloseBox);
    EXPECT_EQ(ChannelVariables[0][2], ConversionTypeCode::Logarithmic);
    EXPECT_EQ(aval, 1.0f);
    EXPECT_EQ(bval, 2.0f);
    EXPECT_EQ(exponent, 3.0f);
    EXPECT_EQ(miny, -4.0f);
    EXPECT_EQ(maxy, 5.0f);
  }
}

// Points at one voltage allow no line: the window says why, draws no curve, offers
// no residuals, and refuses Equation OK (it used to hand back a = 0, b = 1, a
// conversion nobody measured); the close box keeps what the channel had.
TEST_F(CalibrationWindowTest, AFitThePointsDoNotAllowIsRefusedWithItsReason) {
  test::WindowDriver d;
  d.WaitFor(W);
  Point(d, "10", 1.0f);
  Point(d, "20", 1.0f);
  Point(d, "30", 1.0f);
  d.Then("refused", CountShows(" 3 points; no fit: all volts are equal"))
      .Check([] {
        EXPECT_EQ(Field(EquationField), "A + B*volts");
        EXPECT_EQ(StateOf(Residuals), 0);
      })
      .Click(W, Polynomial)
      .Then("refused again", CountShows(" 3 points; no fit: fewer than 3 different volts"))
      .Click(W, Linear)
      .Click(W, EquationOK)
      .Then("still asking", CountShows(" 3 points; no fit: all volts are equal"))
      .Check([] { EXPECT_TRUE(rt::WindowExists(W)) << "Equation OK refused"; })
      .Event(ActionCode::CloseBox, W);
  aval = 1, bval = 2, exponent = 0, miny = -4, maxy = 5;
  RunVoid(d, [] { DIRECTCAL(2); });
  EXPECT_EQ(Action, ActionCode::CloseBox);
  EXPECT_EQ(ChannelVariables[0][2], ConversionTypeCode::Logarithmic);
  EXPECT_EQ(aval, 1.0f);
  EXPECT_EQ(bval, 2.0f);
  EXPECT_EQ(Played("bzot.mp3"), 1) << "the refusal buzzes";
}

// A reading the interface could not give (the bad-reading value) used to become a
// point at -99999 V and wreck the fit.
TEST_F(CalibrationWindowTest, AFailedReadingIsNoCalibrationPoint) {
  test::WindowDriver d;
  d.WaitFor(W);
  Point(d, "10", 0.5f);
  Point(d, "20", kBadReading);
  d.Then("refused", CountShows("no reading: point not taken")).Check([] {
    EXPECT_EQ(Field(VoltsField), "no reading");
  });
  Point(d, "20", 1.0f);
  d.Then("two points", CountShows(" 2 points; r-squared =  1")).Click(W, EquationOK);
  RunVoid(d, [] { DIRECTCAL(2); });
  EXPECT_EQ(autocalibrationArray[2][1], 20.0f);
  EXPECT_EQ(autocalibrationArray[2][2], 1.0f);
  EXPECT_EQ(Played("bzot.mp3"), 1);
}

// Demonstration readings averaged 20 to a point; a power fit leaves out (and marks)
// the point at 0, whose residual is 0; the residual plot comes and goes with its
// button; Clear starts the count again.
TEST_F(CalibrationWindowTest, DemonstrationPowerFitWithResiduals) {
  External_AD = ExternalADCode::Demonstration;
  rt::SeedRandom(11);
  test::WindowDriver d;
  d.WaitFor(W).Click(W, Power);
  PickReadings(d, 5);
  for (const char* v : {"0", "2", "5", "10", "20", "40"}) Point(d, v, 0);
  // The count says how many points the fit used: the 0 is left out.
  d.Then("fitted", [] { return Field(CountField).find(" 6 points, 5 fitted; r-squared = ") == 0; })
      .Check([] {
        // 20 readings of 10 lie between 5.006 and 6.694 V each.
        EXPECT_GE(autocalibrationArray[4][2], 5.006f);
        EXPECT_LE(autocalibrationArray[4][2], 6.694f);
        // value = (V/k)^(1/0.765): an exponent near 1.31.
        const std::string eq = Field(EquationField);
        ASSERT_NE(eq.find("* volts^"), std::string::npos) << eq;
        const double c = TextToNumber(eq.substr(eq.find('^') + 1));
        EXPECT_GT(c, 1.2);
        EXPECT_LT(c, 1.45);
      })
      .Shot(W, Shot("w315-direct-calibration-power.png"))
      .Click(W, Residuals)
      .Check([] {
        EXPECT_EQ(StateOf(Residuals), 2);
        EXPECT_EQ(autocalibrationArray[1][3], 0.0f) << "the point the power fit leaves out";
        EXPECT_NE(autocalibrationArray[2][3], 0.0f);
      })
      .Shot(W, Shot("w315-direct-calibration-residuals.png"))
      .Click(W, Residuals)
      .Check([] { EXPECT_EQ(StateOf(Residuals), 1); })
      .Click(W, Clear)
      .Check([] {
        EXPECT_EQ(StateOf(Residuals), 0);
        EXPECT_EQ(Field(CountField), "N, r-squared");
      });
  Point(d, "3", 0);
  d.Then("counted from 1", CountShows(" 1 point; a power fit needs 2")).Event(ActionCode::CloseBox, W);
  RunVoid(d, [] { DIRECTCAL(2); });
  EXPECT_EQ(ChannelVariables[0][2], ConversionTypeCode::Logarithmic) << "abandoned: the channel as it was";
}

// Points on an exact line: r-squared shows 1 and the residual plot lies flat on its
// zero line (no rounding noise scaled up to the plot's height).
TEST_F(CalibrationWindowTest, AnExactLineShowsRSquaredOneAndAFlatResidualPlot) {
  test::WindowDriver d;
  d.WaitFor(W);
  int i = 0;
  for (const char* v : {"5.43", "7.56", "9.69", "11.82", "13.95", "16.08"}) {
    Point(d, v, 0.3f + 0.3f * static_cast<float>(i++));
  }
  d.Then("fitted", [] { return Field(CountField).find(" 6 points;") == 0; })
      .Check([] { EXPECT_EQ(Field(CountField), " 6 points; r-squared =  1"); })
      .Click(W, Residuals)
      .Check([] { EXPECT_EQ(StateOf(Residuals), 2); })
      .Shot(W, Shot("w315-direct-calibration-exact-residuals.png"))
      .Click(W, EquationOK);
  RunVoid(d, [] { DIRECTCAL(2); });
}

// A reader alternating 0 and 1 V: every point is the mean of the readings chosen.
TEST_F(CalibrationWindowTest, EachPointIsTheMeanOfTheChosenReadings) {
  services::ReadDataTaker500 = [this](int16_t, int16_t) { volts = static_cast<float>(++reads % 2); };
  test::WindowDriver d;
  d.WaitFor(W);
  PickReadings(d, 2);  // two
  d.Click(W, GetVoltage);
  PickReadings(d, 7);  // a hundred
  d.Click(W, GetVoltage)
      .Then("two points at one voltage", CountShows(" 2 points; no fit: all volts are equal"))
      .Event(ActionCode::CloseBox, W);
  RunVoid(d, [] { DIRECTCAL(2); });
  EXPECT_EQ(autocalibrationArray[1][2], 0.5f);
  EXPECT_EQ(autocalibrationArray[2][2], 0.5f);
}

TEST_F(CalibrationWindowTest, TheHundredthPointEndsTheWindowWithItsFit) {
  services::ReadDataTaker500 = [this](int16_t, int16_t) { volts = fakeVolts; };
  test::WindowDriver d;
  d.WaitFor(W).Then("type", test::TypeInto(W, ValueField, "7"));
  for (int i = 1; i <= 100; ++i) {
    d.Check([this, i] { fakeVolts = 0.01f * static_cast<float>(i); }).Click(W, GetVoltage);
  }
  RunVoid(d, [] { DIRECTCAL(2); });
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_NE(Action, ActionCode::CloseBox);
  EXPECT_EQ(autocalibrationArray[100][2], 1.0f);
  EXPECT_FLOAT_EQ(aval, 7.0f);
  EXPECT_NEAR(bval, 0.0f, 1e-4);
  EXPECT_FLOAT_EQ(miny, 6.3f) << "a flat range widened by a tenth";
  EXPECT_FLOAT_EQ(maxy, 7.7f);
}

// Two, three and eight points on the line 10 x volts, each kind of fit: a kind with the
// points it needs hands its fit back; one with fewer is refused with the line naming how
// many it needs, and the window stays. Two points used to give a = 0, b = 1 silently.
TEST_F(CalibrationWindowTest, EquationOKHandsBackAFitOnlyWhenTheKindHasThePointsItNeeds) {
  struct Case {
    const char* what;
    int points;
    int16_t kindButton;
    const char* refusal;  // nullptr: the fit is handed back
    int16_t type;
    // Typed values and their volts, when not 10, 20, ... at 1, 2, ... volts.
    std::vector<std::pair<const char*, float>> typed = {};
  };
  const Case cases[] = {
      {"line through 2", 2, Linear, nullptr, ConversionTypeCode::Linear},
      {"power through 2", 2, Power, nullptr, ConversionTypeCode::Power},
      {"polynomial of 2", 2, Polynomial, " 2 points; a 2-order poly needs 3", 0},
      {"line of 3", 3, Linear, nullptr, ConversionTypeCode::Linear},
      {"polynomial of 3", 3, Polynomial, nullptr, ConversionTypeCode::Polynomial},
      {"line of 8", 8, Linear, nullptr, ConversionTypeCode::Linear},
      {"polynomial of 8", 8, Polynomial, nullptr, ConversionTypeCode::Polynomial},
      {"line of 1", 1, Linear, " 1 point; a straight line needs 2", 0},
      // 1 % apart in volts: the multiplier, about 1e-77, would be stored as 0 and every
      // value converted to 0 where the points say 3 and 9.
      {"power whose multiplier underflows", 2, Power, " 2 points; no fit: a coefficient is too small", 0,
       {{"3", 5.069f}, {"9", 5.120f}}},
      // 0.1 mV apart: the parabola's coefficients kept as singles give 0 and 32 for 3 to 15.
      {"parabola whose terms cancel", 4, Polynomial, " 4 points; no fit: the volts are too close together", 0,
       {{"3", 2.0f}, {"5", 2.0001f}, {"9", 2.0002f}, {"15", 2.0003f}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ChannelVariables[0][2] = ConversionTypeCode::Logarithmic;
    aval = 1, bval = 2, exponent = 0;
    sounds.clear();
    test::WindowDriver d;
    d.WaitFor(W).Click(W, c.kindButton);
    for (int i = 1; i <= c.points; ++i) {
      if (!c.typed.empty())
        Point(d, c.typed[i - 1].first, c.typed[i - 1].second);
      else
        Point(d, std::to_string(10 * i).c_str(), static_cast<float>(i));
    }
    d.Click(W, EquationOK);
    if (c.refusal != nullptr) {
      d.Then("refused", CountShows(c.refusal))
          .Check([] { EXPECT_TRUE(rt::WindowExists(W)); })
          .Shot(W, Shot((std::string("w315-direct-calibration-refused-") + std::to_string(c.points) + ".png")
                            .c_str()))
          .Event(ActionCode::CloseBox, W);
    }
    RunVoid(d, [] { DIRECTCAL(2); });
    EXPECT_FALSE(rt::WindowExists(W));
    if (c.refusal != nullptr) {
      EXPECT_EQ(Played("bzot.mp3"), 1);
      EXPECT_EQ(ChannelVariables[0][2], ConversionTypeCode::Logarithmic) << "the channel as it was";
      EXPECT_EQ(bval, 2.0f);
      continue;
    }
    EXPECT_NE(Action, ActionCode::CloseBox);
    EXPECT_EQ(ChannelVariables[0][2], c.type);
    // value = 10 x volts: a 0 and b 10, or b 10 and exponent 1.
    EXPECT_NEAR(aval, 0.0f, 1e-4);
    EXPECT_NEAR(bval, 10.0f, 1e-4);
    if (c.type == ConversionTypeCode::Power) {
      EXPECT_NEAR(exponent, 1.0f, 1e-5);
    } else {
      EXPECT_NEAR(exponent, 0.0f, 1e-4);
    }
    EXPECT_EQ(miny, 10.0f);
    EXPECT_EQ(maxy, 10.0f * static_cast<float>(c.points));
  }
}

}  // namespace
}  // namespace mv
