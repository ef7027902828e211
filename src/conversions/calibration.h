// The rules of direct calibration that need no window: the demonstration reading,
// the fit of the points taken, the texts of the equation and count fields, and what
// the calibration hands back when it ends.
#pragma once
#include <cstdint>
#include <vector>

#include "conversions/fits.h"
#include "runtime/str255.h"

namespace mv {

constexpr int kMaxCalibrationPoints = 100;

// The conversion type each fit kind gives the channel: linear 1, power 3,
// polynomial 2.
int16_t CalibrationTypeOf(int16_t kind);

// One simulated reading for a typed value: (85 + r)*s/100 with r from 1 to 30 and
// s = value^0.765 above 0, -(|value|^0.765) otherwise; a typed 0 counts as 1e-7.
float DemoCalibrationReading(double typed, int r);

// Points 1 to n of autocalibrationArray (n clamped to 0..100).
std::vector<FitPoint> CalibrationPoints(int n);

// Writes each point's residual against the fit into value 3 of its row.
void StoreCalibrationResiduals(int n, int16_t kind, const FitResult& fit);

// Whether the residuals stored for points 1 to n (those the fit used) are only the
// rounding of single-precision arithmetic: their whole range lies within a few float
// steps of the largest value or term the fit adds up. The residual plot draws them
// flat, as the exact fit they are, instead of scaling the noise to its full height.
bool CalibrationResidualsAreRounding(int n, int16_t kind, const FitResult& fit);

// The equation template each fit button shows before a fit.
Str255 CalibrationTemplate(int16_t kind);
// The equation field after a fit, numbers by the printed-number rule.
Str255 CalibrationEquationText(int16_t kind, const FitResult& fit);
// The count field. Below the points the kind needs: "n point(s); " and what the
// kind needs ("a straight line needs 2"). From there "n points; r-squared = r2"
// (r2 kept within 0 to 1, where rounding can put it a step beyond), or why the fit was
// refused. When the fit used fewer of the points (fitted, from 0; -1 all of them) the
// count says how many: "n points, m fitted; r-squared = r2".
Str255 CalibrationCountText(int n, int16_t kind, const FitResult& fit, int fitted = -1);
// The points a fit of this kind stands on: two for a straight line (the line through
// them) and for a power function (two above 0), three for a 2-order polynomial.
int CalibrationPointsNeeded(int16_t kind);
// How many of points 1 to n a fit of this kind uses: all, but for a power fit only
// those with volts and value above 0.
int CalibrationPointsFitted(int n, int16_t kind);

// What the channel had when the calibration opened, restored when it is abandoned.
struct CalibrationSnapshot {
  int16_t channel = 0;
  float typeCode = 1, a = 0, b = 1, c = 0, miny = 0, maxy = 1;
};
// Takes the channel's type code (row 0) and the working coefficients and range.
CalibrationSnapshot TakeCalibrationSnapshot(int16_t channel);
void RestoreCalibrationSnapshot(const CalibrationSnapshot& s);

// Whether "Equation OK" can hand a conversion back: the kind's fit stands on points 1
// to n. Otherwise it is refused, and the count field says why: no fit replaces the
// user's measured points with a conversion they did not measure.
bool CalibrationCanFinish(int n, int16_t kind);

// Ending with "Equation OK" (or the 100-point limit) with a fit that stands: its
// coefficients, and the range of the typed values, widened when flat. Writes aval,
// bval, exponent, miny, maxy.
void FinishCalibration(int n, const FitResult& fit);

}  // namespace mv
