// Least-squares fits of calibration and regression points: a straight line, a
// power function (a line through the logarithms) and a second-order polynomial by
// Forsythe's three-term recurrence; their residuals and the plot mapping shared by
// direct calibration and the regression calculator.
#pragma once
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

namespace mv {

struct FitPoint {
  float x;  // volts, or X
  float y;  // the known value, or Y
};

namespace FitKind {
constexpr int16_t Linear = 0, Power = 1, Polynomial = 2;
}

// Why a fit was refused: the sums would divide by zero, or the values do not fit
// the arithmetic.
enum class FitRefusal {
  None,
  EqualX,           // fewer than 2 different x values
  TooFewPositive,   // power: fewer than 2 different x among the points with x and y above 0
  TooFewDistinctX,  // polynomial: fewer than 3 different x values
  TooLarge,         // a sum is no finite number, or a coefficient no single-precision one
  TooSmall,         // a coefficient that is not 0 would be stored as 0 or a subnormal single
  TooClose,         // the stored coefficients miss the fit's values at its points (volts too close)
};

struct FitResult {
  FitRefusal refusal = FitRefusal::None;
  float a = 0, b = 0, c = 0;  // value = a + b*x (+ c*x^2), or b*x^c for a power fit
  double r2 = 0;
  int used = 0;  // points that entered the sums
  bool ok() const { return refusal == FitRefusal::None; }
};

// The straight line and the parabola in double precision throughout, for values
// typed with more digits than single precision holds (the regression calculator):
// the same sums, coefficients refused only when they are no finite number.
struct ExactPoint {
  double x, y;
};
struct ExactFit {
  FitRefusal refusal = FitRefusal::None;
  double a = 0, b = 0, c = 0, r2 = 0;
  int used = 0;
  bool ok() const { return refusal == FitRefusal::None; }
};
ExactFit FitLinearExact(std::span<const ExactPoint> points);
ExactFit FitQuadraticExact(std::span<const ExactPoint> points);

// The sums of every fit are formed in double precision about the means; the
// coefficients must then be single-precision numbers that still reproduce the fit's
// points: one that is not 0 but would be stored as 0 or a subnormal single (losing its
// digits) refuses the fit, as one beyond the largest single does, and so does a fitted
// value at one of the points that is no finite number, or (a line or a 2-order poly) one
// that misses the exact fit's value there by more than a thousandth of the largest y.
//
// Straight line over all points: b = Sxy/Sxx, a = mean y - b*mean x,
// r-squared = Sxy^2/(Sxx*Syy), 1 when every y is equal (the line fits exactly).
FitResult FitLinear(std::span<const FitPoint> points);

// Power function b*x^c through the points with x and y above 0 (a = 0): the line
// through log10 x and log10 y, c its slope and b = 10^intercept.
FitResult FitPower(std::span<const FitPoint> points);

// Second-order polynomial a + b*x + c*x^2 over all points; r-squared = 1 - SSE/SST,
// or 1 when SST is 0.
FitResult FitQuadratic(std::span<const FitPoint> points);

// The fit of kind (FitKind) over the points.
FitResult Fit(int16_t kind, std::span<const FitPoint> points);

// Whether a point enters a power fit.
bool PowerFitUses(const FitPoint& p);

// The fitted value at x (no finite number for a power fit at x not above 0).
float FitValue(int16_t kind, const FitResult& fit, float x);

// The point's residual (y - fitted); 0 for a point a power fit leaves out.
float FitResidual(int16_t kind, const FitResult& fit, const FitPoint& p);

// ---- plot mapping --------------------------------------------------------------------------
struct PlotBounds {
  float minx = 0, maxx = 0, miny = 0, maxy = 0;
  float stepx = 0;   // pixels per x unit
  float yscale = 0;  // pixels per y unit
};

// A range whose ends are equal (or out of order) is widened by 10 % of the value
// each way, or by 1 around 0, so a scale never divides by zero.
template <typename Real>
void WidenFlatRange(Real& low, Real& high) {
  if (high > low) return;
  const Real mid = std::isfinite(low) ? low : Real{0};
  Real half = std::fabs(mid) * Real(0.1);
  if (!(half > Real{0})) half = Real{1};
  low = mid - half;
  high = mid + half;
}

// The bounds of the points, each range widened when flat; stepx = 355/x range and
// yscale = yPixels/y range (298 for the value plot, 250 for the residual plot).
PlotBounds BoundsOf(std::span<const FitPoint> points, float yPixels = 298.0f);

// A pixel coordinate: truncated toward zero, clamped to +-30000; no number gives 0.
int PixelOf(double position);

// x pixel of an x value: x0 + trunc((x - minx)*stepx); x0 is 273 in calibration and
// 73 in the regression plot.
int PlotPixelX(const PlotBounds& b, float x, int x0);
// y pixel of a y value: trunc(base - (y - miny)*yscale); base 311 for values, 306
// for residuals.
int PlotPixelY(const PlotBounds& b, float y, float base = 311.0f);

// The dashed zero lines, drawn only when a range spans 0 strictly: the x pixel of
// x = 0 and the y pixel of y = 0 (base as in PlotPixelY), or -1 when not drawn.
int ZeroLineX(const PlotBounds& b, int x0);
int ZeroLineY(const PlotBounds& b, float base = 311.0f);

struct PlotVertex {
  int x, y;
};
// The fitted curve as a polyline: vertices at x0 + 1, x0 + 6, ... x0 + 351 (and at x0
// first when withStart), at x = minx + (pixel - x0)/stepx; a power curve only where
// x is above 0; vertices whose value is no finite number are left out.
std::vector<PlotVertex> CurveVertices(int16_t kind, const FitResult& fit, const PlotBounds& b, int x0,
                                      bool withStart);

}  // namespace mv
