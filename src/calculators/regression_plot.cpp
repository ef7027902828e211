#include "calculators/regression_plot.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
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

// The plot's scale in double precision, so that points typed with more digits than
// single precision holds keep their places: X from minx to maxx over pixels 73 to
// 428, Y from miny to maxy over pixels 311 up to 13.
struct Scale {
  double minx = 0, maxx = 0, miny = 0, maxy = 0, stepx = 0, ys = 0;
};

Scale ScaleOf(std::span<const ExactPoint> points) {
  Scale s;
  if (!points.empty()) {
    s.minx = s.maxx = points.front().x;
    s.miny = s.maxy = points.front().y;
  }
  for (const ExactPoint& p : points) {
    s.minx = std::min(s.minx, p.x);
    s.maxx = std::max(s.maxx, p.x);
    s.miny = std::min(s.miny, p.y);
    s.maxy = std::max(s.maxy, p.y);
  }
  WidenFlatRange(s.minx, s.maxx);
  WidenFlatRange(s.miny, s.maxy);
  s.stepx = 355.0 / (s.maxx - s.minx);
  s.ys = 298.0 / (s.maxy - s.miny);
  return s;
}

int16_t PixelX(const Scale& s, double x) {
  return static_cast<int16_t>(kX0 + PixelOf((x - s.minx) * s.stepx));
}
int16_t PixelY(const Scale& s, double y) {
  return static_cast<int16_t>(PixelOf(311.0 - (y - s.miny) * s.ys));
}

void DrawZeroLines(const Scale& s) {
  const rt::FontSpec font = KitFont(3, 10);
  PrefsArray[kDashSlot] = 2;
  if (s.minx < 0 && s.maxx > 0) {
    const int16_t x0 = PixelX(s, 0);
    PlotCGrgb(0, x0, 20, x0, 318, DarkGray);
    rt::DrawText(x0 - 3, 332, "0", font, DarkGray);
  }
  if (s.miny < 0 && s.maxy > 0) {
    const int16_t y0 = PixelY(s, 0);
    PlotCGrgb(0, 68, y0, 426, y0, DarkGray);
    rt::DrawText(44, y0 + 4, "0", font, DarkGray);
  }
  PrefsArray[kDashSlot] = 0;
}

void DrawPoints(std::span<const ExactPoint> points, const Scale& s) {
  int32_t i = 0;
  for (const ExactPoint& p : points) {
    ++i;
    QuartzPointsArray[static_cast<std::size_t>(i)] = {static_cast<float>(PixelX(s, p.x)),
                                                      static_cast<float>(PixelY(s, p.y))};
  }
  CGdrawCircle(0, RGBColor{}, 1, 2.0f, 3, i);
  CGdrawCircle(0, RGBColor{}, 0, 3.0f, 4, i);
}

// The line from end to end, or the parabola through vertices at pixel 73 and every
// fifth pixel from 74.
void DrawFit(int16_t model, const ExactFit& fit, const Scale& s) {
  if (model != kPolynomialModel) {
    PlotCG(0, kX0, PixelY(s, fit.a + fit.b * s.minx), 428, PixelY(s, fit.a + fit.b * s.maxx), 6);
    return;
  }
  std::vector<std::pair<int16_t, int16_t>> v;
  auto add = [&](int pixel) {
    const double x = s.minx + (pixel - kX0) / s.stepx;
    const double y = fit.a + fit.b * x + fit.c * x * x;
    if (std::isfinite(y)) v.emplace_back(static_cast<int16_t>(pixel), PixelY(s, y));
  };
  add(kX0);
  for (int k = 0; k <= 70; ++k) add(kX0 + 1 + 5 * k);
  for (std::size_t k = 1; k < v.size(); ++k)
    PlotCG(0, v[k - 1].first, v[k - 1].second, v[k].first, v[k].second, 6);
}

}  // namespace

void BuildRegressionPlotWindow() {
  BuildWINDOW(kRegressionPlotWindow, "regression plot", 650, 80, 650 + 450, 80 + 470, 6);
  PlotText(kLabelText, "Regression:", {5, 390, 95, 410}, 3);
  PlotText(kEquationText, "", {100, 390, 445, 410}, 1);
  PlotText(kCountText, "", {100, 420, 445, 440}, 1);
}

Str255 RegressionEquationText(int16_t model, double a, double b, double c) {
  Str255 t = NumberText(a);
  if (model != kPolynomialModel) {
    if (b >= 0) t += " + ";
    t += NumberText(b);
    t += "*X";
    return t;
  }
  t += " ";
  if (b > 0) t += " + ";
  t += NumberText(b);
  t += "*X ";
  if (c > 0) t += " + ";
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

std::string DRAWthisREGRESSION(int16_t model) {
  const std::vector<ExactPoint> points = RegressionPoints();
  const auto n = static_cast<int16_t>(points.size());
  const Scale s = ScaleOf(points);
  minx1 = static_cast<float>(s.minx);
  maxx1 = static_cast<float>(s.maxx);
  miny1 = static_cast<float>(s.miny);
  maxy1 = static_cast<float>(s.maxy);
  stepx = static_cast<float>(s.stepx);
  DrawAxes();
  DrawZeroLines(s);
  DrawPoints(points, s);
  const ExactFit fit = model == kPolynomialModel ? FitQuadraticExact(points) : FitLinearExact(points);
  if (!fit.ok()) {
    const std::string why = fit.refusal == FitRefusal::TooLarge ? "the values are too large"
                                                                : "the X values do not differ enough";
    rt::SetEditText(kEquationText, "no fit: " + why);
    rt::SetEditText(kCountText, NumberText(n).str() + " points");
    return why;
  }
  DrawFit(model, fit, s);
  // The rest of the program takes the coefficients in single precision.
  aval = static_cast<float>(fit.a);
  bval = static_cast<float>(fit.b);
  exponent = static_cast<float>(fit.c);
  SimpleRegressionDataArray[1][0] = fit.a;
  SimpleRegressionDataArray[2][0] = fit.b;
  SimpleRegressionDataArray[3][0] = fit.c;
  rt::SetEditText(kEquationText, RegressionEquationText(model, fit.a, fit.b, fit.c).str());
  rt::SetEditText(kCountText, RegressionCountText(n, model, fit.r2).str());
  return "";
}

void ClearRegressionPlot(std::string_view why) {
  ClearArea(0, 0, 600, 380);
  rt::SetEditText(kEquationText, "no fit: " + std::string(why));
  rt::SetEditText(kCountText, " ");
}

}  // namespace mv::calc
