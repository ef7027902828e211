#include "acquisition/channel_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "acquisition/channel_pipeline.h"
#include "acquisition/pixel.h"
#include "acquisition/screen_rules.h"
#include "acquisition/state.h"
#include "acquisition/ticks.h"
#include "acquisition/view_colours.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
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
constexpr const char* kArrowKeysHint = "Arrow keys: up = +1; down = -1; home = 0";

int PlotWidth() {
  return PrefsArray[PrefsSlot::WindowWidth];
}
bool ScopeChannel(int n) {
  return (RecordingMODE == RecordingModeCode::Scope || RecordingMODE == RecordingModeCode::ScopeChart) && n == 1;
}
int16_t Field(int n, int field) {
  return PixelCoord(ChannelVariables[n][field]);
}

// The zero line from x `from` to `to`; returns its y, or -32768 when the strip has none.
int DrawZeroLine(int n, int16_t top, int from, int to) {
  const float max = ChannelVariables[n][ChanField::PlotMax];
  const float min = ChannelVariables[n][ChanField::PlotMin];
  if (!PrefsArray[PrefsSlot::ZeroLines] || !(min < 0 && 0 < max)) return -32768;
  const int16_t y0 = ZeroLineY(top, BottomOfPlot, max, min);
  PrefsArray[PrefsSlot::DashPattern] = 3;
  CGInvertline(PixelCoord(from), y0, PixelCoord(to), y0);
  PrefsArray[PrefsSlot::DashPattern] = 0;
  rt::DrawText(3, y0 + 4, "0", KitFont(3, 10), PlotFrameColor);
  return y0;
}

void DrawScaleGrid(int n, int y0, int from, int to) {
  if (!PrefsArray[PrefsSlot::ScaleGrid]) return;
  hite = Field(n, ChanField::StripHeight);
  if (n == 1 && RecordingMODE == RecordingModeCode::ScopeChart) hite = static_cast<int16_t>(hite - 12);
  const int16_t k = GridIntervals(hite, PrefsArray[PrefsSlot::ManyGridLines] != 0, y0 != -32768);
  gridsize = static_cast<int16_t>(hite / k);
  PrefsArray[PrefsSlot::DashPattern] = PrefsArray[PrefsSlot::DashedGrids] ? 2 : 0;
  for (int i = 1; i < k; ++i) {
    const int y = BottomOfPlot - i * gridsize;
    if (std::abs(y - y0) <= 1) continue;
    PlotCGrgb(1.0f, PixelCoord(from), PixelCoord(y), PixelCoord(to), PixelCoord(y), PlotFrameColor);
  }
  PrefsArray[PrefsSlot::DashPattern] = 0;
}

void DrawLabels(int n, int16_t top) {
  const rt::FontSpec font = KitFont(3, 10);
  const bool large = PrefsArray[PrefsSlot::LargeReadouts] != 0;
  rt::DrawText(1, top + 11, StringFormatter(ChannelVariables[n][ChanField::PlotMax]).str(), font, PlotFrameColor);
  const Str255 name = Str255("Channel") + NumText(n) + "  Input #" + NumText(ChannelVariables[n][ChanField::Input]);
  rt::DrawText(48, top + 11, name.str(), font, ScopeChannel(n) ? ScopeDataColor : PlotFrameColor);
  const int labelX = ScopeChannel(n) ? 172 : (large ? 341 : 258);
  rt::DrawText(labelX, top + 11, ChannelLabel(n).str(), font, PlotFrameColor);
  aval = ChannelVariables[n][ChanField::A];
  if (aval == -9999.0f) {
    rt::FontSpec bold = font;
    bold.bold = true;
    rt::DrawText(52, Field(n, ChanField::StripTop) + (large ? 34 : 24), kArrowKeysHint, bold, PlotFrameColor);
  }
  rt::DrawText(1, Field(n, ChanField::BottomLess2) - 3,
               StringFormatter(ChannelVariables[n][ChanField::PlotMin]).str(), font, PlotFrameColor);
}

}  // namespace

