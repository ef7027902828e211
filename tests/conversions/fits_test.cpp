// Least-squares fits, residuals and the plot mapping shared by direct calibration
// and the regression calculator. Expected values are worked out by hand.
#include "conversions/fits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace mv {
namespace {

using Points = std::vector<FitPoint>;

TEST(LinearFit, ExactLine) {
  const FitResult f = FitLinear(Points{{0.5f, 10}, {1.0f, 20}, {1.5f, 30}});
  ASSERT_TRUE(f.ok());
  EXPECT_FLOAT_EQ(f.b, 20.0f);
  EXPECT_NEAR(f.a, 0.0f, 1e-5);
  EXPECT_DOUBLE_EQ(f.r2, 1.0);
  EXPECT_EQ(f.used, 3);
}

TEST(LinearFit, LineThroughAParabola) {
  // x dev -1.5 -0.5 0.5 1.5, y dev -6.5 -3.5 1.5 8.5: Sxy 25, Sxx 5, Syy 129.
  const FitResult f = FitLinear(Points{{1, 1}, {2, 4}, {3, 9}, {4, 16}});
  EXPECT_FLOAT_EQ(f.b, 5.0f);
  EXPECT_FLOAT_EQ(f.a, -5.0f);
  EXPECT_NEAR(f.r2, 625.0 / 645.0, 1e-9);
  EXPECT_EQ(f.c, 0.0f);
}

TEST(LinearFit, NegativeSlope) {
  const FitResult f = FitLinear(Points{{1, 5}, {2, 3}, {3, 1}});
  EXPECT_FLOAT_EQ(f.a, 7.0f);
  EXPECT_FLOAT_EQ(f.b, -2.0f);
  EXPECT_DOUBLE_EQ(f.r2, 1.0);
}

TEST(LinearFit, AllVoltsEqualIsRefusedNotNaN) {
  const FitResult f = FitLinear(Points{{2, 1}, {2, 5}, {2, 9}});
  EXPECT_EQ(f.refusal, FitRefusal::EqualX);
  EXPECT_EQ(f.a, 0.0f);
  EXPECT_EQ(f.b, 0.0f);
  EXPECT_EQ(FitLinear(Points{{1, 1}}).refusal, FitRefusal::EqualX);
  EXPECT_EQ(FitLinear(Points{}).refusal, FitRefusal::EqualX);
}

TEST(LinearFit, AllValuesEqualGivesRSquaredOneNotNaN) {
  const FitResult f = FitLinear(Points{{1, 4}, {2, 4}, {3, 4}});
  ASSERT_TRUE(f.ok());
  EXPECT_EQ(f.b, 0.0f);
  EXPECT_FLOAT_EQ(f.a, 4.0f);
  EXPECT_DOUBLE_EQ(f.r2, 1.0);
}

TEST(PowerFit, ExactPowerFunction) {
  const FitResult f = FitPower(Points{{1, 2}, {2, 8}, {4, 32}});
  ASSERT_TRUE(f.ok());
  EXPECT_NEAR(f.b, 2.0f, 1e-5);
  EXPECT_NEAR(f.c, 2.0f, 1e-5);
  EXPECT_EQ(f.a, 0.0f);
  EXPECT_NEAR(f.r2, 1.0, 1e-6);
}

TEST(PowerFit, PointsNotAboveZeroAreLeftOutWithResidualZero) {
  const Points pts{{1, 2}, {2, 8}, {3, 0}, {-1, 5}, {4, 32}};
  const FitResult f = FitPower(pts);
  ASSERT_TRUE(f.ok());
  EXPECT_EQ(f.used, 3);
  EXPECT_NEAR(f.b, 2.0f, 1e-5);
  EXPECT_NEAR(f.c, 2.0f, 1e-5);
  EXPECT_FALSE(PowerFitUses(pts[2]));
  EXPECT_EQ(FitResidual(FitKind::Power, f, pts[2]), 0.0f);
  EXPECT_EQ(FitResidual(FitKind::Power, f, pts[3]), 0.0f);
  EXPECT_NEAR(FitResidual(FitKind::Power, f, pts[1]), 0.0f, 1e-4);
}

TEST(PowerFit, FewerThanTwoPositivePointsIsRefused) {
  EXPECT_EQ(FitPower(Points{{1, 2}, {0, 8}, {4, -3}}).refusal, FitRefusal::TooFewPositive);
  EXPECT_EQ(FitPower(Points{{2, 2}, {2, 8}, {-4, 3}}).refusal, FitRefusal::TooFewPositive);
  EXPECT_EQ(FitPower(Points{}).refusal, FitRefusal::TooFewPositive);
}

TEST(QuadraticFit, ExactParabola) {
  const FitResult f = FitQuadratic(Points{{1, 1}, {2, 4}, {3, 9}, {4, 16}});
  ASSERT_TRUE(f.ok());
  EXPECT_NEAR(f.a, 0.0f, 1e-4);
  EXPECT_NEAR(f.b, 0.0f, 1e-4);
  EXPECT_NEAR(f.c, 1.0f, 1e-5);
  EXPECT_NEAR(f.r2, 1.0, 1e-6);
}

TEST(QuadraticFit, LeastSquaresThroughFivePoints) {
  const FitResult f = FitQuadratic(Points{{0, 2}, {1, 3.1f}, {2, 5.9f}, {3, 11.2f}, {5, 27}});
  ASSERT_TRUE(f.ok());
  EXPECT_NEAR(f.a, 1.9975, 2e-4);
  EXPECT_NEAR(f.b, 0.05456, 2e-4);
  EXPECT_NEAR(f.c, 0.99006, 2e-5);
  EXPECT_NEAR(f.r2, 0.99989, 2e-5);
}

TEST(QuadraticFit, PointsOnALineGiveTheLine) {
  const Points pts{{0, 1}, {1, 3}, {2, 5}, {4, 9}};
  const FitResult q = FitQuadratic(pts);
  ASSERT_TRUE(q.ok());
  EXPECT_NEAR(q.c, 0.0f, 1e-5);
  EXPECT_NEAR(q.b, 2.0f, 1e-4);
  EXPECT_NEAR(q.a, 1.0f, 1e-4);
}

TEST(QuadraticFit, FewerThanThreeDifferentVoltsIsRefused) {
  EXPECT_EQ(FitQuadratic(Points{{1, 1}, {2, 4}}).refusal, FitRefusal::TooFewDistinctX);
  EXPECT_EQ(FitQuadratic(Points{{1, 1}, {2, 4}, {1, 2}, {2, 3}}).refusal, FitRefusal::TooFewDistinctX);
  EXPECT_EQ(FitQuadratic(Points{}).refusal, FitRefusal::TooFewDistinctX);
}

TEST(QuadraticFit, ThreePointsLeaveNoResiduals) {
  const Points pts{{0, 1}, {1, 0}, {2, 3}};  // a 1, b -3, c 2
  const FitResult f = FitQuadratic(pts);
  ASSERT_TRUE(f.ok());
  EXPECT_NEAR(f.a, 1.0f, 1e-5);
  EXPECT_NEAR(f.b, -3.0f, 1e-5);
  EXPECT_NEAR(f.c, 2.0f, 1e-5);
  for (const FitPoint& p : pts) EXPECT_NEAR(FitResidual(FitKind::Polynomial, f, p), 0.0f, 1e-5);
}

// Near-equal volts: a fit whose single-precision coefficients give other values at its
// own points than the fit does is refused; one that holds them is kept.
TEST(Fit, StoredCoefficientsMustGiveTheFitsValuesAtItsPoints) {
  const struct {
    const char* name;
    int16_t kind;
    Points points;
    FitRefusal refusal;
  } rows[] = {
      {"parabola 0.1 mV apart", FitKind::Polynomial, {{2.0f, 3}, {2.0001f, 5}, {2.0002f, 9}, {2.0003f, 15}},
       FitRefusal::TooClose},
      {"parabola 1 % apart", FitKind::Polynomial, {{5.069f, 3}, {5.09f, 5}, {5.12f, 9}}, FitRefusal::None},
      {"line one single apart", FitKind::Linear, {{5.069f, 3}, {5.0690005f, 9}}, FitRefusal::TooClose},
      {"line 0.01 mV apart", FitKind::Linear, {{5.069f, 3}, {5.06901f, 9}}, FitRefusal::None},
  };
  for (const auto& row : rows) EXPECT_EQ(Fit(row.kind, row.points).refusal, row.refusal) << row.name;
}

TEST(FitValue, ByKind) {
  FitResult f;
  f.a = 1, f.b = 2, f.c = 3;
  EXPECT_FLOAT_EQ(FitValue(FitKind::Linear, f, 2), 5.0f);
  EXPECT_FLOAT_EQ(FitValue(FitKind::Polynomial, f, 2), 17.0f);
  EXPECT_FLOAT_EQ(FitValue(FitKind::Power, f, 2), 17.0f);  // 1 + 2*8
  EXPECT_TRUE(std::isnan(FitValue(FitKind::Power, f, 0)));
}

// ---- plot mapping ------------------------------------------------------------------------

TEST(PlotMapping, PointsSpanTheFrame) {
  const PlotBounds b = BoundsOf(Points{{0.5f, 10}, {1.0f, 20}, {1.5f, 30}});
  EXPECT_EQ(b.minx, 0.5f);
  EXPECT_EQ(b.maxx, 1.5f);
  EXPECT_FLOAT_EQ(b.stepx, 355.0f);
  EXPECT_FLOAT_EQ(b.yscale, 14.9f);
  EXPECT_EQ(PlotPixelX(b, 0.5f, 273), 273);
  EXPECT_EQ(PlotPixelX(b, 1.5f, 273), 628);
  EXPECT_EQ(PlotPixelX(b, 1.0f, 73), 73 + 177);
  EXPECT_EQ(PlotPixelY(b, 10), 311);
  EXPECT_EQ(PlotPixelY(b, 30), 13);
  EXPECT_EQ(ZeroLineX(b, 273), -1);
  EXPECT_EQ(ZeroLineY(b), -1);
}

TEST(PlotMapping, ZeroLinesWhenTheRangeSpansZero) {
  const PlotBounds b = BoundsOf(Points{{-1, -10}, {1, 30}});
  EXPECT_EQ(ZeroLineX(b, 273), 273 + 177);  // trunc(1 * 177.5)
  EXPECT_EQ(ZeroLineY(b), 236);             // trunc(311 - 10 * 7.45)
}

TEST(PlotMapping, FlatRangesAreWidenedBeforeScaling) {
  const PlotBounds b = BoundsOf(Points{{2, 5}, {2, 5}, {2, 5}});
  EXPECT_FLOAT_EQ(b.minx, 1.8f);
  EXPECT_FLOAT_EQ(b.maxx, 2.2f);
  EXPECT_FLOAT_EQ(b.miny, 4.5f);
  EXPECT_FLOAT_EQ(b.maxy, 5.5f);
  EXPECT_TRUE(std::isfinite(b.stepx));
  EXPECT_TRUE(std::isfinite(b.yscale));
}

TEST(PlotMapping, ExactQuadraticResidualsOfZeroStillScale) {
  // Residuals all 0: range -1 to 1, 250 pixels, zero line at 306 - 125.
  const PlotBounds b = BoundsOf(Points{{0, 0}, {1, 0}, {2, 0}}, 250.0f);
  EXPECT_EQ(b.miny, -1.0f);
  EXPECT_EQ(b.maxy, 1.0f);
  EXPECT_EQ(ZeroLineY(b, 306.0f), 181);
  EXPECT_EQ(PlotPixelY(b, 0.0f, 306.0f), 181);
}

TEST(PlotMapping, PixelsOfNoNumberOrHugeValuesStayInRange) {
  EXPECT_EQ(PixelOf(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(PixelOf(1e10), 30000);
  EXPECT_EQ(PixelOf(-1e300), -30000);
  EXPECT_EQ(PixelOf(-2.7), -2);
  EXPECT_EQ(PixelOf(std::numeric_limits<double>::infinity()), 30000);
}

TEST(PlotMapping, CurveVerticesEveryFivePixels) {
  const Points pts{{0.5f, 10}, {1.0f, 20}, {1.5f, 30}};
  const FitResult f = FitLinear(pts);
  const PlotBounds b = BoundsOf(pts);
  const auto v = CurveVertices(FitKind::Linear, f, b, 273, false);
  ASSERT_EQ(v.size(), 71u);
  EXPECT_EQ(v.front().x, 274);
  EXPECT_EQ(v[1].x, 279);
  EXPECT_EQ(v.back().x, 624);
  const auto w = CurveVertices(FitKind::Linear, f, b, 73, true);
  ASSERT_EQ(w.size(), 72u);
  EXPECT_EQ(w.front().x, 73);
  EXPECT_NEAR(w.front().y, 311, 1);
}

TEST(PlotMapping, PowerCurveOnlyWherePositive) {
  FitResult f;
  f.b = 2, f.c = 2;
  const PlotBounds b = BoundsOf(Points{{-1, 0}, {1, 2}});
  const auto v = CurveVertices(FitKind::Power, f, b, 273, false);
  ASSERT_FALSE(v.empty());
  EXPECT_LT(v.size(), 71u);
  for (const PlotVertex& p : v) EXPECT_GT(p.x, 273 + 177);
  FitResult refused;
  refused.refusal = FitRefusal::EqualX;
  EXPECT_TRUE(CurveVertices(FitKind::Linear, refused, b, 273, false).empty());
}

}  // namespace
}  // namespace mv
