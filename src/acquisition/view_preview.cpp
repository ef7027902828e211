#include "acquisition/view_preview.h"

#include <algorithm>
#include <cmath>

#include "acquisition/pixel.h"
#include "acquisition/screen_rules.h"
#include "acquisition/state.h"
#include "acquisition/ticks.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr RGBColor kBlack{0, 0, 0};
// More segments than the 200-pixel box can show only cost time.
constexpr double kMostSegments = 100'000;

int PlotWidth() {
  return PrefsArray[PrefsSlot::WindowWidth];
}

void SetField(int16_t number, const Str255& text) {
  if (rt::EditFieldExists(number)) rt::SetEditText(number, text.str());
}

}  // namespace

ScreenTimeReadout ScreenTimeFor(float s) {
  if (s > 7200) return {s / 3600, " hr"};
  if (s > 600) return {s / 60, " min"};
  return {s, " sec"};
}

void DrawFakeChart(int16_t scope) {
  const double f = scope != 0
                       ? static_cast<double>(ScopeMax) / (static_cast<double>(ScopeViewSTEP) * PlotWidth())
                       : static_cast<double>(ChartView);
  const RGBColor trace = scope != 0 ? ScopeDataColor : ChartDataColor;
  CGdrawBox(1, scope != 0 ? ChartBackgroundColor : kBlack, 1, 250, 60, 450, 160, 0);
  CGdrawBox(1, extremelyLightGray, 0, 249, 59, 451, 161, 0);
  // A zero step or width gives no number: no trace then.
  const double segments = std::isfinite(f) ? std::min(std::trunc(200 * f), kMostSegments) : 0;
  int16_t x0 = 251, y0 = 75;
  for (int i = 1; i <= static_cast<int>(segments); ++i) {
    const int16_t x = PixelCoord(i / f + 250);
    const int16_t y = static_cast<int16_t>(rt::Rnd(50) + 80);
    PlotCGrgb(1.0f, x0, y0, x, y, trace);
    x0 = x;
    y0 = y;
  }
  rt::SetTextColor(kBlack);
  rt::FlushWindow();
}

void SCREENTIME() {
  const int w = PlotWidth();
  const auto s = static_cast<float>(static_cast<double>(w) * ChartIntervalInSeconds * ChartView);
  const ScreenTimeReadout t = ScreenTimeFor(s);
  tm = t.value;
  SetField(102, NumText(tm, 3) + t.unit);
  SetField(101, NumText(ChartView, 3) + "x");
  const double perScreen = static_cast<double>(ChartView) * w;
  SetField(103, ScreenCountText(perScreen > 0 ? MaxSamples / perScreen : 0));
  COMPUTETICS();
  SetField(104, NumText(TickLabelValue(TicIntervalInSeconds, minute_units, TicIntervalInSeconds),
                        SignificantFigures));
}

}  // namespace mv