void DrawChannelStrip(int16_t n) {
  const int w = PlotWidth();
  UseScopeColors = (RecordingMODE == RecordingModeCode::Scope || ScopeChannel(n)) ? 1 : 0;
  DataCache[n] = 0;
  // Fast scope suits only a scope recording: a chart with the DT800 keeps its own reads.
  if (External_AD == ExternalADCode::DT800 && ScopeIntervalInSeconds < 0.016 &&
      RecordingMODE == RecordingModeCode::Scope)
    PrefsArray[PrefsSlot::DT800FastScope] = 1;
  const int16_t bottom = Field(n, ChanField::StripBottom);
  const int16_t top = PixelCoord(StripTop(bottom, Field(n, ChanField::StripHeight)));
  BottomOfPlot = bottom;
  const RGBColor background = COLORSELECT();
  if (n == 1 && RecordingMODE == RecordingModeCode::Scope) BottomOfPlot = static_cast<int16_t>(bottom - 1);
  if (n == 1 && RecordingMODE == RecordingModeCode::ScopeChart) BottomOfPlot = static_cast<int16_t>(bottom - 13);
  CGdrawBox(1, background, 1, 0, top, static_cast<float>(w), BottomOfPlot, 0);
  CGdrawBox(1, PlotFrameColor, 0, 0, top, static_cast<float>(w), BottomOfPlot, 0);
  const int y0 = DrawZeroLine(n, top, 15, w + 10);
  DrawScaleGrid(n, y0, 1, w);
  DrawLabels(n, top);
  if (ScopeChannel(n)) {
    DRAWTICS(1, 1);
    scbottom = static_cast<int16_t>(BottomOfPlot + 1);
  }
}

void RedrawStripAfterScroll(int16_t n, int kept) {
  const int w = PlotWidth();
  BottomOfPlot = Field(n, ChanField::StripBottom);
  const int16_t top = PixelCoord(StripTop(BottomOfPlot, Field(n, ChanField::StripHeight)));
  CGdrawBox(1, PlotFrameColor, 0, 0, top, static_cast<float>(w), BottomOfPlot, 0);
  const int y0 = DrawZeroLine(n, top, kept, w);
  DrawScaleGrid(n, y0, kept, w);
  DrawLabels(n, top);
}

void DRAWCHANNELS() {
  rt::SetOutputWindow(1);
  for (int16_t n = 1; n <= nChannels; ++n) DrawChannelStrip(n);
  if (ShowDisplays == 1) MakeChannelReadouts();
  if (RecordingMODE == RecordingModeCode::ScopeChart) DRAWTICS(0, 1);
}

void MakeChannelReadouts() {
  const int w = PlotWidth();
  const bool large = PrefsArray[PrefsSlot::LargeReadouts] != 0;
  for (int16_t n = 1; n <= nChannels; ++n) {
    UseScopeColors = (RecordingMODE == RecordingModeCode::Scope ||
                      (n == 1 && RecordingMODE != RecordingModeCode::Chart)) ? 1 : 0;
    BottomOfPlot = Field(n, ChanField::StripBottom);
    COLORSELECT();
    const int16_t top = PixelCoord(StripTop(BottomOfPlot, Field(n, ChanField::StripHeight)));
    if (!ScopeChannel(n)) {
      const Rect where{170, static_cast<int16_t>(top + 1), static_cast<int16_t>(large ? 336 : 255),
                       static_cast<int16_t>(top + (large ? 23 : 12))};
      rt::NewEditField(ValueReadoutField(n), " ", where, 5, 0);
      rt::FontSpec font = KitFont(3, large ? 18 : 10);
      font.bold = large;
      rt::SetEditFont(ValueReadoutField(n), font);
      rt::SetEditColors(ValueReadoutField(n), ChartDataColor, ChartBackgroundColor);
    }
    if (alarmsArray[n][AlarmField::AnyOn] != 0) {
      rt::NewEditField(AlarmStatusField(n), "",
                       Rect{PixelCoord(w - 107), static_cast<int16_t>(top + 2), PixelCoord(w - 2),
                            static_cast<int16_t>(top + 19)},
                       5, 0);
      rt::FontSpec font = KitFont(3, 10);
      font.bold = font.italic = true;
      rt::SetEditFont(AlarmStatusField(n), font);
      rt::SetEditColors(AlarmStatusField(n), PlotFrameColor, ChartBackgroundColor);
    }
    // Every pattern, series switching included, shows the box for a channel with a device.
    if (SwitchingMode > 0 && PrefsArray[PrefsSlot::ShowSwitchStatus] && ChannelVariables[n][ChanField::Device] > 0) {
      rt::NewEditField(DeviceStatusField(n), "",
                       Rect{PixelCoord(w - 144), static_cast<int16_t>(top + 4), PixelCoord(w - 109),
                            static_cast<int16_t>(top + 14)},
                       5, 0);
      rt::SetEditFont(DeviceStatusField(n), KitFont(3, 10));
      rt::SetEditColors(DeviceStatusField(n), PlotFrameColor, ChartBackgroundColor);
    }
  }
}

