#include "setup/rate_check_window.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "acquisition/state.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "kit/builders.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/help.h"
#include "kit/resources.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "setup/rate_decision.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kSaveCautionWindow = 3;
constexpr int16_t kOptionsWindow = 112;
constexpr int16_t kCautionIcon = 138;
constexpr const char* kImages = "MVimages";
constexpr RGBColor kBlack{0, 0, 0};
constexpr double kScopeRateLimit = 0.03;  // the scope rate's own limit, whatever the tolerance

// How long the run being checked went without its serial line (seconds).
double g_lineLostSeconds = 0;

bool DT800FastScopeOn() {
  return PrefsArray[PrefsSlot::DT800FastScope] != 0;
}

void Text(double x, double y, const Str255& text, double size, RGBColor colour = kBlack) {
  rt::DrawText(x, y, text.str(), KitFont(KestraneFont, size), colour);
}

void Picture(const char* file, int16_t left, int16_t top, int16_t right, int16_t bottom) {
  DrawThisImage(CreateCGImageFromBundleResource(kImages, file), left, top, right, bottom);
}

void FillBox(double left, double top, double right, double bottom, RGBColor c) {
  rt::FillRect(left, top, right - left, bottom - top, c.red / 65535.0, c.green / 65535.0, c.blue / 65535.0);
}

// A percentage gauge: "0%", "50%", "100%" above tick marks, a light-blue bar and
// the achieved share in very light grey over it.
struct Gauge {
  int16_t labelY, barTop, barBottom, barLeft, barRight, fillEnd;
};

void DrawGauge(const Gauge& g) {
  const int16_t labels[] = {10, 118, 221}, ticks[] = {13, 123, 232};
  const char* texts[] = {"0%", "50%", "100%"};
  for (int i = 0; i < 3; ++i) {
    Text(labels[i], g.labelY, texts[i], 9);
    PlotCGrgb(1.0f, ticks[i], static_cast<int16_t>(g.labelY + 1), ticks[i], g.barTop, kBlack);
  }
  FillBox(g.barLeft, g.barTop, g.barRight, g.barBottom, lightBlue);
  if (g.fillEnd > g.barLeft) FillBox(g.barLeft, g.barTop, g.fillEnd, g.barBottom, VeryLightGray);
}

// The window after a rate change during a pause: only the requested value, and why.
void DrawRateChangedContents(const Str255& heading, float requested) {
  EmbossPrint(1, heading, 18, 40, 17);
  DoubleLINE(5, 234, 24);
  const RateValue v = RateValueText(requested, requested, 6);
  Text(50, 45, Str255("requested") + v.value + v.unit, 12);
  DoubleLINE(5, 234, 55);
  Text(45, 80, "\xA5  ", 12, RGBred);
  const int bullet = rt::TextWidth("\xA5  ", KitFont(KestraneFont, 12));
  Text(45 + bullet, 80, "Sample rate was changed,", 12);
  Text(45 + bullet, 96, " so an average rate was", 12);
  Text(45 + bullet, 112, " not computed.", 12);
  Text(10, 134, "Pause duration and speed data will", 11);
  Text(10, 150, "be saved in the file's comments.", 11);
  DrawIcon(kCautionIcon, 7, 110);
}

void DrawScopeBlockOfScopeChart(int16_t scopeBlock) {
  if (RecordingMODE != RecordingModeCode::ScopeChart) return;
  DoubleLINE(5, 234, static_cast<int16_t>(scopeBlock + 14));
  ShowDutyFactor(scopeBlock);
}

// A run with fewer than 2 chart samples has no interval to measure: the window says
// so beside the requested value, which the data files keep.
void DrawUnmeasuredContents(const Str255& heading, float requested, double requestedSeconds) {
  EmbossPrint(1, heading, 18, 40, 17);
  DoubleLINE(5, 234, 23);
  const RateValue req = RateValueText(requested, requestedSeconds);
  Text(50, 38, Str255("requested: ") + req.value + req.unit, 12);
  Text(48, 57, "no rate can be measured", 12, RGBred);
  DrawScopeBlockOfScopeChart(55);
}

