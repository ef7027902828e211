#include "acquisition/screen_rules.h"

#include <algorithm>
#include <cmath>

#include "acquisition/fast_scope.h"
#include "acquisition/pixel.h"
#include "devices/interfaces.h"
#include "devices/state.h"
#include "kit/format.h"
#include "kit/state.h"

namespace mv {

// ---- time axis ------------------------------------------------------------------------------

ChartTickChoice ChartTickLadder(float s, float chartView) {
  struct Row {
    float limit;
    float interval;
    bool minutes;
  };
  static constexpr Row kRows[] = {
      {0.2f, 0.01f, false}, {0.4f, 0.02f, false}, {1, 0.025f, false}, {2, 0.1f, false},
      {4, 0.25f, false},    {10, 0.5f, false},    {25, 1, false},     {40, 2, false},
      {120, 5, false},      {300, 10, false},     {600, 30, false},   {1200, 60, true},
      {2400, 120, true},    {4500, 150, true},    {6000, 300, true},  {43200, 600, true},
  };
  ChartTickChoice c;
  if (std::isnan(s)) return c;
  const float factor = chartView == 0 ? 1.0f : chartView;
  c.matched = true;
  for (const Row& r : kRows) {
    if (s <= r.limit) {
      c.interval = r.minutes ? r.interval * factor : r.interval;
      c.minuteUnits = r.minutes ? 1 : 0;
      return c;
    }
  }
  c.interval = 1800 * factor;
  c.minuteUnits = 1;
  return c;
}

float ChartTicGap(float interval, double chartInterval, float chartView, double customTic) {
  float gap = static_cast<float>(interval / (chartInterval * chartView));
  if (customTic != 0) gap = static_cast<float>(gap * customTic);
  return gap;
}

ScopeTickChoice ScopeTickLadder(float scopeInterval, int32_t n, float scopeXfactor,
                                double scopeIntervalInSeconds, int w) {
  ScopeTickChoice c;
  const float duration = scopeInterval * static_cast<float>(n);
  double decade = 1e-20;
  if (duration > 1e-20f) {
    decade = 1e-19;
    for (int k = 0; k < 60 && decade < duration; ++k) decade *= 10;
  }
  c.span = static_cast<float>(10.0 * duration / decade);
  float m = 0;
  if (c.span > 8)
    m = 1;
  else if (c.span >= 2.00001f)
    m = 0.5f;
  else if (c.span >= 1.50001f)
    m = 0.25f;
  else if (c.span >= 1)
    m = 0.1f;
  const double q = 0.1 / scopeXfactor;
  const double p = 1e-7 * n * scopeIntervalInSeconds / w;
  double unit = decade / 10;
  double g = unit * q * m / p;
  // Each pass divides the unit by ten, so a usable gap is reached within a few dozen
  // passes; a gap that is no number or infinite would never fall, hence the bound.
  for (int pass = 0; pass < 400 && TickGapUsable(g) && g / w > 0.5; ++pass) {
    unit /= 10;
    g = unit * (m * w * 10.0 / n) * q / p;
  }
  c.gap = TickGapUsable(g) && g / w <= 0.5 ? static_cast<float>(g) : 0.0f;
  return c;
}

ScopeXScale ScopeTraceXScale(bool fastScope, bool demonstration, float xFactor, int16_t viewStep) {
  if (fastScope && demonstration) {
    const int32_t rows = xFactor > 0.0f ? std::max<int32_t>(1, static_cast<int32_t>(1.0f / xFactor)) : 1;
    return {static_cast<double>(xFactor) + 1.0, 1.0 / rows};
  }
  if (fastScope) {
    const double step = FastTraceStep(xFactor);
    return {2.0 * step, step};
  }
  const int step = std::max<int>(viewStep, 1);
  return {static_cast<double>(xFactor) * (step + 2) + 1.0, xFactor};
}

bool TickGapUsable(double gap) {
  return std::isfinite(gap) && gap > 0;
}

std::vector<float> TickPositions(float first, float gap, int w) {
  std::vector<float> xs;
  if (!TickGapUsable(gap) || !std::isfinite(first)) return xs;
  for (float x = first; x <= w && xs.size() < static_cast<std::size_t>(w) + 2; x += gap) xs.push_back(x);
  return xs;
}

double TickLabelValue(double zz, int16_t minuteUnits, float ticInterval) {
  double v = zz;
  if (minuteUnits == 1) {
    v /= 60;
    if (ticInterval >= 3600) v /= 60;
  }
  return v;
}

const char* TickLabelUnit(int16_t minuteUnits, float ticInterval) {
  if (ticInterval >= 3600) return " hr";
  return minuteUnits == 1 ? " min" : " sec";
}

// ---- texts ----------------------------------------------------------------------------------

ChartDuration FindChartDurationText(float seconds, int w, int32_t maxSamples) {
  ChartDuration d;
  const float t = seconds;
  d.minuteUnits = t > 600 ? 1 : 0;
  // A window or recording with no points has no time per sample.
  const float p = w > 0 ? t / static_cast<float>(w) : 0.0f;
  const float perSample = maxSamples > 0 ? p * static_cast<float>(w) / static_cast<float>(maxSamples) : 0.0f;
  float v = t;
  if (d.minuteUnits) {
    d.tfact = maxSamples > 0 ? (p / 60) * static_cast<float>(w) / static_cast<float>(maxSamples) : 0.0f;
    v = t / 60;
  } else {
    d.tfact = perSample;
  }
  d.traceLength = v;
  if (t > 172'800) {
    v /= 24;
    d.traceLength = v;
  }
  d.scopeLength = v;
  if (t > 7'200) v /= 60;
  Str255 text = StringFormatter(v);
  if (!text.empty() && text.back() == '.') text.pop_back();
  const char* unit = " sec  ";
  if (t > 172'800)
    unit = " days ";
  else if (t > 7'200)
    unit = " hr  ";
  else if (d.minuteUnits)
    unit = " min ";
  d.text = text + unit;
  return d;
}

Str255 ScopeDurationText(double s) {
  if (s < 0.0001) return PictureFormat(s, "#.##########");
  if (s < 0.001) return PictureFormat(s, "#.########");
  if (s < 0.1) return PictureFormat(s, "#.######");
  if (s < 1) return PictureFormat(s, "#.#####");
  if (s < 10) return PictureFormat(s, "##.####");
  if (s < 100) return PictureFormat(s, "###.###");
  if (s < 1000) return PictureFormat(s, "####.##");
  // A whole number of seconds, without a picture's padding.
  return NumText(std::trunc(s));
}

const char* StepSuffix(int16_t step) {
  if (step == 2) return "nd";
  if (step == 3) return "rd";
  return "th";
}

Str255 ScreenCountText(double x) {
  if (std::isfinite(x) && x == std::trunc(x) && std::fabs(x) < 1e9) {
    Str255 plain = NumText(x);
    return plain.size() > 1 && plain[0] == ' ' ? plain.mid(2) : plain;
  }
  if (x < 100) return PictureFormat(x, "##.##");
  if (x < 1000) return PictureFormat(x, "###.#");
  return PictureFormat(x, "#####.#");
}

Str255 BackupIndicatorText(bool automaticBackup, bool backupsWritten, int16_t backups) {
  if (!automaticBackup) return " no backup!";
  if (!backupsWritten) return " backup off";
  if (backups > 0) return Str255(" backup") + Str255(std::to_string(backups)) + "   ";
  return " backup on";
}

const char* SwitchPatternName(int16_t pattern) {
  if (pattern >= 3 && pattern <= 6) return "auto switch";
  if (pattern == 7 || pattern == 8) return "timed key switch";
  if (pattern == 9) return "series switch";
  if (pattern == 10) return "device series";
  if (pattern == 1 || pattern == 2) return "key switch";
  return "";
}

namespace {
Str255 WithoutSignBlank(const Str255& text) {
  return !text.empty() && text[0] == ' ' ? text.mid(2) : text;
}
}  // namespace

std::string CounterPresetLine(float input, int32_t start) {
  return (WithoutSignBlank(NumText(input)) + "HSC= " + WithoutSignBlank(NumText(start))).str() + '\r';
}

float OverRangeVoltsFor(int16_t externalAD) {
  return OverRangeRuleFor(externalAD).volts;
}

// ---- geometry -------------------------------------------------------------------------------

int16_t WindowOffset(int screenWidth, int screenHeight, int w, int hp) {
  return (screenWidth - w <= 30 || screenHeight - hp <= 50) ? 0 : 10;
}

int16_t ZeroLineY(int top, int bottom, float max, float min) {
  const double y = static_cast<double>(bottom - top) * max / (static_cast<double>(max) - min) + top + 0.99;
  if (!std::isfinite(y)) return static_cast<int16_t>(bottom);
  return PixelCoord(std::clamp(y, static_cast<double>(top), static_cast<double>(bottom)));
}

int16_t GridIntervals(int h, bool manyGridLines, bool hasZeroLine) {
  int16_t k = h < 51 ? 2 : (h <= 75 ? 3 : 4);
  if (manyGridLines) k = static_cast<int16_t>(k * 2);
  if (k % 2 == 1 && hasZeroLine) ++k;
  return k;
}

ScrollStep ScrollFor(int16_t redrawOption, int w, float chartView) {
  const double cv = chartView;
  switch (redrawOption) {
    case 3:
      return {static_cast<int32_t>(w * 0.25), static_cast<int32_t>(w * cv * 0.75)};
    case 2:
      return {static_cast<int32_t>(w * 0.333333), static_cast<int32_t>(w * cv * 0.66667)};
    case 1:
      return {static_cast<int32_t>(w * 0.5), static_cast<int32_t>(w * cv * 0.5)};
    default:
      return {0, static_cast<int32_t>(w * cv)};
  }
}

namespace {
int32_t BarValue(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int32_t>(std::clamp(std::trunc(v), -2'147'483'648.0, 2'147'483'647.0));
}
}  // namespace

int32_t CapacityBarStart(bool displaysInChartMode, int w, int segments, float chartView, int32_t maxSamples) {
  if (displaysInChartMode) return segments / 150;
  if (maxSamples <= 0) return segments;
  return BarValue(static_cast<double>(w) * segments * chartView / maxSamples);
}

int32_t CapacityBarAfterScroll(int32_t sample, int w, float chartView, int segments, int32_t maxSamples) {
  if (maxSamples <= 0) return segments;
  return BarValue((sample + static_cast<double>(w) * chartView) * segments / maxSamples);
}

// ---- toolbar --------------------------------------------------------------------------------

bool ToolbarClickCounts(int x, int y, int16_t mode) {
  const int limit = mode == RecordingModeCode::ScopeChart ? 441 : 401;
  return x >= 1 && y >= 1 && y <= 39 && x < limit;
}

ToolbarIcon ToolbarHit(int x, int y, int16_t mode) {
  if (!ToolbarClickCounts(x, y, mode)) return kNoIcon;
  struct Column {
    int from, to;
    ToolbarIcon icon;
  };
  static constexpr Column kColumns[] = {
      {1, 39, kStopIcon},         {41, 79, kPauseIcon},       {81, 119, kResumeIcon},
      {121, 160, kNoteIcon},      {161, 200, kAddTimeIcon},   {201, 240, kReplayIcon},
      {241, 280, kTimeToRefIcon}, {281, 320, kBackupIcon},    {321, 360, kReferenceIcon},
      {361, 400, kSampleIcon},    {401, 440, kSaveScopeIcon},
  };
  for (const Column& c : kColumns) {
    if (x >= c.from && x <= c.to) {
      if (c.icon == kPauseIcon && mode == RecordingModeCode::Scope) return kSaveScopeIcon;
      return c.icon;
    }
  }
  return kNoIcon;
}

ToolbarPicture ToolbarPictureFor(bool streaming, int16_t mode, int16_t pattern, bool light) {
  if (streaming) return {light ? "light toolbar keyboard.png" : "dark toolbar keypad.png", 420, 4};
  if (mode == RecordingModeCode::Scope)
    return {light ? "light scope toolbar.png" : "dark scope toolbar.png", 81, 40};
  if (mode == RecordingModeCode::ScopeChart) {
    if (pattern >= 3) return {light ? "light toolbar b.png" : "dark scopechart.png", 442, 4};
    return {light ? "light toolbar bx.png" : "dark toolbar bx.png", 442, 4};
  }
  if (pattern >= 3) return {light ? "light toolbar x.png" : "dark toolbar.png", 404, 4};
  return {light ? "light toolbar x.png" : "dark toolbar x.png", 404, 4};
}

HelpTag ToolbarHelpTag(int x, bool replayOpen) {
  struct Row {
    int from, to;
    const char* text;
    int16_t tagX;
  };
  static constexpr Row kRows[] = {
      {0, 39, "Stop recording", 4},
      {41, 79, "Pause; change speed or scale", 35},
      {81, 119, "Resume recording", 65},
      {121, 160, "Insert note", 105},
      {161, 200, "Add more time", 140},
      {201, 240, "Replay the data", 180},
      {241, 280, "Time to next reference", 220},
      {281, 320, "Backup the data", 260},
      {321, 360, "Switch to reference device", 280},
      {361, 400, "Switch to sample device", 300},
  };
  for (const Row& r : kRows) {
    if (x >= r.from && x <= r.to) {
      if (r.from == 81 && replayOpen) return {"Close replay window", r.tagX};
      return {r.text, r.tagX};
    }
  }
  return {};
}

std::string NoteBytes(const std::string& text, std::size_t limit) {
  return text.size() > limit ? text.substr(0, limit) : text;
}

}  // namespace mv
