#include "conversions/calibration.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "conversions/text_fields.h"
#include "kit/format.h"
#include "setup/state.h"

namespace mv {

int16_t CalibrationTypeOf(int16_t kind) {
  if (kind == FitKind::Power) return ConversionTypeCode::Power;
  if (kind == FitKind::Polynomial) return ConversionTypeCode::Polynomial;
  return ConversionTypeCode::Linear;
}

float DemoCalibrationReading(double typed, int r) {
  if (typed == 0) typed = 1e-7;
  const double s = typed > 0 ? std::pow(typed, 0.765) : -std::pow(std::fabs(typed), 0.765);
  return static_cast<float>((85.0 + r) * s / 100.0);
}

std::vector<FitPoint> CalibrationPoints(int n) {
  n = std::clamp(n, 0, kMaxCalibrationPoints);
  std::vector<FitPoint> points;
  for (int i = 1; i <= n; ++i) points.push_back({autocalibrationArray[i][2], autocalibrationArray[i][1]});
  return points;
}

void StoreCalibrationResiduals(int n, int16_t kind, const FitResult& fit) {
  n = std::clamp(n, 0, kMaxCalibrationPoints);
  for (int i = 1; i <= n; ++i) {
    const FitPoint p{autocalibrationArray[i][2], autocalibrationArray[i][1]};
    const float r = fit.ok() ? FitResidual(kind, fit, p) : 0.0f;
    autocalibrationArray[i][3] = std::isfinite(r) ? r : 0.0f;
  }
}

namespace {

// Float steps of the largest magnitude within which residuals are rounding: a fit's
// coefficients and its sum in single precision leave a few.
constexpr float kRoundingSteps = 8.0f;

// The largest magnitude the fitted value of p is made from: the value itself, the fitted
// value and, for a line or a polynomial, each of its terms.
float LargestMagnitude(int16_t kind, const FitResult& fit, const FitPoint& p) {
  float m = std::max(std::fabs(p.y), std::fabs(FitValue(kind, fit, p.x)));
  if (kind != FitKind::Power) {
    m = std::max({m, std::fabs(fit.a), std::fabs(fit.b * p.x)});
    if (kind == FitKind::Polynomial) m = std::max(m, std::fabs(fit.c * (p.x * p.x)));
  }
  return m;
}

}  // namespace

bool CalibrationResidualsAreRounding(int n, int16_t kind, const FitResult& fit) {
  if (!fit.ok()) return false;
  n = std::clamp(n, 0, kMaxCalibrationPoints);
  float low = 0.0f, high = 0.0f, largest = 0.0f;
  bool any = false;
  for (int i = 1; i <= n; ++i) {
    const FitPoint p{autocalibrationArray[i][2], autocalibrationArray[i][1]};
    if (kind == FitKind::Power && !PowerFitUses(p)) continue;
    const float r = autocalibrationArray[i][3];
    low = any ? std::min(low, r) : r;
    high = any ? std::max(high, r) : r;
    any = true;
    largest = std::max(largest, LargestMagnitude(kind, fit, p));
  }
  if (!any || !std::isfinite(largest)) return false;
  return high - low <= kRoundingSteps * std::numeric_limits<float>::epsilon() * largest;
}

Str255 CalibrationTemplate(int16_t kind) {
  if (kind == FitKind::Power) return "B*volts^exponent";
  if (kind == FitKind::Polynomial) return "A + B*volts + C*volts^ 2 ";
  return "A + B*volts";
}

Str255 CalibrationEquationText(int16_t kind, const FitResult& fit) {
  if (!fit.ok()) return CalibrationTemplate(kind);
  if (kind == FitKind::Power) return PrintedNumber(fit.b) + "* volts^" + PrintedNumber(fit.c);
  if (kind == FitKind::Polynomial) {
    Str255 s = PrintedNumber(fit.a) + " ";
    if (fit.b > 0) s += " + ";
    s += PrintedNumber(fit.b) + "*volts";
    if (fit.c > 0) s += " + ";
    return s + PrintedNumber(fit.c) + "*volts^ 2 ";
  }
  Str255 s = PrintedNumber(fit.a);
  if (!(fit.b < 0)) s += " + ";
  return s + PrintedNumber(fit.b) + "*volts";
}

int CalibrationPointsFitted(int n, int16_t kind) {
  const std::vector<FitPoint> points = CalibrationPoints(n);
  if (kind != FitKind::Power) return static_cast<int>(points.size());
  return static_cast<int>(std::count_if(points.begin(), points.end(), PowerFitUses));
}

int CalibrationPointsNeeded(int16_t kind) {
  return kind == FitKind::Polynomial ? 3 : 2;
}

Str255 CalibrationCountText(int n, int16_t kind, const FitResult& fit, int fitted) {
  const Str255 count = PrintedNumber(n);
  if (n < CalibrationPointsNeeded(kind)) {
    const char* form = kind == FitKind::Power        ? "; a power fit needs "
                       : kind == FitKind::Polynomial ? "; a 2-order poly needs "
                                                     : "; a straight line needs ";
    return count + (n == 1 ? " point" : " points") + form +
           Str255(std::to_string(CalibrationPointsNeeded(kind)));
  }
  switch (fit.refusal) {
    case FitRefusal::EqualX:
      return count + " points; no fit: all volts are equal";
    case FitRefusal::TooFewPositive:
      return count + " points; no fit: fewer than 2 points above 0";
    case FitRefusal::TooFewDistinctX:
      return count + " points; no fit: fewer than 3 different volts";
    case FitRefusal::TooLarge:
      return count + " points; no fit: the values are too large";
    case FitRefusal::TooSmall:
      return count + " points; no fit: a coefficient is too small";
    case FitRefusal::TooClose:
      return count + " points; no fit: the volts are too close together";
    case FitRefusal::None:
      break;
  }
  const Str255 used = fitted >= 0 && fitted < n ? count + " points," + PrintedNumber(fitted) + " fitted"
                                                 : count + " points";
  return used + "; r-squared = " + PrintedNumber(static_cast<float>(std::clamp(fit.r2, 0.0, 1.0)));
}

CalibrationSnapshot TakeCalibrationSnapshot(int16_t channel) {
  CalibrationSnapshot s;
  s.channel = channel;
  if (channel >= 1 && channel <= 16) s.typeCode = ChannelVariables[0][channel];
  s.a = aval;
  s.b = bval;
  s.c = exponent;
  s.miny = miny;
  s.maxy = maxy;
  return s;
}

void RestoreCalibrationSnapshot(const CalibrationSnapshot& s) {
  if (s.channel >= 1 && s.channel <= 16) ChannelVariables[0][s.channel] = s.typeCode;
  aval = s.a;
  bval = s.b;
  exponent = s.c;
  miny = s.miny;
  maxy = s.maxy;
}

bool CalibrationCanFinish(int n, int16_t kind) {
  return n >= CalibrationPointsNeeded(kind) && Fit(kind, CalibrationPoints(n)).ok();
}

void FinishCalibration(int n, const FitResult& fit) {
  aval = fit.a;
  bval = fit.b;
  exponent = fit.c;
  float low = 1e30f, high = -1e30f;
  for (const FitPoint& p : CalibrationPoints(n)) {
    low = std::min(low, p.y);
    high = std::max(high, p.y);
  }
  WidenFlatRange(low, high);
  miny = low;
  maxy = high;
}

}  // namespace mv
