// Simple regression: the fit texts, the export bytes and the window with its plot,
// pinned against values worked out by hand.
#include "calculators/regression.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "calculators/number_text.h"
#include "calculators/regression_export.h"
#include "calculators/regression_plot.h"
#include "calculators/state.h"
#include "conversions/state.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/state.h"
#include "respirometry_driver.h"
#include "runtime/events.h"
#include "runtime/panels.h"

namespace mv::calc {
namespace {

TEST(RegressionTexts, EquationAndCountFollowTheSigns) {
  EXPECT_EQ(RegressionEquationText(kLinearModel, 7, -2, 0).str(), " 7-2*X");
  EXPECT_EQ(RegressionEquationText(kLinearModel, -5, 5, 0).str(), "-5 +  5*X");
  EXPECT_EQ(RegressionEquationText(kPolynomialModel, 0, 0, 1).str(), " 0  0*X  +  1*X^ 2 ");
  EXPECT_EQ(RegressionEquationText(kPolynomialModel, 2, 0.5f, -1).str(), " 2  +  0.5*X -1*X^ 2 ");
  EXPECT_EQ(RegressionCountText(3, kLinearModel, 1.0).str(), " 3 points; r-squared =  1");
  EXPECT_EQ(RegressionCountText(4, kPolynomialModel, -0.5).str(), " 4 points; r-squared =  0");
}

// Fills the table as Calculate leaves it; a null row is blank.
void SetTable(std::initializer_list<std::optional<std::pair<float, float>>> rows) {
  SimpleRegressionDataArray = {};
  SimpleRegressionRowPresent = {};
  std::size_t i = 0;
  for (const auto& row : rows) {
    ++i;
    if (!row) continue;
    SimpleRegressionDataArray[i][2] = row->first;
    SimpleRegressionDataArray[i][1] = row->second;
    SimpleRegressionRowPresent[i] = true;
  }
}

TEST(RegressionExport, HeaderAndOneCrLineAPoint) {
  SetTable({{{1, 5}}, {{2, 3}}, {{3, 1}}, {{4, -1}}, {{5, 2.5f}}});
  EXPECT_EQ(RegressionCsv(), "X value,Y value\r 1, 5\r 2, 3\r 3, 1\r 4,-1\r 5, 2.5\r");
  SetTable({});
  EXPECT_EQ(RegressionCsv(), "X value,Y value\r");
}

TEST(RegressionExport, BlankRowsAreGapsNotZeroPoints) {
  SetTable({{{1, 5}}, std::nullopt, {{2, 3}}, std::nullopt, std::nullopt, {{3, 1}}, {{0, 0}}});
  EXPECT_EQ(RegressionCsv(), "X value,Y value\r 1, 5\r 2, 3\r 3, 1\r 0, 0\r");
  EXPECT_EQ(RegressionPoints().size(), 4u);
}

class RegressionWindowTest : public test::CalculatorWindowTest {
 protected:
  static Step Row(int16_t i, std::string x, std::string y) {
    return Do([=] {
      rt::SetOutputWindow(8);
      rt::SetEditText(static_cast<int16_t>(100 + i), x);
      rt::SetEditText(static_cast<int16_t>(200 + i), y);
    });
  }
};
constexpr int16_t W = 8, P = kRegressionPlotWindow;

TEST_F(RegressionWindowTest, StraightLinePredictsBothWaysAndExports) {
  const auto dir = test::MakeTempDir("regression-export");
  const auto file = dir / "Regression data.csv";
  Drive({Until(W),
         Do([] {
           EXPECT_EQ(TextOf(W, 101), " ");
           EXPECT_EQ(rt::ControlState(11), 0);
           EXPECT_EQ(rt::ControlState(65), 0);
           EXPECT_EQ(TextOf(W, 62), "Y = a + b * X");
         }),
         Row(1, "1", "5"),
         Row(2, "2", "3"),
         Click(W, 10),
         Do([] { EXPECT_FALSE(rt::WindowExists(P)) << "two rows are no regression"; }),
         Row(3, "3", "1"),
         Click(W, 10),
         Do([] {
           EXPECT_TRUE(rt::WindowExists(P));
           EXPECT_EQ(TextOf(W, 51), " 7");
           EXPECT_EQ(TextOf(W, 56), "-2");
           EXPECT_EQ(TextOf(P, 103), " 7-2*X");
           EXPECT_EQ(TextOf(P, 104), " 3 points; r-squared =  1");
           rt::SetOutputWindow(W);
         }),
         Type(W, 41, "4"),
         Click(W, 11),
         Do([] { EXPECT_EQ(TextOf(W, 46), "-1"); }),
         Type(W, 46, "0"),
         Click(W, 12),
         Do([] { EXPECT_EQ(TextOf(W, 41), " 3.5"); }),
         Do([file] { rt::QueuePanelAnswer(file.string()); }),
         Click(W, 65),
         Shot(W, "simple-regression.png"),
         Shot(P, "regression-plot-line.png"),
         Click(W, 66)});
  SimpleRegression();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_FALSE(rt::WindowExists(P));
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(bytes, "X value,Y value\r 1, 5\r 2, 3\r 3, 1\r");
  EXPECT_EQ(RegressionDataCFURL, file.string());
  // The table outlives the window.
  Drive({Until(W), Do([] {
           EXPECT_EQ(TextOf(W, 101), " 1");
           EXPECT_EQ(TextOf(W, 203), " 1");
           EXPECT_EQ(TextOf(W, 51), " ");
         }),
         Click(W, 66)});
  SimpleRegression();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(RegressionWindowTest, PolynomialTakesThePositiveRootAndKeepsItsCoefficientsForTheLine) {
  Drive({Until(W), Click(W, 2), Do([] {
           EXPECT_TRUE(rt::EditFieldExists(58));
           EXPECT_EQ(TextOf(W, 62), "Y = a  + b * X  + c * X");
         }),
         Row(1, "1", "1"), Row(2, "2", "4"), Row(3, "3", "9"), Row(4, "4", "16"), Click(W, 10), Do([] {
           EXPECT_NEAR(Shown(W, 51), 0, 1e-4);
           EXPECT_NEAR(Shown(W, 56), 0, 1e-4);
           EXPECT_NEAR(Shown(W, 58), 1, 1e-5);
           EXPECT_NEAR(exponent, 1, 1e-5);
         }),
         Type(W, 46, "9"), Click(W, 12), Do([] { EXPECT_NEAR(Shown(W, 41), 3, 1e-4); }),
         Shot(P, "regression-plot-curve.png"),
         // The line uses the polynomial's a and b until the next fit.
         Click(W, 1), Do([] { EXPECT_FALSE(rt::EditFieldExists(58)); }), Type(W, 41, "2"), Click(W, 11),
         Do([] { EXPECT_NEAR(Shown(W, 46), aval + bval * 2, 1e-4); }), Click(W, 10),
         Do([] { EXPECT_EQ(TextOf(W, 51), "-5"); }),
         // Every X the same: no fit, nothing to predict from.
         Row(1, "2", "1"), Row(2, "2", "4"), Row(3, "2", "9"), Row(4, "2", "16"), Click(W, 10), Do([] {
           EXPECT_EQ(TextOf(W, 51), "no result: the X values do not differ enough");
           EXPECT_EQ(rt::ControlState(11), 0);
           EXPECT_EQ(rt::ControlState(12), 0);
           EXPECT_TRUE(rt::WindowExists(P));
           EXPECT_NE(TextOf(P, 103).find("no fit"), std::string::npos);
           EXPECT_EQ(TextOf(P, 104), " 4 points");
         }),
         Shot(P, "regression-plot-no-fit.png"), Click(W, 66)});
  SimpleRegression();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(RegressionWindowTest, AnEmptyRowIsAGapNotAZeroPoint) {
  const auto dir = test::MakeTempDir("regression-gap");
  const auto file = dir / "Regression data.csv";
  Drive({Until(W), Row(1, "1", "5"), Row(3, "2", "3"), Row(4, "3", "1"), Click(W, 10), Do([] {
           EXPECT_EQ(TextOf(W, 51), " 7");
           EXPECT_EQ(TextOf(W, 56), "-2");
           EXPECT_EQ(TextOf(P, 103), " 7-2*X");
           EXPECT_EQ(TextOf(P, 104), " 3 points; r-squared =  1");
           rt::SetOutputWindow(W);
         }),
         Do([file] { rt::QueuePanelAnswer(file.string()); }), Click(W, 65),
         Shot(W, "simple-regression-gap.png"), Shot(P, "regression-plot-gap.png"), Click(W, 66)});
  SimpleRegression();
  EXPECT_TRUE(ScriptDone());
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(bytes, "X value,Y value\r 1, 5\r 2, 3\r 3, 1\r");
  // Reopened, the gap stays blank and the points keep their rows.
  Drive({Until(W), Do([] {
           EXPECT_EQ(TextOf(W, 102), " ");
           EXPECT_EQ(TextOf(W, 202), " ");
           EXPECT_EQ(TextOf(W, 104), " 3");
         }),
         Click(W, 66)});
  SimpleRegression();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(RegressionWindowTest, ATypedZeroZeroIsAPoint) {
  Drive({Until(W), Row(1, "0", "0"), Row(2, "1", "2"), Row(3, "2", "4"), Click(W, 10), Do([] {
           EXPECT_EQ(TextOf(P, 104), " 3 points; r-squared =  1");
           EXPECT_EQ(TextOf(W, 51), " 0");
           EXPECT_EQ(TextOf(W, 56), " 2");
         }),
         Click(W, 66)});
  SimpleRegression();
  EXPECT_TRUE(ScriptDone());
  // It is shown again as typed, not as a blank.
  Drive({Until(W), Do([] {
           EXPECT_EQ(TextOf(W, 101), " 0");
           EXPECT_EQ(TextOf(W, 201), " 0");
         }),
         Click(W, 66)});
  SimpleRegression();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(RegressionWindowTest, PredictionsWithoutASolutionSaySoInsteadOfShowingNaN) {
  Drive({Until(W), Row(1, "1", "2"), Row(2, "2", "2"), Row(3, "3", "2"), Click(W, 10),
         Do([] { EXPECT_EQ(TextOf(W, 56), " 0"); }), Type(W, 46, "5"), Click(W, 12),
         Do([] { EXPECT_EQ(TextOf(W, 41), "no result: the line is flat"); }), Type(W, 41, "7"), Click(W, 11),
         Do([] { EXPECT_EQ(TextOf(W, 46), " 2"); }),
         // The parabola y = x^2 never reaches -4.
         Click(W, 2), Row(1, "1", "1"), Row(2, "2", "4"), Row(3, "3", "9"), Row(4, "4", "16"), Click(W, 10),
         Type(W, 46, "-4"), Click(W, 12),
         Do([] { EXPECT_EQ(TextOf(W, 41), "no result: the curve never reaches this Y"); }),
         // Points on a line give c = 0: X from Y is the line's.
         Row(1, "1", "5"), Row(2, "2", "3"), Row(3, "3", "1"), Row(4, "4", "-1"), Click(W, 10), Do([] {
           EXPECT_EQ(TextOf(W, 58), " 0");
           EXPECT_EQ(TextOf(W, 51), " 7");
         }),
         Type(W, 46, "0"), Click(W, 12), Do([] { EXPECT_EQ(TextOf(W, 41), " 3.5"); }), Click(W, 66)});
  SimpleRegression();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(RegressionWindowTest, AFailedExportLeavesTheOldFile) {
  const auto dir = test::MakeTempDir("regression-export-fails");
  const auto file = dir / "Regression data.csv";
  { std::ofstream(file, std::ios::binary) << "old bytes"; }
  // The temporary file cannot be made: a folder has its name.
  std::filesystem::create_directory(file.string() + ".tmp-" + std::to_string(::getpid()));
  int reported = 0;
  rt::SetErrorHandler([&reported](int) { ++reported; });
  Drive({Until(W), Row(1, "1", "5"), Row(2, "2", "3"), Row(3, "3", "1"), Click(W, 10),
         Do([file] { rt::QueuePanelAnswer(file.string()); }), Click(W, 65), Click(W, 66)});
  SimpleRegression();
  rt::SetErrorHandler(nullptr);
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(reported, 1);
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(bytes, "old bytes");
}

// A number as a user types it: the shortest digits that give it.
std::string Typed(double v) {
  char buf[40];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// Points that lie exactly on a line or a parabola are fitted exactly, however far
// their values lie from 1: the sums of squares of 1e20 or of 1e10 squared overflow
// single precision. Values whose fit no number can hold are refused in words.
TEST_F(RegressionWindowTest, LargeValuesAreFittedExactlyOrRefusedNeverFittedAsZero) {
  struct Case {
    const char* name;
    bool parabola;
    double xs[3];
    double a, b, c;       // the curve the points lie on
    const char* refusal;  // or the text that refuses the fit
  };
  const Case cases[] = {
      {"line at 1e20", false, {1e20, 2e20, 3e20}, 0, 1e-20, 0, nullptr},
      {"line far from 0", false, {1000000, 1000001, 1000002}, -1999999, 2, 0, nullptr},
      {"parabola at 1e10", true, {1e10, 2e10, 3e10}, 0, 0, 1e-20, nullptr},
      {"line steeper than single precision holds", false, {1e-30, 2e-30, 3e-30}, 0, 1e60, 0, nullptr},
      {"line too large for any sum",
       false,
       {1e200, 2e200, 3e200},
       0,
       1e-200,
       0,
       "no fit: the values are too large"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetTable({});
    std::vector<Step> steps{Until(W)};
    if (c.parabola) steps.push_back(Click(W, 2));
    for (int16_t i = 0; i < 3; ++i) {
      const double x = c.xs[i], y = c.a + c.b * x + c.c * x * x;
      steps.push_back(Row(static_cast<int16_t>(i + 1), Typed(x), Typed(y)));
    }
    steps.push_back(Click(W, 10));
    steps.push_back(Do([&c] {
      auto near = [](double shown, double want) { EXPECT_NEAR(shown, want, std::fabs(want) * 1e-5 + 1e-6); };
      if (c.refusal) {
        EXPECT_EQ(TextOf(P, 103), c.refusal);
        EXPECT_EQ(TextOf(W, 51).substr(0, 11), "no result: ");
        EXPECT_EQ(rt::ControlState(11), 0) << "nothing to predict from";
        return;
      }
      near(Shown(W, 51), c.a);
      near(Shown(W, 56), c.b);
      if (c.parabola) near(Shown(W, 58), c.c);
      EXPECT_EQ(TextOf(P, 104), " 3 points; r-squared =  1");
    }));
    steps.push_back(Shot(P, std::string("regression-plot-") + (c.refusal ? "too-large" : "large") + ".png"));
    steps.push_back(Click(W, 66));
    Drive(std::move(steps));
    SimpleRegression();
    EXPECT_TRUE(ScriptDone());
  }
}

// A row counts only when both its fields hold numbers: a row with one number, or
// with text that is no number, is not a point with 0 in it; it is left out and named.
// The counted rows lie on Y = 2 X, so the fit is exactly 0 + 2 X whatever was left out.
TEST_F(RegressionWindowTest, AHalfFilledOrNonNumericRowIsNamedAndLeftOutNotFittedAsZero) {
  struct Case {
    const char* x4;
    const char* y4;
    const char* message;
  };
  const Case cases[] = {
      {"4", " ", "Left out: row 4, no Y."},
      {"", "8", "Left out: row 4, no X."},
      {"abc", "xyz", "Left out: row 4, X is not a number and Y is not a number."},
      {"1e999", "8", "Left out: row 4, X is too large."},
      {" ", "", " "},
      {"4", "eight", "Left out: row 4, Y is not a number."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    SetTable({});
    Drive({Until(W), Row(1, "1", "2"), Row(2, "2", "4"), Row(3, "3", "6"), Row(4, c.x4, c.y4), Click(W, 10),
           Do([&c] {
             EXPECT_NEAR(Shown(W, 51), 0, 1e-6);
             EXPECT_NEAR(Shown(W, 56), 2, 1e-6);
             EXPECT_EQ(TextOf(P, 104), " 3 points; r-squared =  1");
             EXPECT_EQ(TextOf(W, 59), c.message);
           }),
           Shot(W, "simple-regression-left-out.png"), Click(W, 66)});
    SimpleRegression();
    EXPECT_TRUE(ScriptDone());
    EXPECT_EQ(RegressionPoints().size(), 3u) << "the export holds the points fitted";
  }
}

TEST_F(RegressionWindowTest, FitsOfTheDrawingHalf) {
  SetTable({{{0, 2}}, {{1, 3.1f}}, {{2, 5.9f}}, {{3, 11.2f}}, {{5, 27}}});
  BuildRegressionPlotWindow();
  ASSERT_EQ(DRAWthisREGRESSION(kPolynomialModel), "");
  EXPECT_NEAR(aval, 1.9975, 1e-3);
  EXPECT_NEAR(bval, 0.05456, 1e-3);
  EXPECT_NEAR(exponent, 0.99006, 1e-4);
  EXPECT_NEAR(SimpleRegressionDataArray[3][0], 0.99006, 1e-4);
  EXPECT_NEAR(TextToNumber(TextOf(P, 104).substr(TextOf(P, 104).find('=') + 1)), 0.99989, 1e-5);
  EXPECT_EQ(minx1, 0.0f);
  EXPECT_EQ(maxx1, 5.0f);
  EXPECT_FLOAT_EQ(stepx, 71.0f);
  SetTable({{{1, 1}}, {{2, 4}}, {{3, 9}}, {{4, 16}}});
  ASSERT_EQ(DRAWthisREGRESSION(kLinearModel), "");
  EXPECT_NEAR(aval, -5, 1e-5);
  EXPECT_NEAR(bval, 5, 1e-5);
  EXPECT_EQ(exponent, 0.0f);
  EXPECT_EQ(TextOf(P, 104), " 4 points; r-squared =  0.96899");
  rt::CloseWindow(P);
}

}  // namespace
}  // namespace mv::calc

namespace mv::calc {
namespace {

// The least-squares line of the values as typed, worked out in long double.
struct Line {
  long double a, b, r2;
};
Line ExactLine(const std::vector<std::pair<std::string, std::string>>& rows) {
  long double n = 0, sx = 0, sy = 0;
  std::vector<std::pair<long double, long double>> p;
  for (const auto& [x, y] : rows) p.emplace_back(std::stold(x), std::stold(y));
  for (const auto& [x, y] : p) {
    n += 1;
    sx += x;
    sy += y;
  }
  const long double xm = sx / n, ym = sy / n;
  long double sxx = 0, syy = 0, sxy = 0;
  for (const auto& [x, y] : p) {
    sxx += (x - xm) * (x - xm);
    syy += (y - ym) * (y - ym);
    sxy += (x - xm) * (y - ym);
  }
  const long double b = sxy / sxx;
  return {ym - b * xm, b, sxy * sxy / (sxx * syy)};
}

// Values typed with more digits than single precision holds are fitted, drawn,
// predicted from and shown again after reopening as typed.
TEST_F(RegressionWindowTest, TypedValuesAreFittedAndPredictedAtTheirOwnPrecision) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> rows;
    const char* predictAt;  // an X between the points
    const char* file;       // of the plot's picture
  };
  const Case cases[] = {
      {"julian days",
       {{"2460000.1", "1"}, {"2460000.2", "2"}, {"2460000.3", "3"}, {"2460000.4", "4"}},
       "2460000.25",
       "julian-days"},
      {"seconds since 1970",
       {{"1700000000", "3"}, {"1700000060", "4.05"}, {"1700000120", "5.1"}, {"1700000180", "6.15"}},
       "1700000090",
       "unix-seconds"},
      {"small steps",
       {{"1.0000001", "10"}, {"1.0000002", "20"}, {"1.0000004", "41"}},
       "1.0000003",
       "small-steps"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetCalculatorsState();
    const Line ref = ExactLine(c.rows);
    const double x = std::stod(c.predictAt), y = static_cast<double>(ref.a + ref.b * std::stold(c.predictAt));
    auto checkFit = [&] {
      EXPECT_NEAR(Shown(W, 56), static_cast<double>(ref.b), std::fabs(static_cast<double>(ref.b)) * 1e-4);
      EXPECT_NEAR(TextToNumber(TextOf(P, 104).substr(TextOf(P, 104).find('=') + 1)),
                  static_cast<double>(ref.r2), 1e-5);
      rt::SetOutputWindow(W);
    };
    std::vector<Step> steps{Until(W)};
    for (std::size_t i = 0; i < c.rows.size(); ++i)
      steps.push_back(Row(static_cast<int16_t>(i + 1), c.rows[i].first, c.rows[i].second));
    steps.insert(
        steps.end(),
        {Click(W, 10), Do(checkFit), Do([&] {
           // Every point has a place of its own on the plot.
           std::vector<float> xs;
           for (std::size_t i = 1; i <= c.rows.size(); ++i) xs.push_back(QuartzPointsArray[i].x);
           EXPECT_EQ(std::set<float>(xs.begin(), xs.end()).size(), c.rows.size());
         }),
         Type(W, 41, c.predictAt), Click(W, 11),
         Do([&] { EXPECT_NEAR(Shown(W, 46), y, std::fabs(y) * 1e-4 + 1e-9); }),
         Type(W, 46, NumberText(y, 17).str()), Click(W, 12), Do([&] {
           // Shown with the display's digits, held as computed: Y
           // predicted from it again is the Y typed.
           EXPECT_EQ(TextOf(W, 41), NumberText(x).str());
           EXPECT_NEAR(TextToNumber(TextOf(W, 41)), x, std::fabs(x) * 1e-4);
         }),
         Click(W, 11), Do([&] { EXPECT_NEAR(Shown(W, 46), y, std::fabs(y) * 1e-4 + 1e-9); }), Click(W, 66)});
    Drive(steps);
    SimpleRegression();
    // Reopened: the rows read as typed and give the same fit again.
    Drive({Until(W), Do([&] {
             for (std::size_t i = 0; i < c.rows.size(); ++i)
               EXPECT_EQ(TextToNumber(TextOf(W, static_cast<int16_t>(101 + i))), std::stod(c.rows[i].first));
           }),
           Click(W, 10), Do(checkFit), Shot(P, "regression-plot-" + std::string(c.file) + ".png"),
           Click(W, 66)});
    SimpleRegression();
    EXPECT_TRUE(ScriptDone());
  }
}

// A Calculate that finds fewer than three points after a fit leaves nothing of the
// old fit to read or predict from: the a field says why, with the buzz; b, the plot
// and the predictions go.
TEST_F(RegressionWindowTest, FewerThanThreePointsAfterAFitShowNoFit) {
  Sound_Is_On = 1;
  for (const int kept : {2, 1, 0}) {
    SCOPED_TRACE(kept);
    ResetCalculatorsState();
    std::vector<Step> steps{Until(W),         Row(1, "1", "5"), Row(2, "2", "3"),
                            Row(3, "3", "1"), Click(W, 10),     Do([] { EXPECT_EQ(TextOf(W, 51), " 7"); })};
    for (int16_t i = 3; i > kept; --i) steps.push_back(Row(i, "", ""));
    steps.insert(steps.end(), {Do([this] { sounds.clear(); }), Click(W, 10), Do([&] {
                                 EXPECT_EQ(TextOf(W, 51).substr(0, 11), "no result: ") << TextOf(W, 51);
                                 EXPECT_NE(TextOf(W, 51).find("3 are needed"), std::string::npos);
                                 EXPECT_EQ(TextOf(W, 56), " ");
                                 EXPECT_EQ(rt::ControlState(11), 0);
                                 EXPECT_EQ(rt::ControlState(12), 0);
                                 EXPECT_EQ(CountPlayed("bzot.mp3"), 1);
                                 EXPECT_EQ(TextOf(P, 103).substr(0, 8), "no fit: ");
                                 EXPECT_EQ(TextOf(P, 104), " ");
                                 rt::SetOutputWindow(W);
                               }),
                               Shot(W, "simple-regression-too-few.png"), Click(W, 66)});
    Drive(steps);
    SimpleRegression();
    EXPECT_TRUE(ScriptDone());
  }
}

}  // namespace
}  // namespace mv::calc
