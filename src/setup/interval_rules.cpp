#include "setup/interval_rules.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "devices/state.h"
#include "kit/format.h"
#include "kit/sample_intervals.h"
#include "setup/state.h"

namespace mv {

namespace {

// One sixtieth of a second as the duration buttons count it.
constexpr double kTick = 0.01666667;

struct Preset {
  int16_t code;
  const char* label;
};

// Labels keep their leading blanks: the column lines the numbers up by them. The
// intervals are the shared table's (RateButtonInterval).
constexpr Preset kPresets[] = {
    {2, "1/60 second"},
    {3, "1/30 second"},
    {4, "1/20 second"},
    {5, "1/15 second"},
    {6, " 1/10 second"},
    {7, " 1/4 second"},
    {8, " 1/2 second"},
    {9, "  1 second"},
    {10, "  2 seconds"},
    {11, "  5 seconds"},
    {12, " 10 seconds"},
    {15, " 20 seconds"},
    {31, " 30 seconds"},
    {1, "1/125 second"},
    {67, "1/250 second"},
    {68, "1/500 second"},
    {20, ".004 second  (1/250)"},
    {21, ".002 second  (1/500)"},
    {22, ".001 second  (1/1000)"},
    {23, ".0005 sec   (500 \xB5sec)"},  // Mac Roman micro sign
    {24, ".0002 sec   (200 \xB5sec)"},
};

const Preset* FindPreset(int16_t code) {
  for (const Preset& p : kPresets)
    if (p.code == code) return &p;
  return nullptr;
}

struct Duration {
  int16_t code;
  const char* label;
  int32_t ticks;
};
constexpr Duration kDurations[] = {
    {51, "5 sec", 300},       {52, "10 sec", 600},        {53, "30 sec", 1'800},
    {54, "1 min", 3'600},     {55, "5 min", 18'000},      {56, "10 min", 36'000},
    {57, "20 min", 72'000},   {58, "30 min", 108'000},    {59, "1 hr", 216'000},
    {60, "6 hr", 1'296'000},  {61, "12 hr", 2'592'000},   {62, "24 hr", 5'184'000},
};

int32_t ToInt32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int16_t On(bool b) {
  return b ? 1 : 0;
}

}  // namespace

// ---- rate buttons -----------------------------------------------------------------------

std::optional<double> PresetInterval(int16_t code) {
  return RateButtonInterval(code);
}

Str255 RateButtonLabel(int16_t code, bool highSpeedColumn) {
  if (code == RateButton::UseOther) return "Use Other Interval";
  if (code == RateButton::Rate125 && highSpeedColumn) return ".008 second (1/125)";
  const Preset* p = FindPreset(code);
  return p ? Str255(p->label) : Str255();
}

bool IsRateButton(int16_t code) {
  return code == RateButton::UseOther || FindPreset(code) != nullptr;
}

IntervalLayout LayoutFor(bool scopeVariant, int16_t externalAD, int16_t demonstrationMode,
                         int16_t recordingMode) {
  using namespace ExternalADCode;
  IntervalLayout l;
  const bool sable = externalAD == SableUI2 || externalAD == SableUI3;
  if (!scopeVariant) {
    if (externalAD == DT800) {
      l.cautionIcon = true;
      l.note = {"Maximum DT800 sample", "rate is about 1/50 second", "(for 1 channel, slower if  > 1)"};
    } else if (externalAD == DT80 || externalAD == DT85) {
      l.cautionIcon = true;
      l.note = {"Maximum DT80 sample", "rate is about 1/25 second", "(for 1 channel, slower if  > 1)"};
    } else if (sable) {
      l.extraButtons = {RateButton::Rate250, RateButton::Rate125};
    } else {
      l.extraButtons = {RateButton::Rate500, RateButton::Rate250, RateButton::Rate125};
    }
    return l;
  }
  if (sable || demonstrationMode != 0) {
    l.extraButtons = {RateButton::Rate250, RateButton::Rate125};
    if (demonstrationMode != 0) {
      l.picture = "demo icon.gif";
      l.demoNote = true;
    } else {
      l.picture = "UI3.gif";
      l.note = {externalAD == SableUI2 ? "Maximum UI2 sample" : "Maximum UI3 sample", "rate is ~ 250/second"};
    }
    return l;
  }
  l.cautionIcon = true;
  if (recordingMode != 3) {
    l.highSpeedColumn = true;
    l.picture = "DT800.gif";
    l.note = {"Maximum continuous", "sample rate with the", "DT800 is about 1/50 second"};
  } else {
    l.picture = externalAD == DT800 ? "DT800.gif" : "demo icon.gif";
    l.scopeChartNote = "High-speed sampling is not usable in 'Scope plus Chart' mode";
    if (externalAD == DT800) l.scopeChartNote += " with a DT800";
  }
  return l;
}

// ---- total chart samples ------------------------------------------------------------------

int32_t CountAfterButton(int16_t code, int32_t samples, int32_t M, int32_t W) {
  const int64_t s = samples, m = M, half = W / 2;
  int64_t r = s;
  switch (code) {
    case 167: r = W; break;
    case 40: r = s - W; break;
    case 41: r = s - half; break;
    case 42: r = s + half; break;
    case 43: r = s + W; break;
    case 44: r = m; break;
    case 45: r = s - 50; break;
    case 46: r = s - 10; break;
    case 47: r = s - 1; break;
    case 48: r = s < m ? s + 1 : s; break;
    case 49: r = std::min(s + 10, m); break;
    case 50: r = std::min(s + 50, m); break;
    case 63: r = std::min(s * 2, m); break;
    case 65: r = std::min(s * 10, m); break;
    case 64: r = s / 2; break;
    case 66: r = s / 10; break;
    default: break;
  }
  return ToInt32(r);
}

CountRefresh RefreshCountButtons(int32_t samples, int32_t M, int32_t W) {
  CountRefresh out;
  auto& st = out.states;
  int32_t s = samples;
  st.push_back({63, On(s <= M / 2)});
  st.push_back({65, On(s <= M / 10)});
  st.push_back({64, On(s > 19)});
  st.push_back({66, On(s > 99)});

  const int32_t beforeFloor = s;
  if (s <= 9) {
    out.refused = true;
    s = 10;
    for (int16_t b : {40, 41, 45, 46}) st.push_back({b, 0});
  } else {
    st.push_back({46, 1});
  }
  st.push_back({47, On(beforeFloor > 9)});
  st.push_back({45, On(s > 60)});

  const int32_t beforeCap = s;
  if (s > M) {
    s = M;
    for (int16_t b : {43, 42, 48, 49}) st.push_back({b, 0});
  } else {
    st.push_back({48, 1});
    st.push_back({49, 1});
  }
  st.push_back({50, On(beforeCap <= M)});

  const double w = W;
  st.push_back({41, On(w * 0.5 + 10 <= s)});
  st.push_back({42, On(s <= M - w * 0.5)});
  st.push_back({43, On(int64_t{s} <= int64_t{M} - W)});
  st.push_back({40, On(int64_t{W} + 10 <= s)});
  out.samples = s;
  return out;
}

std::vector<StateChange> InitialCountStates(int32_t samples, int32_t M, int32_t W) {
  const int64_t s = samples, w = W;
  return {{40, On(s != w)},    {43, On(s < M)},    {44, On(s < M)},  {63, On(s <= 10 * w)},
          {64, On(s > 19)},    {65, On(s <= 2 * w)}, {66, On(s > 99)}};
}

// ---- duration buttons ----------------------------------------------------------------------

int32_t DurationTicks(int16_t code) {
  for (const Duration& d : kDurations)
    if (d.code == code) return d.ticks;
  return 0;
}

Str255 DurationLabel(int16_t code) {
  for (const Duration& d : kDurations)
    if (d.code == code) return d.label;
  return {};
}

int32_t DurationSamples(int16_t code, double intervalSeconds, int32_t M) {
  if (!(intervalSeconds > 0)) return M;
  const double n = DurationTicks(code) * kTick / intervalSeconds + 0.5;
  if (!(n < M)) return M;
  return static_cast<int32_t>(std::trunc(n));
}

bool DurationOffered(int16_t code, double intervalSeconds, int32_t M) {
  const auto D = static_cast<float>(static_cast<double>(M) * intervalSeconds);
  const auto H = static_cast<float>(100.0 * intervalSeconds);
  switch (code) {
    case 62: return D >= 86'400.0f;
    case 61: return D >= 43'200.0f;
    case 60: return D >= 21'600.0f;
    case 59: return D >= 3'600.0f && H <= 3'600.0f;
    case 58: return D >= 1'800.0f && H <= 1'800.0f;
    case 57: return D >= 1'200.0f && H <= 1'200.0f;
    case 56: return D >= 600.0f && H <= 600.0f;
    case 55: return D >= 300.0f && H <= 300.0f;
    case 54: return D >= 60.0f && H <= 60.0f;
    case 53: return H <= 30.0f;
    case 52: return H <= 10.0f;
    case 51: return H <= 5.0f;
    default: return false;
  }
}

// ---- scope trace ---------------------------------------------------------------------------

TraceStep ScopeTraceStep(int16_t code, int32_t scopeMax, int32_t W, int32_t maxScope) {
  TraceStep t{scopeMax, {}};
  const auto atStart = [&] { t.states = {{17, 0}, {18, 0}, {19, 1}, {39, 1}}; };
  const auto atEnd = [&] { t.states = {{17, 1}, {18, 1}, {19, 0}, {39, 0}}; };
  switch (code) {
    case 17:
      t.scopeMax = W;
      atStart();
      break;
    case 18:
      if (int64_t{scopeMax} >= 2 * int64_t{W}) t.scopeMax = scopeMax - W;
      if (t.scopeMax == W) atStart();
      break;
    case 19:
      if (int64_t{scopeMax} <= int64_t{maxScope} - W) t.scopeMax = scopeMax + W;
      if (t.scopeMax == maxScope) atEnd();
      break;
    case 39:
      t.scopeMax = maxScope;
      atEnd();
      break;
    default:
      break;
  }
  return t;
}

int32_t Dt800TraceLimit(double intervalSeconds) {
  if (intervalSeconds == 0.008) return 2'048;
  if (intervalSeconds == 0.004) return 4'096;
  if (intervalSeconds == 0.002) return 8'192;
  return 16'384;
}

int32_t DownloadSeconds(int32_t scopeMax, float scopeInterval) {
  const int32_t blocks = scopeMax / 300;
  if (scopeInterval > 0.001f) {
    const double n = static_cast<double>(blocks) * static_cast<double>(scopeInterval) / 0.001;
    return ToInt32(static_cast<int64_t>(std::trunc(n)));
  }
  return blocks;
}

// ---- duration texts ----------------------------------------------------------------------------

Str255 ThreeDigitText(double v) {
  if (!std::isfinite(v)) return NumText(v);
  // Three digits of a value that rounds to 1,000 or more would need an exponent.
  if (std::fabs(v) >= 999.5) return NumText(std::round(v));
  return NumText(v, 3);
}

DurationLine DurationLineText(float seconds) {
  double shown = seconds;
  const char* unit = " sec  ";
  if (seconds > 7'200.0f) {
    shown = seconds / 3'600.0;
    unit = " hours";
    if (seconds > 172'400.0f) {
      shown /= 24.0;
      unit = " days";
    }
  } else if (seconds > 600.0f) {
    shown = seconds / 60.0;
    unit = " min ";
  }
  return {Str255("  Duration ") + ThreeDigitText(shown) + unit, On(seconds > 600.0f)};
}

Str255 MaximumTimeText(int32_t M, double intervalSeconds) {
  const auto T = static_cast<float>(static_cast<double>(M) * intervalSeconds);
  double shown = T;
  const char* unit = " sec  ";
  if (T > 7'200.0f) {
    shown = T / 3'600.0;
    unit = " hours";
    if (T > 172'800.0f) {
      shown /= 24.0;
      unit = " days";
    }
  } else if (T > 600.0f) {
    shown = T / 60.0;
    unit = " min ";
  }
  return Str255("Maximum time = ") + ThreeDigitText(shown) + unit;
}

// ---- speed limit ---------------------------------------------------------------------------------

float SpeedLimit(int16_t externalAD, int16_t demonstrationMode, int16_t n, int16_t freeRunSpeed,
                 double intervalSeconds, int32_t maxDisplaySpeed) {
  using namespace ExternalADCode;
  if (n < 1) return 0.0f;
  if (demonstrationMode != 0) {
    int32_t f = freeRunSpeed;
    if (1'000'000.0 * intervalSeconds < maxDisplaySpeed) f = static_cast<int32_t>(std::trunc(freeRunSpeed * 2.5));
    // Without a speed figure there is nothing to compare with.
    if (f < 1) return 0.0f;
    return static_cast<float>(n / f);
  }
  double perChannel = 0.167;
  switch (externalAD) {
    case SableUI2: perChannel = 0.005; break;
    case SableUI3: perChannel = 0.0167; break;
    case DT500: case DT50: case ADAM: perChannel = 0.1; break;
    case DT800: case DT80: case DT85: perChannel = 0.025; break;
    default: break;
  }
  return static_cast<float>(n * perChannel);
}

bool TooFast(float limit, double intervalSeconds) {
  return limit > static_cast<float>(intervalSeconds);
}

Str255 CautionChannelsText(int16_t n) {
  return Str255("for") + NumText(n) + (n == 1 ? " channel !" : " channels !");
}

// ---- measured sweeps ------------------------------------------------------------------------------

double ShortestKeptInterval(double sweepSeconds) {
  const double margin = std::max(sweepSeconds * kSweepMarginFraction, kSweepMarginSeconds);
  // A product a hair above a whole millisecond is that millisecond: the hair is rounding.
  return std::ceil((sweepSeconds + margin) * 1000.0 - 1e-9) / 1000.0;
}

Str255 MeasuredCautionText(int16_t n, double sweepSeconds, double keptSeconds) {
  const double ms = std::round(sweepSeconds * 10'000.0) / 10.0;
  return Str255("CAUTION: too fast.") + PlainText10(n) + (n == 1 ? " channel takes" : " channels take") +
         PlainText10(ms) + " ms a sweep; shortest interval kept:" + PlainText10(keptSeconds) + " s";
}

Str255 UseKeptIntervalTitle(double keptSeconds) {
  return Str255("Use") + PlainText10(keptSeconds) + " s";
}

// ---- automatic backup -----------------------------------------------------------------------------

int32_t BackupTicksSwitchedOn(double minutesTyped, int32_t currentTicks) {
  if (std::isfinite(minutesTyped) && minutesTyped > 0) {
    const double ticks = std::trunc(minutesTyped * 3'600.0);
    return static_cast<int32_t>(std::clamp(ticks, 1.0, static_cast<double>(std::numeric_limits<int32_t>::max())));
  }
  return currentTicks > 0 ? currentTicks : 36'000;
}

int32_t BackupTicksOnClose(const Str255& fieldText, int32_t currentTicks) {
  Str255 t = fieldText;
  TRUNCATE(t);
  std::size_t first = 0;
  while (first < t.size() && t[first] == ' ') ++first;
  if (t.str().substr(first) == "(off)") return 0;
  return BackupTicksSwitchedOn(TextToNumber(t), currentTicks);
}

// ---- readings averaged -------------------------------------------------------------------------------

int16_t MaxAverageFor(double chartIntervalSeconds, int16_t n, int16_t externalAD) {
  const int16_t channels = n < 1 ? int16_t{1} : n;
  const auto x = static_cast<float>(chartIntervalSeconds * 1.2 / channels);
  const double y = externalAD != ExternalADCode::Demonstration ? x / 0.35
                                                               : static_cast<float>(x - 0.012) / 0.014;
  if (!(y >= 1.0)) return 1;
  if (y >= 32'767.0) return 32'767;
  return static_cast<int16_t>(std::trunc(y));
}

void MAXAVERAGE() {
  MaxAvrg = MaxAverageFor(ChartIntervalInSeconds, nChannels, External_AD);
}

}  // namespace mv
