#include "acquisition/ticks.h"

#include <cmath>

#include "acquisition/pixel.h"
#include "acquisition/screen_rules.h"
#include "acquisition/state.h"
#include "acquisition/view_colours.h"
#include "devices/state.h"
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

std::vector<ScopeTimeLabel> gPrintedChartLabels;

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

ScopeXScale PresentScopeScale() {
  return ScopeTraceXScale(PrefsArray[PrefsSlot::DT800FastScope] == 1, DemonstrationMODE != 0, scopeXfactor,
                          ScopeViewSTEP);
}

// Sweeps of ten minutes or more are labelled in minutes.
bool ScopeMinutes() {
  return static_cast<double>(ScopeMax) * ScopeIntervalInSeconds >= 600;
}

// The scope's ticks, k = 0, 1, 2, ...: the time k x the tick time, at the x where the
// trace draws that time, up to the trace's last point or the plot's right edge,
// whichever comes first.
struct ScopeTick {
  double seconds;
  float x;
};
std::vector<ScopeTick> ScopeTicks() {
  std::vector<ScopeTick> ticks;
  const ScopeXScale s = PresentScopeScale();
  const double tick = ScopeTickSeconds();
  if (!TickGapUsable(tick) || !(ScopeIntervalInSeconds > 0)) return ticks;
  const double last =
      std::min(s.firstX + (ScopeMax - 1) * s.pixelsPerPoint + 0.5, static_cast<double>(PlotWidth()));
  for (int k = 0; k <= PlotWidth() + 1; ++k) {
    const double x = s.firstX + k * tick / ScopeIntervalInSeconds * s.pixelsPerPoint;
    if (!(x <= last)) break;
    ticks.push_back({k * tick, static_cast<float>(x)});
  }
  return ticks;
}

void DrawScopeGrid(int16_t labels) {
  UseScopeColors = 1;
  PlotFrameColor = ScopeFrameColor;
  Pblack = kScopeLabel;
  BottomOfPlot = StripBottomOf(1);
  const std::vector<ScopeTick> ticks = ScopeTicks();
  // The grid from one tick on: the first stands at the sweep's start.
  for (std::size_t k = 1; k < ticks.size(); ++k) {
    const float x = ticks[k].x;
    PrefsArray[PrefsSlot::DashPattern] = PrefsArray[PrefsSlot::DashedGrids] ? 1 : 0;
    Line(1.0f, x, 36, x, BottomOfPlot, PlotFrameColor);
    Line(1.0f, x, BottomOfPlot - 9, x, BottomOfPlot, PlotFrameColor);
    PrefsArray[PrefsSlot::DashPattern] = 0;
  }
  if (labels == 1 && RecordingMODE == RecordingModeCode::ScopeChart) {
    for (const ScopeTimeLabel& l : ScopeTimeLabels())
      rt::DrawText(PixelCoord(l.x), BottomOfPlot - 4, (l.text + l.unit).str(), KitFont(3, 10), Pblack);
  }
  PrefsArray[PrefsSlot::DashPattern] = 0;
}

// The oscilloscope's labels under the plot, the unit after the first.
void DrawScopeTimeLabels() {
  const int16_t lastBottom = StripBottomOf(nChannels);
  const rt::FontSpec font = KitFont(3, 10);
  for (const ScopeTimeLabel& l : ScopeTimeLabels()) {
    const int width = rt::TextWidth(l.text.str(), font);
    Kfloat = l.x + 1 - width / 2.0f;
    rt::DrawText(PixelCoord(Kfloat), lastBottom + 9, l.text.str(), font, kBlack);
    if (*l.unit) rt::DrawText(PixelCoord(Kfloat) + width, lastBottom + 9, l.unit, font, kBlack);
  }
  // No screen follows a sweep's.
  NextTicPosition = 0;
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
  const int w = PlotWidth();
  // The ladder picks a round tick time as for a sweep across the whole plot; the gap is
  // that time on the trace's own x scale, so that each tick stands at the point whose
  // time it names, however the sweep is drawn.
  const float fill = ScopeMax > 0 ? static_cast<float>(w) / static_cast<float>(ScopeMax) : 0.0f;
  const ScopeTickChoice c = ScopeTickLadder(scopeinterval, ScopeMax, fill, ScopeIntervalInSeconds, w);
  span = c.span;
  const double points = w > 0 ? static_cast<double>(c.gap) * ScopeMax / w : 0.0;
  scopeticgap = static_cast<float>(points * PresentScopeScale().pixelsPerPoint);
}

double ScopeTickSeconds() {
  const double perPoint = PresentScopeScale().pixelsPerPoint;
  if (!(perPoint > 0) || !TickGapUsable(scopeticgap)) return 0.0;
  // A round time (as the ladder picks it, times a custom factor): single-precision
  // pixels must not make 0.5 s read 0.49999997.
  const double t = scopeticgap / perPoint * ScopeIntervalInSeconds;
  const double unit = std::pow(10.0, std::floor(std::log10(t)) - 5);
  return std::round(t / unit) * unit;
}

std::vector<ScopeTimeLabel> ScopeTimeLabels() {
  // In scope-plus-chart the labels stand in the scope plot at its grid lines; the
  // oscilloscope's stand under the plot from the trace's first point on.
  const bool inPlot = RecordingMODE == RecordingModeCode::ScopeChart;
  const bool minutes = ScopeMinutes();
  const char* unit = minutes ? " min" : " sec";
  std::vector<ScopeTimeLabel> labels;
  const std::vector<ScopeTick> ticks = ScopeTicks();
  for (std::size_t k = inPlot ? 1 : 0; k < ticks.size(); ++k) {
    const double v = ticks[k].seconds / (minutes ? 60.0 : 1.0);
    ScopeTimeLabel l;
    l.x = ticks[k].x;
    if (inPlot) {
      l.text = NumText(v, SignificantFigures);
      l.unit = unit;
    } else {
      l.text = StringFormatter(static_cast<float>(v));
      if (v > 0 && !l.text.empty()) l.text = l.text.mid(2);
      if (labels.empty()) l.unit = unit;
    }
    labels.push_back(l);
  }
  return labels;
}

std::vector<ScopeTimeLabel> PrintedChartTimeLabels() {
  return gPrintedChartLabels;
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
  gPrintedChartLabels.clear();
  if (RecordingMODE == RecordingModeCode::Scope && nChannels >= 1) {
    DrawScopeTimeLabels();
    return;
  }
  const float gap = ticgap;
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
    const double v = TickLabelValue(zz, minute_units, TicIntervalInSeconds);
    Str255 text = StringFormatter(static_cast<float>(v));
    if (v > 0 && !text.empty()) text = text.mid(2);
    Kfloat = x + 1 - rt::TextWidth(text.str(), font) / 2.0f;
    rt::DrawText(PixelCoord(Kfloat), lastBottom + 9, text.str(), font, kBlack);
    ScopeTimeLabel printed{x, text, ""};
    if (x <= firsttic) {
      const char* unit = FirstLabelUnit();
      rt::DrawText(PixelCoord(Kfloat) + rt::TextWidth(text.str(), font), lastBottom + 9, unit, font, kBlack);
      printed.unit = unit;
    }
    gPrintedChartLabels.push_back(printed);
    zz += CustomTic != 0 ? TicIntervalInSeconds * CustomTic : TicIntervalInSeconds;
  }
  // One gap beyond the last label is where the next screen's first tick falls.
  NextTicPosition = next - static_cast<float>(w);
}

}  // namespace mv
