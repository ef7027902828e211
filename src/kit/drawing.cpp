#include "kit/drawing.h"

#include <algorithm>

#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/windows.h"

namespace mv {

static_assert(sizeof(QuartzPoint) == 2 * sizeof(float), "the buffer is read as x, y pairs of floats");

// One fixed table, allocated once with the program, large enough for one point
// per chart sample of a full recording.
std::array<QuartzPoint, kQuartzPointsSize> QuartzPointsArray;

namespace {

constexpr RGBf kWhite{1, 1, 1}, kYellow{1, 1, 0}, kDarkGreen{0, 0.5, 0}, kBlack{0, 0, 0}, kBlue{0, 0, 1},
    kMagenta{1, 0, 1}, kRed{1, 0, 0}, kCyan{0, 1, 1};

rt::StrokeStyle Style(RGBf c, double width) {
  rt::StrokeStyle s;
  s.red = c.red;
  s.green = c.green;
  s.blue = c.blue;
  s.width = width;
  return s;
}

void ApplyDash(rt::StrokeStyle& s) {
  DashPattern d = DashForCode(PrefsArray[PrefsSlot::DashPattern]);
  DashedLine = PrefsArray[PrefsSlot::DashPattern];
  s.dashOn = d.on;
  s.dashOff = d.off;
}

// The line primitives share this road: both ends go into points 1 and 2 of the
// buffer, moved onto pixel centres, and the two points are stroked as a path.
void StrokeTwoPoints(int16_t x1, int16_t y1, int16_t x2, int16_t y2, rt::StrokeStyle style) {
  ApplyDash(style);
  QuartzPointsArray[1] = {static_cast<float>(x1) + 0.5f, static_cast<float>(y1) + 0.5f};
  QuartzPointsArray[2] = {static_cast<float>(x2) + 0.5f, static_cast<float>(y2) + 0.5f};
  rt::StrokePolyline(&QuartzPointsArray[1].x, 2, style);
}

int32_t ClampCount(int32_t n) {
  return std::clamp<int32_t>(n, 0, kQuartzLastPoint);
}

}  // namespace

RGBf ToRGBf(RGBColor c) {
  return RGBf{c.red / 65535.0, c.green / 65535.0, c.blue / 65535.0};
}

RGBf LinePalette(int16_t colour) {
  switch (colour) {
    case 0:
      return kWhite;
    case 1:
      return kYellow;
    case 2:
      return kDarkGreen;
    case 4:
      return kBlue;
    case 5:
      return kMagenta;
    case 6:
      return kRed;
    default:
      return kBlack;  // 3, 7 and anything outside 0..7
  }
}

RGBf BoxPalette(int16_t colour, bool* refused) {
  bool bad = colour == 5 || colour < 0 || colour > 7;
  if (refused) *refused = bad;
  if (bad) return kBlack;
  return colour == 3 ? kCyan : LinePalette(colour);
}

RGBf CirclePalette(int16_t colour) {
  if (colour == 5 || colour < 0 || colour > 7) return kBlack;
  return BoxPalette(colour);
}

DashPattern DashForCode(int16_t code) {
  switch (code) {
    case 1:
      return {1, 3};
    case 2:
      return {3, 6};
    case 3:
      return {8, 2};
    case 4:
      return {4, 2};
    case 5:
      return {10, 10};
    case 6:
      return {2, 4};
    case 7:
      return {5, 3};
    case 8:
      return {6, 4};
    default:
      return {0, 0};
  }
}

CGContext BeginCGContextForCurrentPort() {
  CGContext c;
  c.valid = rt::OutputWindow() != 0;
  return c;
}

void SetCGlinecolor(CGContext& context, int16_t colour, float width) {
  RGBf c = LinePalette(colour);
  context.style.red = c.red;
  context.style.green = c.green;
  context.style.blue = c.blue;
  context.style.alpha = 1;
  context.style.width = width == 0 ? 1 : width;
}

void SetCGChartLinesColor(CGContext& context, int16_t useDataColor) {
  RGBf c = ToRGBf(useDataColor ? ChartDataColor : RGBred);
  context.style.red = c.red;
  context.style.green = c.green;
  context.style.blue = c.blue;
  context.style.alpha = 1;
}

void SetCGScopeLinesColor(CGContext& context) {
  RGBf c = ToRGBf(ScopeDataColor);
  context.style.red = c.red;
  context.style.green = c.green;
  context.style.blue = c.blue;
  context.style.alpha = 1;
}

void SetLineDashPattern(CGContext& context) {
  ApplyDash(context.style);
}

void drawPaneContent(CGContext& context, int32_t n) {
  int32_t count = ClampCount(n);
  if (context.valid && count >= 2) rt::StrokePolyline(&QuartzPointsArray[1].x, count, context.style);
  context.valid = false;
}

void PlotCG(float width, int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t colour) {
  StrokeTwoPoints(x1, y1, x2, y2, Style(LinePalette(colour), width == 0 ? 1 : width));
}

void PlotCGrgb(float width, int16_t x1, int16_t y1, int16_t x2, int16_t y2, RGBColor colour) {
  StrokeTwoPoints(x1, y1, x2, y2, Style(ToRGBf(colour), width));
}

void CGDrawLineNoAliasing(int16_t x1, int16_t y1, int16_t x2, int16_t y2, RGBColor colour) {
  rt::StrokeStyle s = Style(ToRGBf(colour), 1);
  s.antialias = false;
  StrokeTwoPoints(x1, y1, x2, y2, s);
}

void CGInvertline(int16_t x1, int16_t y1, int16_t x2, int16_t y2) {
  rt::StrokeStyle s = Style(kWhite, 1);
  s.invert = true;  // difference blending, aliased: a second stroke restores the pixels
  s.antialias = false;
  StrokeTwoPoints(x1, y1, x2, y2, s);
}

void CGInvertBox(int16_t left, int16_t top, int16_t right, int16_t bottom) {
  rt::StrokeStyle s = Style(kWhite, 1);
  s.invert = true;
  s.antialias = false;
  rt::StrokeRect(left + 0.5, top + 0.5, right - left, bottom - top, s);
}

void CGdrawBox(int16_t useRGB, RGBColor rgb, int16_t fill, float left, float top, float right, float bottom,
               int16_t colour) {
  RGBf c;
  if (useRGB) {
    c = ToRGBf(rgb);
  } else {
    bool refused = false;
    c = BoxPalette(colour, &refused);
    if (refused) scream();
  }
  double x = left + 0.5, y = top + 0.5, w = static_cast<double>(right) - left,
         h = static_cast<double>(bottom) - top;
  if (fill)
    rt::FillRect(x, y, w, h, c.red, c.green, c.blue);
  else
    rt::StrokeRect(x, y, w, h, Style(c, 1));
}

void CGdrawCircle(int16_t useRGB, RGBColor rgb, int16_t fill, float radius, int16_t colour, int32_t count) {
  int32_t n = ClampCount(count);
  if (n <= 0) return;
  RGBf c = useRGB ? ToRGBf(rgb) : CirclePalette(colour);
  rt::StrokeStyle s = Style(c, 1.2);
  for (int32_t i = 1; i <= n; ++i) {
    const QuartzPoint& p = QuartzPointsArray[i];
    if (fill)
      rt::FillEllipse(p.x, p.y, radius, radius, c.red, c.green, c.blue);
    else
      rt::StrokeEllipse(p.x, p.y, radius, radius, s);
  }
}

}  // namespace mv