// The usual contents: the deviation gauge when out of tolerance, the requested and
// measured values, and in scope-plus-chart mode the scope rate block.
void DrawCheckContents(const Str255& heading, float measured, float requested, double requestedSeconds,
                       int16_t soundFlag) {
  int16_t scopeBlock = 55;
  if (static_cast<double>(Kfloat) > static_cast<double>(SampRateError)) {
    DrawIcon(kCautionIcon, 4, 62);
    const double p = requestedSeconds / static_cast<double>(measured);
    Text(10, 76, Str255("measured rate is ") + PictureFormat(100.0 * p, "###.##") + "% of requested", 11);
    if (soundFlag != 0) zap();
    DrawGauge({93, 98, 107, 14, 233, GaugeFillEnd(p, 218, 14, 232)});
    scopeBlock = 182;
  }
  EmbossPrint(1, heading, 18, 40, 17);
  DoubleLINE(5, 234, 23);
  const RateValue req = RateValueText(requested, requestedSeconds);
  const RateValue got = RateValueText(requested, measured);
  Text(50, 38, Str255("requested: ") + req.value + req.unit, 12);
  Text(48, 57, Str255(" measured: ") + got.value + got.unit, 12);
  DrawScopeBlockOfScopeChart(scopeBlock);
}

// How long the run went without its serial line, under the rate: the rate alone would
// look like a run that read throughout.
void DrawLineLost(int16_t y) {
  rt::NewEditField(kLineLostField, LineLostText(g_lineLostSeconds).str(),
                   Rect{44, static_cast<int16_t>(y - 13), 236, static_cast<int16_t>(y + 4)}, 5, 0);
}

void ShowChartCheck(const RateDecision& d, float requested, int16_t soundFlag) {
  const bool lineLost = g_lineLostSeconds > 0;
  const bool rateChanged = SampleRateChanged == 1;
  const bool outOfTolerance =
      d.measurable && std::fabs(1.0 - static_cast<double>(d.ratio)) > static_cast<double>(SampRateError) &&
      !rateChanged;
  const Str255 heading = RateCheckHeading(requested, outOfTolerance);
  if (outOfTolerance) {
    NIBwindowIndex = RecordingMODE == RecordingModeCode::Chart ? 2 : 3;
    BuildScrollingTextWindow(kRecordingCheckWindow);
    rt::SetOutputWindow(kRecordingCheckWindow);
  } else {
    const int16_t height = static_cast<int16_t>(RecordingCheckHeight(RecordingMODE, rateChanged) +
                                                (lineLost ? kLineLostHeight : 0));
    BuildWINDOW(kRecordingCheckWindow, "Recording Check", 381, 220, 620, static_cast<int16_t>(220 + height),
                6);
    // No tick for a run that lost its line: its rate was kept, its readings were not.
    if (lineLost)
      DrawIcon(kCautionIcon, 6, 30);
    else if (!rateChanged && d.measurable)
      Picture("checkmark.png", 3, 27, 41, 65);
  }
  // The interval the run was recorded with, whatever the set-up asks of the next run.
  const double requestedSeconds = RunAsRecorded().chartSeconds;
  if (rateChanged)
    DrawRateChangedContents(heading, requested);
  else if (!d.measurable)
    DrawUnmeasuredContents(heading, requested, requestedSeconds);
  else
    DrawCheckContents(heading, d.measured, requested, requestedSeconds, soundFlag);
  if (!lineLost) return;
  // Below the values: between the gauge and any scope block when out of tolerance,
  // else in the strip the window grew by.
  DrawLineLost(outOfTolerance ? 124
                              : static_cast<int16_t>(RecordingCheckHeight(RecordingMODE, rateChanged) + 16));
}

}  // namespace

// ---- rules ----------------------------------------------------------------------------------------

float ToleranceForButton(int16_t button) {
  static constexpr float kTolerances[] = {0.05f, 0.03f, 0.02f, 0.01f, 0.005f, 0.003f, 0.002f, 0.001f};
  if (button < 11 || button > 18) return 0;
  return kTolerances[button - 11];
}

int16_t ToleranceButtonForSlot(int16_t slot) {
  return slot >= 1 && slot <= 8 ? static_cast<int16_t>(slot + 10) : 12;
}

Str255 RateCheckHeading(float requested, bool outOfTolerance) {
  if (requested >= 1.0f) return outOfTolerance ? " sample interval" : "sample interval";
  return outOfTolerance ? "    sample rate" : "  sample rate";
}

Str255 LineLostText(double seconds) {
  const double s = std::max(seconds, 0.0);
  std::string text = "serial port lost for";
  if (s < 10) {
    text += NumText(std::round(s * 10) / 10).str();
  } else if (s < 120) {
    text += NumText(std::round(s)).str();
  } else {
    const double whole = std::round(s);
    text += NumText(std::floor(whole / 60)).str() + " min" + NumText(std::fmod(whole, 60)).str();
  }
  return Str255(text + " s");
}

