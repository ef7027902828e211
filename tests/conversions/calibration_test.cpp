// Direct calibration without its window: the demonstration reading, the equation
// and count texts, and what the calibration hands back when it ends.
#include "conversions/calibration.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/test_support.h"
#include "conversions/state.h"
#include "setup/state.h"

namespace mv {
namespace {

class CalibrationTest : public test::ProgramTest {
 protected:
  void SetPoints(std::initializer_list<FitPoint> points) {
    int i = 0;
    for (const FitPoint& p : points) {
      ++i;
      autocalibrationArray[i][1] = p.y;
      autocalibrationArray[i][2] = p.x;
    }
  }
};

TEST(Calibration, DemonstrationReadingsOfTen) {
  // 10^0.765 = 5.82103; (85 + 1) and (85 + 30) percent of it.
  EXPECT_NEAR(DemoCalibrationReading(10, 1), 5.00609, 1e-4);
  EXPECT_NEAR(DemoCalibrationReading(10, 30), 6.69419, 1e-4);
  EXPECT_NEAR(DemoCalibrationReading(-10, 1), -5.00609, 1e-4);
  EXPECT_GT(DemoCalibrationReading(0, 15), 0.0f);  // 0 counts as 1e-7
  EXPECT_LT(DemoCalibrationReading(0, 15), 1e-4f);
}

TEST(Calibration, EquationTexts) {
  FitResult f;
  f.a = 0, f.b = 20;
  EXPECT_EQ(CalibrationEquationText(FitKind::Linear, f), Str255(" 0 +  20*volts"));
  f.a = 7, f.b = -2;
  EXPECT_EQ(CalibrationEquationText(FitKind::Linear, f), Str255(" 7-2*volts"));
  f.a = 0, f.b = 2, f.c = 2;
  EXPECT_EQ(CalibrationEquationText(FitKind::Power, f), Str255(" 2* volts^ 2"));
  f.a = 1, f.b = 2, f.c = 3;
  EXPECT_EQ(CalibrationEquationText(FitKind::Polynomial, f), Str255(" 1  +  2*volts +  3*volts^ 2 "));
  f.a = 1, f.b = -2, f.c = -0.5f;
  EXPECT_EQ(CalibrationEquationText(FitKind::Polynomial, f), Str255(" 1 -2*volts-0.5*volts^ 2 "));
  f.a = 1.1f, f.b = 0.1f;
  EXPECT_EQ(CalibrationEquationText(FitKind::Linear, f), Str255(" 1.1 +  0.1*volts"));
}

TEST(Calibration, TemplatesAndRefusedFitShowTheTemplate) {
  EXPECT_EQ(CalibrationTemplate(FitKind::Linear), Str255("A + B*volts"));
  EXPECT_EQ(CalibrationTemplate(FitKind::Power), Str255("B*volts^exponent"));
  EXPECT_EQ(CalibrationTemplate(FitKind::Polynomial), Str255("A + B*volts + C*volts^ 2 "));
  FitResult refused;
  refused.refusal = FitRefusal::EqualX;
  EXPECT_EQ(CalibrationEquationText(FitKind::Linear, refused), Str255("A + B*volts"));
}

TEST(Calibration, CountTexts) {
  FitResult f;
  // Below what the kind needs, the line says how many that is.
  EXPECT_EQ(CalibrationCountText(0, FitKind::Linear, f), Str255(" 0 points; a straight line needs 2"));
  EXPECT_EQ(CalibrationCountText(1, FitKind::Power, f), Str255(" 1 point; a power fit needs 2"));
  EXPECT_EQ(CalibrationCountText(2, FitKind::Polynomial, f), Str255(" 2 points; a 2-order poly needs 3"));
  f.r2 = 1;
  EXPECT_EQ(CalibrationCountText(2, FitKind::Linear, f), Str255(" 2 points; r-squared =  1"));
  EXPECT_EQ(CalibrationCountText(3, FitKind::Polynomial, f), Str255(" 3 points; r-squared =  1"));
  f.r2 = 0.5;
  EXPECT_EQ(CalibrationCountText(12, FitKind::Linear, f), Str255(" 12 points; r-squared =  0.5"));
  // A power fit that left points out says how many it fitted.
  EXPECT_EQ(CalibrationCountText(3, FitKind::Power, f, 2), Str255(" 3 points, 2 fitted; r-squared =  0.5"));
  EXPECT_EQ(CalibrationCountText(3, FitKind::Power, f, 3), Str255(" 3 points; r-squared =  0.5"));
}

TEST(Calibration, RefusedFitSaysWhy) {
  FitResult f;
  f.refusal = FitRefusal::EqualX;
  EXPECT_EQ(CalibrationCountText(3, FitKind::Linear, f), Str255(" 3 points; no fit: all volts are equal"));
  f.refusal = FitRefusal::TooFewPositive;
  EXPECT_EQ(CalibrationCountText(4, FitKind::Power, f),
            Str255(" 4 points; no fit: fewer than 2 points above 0"));
  f.refusal = FitRefusal::TooFewDistinctX;
  EXPECT_EQ(CalibrationCountText(3, FitKind::Polynomial, f),
            Str255(" 3 points; no fit: fewer than 3 different volts"));
  f.refusal = FitRefusal::TooSmall;
  EXPECT_EQ(CalibrationCountText(2, FitKind::Power, f), Str255(" 2 points; no fit: a coefficient is too small"));
  f.refusal = FitRefusal::TooClose;
  EXPECT_EQ(CalibrationCountText(4, FitKind::Polynomial, f),
            Str255(" 4 points; no fit: the volts are too close together"));
}

TEST_F(CalibrationTest, PointsComeFromTheTableClamped) {
  SetPoints({{0.5f, 10}, {1.0f, 20}});
  const auto pts = CalibrationPoints(2);
  ASSERT_EQ(pts.size(), 2u);
  EXPECT_EQ(pts[1].x, 1.0f);
  EXPECT_EQ(pts[1].y, 20.0f);
  EXPECT_EQ(CalibrationPoints(150).size(), 100u);
  EXPECT_TRUE(CalibrationPoints(-1).empty());
}

TEST_F(CalibrationTest, ResidualsAreStoredInValueThree) {
  SetPoints({{1, 1}, {2, 4}, {3, 9}, {4, 16}});
  const FitResult f = FitLinear(CalibrationPoints(4));  // -5 + 5x
  StoreCalibrationResiduals(4, FitKind::Linear, f);
  EXPECT_NEAR(autocalibrationArray[1][3], 1.0f, 1e-5);   // 1 - 0
  EXPECT_NEAR(autocalibrationArray[2][3], -1.0f, 1e-5);  // 4 - 5
  EXPECT_NEAR(autocalibrationArray[3][3], -1.0f, 1e-5);  // 9 - 10
  EXPECT_NEAR(autocalibrationArray[4][3], 1.0f, 1e-5);   // 16 - 15
}

// Two points used to give a = 0, b = 1 under the user's label: the channel stored volts
// while "Equation OK" said nothing. They give the line through them; a kind that needs
// more points than there are cannot finish.
TEST_F(CalibrationTest, TwoPointsGiveTheLineThroughThemAndAFitNeedingMoreCannotFinish) {
  SetPoints({{1.0f, 10}, {2.0f, 20}});
  ASSERT_TRUE(CalibrationCanFinish(2, FitKind::Linear));
  FinishCalibration(2, Fit(FitKind::Linear, CalibrationPoints(2)));
  EXPECT_FLOAT_EQ(aval, 0.0f);
  EXPECT_FLOAT_EQ(bval, 10.0f);
  EXPECT_EQ(exponent, 0.0f);
  EXPECT_EQ(miny, 10.0f);
  EXPECT_EQ(maxy, 20.0f);
  EXPECT_TRUE(CalibrationCanFinish(2, FitKind::Power)) << "10 x V^1 through both";
  EXPECT_FALSE(CalibrationCanFinish(2, FitKind::Polynomial));
  EXPECT_FALSE(CalibrationCanFinish(1, FitKind::Linear));
  EXPECT_FALSE(CalibrationCanFinish(0, FitKind::Power));
  EXPECT_EQ(CalibrationPointsNeeded(FitKind::Linear), 2);
  EXPECT_EQ(CalibrationPointsNeeded(FitKind::Power), 2);
  EXPECT_EQ(CalibrationPointsNeeded(FitKind::Polynomial), 3);
}

TEST_F(CalibrationTest, ThreePointsKeepTheFitAndProposeTheTypedRange) {
  SetPoints({{0.5f, 10}, {1.0f, 20}, {1.5f, 30}});
  const FitResult f = FitLinear(CalibrationPoints(3));
  FinishCalibration(3, f);
  EXPECT_FLOAT_EQ(bval, 20.0f);
  EXPECT_EQ(miny, 10.0f);
  EXPECT_EQ(maxy, 30.0f);
}

TEST_F(CalibrationTest, FlatTypedRangeIsWidened) {
  SetPoints({{0.5f, 5}, {1.0f, 5}, {1.5f, 5}});
  FinishCalibration(3, FitLinear(CalibrationPoints(3)));
  EXPECT_FLOAT_EQ(miny, 4.5f);
  EXPECT_FLOAT_EQ(maxy, 5.5f);
}

// Points that allow no fit used to finish as the neutral conversion: they cannot finish.
TEST_F(CalibrationTest, PointsThatAllowNoFitCannotFinish) {
  SetPoints({{2, 1}, {2, 5}, {2, 9}});
  EXPECT_FALSE(CalibrationCanFinish(3, FitKind::Linear));
  EXPECT_FALSE(CalibrationCanFinish(3, FitKind::Polynomial));
}

TEST_F(CalibrationTest, AbandoningRestoresTypeCoefficientsAndRange) {
  ChannelVariables[0][4] = 8;
  aval = 1, bval = 2, exponent = 3, miny = -4, maxy = 5;
  const CalibrationSnapshot s = TakeCalibrationSnapshot(4);
  ChannelVariables[0][4] = 1;  // the window sets linear on opening
  aval = 0, bval = 1, exponent = 0, miny = 0, maxy = 1;
  RestoreCalibrationSnapshot(s);
  EXPECT_EQ(ChannelVariables[0][4], 8.0f);
  EXPECT_EQ(aval, 1.0f);
  EXPECT_EQ(bval, 2.0f);
  EXPECT_EQ(exponent, 3.0f);
  EXPECT_EQ(miny, -4.0f);
  EXPECT_EQ(maxy, 5.0f);
}

TEST_F(CalibrationTest, SnapshotOfAChannelOutsideTheTableWritesNoRow) {
  const auto row0 = ChannelVariables[0];
  RestoreCalibrationSnapshot(TakeCalibrationSnapshot(0));
  RestoreCalibrationSnapshot(TakeCalibrationSnapshot(17));
  EXPECT_EQ(ChannelVariables[0], row0);
}

// An exact fit in single precision leaves residuals of a float step or two and an
// r-squared a step above 1: shown as 1, and drawn flat rather than scaled to the
// plot's full height. Residuals a measurement leaves are drawn as they are.
TEST_F(CalibrationTest, AnExactFitShowsRSquaredOneAndResidualsOfRoundingOnly) {
  struct Case {
    const char* name;
    int16_t kind;
    float (*value)(float volts);
    bool exact;
  };
  const Case cases[] = {
      {"line", FitKind::Linear, [](float x) { return 3.3f + 7.1f * x; }, true},
      {"polynomial", FitKind::Polynomial, [](float x) { return 5.0f - 3.0f * x + 1.25f * x * x; }, true},
      {"power", FitKind::Power, [](float x) { return static_cast<float>(2.5 * std::pow(x, 0.765)); }, true},
      {"line measured", FitKind::Linear, [](float x) { return 3.3f + 7.1f * x + (x > 1.0f ? 0.002f : 0.0f); },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int n = 40;
    for (int i = 1; i <= n; ++i) {
      const float volts = 0.3f + 0.07f * static_cast<float>(i);
      autocalibrationArray[i][2] = volts;
      autocalibrationArray[i][1] = c.value(volts);
    }
    const FitResult fit = Fit(c.kind, CalibrationPoints(n));
    ASSERT_TRUE(fit.ok());
    StoreCalibrationResiduals(n, c.kind, fit);
    EXPECT_EQ(CalibrationResidualsAreRounding(n, c.kind, fit), c.exact);
    if (c.exact) {
      EXPECT_EQ(CalibrationCountText(n, c.kind, fit), Str255(" 40 points; r-squared =  1"));
    }
  }
  FitResult above;
  above.r2 = 1.0000001;
  EXPECT_EQ(CalibrationCountText(3, FitKind::Linear, above), Str255(" 3 points; r-squared =  1"));
}

}  // namespace
}  // namespace mv
