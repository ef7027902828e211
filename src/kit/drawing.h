// The drawing primitives: every line, box, circle and polyline of the program,
// in an RGB colour or a colour number of one of the fixed palettes, with the
// dash pattern of preference slot 61 and the shared point buffer.
//
// Coordinates are window pixels of the current output window, origin top
// left, y down. Lines and rectangles are moved by half a pixel so that a
// one-pixel line covers whole pixels: a line from (x1, y1) to (x2, y2) runs
// between the pixel centres (x1 + 0.5, y1 + 0.5) and (x2 + 0.5, y2 + 0.5); a
// rectangle left, top, right, bottom has its origin at (left + 0.5, top + 0.5)
// and the size right - left by bottom - top. Circles are not moved.
#pragma once
#include <array>
#include <cstdint>

#include "runtime/types.h"
#include "runtime/windows.h"

namespace mv {

// A colour as red, green, blue fractions 0..1.
struct RGBf {
  double red = 0, green = 0, blue = 0;
  bool operator==(const RGBf&) const = default;
};
RGBf ToRGBf(RGBColor c);

// Line palette (LinePalette): 0 white, 1 yellow, 2 dark green, 3 black, 4 blue,
// 5 magenta, 6 red, 7 black; any other number black.
RGBf LinePalette(int16_t colour);
// Box palette (BoxPalette): as the line palette but 3 is cyan; 5 and numbers
// outside 0..7 are refused (drawn black); refused tells the caller so.
RGBf BoxPalette(int16_t colour, bool* refused = nullptr);
// Circle palette: the box palette for 0..4, 6, 7; anything else black, silently.
RGBf CirclePalette(int16_t colour);

// Dash code of slot 61 -> on and off lengths in pixels; 0, 0 is solid.
struct DashPattern {
  double on = 0, off = 0;
};
DashPattern DashForCode(int16_t code);

// The shared point buffer: point 0 is unused; points from 1 on are a polyline
// or a list of circle centres. The line primitives overwrite points 1 and 2, so
// a caller that fills the buffer draws it before calling another line primitive.
struct QuartzPoint {
  float x = 0, y = 0;
};
constexpr int32_t kQuartzPointsSize = 2'000'003;
constexpr int32_t kQuartzLastPoint = kQuartzPointsSize - 1;
extern std::array<QuartzPoint, kQuartzPointsSize> QuartzPointsArray;

// A drawing context on the current window: the stroke of the calls that follow.
struct CGContext {
  bool valid = false;
  rt::StrokeStyle style;
};
CGContext BeginCGContextForCurrentPort();
// Stroke colour from the line palette (opaque) and line width; width 0 means 1.
void SetCGlinecolor(CGContext& context, int16_t colour, float width);
// Stroke colour ChartDataColor when useDataColor is set, else RGBred.
void SetCGChartLinesColor(CGContext& context, int16_t useDataColor);
void SetCGScopeLinesColor(CGContext& context);
// Applies the dash pattern of slot 61 and copies the slot into DashedLine.
void SetLineDashPattern(CGContext& context);
// Strokes points 1 to n of the point buffer as one open polyline and ends the
// context. n is clamped to the buffer, so a wrong count never reads past it.
void drawPaneContent(CGContext& context, int32_t n);

// One line in a line-palette colour; width 0 means 1; the dash pattern applies.
void PlotCG(float width, int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t colour);
// One line in an RGB colour; width 0 is the thinnest line; the dash pattern applies.
void PlotCGrgb(float width, int16_t x1, int16_t y1, int16_t x2, int16_t y2, RGBColor colour);
// One line one pixel wide without anti-aliasing (scope traces); the dash pattern applies.
void CGDrawLineNoAliasing(int16_t x1, int16_t y1, int16_t x2, int16_t y2, RGBColor colour);
// One line one pixel wide inverting what is under it: drawing it twice restores
// the pixels. The dash pattern applies.
void CGInvertline(int16_t x1, int16_t y1, int16_t x2, int16_t y2);
// The outline of a rectangle, one pixel wide, inverting what is under it.
void CGInvertBox(int16_t left, int16_t top, int16_t right, int16_t bottom);
// A rectangle in the RGB colour (useRGB set) or a box-palette colour; filled when
// fill is set, else outlined one pixel wide. A refused palette colour sounds the
// error cue (whether or not sounds are on) and draws black.
void CGdrawBox(int16_t useRGB, RGBColor rgb, int16_t fill, float left, float top, float right, float bottom,
               int16_t colour);
// One circle of the radius around each of points 1 to count of the point buffer,
// in the RGB colour or a circle-palette colour; filled, or outlined 1.2 wide.
// A count of 0 or less draws nothing; the count is clamped to the buffer.
void CGdrawCircle(int16_t useRGB, RGBColor rgb, int16_t fill, float radius, int16_t colour, int32_t count);

}  // namespace mv
