#include "calculators/regression_plot.h"

#include <algorithm>
#include <vector>

#include "calculators/number_text.h"
#include "calculators/regression_export.h"
#include "calculators/state.h"
#include "conversions/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/windows.h"

namespace mv::calc {
namespace {

constexpr int16_t kLabelText = 101, kEquationText = 103, kCountText = 104;
constexpr int kX0 = 73;
constexpr int16_t kDashSlot = 61;

void PlotText(int16_t number, const Str255& text, Rect r, int16_t justification) {
  EFForeColor = 0;
  EFBackColor = 0;
  BUILDEF(number, text, r.left, r.top, r.right, r.bottom, 7, justification);
  rt::SetEditColors(number, RGBColor{0, 0, 0}, kThemeBackground);
  rt::SetEditFont(number, KitFont(KestraneFont, 14));
}

void DrawAxes() {
  PlotCG(0, 63, 321, 426, 321, 7);
  PlotCG(0, 63, 18, 63, 321, 7);
  const rt::FontSpec font = KitFont(3, 12);
  rt::DrawText(190, 334, "X values", font, RGBColor{0, 0, 0});
  rt::DrawText(57, 12, "Y values", font, RGBColor{0, 0, 0});
}

void DrawZeroLines(const PlotBounds& b) {
  const rt::FontSpec font = KitFont(3, 10);
  PrefsArray[kDashSlot] = 2;
  if (const int x0 = ZeroLineX(b, kX0); x0 >= 0) {
    PlotCGrgb(0, static_cast<int16_t>(x0), 20, static_cast<int16_t>(x0), 318, DarkGray);
    rt::DrawText(x0 - 3, 332, "0", font, DarkGray);
  }
  if (const int y0 = ZeroLineY(b); y0 >= 0) {
    PlotCGrgb(0, 68, static_cast<int16_t>(y0), 426, static_cast<int16_t>(y0), DarkGray);
    rt::DrawText(44, y0 + 4, "0", font, DarkGray);
  }
  PrefsArray[kDashSlot] = 0;
}

void DrawPoints(std::span<const FitPoint> points, const PlotBounds& b) {
  int32_t i = 0;
  for (const FitPoint& p : points) {
    ++i;
    QuartzPointsArray[static_cast<std::size_t>(i)] = {static_cast<float>(PlotPixelX(b, p.x, kX0)),
                                                      static_cast<float>(PlotPixelY(b, p.y))};
  }
  CGdrawCircle(0, RGBColor{}, 1, 2.0f, 3, i);
  CGdrawCircle(0, RGBColor{}, 0, 3.0f, 4, i);
}

void DrawFit(int16_t model, const FitResult& fit, const PlotBounds& b) {
  if (model != kPolynomialModel) {
    PlotCG(0, kX0, static_cast<int16_t>(PlotPixelY(b, fit.a + fit.b * b.minx)), 428,
           static_cast<int16_t>(PlotPixelY(b, fit.a + fit.b * b.maxx)), 6);
    return;
  }
  const std::vector<PlotVertex> v = CurveVertices(FitKind::Polynomial, fit, b, kX0, true);
  for (std::size_t k = 1; k < v.size(); ++k) {
    PlotCG(0, static_cast<int16_t>(v[k - 1].x), static_cast<int16_t>(v[k - 1].y),
           static_cast<int16_t>(v[k].x), static_cast<int16_t>(v[k].y), 6);
  }
}

}  // namespace

void BuildRegressionPlotWindow() {
  BuildWINDOW(kRegressionPlotWindow, "regression plot", 650, 80, 650 + 450, 80 + 470, 6);
  PlotText(kLabelText, "Regression:", {5, 390, 95, 410}, 3);
  PlotText(kEquationText, "", {100, 390, 445, 410}, 1);
  PlotText(kCountText, "", {100, 420, 445, 440}, 1);
}

Str255 RegressionEquationText(int16_t model, float a, float b, float c) {
  Str255 t = NumberText(a);
  if (model != kPolynomialModel) {
    if (b >= 0.0f) t += " + ";
    t += NumberText(b);
    t += "*X";
    return t;
  }
  t += " ";
  if (b > 0.0f) t += " + ";
  t += NumberText(b);
  t += "*X ";
  if (c > 0.0f) t += " + ";
  t += NumberText(c);
  t += "*X^ 2 ";
  return t;
}

Str255 RegressionCountText(int16_t n, int16_t model, double r2) {
  // A polynomial worse than the mean shows 0; the straight line's r-squared cannot be negative.
  if (model == kPolynomialModel) r2 = std::max(r2, 0.0);
  Str255 t = NumberText(n);
  t += " points; r-squared = ";
  t += NumberText(r2);
  return t;
}

bool DRAWthisREGRESSION(int16_t model) {
  const std::vector<FitPoint> points = RegressionPoints();
  const auto n = static_cast<int16_t>(points.size());
  const PlotBounds b = BoundsOf(points);
  minx1 = b.minx;
  maxx1 = b.maxx;
  miny1 = b.miny;
  maxy1 = b.maxy;
  stepx = b.stepx;
  DrawAxes();
  DrawZeroLines(b);
  DrawPoints(points, b);
  const FitResult fit = model == kPolynomialModel ? FitQuadratic(points) : FitLinear(points);
  if (!fit.ok()) {
    rt::SetEditText(kEquationText, fit.refusal == FitRefusal::TooLarge
                                       ? "no fit: the values are too large"
                                       : "no fit: the X values do not differ enough");
    rt::SetEditText(kCountText, NumberText(n).str() + " points");
    return false;
  }
  DrawFit(model, fit, b);
  aval = fit.a;
  bval = fit.b;
  exponent = fit.c;
  SimpleRegressionDataArray[1][0] = fit.a;
  SimpleRegressionDataArray[2][0] = fit.b;
  SimpleRegressionDataArray[3][0] = fit.c;
  rt::SetEditText(kEquationText, RegressionEquationText(model, fit.a, fit.b, fit.c).str());
  rt::SetEditText(kCountText, RegressionCountText(n, model, fit.r2).str());
  return true;
}

}  // namespace mv::calc
