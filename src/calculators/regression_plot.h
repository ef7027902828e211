// The regression plot: a straight line or a second-order polynomial fitted by least
// squares to the points of the regression table, drawn on fixed axes in window 787.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "kit/fits.h"
#include "runtime/str255.h"

namespace mv::calc {

constexpr int16_t kRegressionPlotWindow = 787;
constexpr int16_t kLinearModel = 0, kPolynomialModel = 3;

// Opens window 787 with its three texts under the plot area.
void BuildRegressionPlotWindow();

// Texts under the plot: the equation and the count and r-squared line.
Str255 RegressionEquationText(int16_t model, double a, double b, double c);
Str255 RegressionCountText(int16_t n, int16_t model, double r2);

// Fits the present rows of SimpleRegressionDataArray (RegressionPoints) in double
// precision with the model (0 straight line, 3 second-order polynomial), draws into the
// current output window and leaves a, b, c in column 0 of rows 1..3 (and, in single
// precision, in aval, bval, exponent); the count shown is the number of points fitted.
// Returns why there is no fit, empty when there is one: the X values do not allow the
// fit (all equal, or fewer than three different for the polynomial) or the values are
// too large for it. Then the points are drawn on a widened scale, the coefficients are
// left as they were and the texts say so.
std::string DRAWthisREGRESSION(int16_t model);

// The plot of a table that gives no fit: the plot area erased and the texts saying why.
void ClearRegressionPlot(std::string_view why);

}  // namespace mv::calc