int16_t RecordingCheckHeight(int16_t recordingMode, bool rateChanged) {
  if (rateChanged) return 167;
  return recordingMode == RecordingModeCode::ScopeChart ? 150 : 70;
}

RateValue RateValueText(double requestedInterval, double interval, int significantDigits) {
  const auto text = [significantDigits](double v) {
    return significantDigits > 0 ? NumText(v, significantDigits) : NumText(v);
  };
  if (requestedInterval < 1.0) return {text(1.0 / interval), "/sec"};
  return {text(interval), " sec"};
}

int16_t GaugeFillEnd(double fraction, double span, int16_t start, int16_t limit) {
  const double end = std::trunc(fraction * span + start);
  if (!(end > start)) return start;  // also a fraction that is not a number
  return end < limit ? static_cast<int16_t>(end) : limit;
}

ScopeRates ScopeRatesOf(int32_t scopeMax, int32_t lastScopeDur, double scopeInterval) {
  ScopeRates r;
  r.timed = lastScopeDur != 0;
  if (r.timed) r.achieved = static_cast<double>(scopeMax) * 60.0 / lastScopeDur;
  r.requested = 1.0 / scopeInterval;
  // A zero requested rate (or none at all) is never "within" anything.
  const double q = r.achieved / r.requested;
  r.withinThreePercent = std::isfinite(q) && std::fabs(q - 1.0) <= kScopeRateLimit;
  return r;
}

Str255 ScopeRateText(double rate) {
  return rate >= 1.0 ? NumText(std::round(rate)) : NumText(rate);
}

// ---- the windows ---------------------------------------------------------------------------------

void ShowDutyFactor(int16_t top) {
  const ConversionsRun run = RunAsRecorded();
  const ScopeRates s = ScopeRatesOf(run.scopeMax, LastScopeDur, run.scopeSeconds);
  int16_t shift = 0;
  constexpr int16_t x = 46;
  if (!DT800FastScopeOn()) {
    if (s.withinThreePercent) {
      Picture("checkmark.png", 4, static_cast<int16_t>(top + 37), 42, static_cast<int16_t>(top + 75));
      shift = 22;
    } else if (s.timed) {
      const int16_t fill = GaugeFillEnd(s.achieved / s.requested, 220, 13, 233);
      DrawGauge({static_cast<int16_t>(top + 63), static_cast<int16_t>(top + 67),
                 static_cast<int16_t>(top + 76), 13, 233, fill});
      zap();
      Picture("CautionIcon.gif", 4, static_cast<int16_t>(top + 15), 33, static_cast<int16_t>(top + 44));
    }
    if (s.timed)
      Text(x, top + 30 + shift, Str255("      Scope rate: ") + ScopeRateText(s.achieved) + "/sec", 12);
    else
      Text(x - 36, top + 30 + shift, " ** Cannot calculate rate **", 14, RGBred);
  }
  Text(x, top + 48 + shift, Str255("Requested rate: ") + ScopeRateText(s.requested) + "/sec", 12);
}

void SHOWSAMPLERATE(const RateDecision& d, float requested, int16_t soundFlag) {
  Kfloat = std::fabs(d.ratio - 1.0f);
  rt::CloseWindow(kSaveCautionWindow);
  const bool scope = RecordingMODE == RecordingModeCode::Scope;
  if (!scope || !DT800FastScopeOn()) {
    rt::CloseWindow(kRecordingCheckWindow);
    if (scope) {
      BuildWINDOW(kRecordingCheckWindow, "Recording Check", 381, 220, 620, 298, 6);
      rt::FillWindow(LightGray);
      ShowDutyFactor(0);
    } else {
      ShowChartCheck(d, requested, soundFlag);
    }
    rt::FlushWindow();
  }
  if (rt::WindowExists(kOptionsWindow)) rt::SetOutputWindow(kOptionsWindow);
}

void CHECKSAMPLERATE(const ChartRunTiming& run, float requested, int16_t soundFlag) {
  // The window shows the run as measured; the decision (the interval every save
  // stores) comes from the measurement the saves make too.
  const RateDecision d = DecideRunInterval(run, requested);
  g_lineLostSeconds = run.lineLostSeconds;
  SHOWSAMPLERATE(d, requested, soundFlag);
}

}  // namespace mv
