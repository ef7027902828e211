#include "acquisition/xy_plot.h"

#include <algorithm>
#include <cmath>

#include "acquisition/pixel.h"
#include "acquisition/recording_keys.h"
#include "acquisition/screen.h"
#include "acquisition/state.h"
#include "conversions/state.h"
#include "kit/builders.h"
#include "kit/channel_labels.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr int16_t kXMaxField = 1;

// The channel an axis names, or 0 when the stored number names no channel.
int AxisChannel(float stored) {
  const float t = std::trunc(stored);
  return t >= 1 && t <= 16 ? static_cast<int>(t) : 0;
}
float PlotMaxOf(int ch) {
  return ch > 0 ? ChannelVariables[ch][ChanField::PlotMax] : 0.0f;
}
float PlotMinOf(int ch) {
  return ch > 0 ? ChannelVariables[ch][ChanField::PlotMin] : 0.0f;
}
int PlotSize() {
  return PixelCoord(XYplotSize);
}
bool PlotWindowOpen() {
  return XYPlotWindow == 1 && rt::WindowExists(kXYPlotWindowNumber);
}

// The Y range in use, kept in miny and maxy.
XYRange CurrentYRange() {
  const int ych = AxisChannel(XYaxisChannelY);
  const XYRange r = XYYRange(PlotMinOf(ych), PlotMaxOf(ych), ExpandXYup != 0, ExpandXYdown != 0);
  miny = r.bottom;
  maxy = r.top;
  return r;
}

void DrawPlotPanel(int s) {
  CGdrawBox(1, ChartBackgroundColor, 1, 1, 0, static_cast<float>(s), static_cast<float>(s + 70), 0);
  BUILDBOX(1, 0, PixelCoord(s), PixelCoord(s + 70));
}

void PrintYRange(int s, float top, float bottom) {
  const rt::FontSpec font = KitFont(21, 9);
  rt::DrawText(1, 10, NumText(top).str(), font, ChartFrameColor);
  rt::DrawText(1, s + 68, NumText(bottom).str(), font, ChartFrameColor);
}

void DrawAxisTexts(int s) {
  const int xch = AxisChannel(XYaxisChannelX), ych = AxisChannel(XYaxisChannelY);
  DoubleLINE(0, PixelCoord(s), PixelCoord(s + 84));
  rt::DrawText(0, s + 80, NumText(PlotMinOf(xch)).str(), KitFont(21, 9), kBlack);
  BUILDEF(kXMaxField, NumText(PlotMaxOf(xch)), PixelCoord(s - 90), PixelCoord(s + 71), PixelCoord(s - 9),
          PixelCoord(s + 81), 5, 3);
  rt::SetEditColors(kXMaxField, kBlack, kThemeBackground);
  rt::SetEditFont(kXMaxField, KitFont(21, 9));
  const rt::FontSpec font = KitFont(KestraneFont, 12);
  rt::DrawText(5, s + 98, (Str255("X:  chan.") + NumText(xch) + ", " + ChannelLabel(xch)).str(), font,
               kBlack);
  rt::DrawText(5, s + 111, (Str255("Y:  chan.") + NumText(ych) + ", " + ChannelLabel(ych)).str(), font,
               kBlack);
}

void DrawKeyHints(int s) {
  struct Hint {
    const char* key;
    const char* meaning;
    int dy;
  };
  // The recording loops read these keys with Option (Alt here) held.
  static constexpr Hint kHints[] = {{"' alt-c '", " to clear the X-Y plot", 126},
                                    {"' alt-u '", " to extend the Y scale up", 140},
                                    {"' alt-d '", " to extend the Y scale down", 154},
                                    {"' alt-n '", " to normalize Y scaling", 168}};
  rt::FontSpec bold = KitFont(KestraneFont, 12);
  bold.bold = true;
  const rt::FontSpec plain = KitFont(KestraneFont, 12);
  for (const Hint& h : kHints) {
    rt::DrawText(30, s + h.dy, h.key, bold, RGBblue);
    rt::DrawText(30 + rt::TextWidth(h.key, bold), s + h.dy, h.meaning, plain, kBlack);
  }
}

void BackToAcquisitionWindow() {
  if (rt::WindowExists(kAcquisitionWindow)) rt::SetOutputWindow(kAcquisitionWindow);
}

}  // namespace

int XYPlotSizeFor(int screenWidth, int w) {
  const int s = screenWidth - w - 7;
  return s <= 99 ? 0 : std::min(s, 360);
}

std::string XYPlotNoRoomText(int screenWidth, int w) {
  if (XYPlotSizeFor(screenWidth, w) != 0) return "";
  // The smallest plot (100 pixels) and the 7 pixels between the windows and the edge.
  return "No room for the plot beside the chart: a chart " + std::to_string(w) +
         " pixels wide needs a screen of " + std::to_string(w + 107) + " pixels, and this one has " +
         std::to_string(screenWidth) + ". A narrower chart leaves room.";
}

