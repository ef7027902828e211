// Simple regression: the fit texts, the export bytes and the window with its plot,
// pinned against values worked out by hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "calculators/regression.h"
#include "calculators/regression_export.h"
#include "calculators/regression_plot.h"
#include "calculators/state.h"
#include "conversions/state.h"
#include "respirometry_driver.h"
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

TEST(RegressionExport, HeaderAndOneCrLineARow) {
  SimpleRegressionDataArray = {};
  const float rows[][2] = {{1, 5}, {2, 3}, {3, 1}, {4, -1}, {5, 2.5f}};
  for (int i = 0; i < 5; ++i) {
    SimpleRegressionDataArray[i + 1][2] = rows[i][0];
    SimpleRegressionDataArray[i + 1][1] = rows[i][1];
  }
  EXPECT_EQ(RegressionCsv(5), "X value,Y value\r 1, 5\r 2, 3\r 3, 1\r 4,-1\r 5, 2.5\r");
  EXPECT_EQ(RegressionCsv(0), "X value,Y value\r");
}

class RegressionWindowTest : public test::CalculatorWindowTest {
 protected:
  static Step Row(int16_t i, const char* x, const char* y) {
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
  Drive({Until(W), Do([] {
           EXPECT_EQ(TextOf(W, 101), " ");
           EXPECT_EQ(rt::ControlState(11), 0);
           EXPECT_EQ(rt::ControlState(65), 0);
           EXPECT_EQ(TextOf(W, 62), "Y = a + b * X");
         }),
         Row(1, "1", "5"), Row(2, "2", "3"), Click(W, 10),
         Do([] { EXPECT_FALSE(rt::WindowExists(P)) << "two rows are no regression"; }), Row(3, "3", "1"),
         Click(W, 10), Do([] {
           EXPECT_TRUE(rt::WindowExists(P));
           EXPECT_EQ(TextOf(W, 51), " 7");
           EXPECT_EQ(TextOf(W, 56), "-2");
           EXPECT_EQ(TextOf(P, 103), " 7-2*X");
           EXPECT_EQ(TextOf(P, 104), " 3 points; r-squared =  1");
           rt::SetOutputWindow(W);
         }),
         Type(W, 41, "4"), Click(W, 11), Do([] { EXPECT_EQ(TextOf(W, 46), "-1"); }), Type(W, 46, "0"),
         Click(W, 12), Do([] { EXPECT_EQ(TextOf(W, 41), " 3.5"); }),
         Do([file] { rt::QueuePanelAnswer(file.string()); }), Click(W, 65), Shot(W, "simple-regression.png"),
         Shot(P, "regression-plot-line.png"), Click(W, 66)});
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
           EXPECT_EQ(TextOf(W, 51), " ");
           EXPECT_EQ(rt::ControlState(11), 0);
           EXPECT_TRUE(rt::WindowExists(P));
         }),
         Click(W, 66)});
  SimpleRegression();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(RegressionWindowTest, FitsOfTheDrawingHalf) {
  const float pts[][2] = {{0, 2}, {1, 3.1f}, {2, 5.9f}, {3, 11.2f}, {5, 27}};
  for (int i = 0; i < 5; ++i) {
    SimpleRegressionDataArray[i + 1][2] = pts[i][0];
    SimpleRegressionDataArray[i + 1][1] = pts[i][1];
  }
  BuildRegressionPlotWindow();
  ASSERT_TRUE(DRAWthisREGRESSION(5, kPolynomialModel));
  EXPECT_NEAR(aval, 1.9975, 1e-3);
  EXPECT_NEAR(bval, 0.05456, 1e-3);
  EXPECT_NEAR(exponent, 0.99006, 1e-4);
  EXPECT_NEAR(SimpleRegressionDataArray[3][0], 0.99006, 1e-4);
  EXPECT_NEAR(TextToNumber(TextOf(P, 104).substr(TextOf(P, 104).find('=') + 1)), 0.99989, 1e-5);
  EXPECT_EQ(minx1, 0.0f);
  EXPECT_EQ(maxx1, 5.0f);
  EXPECT_FLOAT_EQ(stepx, 71.0f);
  const float square[][2] = {{1, 1}, {2, 4}, {3, 9}, {4, 16}};
  for (int i = 0; i < 4; ++i) {
    SimpleRegressionDataArray[i + 1][2] = square[i][0];
    SimpleRegressionDataArray[i + 1][1] = square[i][1];
  }
  ASSERT_TRUE(DRAWthisREGRESSION(4, kLinearModel));
  EXPECT_NEAR(aval, -5, 1e-5);
  EXPECT_NEAR(bval, 5, 1e-5);
  EXPECT_EQ(exponent, 0.0f);
  EXPECT_EQ(TextOf(P, 104), " 4 points; r-squared =  0.96899");
  rt::CloseWindow(P);
}

}  // namespace
}  // namespace mv::calc
