#include "acquisition/ticks.h"

#include <cmath>

#include "acquisition/pixel.h"
#include "acquisition/screen_rules.h"
#include "acquisition/state.h"
#include "acquisition/view_colours.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kScopeLabel{64272, 64272, 0};

int PlotWidth() {
  return PrefsArray[PrefsSlot::WindowWidth];
}
int16_t StripBottomOf(int c) {
  return PixelCoord(ChannelVariables[c][ChanField::StripBottom]);
}
int16_t StripHeightOf(int c) {
  return PixelCoord(ChannelVariables[c][ChanField::StripHeight]);
}
void Line(float width, double x1, double y1, double x2, double y2, RGBColor colour) {
  PlotCGrgb(width, PixelCoord(x1), PixelCoord(y1), PixelCoord(x2), PixelCoord(y2), colour);
}

void DrawChartTicks() {
  const int w = PlotWidth();
  const bool grids = PrefsArray[PrefsSlot::TimeGrids] != 0;
  const auto xs = TickPositions(firsttic, ticgap, w);
  int16_t gridTop = 0;
  for (int c = 1; c <= nChannels; ++c) {
    DataCache[c] = 0;
    PlotFrameColor = ChartFrameColor;
    UseScopeColors = 0;
    Pblack = kBlack;
    BottomOfPlot = StripBottomOf(c);
    const bool last = c == nChannels;
    const bool scopeFirst = c == 1 && (RecordingMODE == RecordingModeCode::Scope ||
                                       RecordingMODE == RecordingModeCode::ScopeChart);
    const int u = last ? -1 : (scopeFirst ? 0 : 1);
    const int len = grids ? 6 : 4;
    if (!grids || last) {
      for (float x : xs) Line(2.0f, x, BottomOfPlot + u, x, BottomOfPlot - len, PlotFrameColor);
    }
    const int gridChannel = RecordingMODE == RecordingModeCode::ScopeChart && nChannels >= 2 ? 2 : 1;
    if (c == gridChannel) gridTop = static_cast<int16_t>(BottomOfPlot - StripHeightOf(c));
  }
  if (grids && nChannels >= 1) {
    PrefsArray[PrefsSlot::DashPattern] = PrefsArray[PrefsSlot::DashedGrids] ? 1 : 0;
    const int bottom = StripBottomOf(nChannels) + 2;
    for (float x : xs) Line(1.0f, x, gridTop, x, bottom, PlotFrameColor);
  }
  PrefsArray[PrefsSlot::DashPattern] = 0;
}

void DrawScopeGrid(int16_t labels) {
  const int w = PlotWidth();
  UseScopeColors = 1;
  PlotFrameColor = ScopeFrameColor;
  Pblack = kScopeLabel;
  BottomOfPlot = StripBottomOf(1);
  const double trace = static_cast<double>(ScopeMax) * ScopeIntervalInSeconds;
  const bool minutes = trace >= 600;
  for (float x : TickPositions(firsttic + scopeticgap, scopeticgap, w)) {
    PrefsArray[PrefsSlot::DashPattern] = PrefsArray[PrefsSlot::DashedGrids] ? 1 : 0;
    Line(1.0f, x, 36, x, BottomOfPlot, PlotFrameColor);
    Line(1.0f, x, BottomOfPlot - 9, x, BottomOfPlot, PlotFrameColor);
    PrefsArray[PrefsSlot::DashPattern] = 0;
    if (labels == 1 && RecordingMODE == RecordingModeCode::ScopeChart) {
      double t = x * trace / w;
      if (minutes) t /= 60;
      const Str255 text = NumText(t, SignificantFigures) + (minutes ? " min" : " sec");
      rt::DrawText(PixelCoord(x), BottomOfPlot - 4, text.str(), KitFont(3, 10), Pblack);
    }
  }
  PrefsArray[PrefsSlot::DashPattern] = 0;
}