XYRange XYYRange(float min, float max, bool up, bool down) {
  const float r = max - min;
  if (up && down) {
    const float bottom = max - 1.5f * r;
    return {bottom, bottom + 2.0f * r};
  }
  if (down) return {min - 0.5f * r, max};
  if (up) return {min, min + 1.5f * r};
  return {min, max};
}

XYPixel XYPointPixel(float x, float y, float xmin, float xmax, const XYRange& yRange, int size) {
  // A point off the scale is drawn on the edge it lies past, so it still shows which way
  // it went; mirroring it back into the plot would draw a value the channel never had.
  const int h = size + 70;
  const double xRange = static_cast<double>(xmax) - xmin;
  double px = xRange != 0.0 && std::isfinite(xRange) ? (static_cast<double>(x) - xmin) * size / xRange : 0.0;
  if (std::isnan(px)) px = 0.0;
  px = std::trunc(std::clamp(px, 0.0, static_cast<double>(size)));
  const int py = PixelY(y, yRange.bottom, static_cast<double>(yRange.top) - yRange.bottom, h, h);
  return {static_cast<int>(px), py};
}

void MakeRegressionPlotWindow() {
  if (XYPlotWindow == 1) return;
  const int s = XYPlotSizeFor(LayoutScreenWidth(), PrefsArray[PrefsSlot::WindowWidth]);
  if (s == 0) {
    XYPlotWindow = 0;
    return;
  }
  XYplotSize = static_cast<float>(s);
  const int left = PrefsArray[PrefsSlot::WindowWidth] + 10;
  if (rt::WindowExists(kXYPlotWindowNumber)) rt::CloseWindow(kXYPlotWindowNumber);
  rt::OpenWindow(kXYPlotWindowNumber, " Interchannel Regression ",
                 Rect{PixelCoord(left), 50, PixelCoord(left + s - 10), PixelCoord(50 + s + 175)}, 5);
  SetWindowBackground(kThemeBackground, true);
  XYPlotWindow = 1;
  DrawPlotPanel(s);
  const int ych = AxisChannel(XYaxisChannelY);
  PrintYRange(s, PlotMaxOf(ych), PlotMinOf(ych));
  DrawAxisTexts(s);
  DrawKeyHints(s);
  rt::FlushWindow();
  BackToAcquisitionWindow();
}

void ClearXYPlot() {
  if (!PlotWindowOpen()) return;
  rt::SetOutputWindow(kXYPlotWindowNumber);
  const int s = PlotSize();
  DrawPlotPanel(s);
  const XYRange r = CurrentYRange();
  PrintYRange(s, r.top, r.bottom);
  rt::FlushWindow();
  BackToAcquisitionWindow();
}

void RedrawXY() {
  // Without its window there is nothing to draw on: the points must not land on the chart.
  if (!PlotWindowOpen()) return;
  rt::BringWindowForward(kXYPlotWindowNumber);
  rt::SetOutputWindow(kXYPlotWindowNumber);
  const int s = PlotSize();
  const XYRange r = CurrentYRange();
  const int xch = AxisChannel(XYaxisChannelX), ych = AxisChannel(XYaxisChannelY);
  if (xch > 0 && ych > 0) {
    const float xmin = PlotMinOf(xch), xmax = PlotMaxOf(xch);
    for (int32_t i = std::max<int32_t>(LastXYClear, 2); i <= Sample; ++i) {
      const XYPixel p =
          XYPointPixel(ChartDataArray.Get(xch, i - 1), ChartDataArray.Get(ych, i - 1), xmin, xmax, r, s);
      PlotCG(1.0f, PixelCoord(p.x), PixelCoord(p.y), PixelCoord(p.x + 1), PixelCoord(p.y), 1);
    }
  }
  PrintYRange(s, r.top, r.bottom);
  rt::FlushWindow();
  BackToAcquisitionWindow();
}

void PlotNewestXYPoint() {
  if (!PlotWindowOpen() || Sample < 2) return;
  const int xch = AxisChannel(XYaxisChannelX), ych = AxisChannel(XYaxisChannelY);
  if (xch == 0 || ych == 0) return;
  rt::SetOutputWindow(kXYPlotWindowNumber);
  const XYRange r = CurrentYRange();
  const XYPixel p = XYPointPixel(ChartDataArray.Get(xch, Sample - 1), ChartDataArray.Get(ych, Sample - 1),
                                 PlotMinOf(xch), PlotMaxOf(xch), r, PlotSize());
  QuartzPointsArray[1] = {static_cast<float>(p.x), static_cast<float>(p.y)};
  CGdrawCircle(0, kBlack, 1, 1.0f, 1, 1);
  BackToAcquisitionWindow();
}

}  // namespace mv
