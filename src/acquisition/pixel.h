// The one mapping by which a value becomes a pixel row: every plotted value passes
// here, so no value that is no number, no infinity and no zero range ever reaches an
// integer conversion.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace mv {

enum class ZeroRangeEdge { Bottom, Top };

// y of value on a band from bottom (showing lo) up height pixels (showing lo + range):
// trunc(bottom - (value - lo) x height / range), kept inside the band. A value that is
// no number goes to the bottom, an infinite one to the edge it points to, and a range
// that is 0 or no number to the given edge.
inline int PixelY(double value, double lo, double range, int bottom, int height,
                  ZeroRangeEdge zeroRange = ZeroRangeEdge::Bottom) {
  const double top = static_cast<double>(bottom) - height;
  const double low = std::min<double>(top, bottom);
  const double high = std::max<double>(top, bottom);
  if (!std::isfinite(range) || range == 0.0)
    return zeroRange == ZeroRangeEdge::Bottom ? bottom : static_cast<int>(top);
  double y = static_cast<double>(bottom) - (value - lo) * height / range;
  if (std::isnan(y)) y = bottom;
  return static_cast<int>(std::trunc(std::clamp(y, low, high)));
}

// A window coordinate computed in floating point, as the int16 the drawing calls take:
// no number gives 0, and anything beyond the int16 range stops at its edge, so a wild
// value can only draw off the window, never wrap around into it.
inline int16_t PixelCoord(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int16_t>(std::trunc(std::clamp(v, -32768.0, 32767.0)));
}

}  // namespace mv