// The first label's side effects and the unit printed after it.
const char* FirstLabelUnit() {
  if (RecordingMODE == RecordingModeCode::ScopeChart) {
    TraceLength = static_cast<float>(MaxSamples * ChartIntervalInSeconds);
    minute_units = TraceLength > 600 ? 1 : 0;
    const int w = PlotWidth();
    if (minute_units) TraceLength /= 60;
    tfact = (TraceLength / static_cast<float>(w)) * static_cast<float>(w) / static_cast<float>(MaxSamples);
  } else if (RecordingMODE == RecordingModeCode::Chart && Sample * ChartIntervalInSeconds > 600) {
    minute_units = 1;
  }
  return TickLabelUnit(minute_units, TicIntervalInSeconds);
}

}  // namespace

void COMPUTETICS() {
  const int w = PlotWidth();
  if (RecordingMODE != RecordingModeCode::Scope) {
    const float s = static_cast<float>(static_cast<double>(w) * ChartView * ChartIntervalInSeconds);
    minute_units = 0;
    const ChartTickChoice c = ChartTickLadder(s, ChartView);
    if (c.matched) {
      TicIntervalInSeconds = c.interval;
      minute_units = c.minuteUnits;
    }
    ticgap = ChartTicGap(TicIntervalInSeconds, ChartIntervalInSeconds, ChartView, 0);
  } else if (CustomScopeTic != 0) {
    ticgap = static_cast<float>(CustomScopeTic * scopeticgap);
  }
  if (CustomTic != 0) ticgap = static_cast<float>(ticgap * CustomTic);
  NextTicPosition = 0;
}

void COMPUTESCOPETICS() {
  const ScopeTickChoice c =
      ScopeTickLadder(scopeinterval, ScopeMax, scopeXfactor, ScopeIntervalInSeconds, PlotWidth());
  span = c.span;
  scopeticgap = c.gap;
}

void GetFirstTIC() {
  firsttic = NextTicPosition;
}

void DRAWTICS(int16_t scope, int16_t labels) {
  if (scope != 0) {
    DrawScopeGrid(labels);
  } else {
    DrawChartTicks();
  }
}

void DRAWTICLABELS() {
  const int w = PlotWidth();
  const bool scopeMode = RecordingMODE == RecordingModeCode::Scope;
  const float gap = scopeMode ? scopeticgap : ticgap;
  if (nChannels < 1 || !TickGapUsable(gap)) {
    NextTicPosition = 0;
    return;
  }
  const int16_t lastBottom = StripBottomOf(nChannels);
  const rt::FontSpec font = KitFont(3, 10);
  float next = firsttic;
  for (const float x : TickPositions(firsttic, gap, w)) {
    next = x + gap;
    if (RecordingMODE == RecordingModeCode::ScopeChart) {
      BottomOfPlot = lastBottom;
      const int len = PrefsArray[PrefsSlot::TimeGrids] ? 4 : 6;
      Line(1.0f, x, BottomOfPlot - len, x, BottomOfPlot, PlotFrameColor);
    }
    double v = TickLabelValue(zz, minute_units, TicIntervalInSeconds);
    if (scopeMode) v = ScopeMax * v / w;
    Str255 text = StringFormatter(static_cast<float>(v));
    if (v > 0 && !text.empty()) text = text.mid(2);
    Kfloat = x + 1 - rt::TextWidth(text.str(), font) / 2.0f;
    rt::DrawText(PixelCoord(Kfloat), lastBottom + 9, text.str(), font, kBlack);
    if (x <= firsttic) {
      const char* unit = FirstLabelUnit();
      rt::DrawText(PixelCoord(Kfloat) + rt::TextWidth(text.str(), font), lastBottom + 9, unit, font, kBlack);
    }
    if (scopeMode) {
      zz += PrefsArray[PrefsSlot::DT800FastScope]
                ? static_cast<double>(scopeticgap) * ScopeMax * ScopeIntervalInSeconds / w
                : static_cast<double>(sctracelength) * scopeticgap / w;
    } else {
      zz += CustomTic != 0 ? TicIntervalInSeconds * CustomTic : TicIntervalInSeconds;
    }
  }
  // One gap beyond the last label is where the next screen's first tick falls.
  NextTicPosition = next - static_cast<float>(w);
}

}  // namespace mv
