#include "kit/fits.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <set>

namespace mv {
namespace {

constexpr double kLn10 = 2.3025851;

int DistinctX(std::span<const ExactPoint> points) {
  std::set<double> xs;
  for (const ExactPoint& p : points) xs.insert(p.x);
  return static_cast<int>(xs.size());
}

bool Finite(std::initializer_list<double> values) {
  for (const double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// A fitted coefficient must be a single-precision number as well.
bool FitsFloat(double v) {
  return std::isfinite(v) && std::fabs(v) <= std::numeric_limits<float>::max();
}

// A coefficient that is not 0 must keep its digits as a single: one below the smallest
// normal single is stored as 0 or a subnormal, and the conversion it belongs to no longer
// gives the values it was fitted to (a power fit's multiplier of 1e-77 stores 0).
bool KeepsItsDigits(double v) {
  return v == 0.0 || std::fabs(v) >= static_cast<double>(std::numeric_limits<float>::min());
}

// The refusal of single-precision coefficients a, b, c, or none.
FitRefusal StoredRefusal(double a, double b, double c) {
  if (!FitsFloat(a) || !FitsFloat(b) || !FitsFloat(c)) return FitRefusal::TooLarge;
  if (!KeepsItsDigits(a) || !KeepsItsDigits(b) || !KeepsItsDigits(c)) return FitRefusal::TooSmall;
  return FitRefusal::None;
}

std::vector<ExactPoint> Widened(std::span<const FitPoint> points) {
  std::vector<ExactPoint> out;
  out.reserve(points.size());
  for (const FitPoint& p : points) out.push_back({p.x, p.y});
  return out;
}

// The single-precision result of a double-precision fit.
FitResult Narrowed(const ExactFit& e) {
  FitResult f;
  f.refusal = e.refusal;
  if (!e.ok()) return f;
  f.refusal = StoredRefusal(e.a, e.b, e.c);
  if (!f.ok()) return f;
  f.a = static_cast<float>(e.a);
  f.b = static_cast<float>(e.b);
  f.c = static_cast<float>(e.c);
  f.r2 = e.r2;
  f.used = e.used;
  return f;
}

}  // namespace

// Everything in double precision, about the means: the deviations keep their
// digits whatever the offset of the values, and their squares cannot overflow
// for any single-precision input.
ExactFit FitLinearExact(std::span<const ExactPoint> points) {
  ExactFit s;
  s.refusal = FitRefusal::EqualX;
  const std::size_t n = points.size();
  if (n < 2 || DistinctX(points) < 2) return s;
  double sx = 0, sy = 0;
  for (const ExactPoint& p : points) {
    sx += p.x;
    sy += p.y;
  }
  const double xm = sx / static_cast<double>(n), ym = sy / static_cast<double>(n);
  double sxx = 0, syy = 0, sxy = 0;
  for (const ExactPoint& p : points) {
    const double dx = p.x - xm, dy = p.y - ym;
    sxx += dx * dx;
    syy += dy * dy;
    sxy += dx * dy;
  }
  if (!Finite({xm, ym, sxx, syy, sxy})) {
    s.refusal = FitRefusal::TooLarge;
    return s;
  }
  if (!(sxx > 0)) return s;
  s.b = sxy / sxx;
  s.a = ym - s.b * xm;
  // Every y equal: the horizontal line fits every point.
  s.r2 = syy == 0 ? 1.0 : sxy * sxy / (sxx * syy);
  s.refusal = Finite({s.a, s.b, s.r2}) ? FitRefusal::None : FitRefusal::TooLarge;
  s.used = static_cast<int>(n);
  return s;
}

FitResult FitLinear(std::span<const FitPoint> points) {
  return Narrowed(FitLinearExact(Widened(points)));
}

bool PowerFitUses(const FitPoint& p) {
  return p.x > 0.0f && p.y > 0.0f;
}

FitResult FitPower(std::span<const FitPoint> points) {
  std::vector<ExactPoint> logs;
  for (const FitPoint& p : points) {
    if (!PowerFitUses(p)) continue;
    // The logarithms are taken to single precision, as the channel's values are.
    logs.push_back({static_cast<float>(std::log(static_cast<double>(p.x)) / kLn10),
                    static_cast<float>(std::log(static_cast<double>(p.y)) / kLn10)});
  }
  FitResult f;
  const ExactFit s = FitLinearExact(logs);
  if (!s.ok() || !FitsFloat(s.a) || !FitsFloat(s.b)) {
    f.refusal = s.refusal == FitRefusal::EqualX ? FitRefusal::TooFewPositive
                : s.refusal == FitRefusal::None ? FitRefusal::TooLarge
                                                : s.refusal;
    return f;
  }
  const double b = std::pow(10.0, s.a);
  f.refusal = StoredRefusal(0.0, b, static_cast<float>(s.b));
  if (!f.ok()) return f;
  f.a = 0.0f;
  f.b = static_cast<float>(b);
  f.c = static_cast<float>(s.b);
  f.r2 = s.r2;
  f.used = static_cast<int>(logs.size());
  return f;
}

ExactFit FitQuadraticExact(std::span<const ExactPoint> points) {
  ExactFit f;
  f.refusal = FitRefusal::TooFewDistinctX;
  const std::size_t n = points.size();
  if (DistinctX(points) < 3) return f;
  double sx = 0, sy = 0;
  for (const ExactPoint& p : points) {
    sx += p.x;
    sy += p.y;
  }
  const double nd = static_cast<double>(n);
  const double alpha1 = sx / nd, c0 = sy / nd;
  // p1 = x - alpha1; c1, alpha2, beta2 from its sums.
  double syp1 = 0, sxp1p1 = 0, sp1p1 = 0;
  for (const ExactPoint& p : points) {
    const double p1 = p.x - alpha1;
    syp1 += p.y * p1;
    sxp1p1 += p.x * (p1 * p1);
    sp1p1 += p1 * p1;
  }
  if (!Finite({alpha1, c0, syp1, sxp1p1, sp1p1})) {
    f.refusal = FitRefusal::TooLarge;
    return f;
  }
  if (!(sp1p1 > 0)) return f;
  const double c1 = syp1 / sp1p1, alpha2 = sxp1p1 / sp1p1, beta2 = sp1p1 / nd;
  // p2 = (x - alpha2)*p1 - beta2, orthogonal to p0 and p1 over the points.
  double syp2 = 0, sp2p2 = 0, sst = 0;
  for (const ExactPoint& p : points) {
    const double p1 = p.x - alpha1;
    const double p2 = (p.x - alpha2) * p1 - beta2;
    syp2 += p.y * p2;
    sp2p2 += p2 * p2;
    sst += (p.y - c0) * (p.y - c0);
  }
  if (!Finite({syp2, sp2p2, sst})) {
    f.refusal = FitRefusal::TooLarge;
    return f;
  }
  if (!(sp2p2 > 0)) return f;
  const double c2 = syp2 / sp2p2;
  const double a = c0 - alpha1 * c1 + (alpha1 * alpha2 - beta2) * c2;
  const double b = c1 - (alpha1 + alpha2) * c2;
  if (!Finite({a, b, c2})) {
    f.refusal = FitRefusal::TooLarge;
    return f;
  }
  // The residuals from the orthogonal form, which holds the fit at full precision.
  double sse = 0;
  for (const ExactPoint& p : points) {
    const double p1 = p.x - alpha1;
    const double e = c0 + c1 * p1 + c2 * ((p.x - alpha2) * p1 - beta2) - p.y;
    sse += e * e;
  }
  f.refusal = FitRefusal::None;
  f.a = a;
  f.b = b;
  f.c = c2;
  f.r2 = sst == 0 ? 1.0 : 1.0 - sse / sst;
  f.used = static_cast<int>(n);
  return f;
}

FitResult FitQuadratic(std::span<const FitPoint> points) {
  return Narrowed(FitQuadraticExact(Widened(points)));
}

FitResult Fit(int16_t kind, std::span<const FitPoint> points) {
  FitResult f = kind == FitKind::Power        ? FitPower(points)
                : kind == FitKind::Polynomial ? FitQuadratic(points)
                                              : FitLinear(points);
  if (!f.ok()) return f;
  // The stored coefficients must give every point it stands on a value.
  for (const FitPoint& p : points) {
    if (kind == FitKind::Power && !PowerFitUses(p)) continue;
    if (!std::isfinite(FitValue(kind, f, p.x))) return FitResult{FitRefusal::TooLarge};
  }
  if (kind == FitKind::Power) return f;
  // And the value the fit gives there. Volts close together against their size make
  // large coefficients of opposite sign whose single-precision terms cancel: four
  // points 0.1 mV apart on a parabola would be stored as a curve giving 0 and 32 for
  // 3 to 15. A thousandth of the largest value typed is far beyond the rounding of a
  // fit that holds.
  const std::vector<ExactPoint> wide = Widened(points);
  const ExactFit e = kind == FitKind::Polynomial ? FitQuadraticExact(wide) : FitLinearExact(wide);
  double largest = 0;
  for (const FitPoint& p : points) largest = std::max(largest, std::fabs(static_cast<double>(p.y)));
  for (const ExactPoint& p : wide) {
    const double exact = e.a + e.b * p.x + e.c * p.x * p.x;
    if (std::fabs(FitValue(kind, f, static_cast<float>(p.x)) - exact) > 1e-3 * largest)
      return FitResult{FitRefusal::TooClose};
  }
  return f;
}

float FitValue(int16_t kind, const FitResult& fit, float x) {
  if (kind == FitKind::Power) {
    if (!(x > 0.0f)) return std::numeric_limits<float>::quiet_NaN();
    return static_cast<float>(static_cast<double>(fit.a) +
                              static_cast<double>(fit.b) * std::pow(static_cast<double>(x), fit.c));
  }
  if (kind == FitKind::Polynomial) return fit.a + fit.b * x + fit.c * (x * x);
  return fit.a + fit.b * x;
}

float FitResidual(int16_t kind, const FitResult& fit, const FitPoint& p) {
  if (kind == FitKind::Power && !PowerFitUses(p)) return 0.0f;
  return p.y - FitValue(kind, fit, p.x);
}

PlotBounds BoundsOf(std::span<const FitPoint> points, float yPixels) {
  PlotBounds b;
  b.minx = b.miny = 1e30f;
  b.maxx = b.maxy = -1e30f;
  for (const FitPoint& p : points) {
    b.minx = std::min(b.minx, p.x);
    b.maxx = std::max(b.maxx, p.x);
    b.miny = std::min(b.miny, p.y);
    b.maxy = std::max(b.maxy, p.y);
  }
  if (points.empty()) b.minx = b.maxx = b.miny = b.maxy = 0.0f;
  WidenFlatRange(b.minx, b.maxx);
  WidenFlatRange(b.miny, b.maxy);
  b.stepx = 355.0f / (b.maxx - b.minx);
  b.yscale = yPixels / (b.maxy - b.miny);
  return b;
}

int PixelOf(double position) {
  if (std::isnan(position)) return 0;
  return static_cast<int>(std::trunc(std::clamp(position, -30000.0, 30000.0)));
}

int PlotPixelX(const PlotBounds& b, float x, int x0) {
  return x0 + PixelOf((x - b.minx) * b.stepx);
}

int PlotPixelY(const PlotBounds& b, float y, float base) {
  return PixelOf(base - (y - b.miny) * b.yscale);
}

int ZeroLineX(const PlotBounds& b, int x0) {
  if (!(b.minx < 0.0f && b.maxx > 0.0f)) return -1;
  return x0 + PixelOf(-b.minx * b.stepx);
}

int ZeroLineY(const PlotBounds& b, float base) {
  if (!(b.miny < 0.0f && b.maxy > 0.0f)) return -1;
  return PixelOf(base + b.miny * b.yscale);
}

std::vector<PlotVertex> CurveVertices(int16_t kind, const FitResult& fit, const PlotBounds& b, int x0,
                                      bool withStart) {
  std::vector<PlotVertex> out;
  if (!fit.ok()) return out;
  auto add = [&](int pixel) {
    const float x = b.minx + static_cast<float>(pixel - x0) / b.stepx;
    if (kind == FitKind::Power && !(x > 0.0f)) return;
    const float y = FitValue(kind, fit, x);
    if (std::isfinite(y)) out.push_back({pixel, PlotPixelY(b, y)});
  };
  if (withStart) add(x0);
  for (int k = 0; k <= 70; ++k) add(x0 + 1 + 5 * k);
  return out;
}

}  // namespace mv