Str255 FindChartDuration() {
  const ChartDuration d = FindChartDurationText(TraceLength, PlotWidth(), MaxSamples);
  minute_units = d.minuteUnits;
  tfact = d.tfact;
  TraceLength = d.traceLength;
  if (RecordingMODE == RecordingModeCode::Scope) sctracelength = d.scopeLength;
  return d.text;
}

Str255 ScreenInfoText() {
  const int w = PlotWidth();
  const bool scopeChart = RecordingMODE == RecordingModeCode::ScopeChart;
  const bool scope = RecordingMODE == RecordingModeCode::Scope;
  const auto plotEvery = [&](const char* lead) {
    Str255 t = Str255(lead) + NumText(ScopeViewSTEP) + StepSuffix(ScopeViewSTEP);
    if (w >= 833) t += " Sample";
    return t;
  };
  Str255 s = (scope || scopeChart) ? Str255("'tab' saves scope") : Str255();
  if (scopeChart && w >= 641 && ScopeViewSTEP >= 2) s += plotEvery(" (plot every") + ")";
  if (RecordingMODE == RecordingModeCode::Chart) s += NumText(MaxSamples) + " samples";
  if (scopeChart) s += Str255("; ") + NumText(MaxSamples) + " chart samples";
  if (scope) {
    s = Str255("Scope width:") + NumText(ScopeMax) + " samples (" +
        ScopeDurationText(static_cast<double>(ScopeMax) * scopeinterval) + " sec )";
    if (w >= 641 && ScopeViewSTEP >= 2) s += plotEvery("; plot every");
  }
  TraceLength = static_cast<float>(MaxSamples * ChartIntervalInSeconds);
  const Str255 duration = FindChartDuration();
  if (!scope) s = Str255("   ") + s + duration + "        ";
  return s;
}

void ScreenINFO() {
  const Str255 s = ScreenInfoText();
  const int w = PlotWidth();
  const int x1 = RecordingMODE == RecordingModeCode::ScopeChart ? 207 : 357;
  const int x2 = w < 832 ? 475 : 638;
  const rt::FontSpec infoFont = KitFont(KestraneFont, 11);
  const int width = rt::TextWidth(s.str(), infoFont);
  Kfloat = ((x2 - x1) - width) * 0.5f;
  // A line wider than the panel starts at the panel's left edge: centred, its start
  // would slide under the status displays and be lost.
  const int16_t x = PixelCoord(x1 + std::max(Kfloat, 0.0f));
  if (Sample < 1) {
    ClearArea(PixelCoord(x - 3), 0, PixelCoord(x + 90), 16);
    rt::DrawText(x - 8, 12, "data capacity ", KitFont(KestraneFont, 12), DarkGray);
  }
  // Clear an earlier line's place in the grey panel before printing over it.
  CGdrawBox(1, LightGray, 1, PixelCoord(x - 3), 19, PixelCoord(x + width + 3), 29, 0);
  rt::DrawText(x, 28, s.str(), infoFont, kBlack);
}

}  // namespace mv
