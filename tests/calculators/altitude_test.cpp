// The standard atmosphere and the altitude and pressure calculator: the formulas
// pinned against hand-worked values, and the window driven through both directions,
// the unit buttons, Tab and Store Pressure.
#include "calculators/altitude.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "calculators/altitude_calc.h"
#include "conditions_driver.h"
#include "files/state.h"
#include "kit/state.h"

namespace mv::calc {
namespace {

constexpr double kMetresPerFoot = 0.3048;
constexpr double kTorrPerKPa = 760 / 101.325;

// The 1976 standard atmosphere's troposphere: P = 101.325 (1 - h / 44330.8)^5.255876 kPa.
double Us1976Torr(double metres) {
  return 760 * std::pow(1 - metres / 44330.8, 5.255876);
}

TEST(StandardAtmosphere, PressureOfAnAltitudeAgreesWithThe1976StandardAtmosphere) {
  for (double h = 0; h <= 5000; h += 250) {
    const double reference = Us1976Torr(h);
    EXPECT_NEAR(StandardPressureTorr(static_cast<float>(h)), reference, reference * 0.012) << h << " m";
    EXPECT_NEAR(PressureFromEntry(static_cast<float>(h), false, false), reference / kTorrPerKPa,
                reference / kTorrPerKPa * 0.012)
        << h << " m in kPa";
    EXPECT_NEAR(PressureFromEntry(static_cast<float>(h / kMetresPerFoot), true, true), reference,
                reference * 0.012)
        << h << " m in feet";
  }
  EXPECT_EQ(PressureFromEntry(0, true, false), 760.0f);
  EXPECT_EQ(PressureFromEntry(0, false, true), 101.325f);
}

// A foot is 0.3048 m exactly: 700 torr is 652.56 m, 2140.96 ft (not 2139.10).
TEST(StandardAtmosphere, FeetAreExactFeet) {
  const float metres = AltitudeFromEntry(700, true, false);
  EXPECT_NEAR(AltitudeFromEntry(700, true, true), metres / kMetresPerFoot, 1e-2);
  EXPECT_NEAR(AltitudeFromEntry(700, true, true), 2140.96, 0.01);
  EXPECT_NEAR(PressureFromEntry(static_cast<float>(1000 / kMetresPerFoot), true, true),
              StandardPressureTorr(1000), 1e-3);
}

TEST(StandardAtmosphere, AltitudeOfAPressure) {
  EXPECT_EQ(AltitudeFromEntry(760, true, false), 0.0f) << "not the formula's 0.005 m";
  EXPECT_EQ(AltitudeFromEntry(101.325f, false, false), 0.0f);
  EXPECT_EQ(AltitudeFromEntry(101.325f, false, true), 0.0f);
  EXPECT_NEAR(AltitudeFromEntry(500, true, false), 3322.469, 1e-2);
  EXPECT_NEAR(AltitudeFromEntry(500, true, true), 3322.469 / kMetresPerFoot, 5e-2);
  EXPECT_NEAR(AltitudeFromEntry(90, false, false), std::log10(90 * 7.50062) * -18271.0 + 52635.35, 1e-2);
  EXPECT_FALSE(std::isfinite(AltitudeFromEntry(0, true, false)));
  EXPECT_FALSE(std::isfinite(AltitudeFromEntry(-10, false, false)));
}

TEST(StandardAtmosphere, SimulatedConcentration) {
  EXPECT_NEAR(RequiredConcentration(520.7283f, 20.95f, 760), 14.3543, 1e-3);
  EXPECT_FALSE(std::isfinite(RequiredConcentration(520, 20.95f, 0)));
}

class AltitudeWindowTest : public test::ConditionsCalcTest {
 protected:
  static constexpr int16_t kPressure = 111, kAltitude = 112;
  static constexpr int16_t kAltFromPressure = 1, kPressureFromAlt = 2, kStore = 3, kDone = 4, kHelp = 15,
                           kMetres = 5, kFeet = 6, kTorr = 7, kKPa = 8;
};

TEST_F(AltitudeWindowTest, BothDirectionsInTorrAndKPa) {
  Run(ALTITUDE, {Shot("w8-altitude.png"),
                 Do([this] {
                   EXPECT_EQ(Text(kPressure), " 760");
                   EXPECT_EQ(Text(kAltitude), "    0.0");
                   EXPECT_EQ(CountPlayed("upvip.mp3"), 1) << "the opening computation";
                 }),
                 Type(kAltitude, "1000"),
                 Return(kAltitude),
                 Do([this] {
                   EXPECT_EQ(Text(kPressure), "  670.0") << "Return stands for Compute Pressure";
                   EXPECT_EQ(CountPlayed("upvip.mp3"), 2);
                 }),
                 Click(kKPa),
                 Do([] {
                   // The pressure computed, not its text "670.0" read back: as computed in kPa.
                   EXPECT_EQ(Text(kPressure), "  89.327") << "the pressure of 1000 m shown in kPa";
                   EXPECT_EQ(Text(kAltitude), "1000") << "the unit buttons compute nothing";
                   EXPECT_EQ(State(kKPa), 2);
                   EXPECT_EQ(State(kTorr), 1);
                 }),
                 Click(kKPa),
                 Do([] { EXPECT_EQ(Text(kPressure), "  89.327") << "selected already"; }),
                 Click(kPressureFromAlt),
                 Do([] { EXPECT_EQ(Text(kPressure), "  89.327"); }),
                 Type(kAltitude, "0"),
                 Click(kPressureFromAlt),
                 Do([] { EXPECT_EQ(Text(kPressure), " 101.325"); }),
                 Click(kAltFromPressure),
                 Do([] {
                   EXPECT_EQ(Text(kAltitude), "   0.000") << "kPa picture for the altitude too";
                   EXPECT_EQ(rt::FocusedEditField(), 0);
                 }),
                 Click(kTorr),
                 Do([] { EXPECT_EQ(Text(kPressure), "  760.0"); }),
                 Click(kHelp),
                 Click(kDone)});
}

// Return computes from the field it is typed in: a pressure typed and entered stays
// as typed and gives its altitude, h = -18271 log10(P torr) + 52635.35 m; an altitude
// entered gives its pressure, 760 exp(-0.00012603 h) torr.
TEST_F(AltitudeWindowTest, ReturnInThePressureFieldKeepsThePressureTyped) {
  struct Case {
    bool kPa;
    int16_t field;
    const char* typed;
    int16_t other;
    double expected;
  };
  const Case cases[] = {
      {false, kPressure, "700", kAltitude, -18271 * std::log10(700.0) + 52635.35},
      {false, kPressure, "500", kAltitude, -18271 * std::log10(500.0) + 52635.35},
      {true, kPressure, "80", kAltitude, -18271 * std::log10(80 * 7.50062) + 52635.35},
      {false, kAltitude, "1000", kPressure, 760 * std::exp(-0.00012603 * 1000)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    std::vector<Step> steps;
    if (c.kPa) steps.push_back(Click(kKPa));
    steps.push_back(Type(c.field, c.typed));
    steps.push_back(Return(c.field));
    steps.push_back(Do([&c] {
      EXPECT_EQ(Text(c.field), c.typed) << "what was typed stays";
      EXPECT_NEAR(Value(c.other), c.expected, 0.06);
    }));
    steps.push_back(Click(kDone));
    Run(ALTITUDE, steps);
  }
}

TEST_F(AltitudeWindowTest, FeetConvertOnceAndBack) {
  Run(ALTITUDE,
      {Type(kAltitude, "1000"), Click(kFeet),
       Do([] { EXPECT_NEAR(Value(kAltitude), 1000 / kMetresPerFoot, 0.05); }), Click(kFeet),
       Do([] { EXPECT_NEAR(Value(kAltitude), 1000 / kMetresPerFoot, 0.05) << "converted once"; }),
       Click(kPressureFromAlt), Do([] { EXPECT_EQ(Text(kPressure), "  670.0") << "3280.8 ft are 1000 m"; }),
       Click(kMetres), Do([] {
         EXPECT_NEAR(Value(kAltitude), 1000, 0.02);
         EXPECT_EQ(State(kMetres), 2);
       }),
       Type(kPressure, "500"), Click(kFeet), Click(kAltFromPressure),
       Do([] { EXPECT_NEAR(Value(kAltitude), 3322.469 / kMetresPerFoot, 0.06); }), Click(kDone)});
}

TEST_F(AltitudeWindowTest, TabMovesBetweenTheTwoFieldsWithAClick) {
  Sound_Is_On = 0;  // the focus click plays regardless
  Run(ALTITUDE,
      {Key(kPressure, Qt::Key_Tab, "\t"), Do([] { EXPECT_EQ(rt::FocusedEditField(), kAltitude); }),
       Key(kAltitude, Qt::Key_Tab, "\t"), Do([] { EXPECT_EQ(rt::FocusedEditField(), kPressure); }), Do([] {
         EXPECT_EQ(rt::EditSelection(kPressure), (std::pair<int, int>{0, 4}));
       }),
       Click(kDone)});
  EXPECT_EQ(CountPlayed("click.mp3"), 2);
  EXPECT_EQ(CountPlayed("upvip.mp3"), 0);
}

TEST_F(AltitudeWindowTest, StorePressureTakesTorr) {
  PrefsArray[PrefsSlot::WeirdSounds] = 1;
  BarometricPressure = 700;
  Run(ALTITUDE, {Do([] { EXPECT_NEAR(Value(kAltitude), 652.6, 0.05); }), Click(kKPa), Type(kPressure, "100"),
                 Click(kStore), Do([] { EXPECT_EQ(Text(kPressure), "100") << "the fields do not change"; }),
                 Click(kDone)});
  EXPECT_FLOAT_EQ(BarometricPressure, 750.062f);
  EXPECT_EQ(CountPlayed("wsst.mp3"), 1);
}

TEST_F(AltitudeWindowTest, NoPressureGivesNoAltitudeAndIsNotStored) {
  Run(ALTITUDE, {Type(kPressure, "0"), Click(kAltFromPressure), Do([this] {
                   EXPECT_EQ(Text(kAltitude), "no result: pressure not above 0")
                       << "no Inf or NaN in the field";
                   EXPECT_EQ(CountPlayed("bzot.mp3"), 1);
                   EXPECT_EQ(CountPlayed("upvip.mp3"), 1) << "only the opening one";
                 }),
                 Type(kPressure, "-5"), Click(kStore), Click(kKPa), Type(kPressure, "5e37"), Click(kStore), Close()});
  EXPECT_EQ(BarometricPressure, 760.0f) << "5e37 kPa is beyond any pressure in torr";
  EXPECT_EQ(CountPlayed("bzot.mp3"), 3);
}

}  // namespace
}  // namespace mv::calc
