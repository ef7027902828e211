#include "acquisition/replay.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "acquisition/pixel.h"
#include "acquisition/recording_keys.h"
#include "acquisition/screen_rules.h"
#include "acquisition/state.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/date_text.h"
#include "kit/drawing.h"
#include "kit/format.h"
#include "kit/protocol.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr RGBColor kBlack{0, 0, 0};
// How long REPLAY waits for a held mouse button to come up before it draws anyway.
constexpr int kMouseUpPasses = 400;

int PlotWidth() {
  return PrefsArray[PrefsSlot::WindowWidth];
}
bool ScopeMode() {
  return RecordingMODE == RecordingModeCode::Scope;
}
int32_t PointsAcross() {
  return ScopeMode() ? ScopeMax : Sample;
}
rt::FontSpec DisplayFont(double size) {
  return KitFont(KestraneFont, size);
}

int ChannelCountOf(const ConversionsRun& run) {
  return std::clamp<int>(run.channelCount, 0, 16);
}

Str255 CurrentTitle(const ConversionsRun& run) {
  const double t = ScopeMode() ? ScopeMax * ScopeIntervalInSeconds
                               : static_cast<double>(static_cast<float>(Sample) * run.chartInterval);
  return ReplayTitle(Sample, t);
}

// Opens window 321, or makes the open one current, titled for the present run. After a
// run the window reaches down to the run's last strip.
void PrepareWindow(int16_t flag, const ConversionsRun& run) {
  const int w = PlotWidth();
  const int count = ChannelCountOf(run);
  const int plotBottom =
      flag == 1 && count >= 1 ? PixelCoord(run.channels[count].stripBottom) : static_cast<int>(BottomOfPlot);
  Str255 title = CurrentTitle(run);
  if (flag == 0) title += "    Click 'Resume' Icon (Triangle) to Exit";
  if (rt::WindowExists(kReplayWindow)) {
    rt::SetOutputWindow(kReplayWindow);
    rt::SetWindowTitle(kReplayWindow, title);
    for (int16_t c : {kReplaySwitchButton, kReplayCloseButton})
      if (rt::ControlExists(c)) rt::DisposeControl(c);
  } else {
    const int top = flag == 1 ? 42 : 81;
    const int height = flag == 1 ? plotBottom : plotBottom - 16;
    rt::OpenWindow(
        kReplayWindow, title,
        Rect{10, PixelCoord(top), PixelCoord(10 + w - 50), PixelCoord(top + std::max(height, 100))}, 6);
  }
  SetWindowBackground(int32_t{1}, true);
  UseScopeColors = 0;
}

void DrawZeroAndGrid(int n, const ChannelConversionOfRun& ch, int top, float min, float max, float k) {
  const int w = PlotWidth();
  int y0 = -32768;
  if (PrefsArray[PrefsSlot::ZeroLines] && min < 0 && 0 < max) {
    y0 = PixelCoord(top + 0.99 + static_cast<double>(max * k));
    PrefsArray[PrefsSlot::DashPattern] = 3;
    CGInvertline(12, PixelCoord(y0), PixelCoord(w), PixelCoord(y0));
    PrefsArray[PrefsSlot::DashPattern] = 0;
    rt::DrawText(3, y0 + 4, "0", DisplayFont(10), kBlack);
  }
  if (!PrefsArray[PrefsSlot::ScaleGrid]) return;
  hite = PixelCoord(ch.stripHeight);
  if (n == 1 && RecordingMODE == RecordingModeCode::ScopeChart) {
    hite = static_cast<int16_t>(hite - 12);
    BottomOfPlot = static_cast<int16_t>(BottomOfPlot - 12);
  }
  const int16_t intervals = GridIntervals(hite, PrefsArray[PrefsSlot::ManyGridLines] != 0, y0 != -32768);
  if (intervals <= 0) return;
  gridsize = static_cast<int16_t>(hite / intervals);
  PrefsArray[PrefsSlot::DashPattern] = 2;
  for (int i = 1; i < intervals; ++i) {
    const int y = BottomOfPlot - i * gridsize;
    if (std::abs(y - y0) <= 1) continue;
    PlotCGrgb(1.0f, 1, PixelCoord(y), PixelCoord(w), PixelCoord(y), ChartFrameColor);
  }
  PrefsArray[PrefsSlot::DashPattern] = 0;
}

void DrawTrace(int16_t flag, int n, int top, int bottom, float max, float k) {
  // No range (too few samples) or no height to it (a flat channel): nothing to plot.
  if (!std::isfinite(k) || k == 0) return;
  const double s = ReplayStep(PlotWidth(), PointsAcross());
  CGContext context = BeginCGContextForCurrentPort();
  int32_t count = 0;
  if (ScopeMode()) {
    SetCGScopeLinesColor(context);
    const int32_t last = std::min<int32_t>(ScopeMax, kScopeBufferRows - 1);
    for (int32_t r = 2; r <= last && count < kQuartzLastPoint; ++r) {
      ++count;
      QuartzPointsArray[count] = {
          static_cast<float>(r * s),
          static_cast<float>(ReplayPointY(ScopeBufferArray[r].raw, max, k, top, bottom))};
    }
    // A block may hold many points to a pixel column: what shows of them is the
    // column's extremes, so only those are stroked.
    count =
        ReplayColumns(std::span<QuartzPoint>(QuartzPointsArray).subspan(1, static_cast<std::size_t>(count)));
  } else {
    SetCGChartLinesColor(context, flag);
    count = ChartReplayTrace(n, Sample, s, ReplayScale{max, k, top, bottom},
                             std::span<QuartzPoint>(QuartzPointsArray).subspan(1));
  }
  // Fewer than two points leave nothing to stroke: the buffer would hold an old point.
  if (count > 1) drawPaneContent(context, count);
}

Str255 StripName(int n, const ChannelConversionOfRun& ch) {
  return Str255("Channel") + NumText(n) + "  Input #" + NumText(std::trunc(ch.input));
}

// The labels stand in one column at 172, or further right when a strip's name with
// the eight blanks that part a name from its label elsewhere would reach past it.
int LabelColumn(const rt::FontSpec& font, const ConversionsRun& run) {
  int column = 172;
  for (int n = 1; n <= ChannelCountOf(run); ++n)
    column = std::max(column, 68 + rt::TextWidth((StripName(n, run.channels[n]) + "        ").str(), font));
  return column;
}

void DrawStripLabels(int16_t flag, int n, const ConversionsRun& run, int top, int bottom, float min,
                     float max) {
  const RGBColor ink = flag == 1 ? ChartFrameColor : RGBblue;
  const rt::FontSpec font = DisplayFont(10);
  rt::DrawText(68, top + 11, StripName(n, run.channels[n]).str(), font, ink);
  rt::DrawText(LabelColumn(font, run), top + 11, run.channels[n].label.str(), font, ink);
  // A full range taken from no samples has no numbers to show.
  if (std::isfinite(max)) rt::DrawText(1, top + 11, NumText(max).str(), font, ink);
  if (std::isfinite(min)) rt::DrawText(1, bottom - 4, NumText(min).str(), font, ink);
}

// One channel's strip; returns its bottom. previousBottom is the strip above's bottom.
int DrawReplayStrip(int16_t flag, int n, const ConversionsRun& run, int previousBottom) {
  const int w = PlotWidth();
  const ChannelConversionOfRun& ch = run.channels[n];
  const int bottom = PixelCoord(ch.stripBottom - 35.0f);
  BottomOfPlot = static_cast<int16_t>(bottom);
  const int top = n == 1 ? PixelCoord(bottom - ch.stripHeight) : previousBottom;
  const float h = static_cast<float>(bottom - top);
  ReplayRange range;
  if (ReplayAutoScaling)
    range = ScopeMode() ? ScopeReplayRange(ScopeMax) : ChartReplayRange(n, Sample);
  else
    range = {ch.plotMin, ch.plotMax};
  const float k = h / (range.max - range.min);
  if (flag == 1) {
    CGdrawBox(1, ChartBackgroundColor, 1, 0, static_cast<float>(top), static_cast<float>(w - 50),
              static_cast<float>(bottom), 0);
    CGdrawBox(1, ChartFrameColor, 0, 0, static_cast<float>(top), static_cast<float>(w - 50),
              static_cast<float>(bottom), 0);
  } else {
    CGdrawBox(1, gray, 1, 0, static_cast<float>(top), static_cast<float>(w - 50), static_cast<float>(bottom),
              0);
    CGdrawBox(0, kBlack, 0, 0, static_cast<float>(top), static_cast<float>(w - 50),
              static_cast<float>(bottom), 4);
  }
  DrawZeroAndGrid(n, ch, top, range.min, range.max, k);
  DrawTrace(flag, n, top, bottom, range.max, k);
  DrawStripLabels(flag, n, run, top, bottom, range.min, range.max);
  return bottom;
}

void DrawScalingLegend() {
  const int w = PlotWidth();
  rt::FontSpec font = KitFont(3, 24);
  font.bold = font.italic = true;
  const bool full = ReplayAutoScaling != 0;
  const char* text = full ? "full-range scaling" : "user-set scaling";
  const int x = full ? w - 330 : w - 300;
  rt::DrawText(x, 34, text, font, DarkGray);
  rt::DrawText(x - 1, 33, text, font, LightGray);
}

// The time band; returns the free stretch between the start time and the present time.
std::pair<double, double> DrawTimeBand(int yb) {
  const int w = PlotWidth();
  PlotCGrgb(1.0f, 0, PixelCoord(yb), PixelCoord(w), PixelCoord(yb), LightGray);
  CGdrawBox(1, VeryLightGray, 1, 0, static_cast<float>(yb - 17), static_cast<float>(w),
            static_cast<float>(yb + 20), 0);
  for (int x : {2, w - 52})
    PlotCGrgb(1.0f, PixelCoord(x), PixelCoord(yb - 18), PixelCoord(x), PixelCoord(yb - 14), kBlack);
  const rt::FontSpec font = DisplayFont(12);
  const Str255 start = filestrings.startTime + " (start time)";
  rt::DrawText(4, yb - 2, start.str(), font, kBlack);
  const Str255 now = NowTimeText();
  const double nowX = w - 54 - rt::TextWidth(now.str(), font);
  rt::DrawText(nowX, yb - 2, now.str(), font, kBlack);
  return {4 + rt::TextWidth(start.str(), font), nowX};
}

// The red key hint of a replay during a recording, from x at the given size (measured
// only when draw is false); returns its width. The command-key sign is a Wingdings "z"
// where that font exists, else the key's name here.
double RecordingHint(double x, double y, double size, bool draw) {
  const rt::FontSpec font = DisplayFont(size);
  const bool wingdings = rt::FontFamilyAvailable("Wingdings");
  const bool webdings = rt::FontFamilyAvailable("Webdings");
  const bool streaming = External_AD == ExternalADCode::SerialStream;
  const double x0 = x;
  auto put = [&x, y, draw](std::string_view text, const rt::FontSpec& f) {
    if (draw) rt::DrawText(x, y, text, f, RGBred);
    x += rt::TextWidth(text, f);
  };
  auto command = [&] {
    if (wingdings)
      put("z", rt::FontSpec{"Wingdings", size, false, false});
    else
      put("ctrl", font);
  };
  put("type   '", font);
  command();
  put(streaming ? "-r' to switch scales       type '" : "-r' or click 'replay' icon to switch scales     ",
      font);
  command();
  if (streaming) {
    put("-c' to return to main window", font);
    return x - x0;
  }
  put("-c' or click '", font);
  if (webdings)
    put("4", rt::FontSpec{"Webdings", size * 18 / 14, false, false});
  else
    put("triangle", font);
  put("'  icon to return to main window ", font);
  return x - x0;
}

// The hint sits in the time band between the start time and the present time: from
// W / 2 - 300 when it fits there, else moved right of the start time and, when still
// too wide, drawn smaller to fit.
void DrawRecordingHint(int yb, std::pair<double, double> free) {
  constexpr double kGap = 8, kSize = 14, kSmallest = 7;
  const double left = free.first + kGap, right = free.second - kGap;
  double size = kSize;
  double width = RecordingHint(0, 0, size, false);
  if (width > right - left && width > 0) {
    size = std::max(kSmallest, std::floor(kSize * (right - left) / width));
    width = RecordingHint(0, 0, size, false);
  }
  double x = std::max<double>(PixelCoord(PlotWidth() * 0.5 - 300), left);
  if (x + width > right) x = std::max(left, right - width);
  RecordingHint(PixelCoord(x), yb - 5, size, true);
}

// The after-run buttons and loop. Returns true when the user asked for the other
// scaling (the caller draws again), false when the window was closed.
bool RunAfterRunLoop(int yb) {
  const HandlerScope callersHandlers;
  const int w = PlotWidth();
  const int mid = PixelCoord(w * 0.5);
  const Str255 title = ReplayAutoScaling ? "Switch to User-set Scaling" : "Switch to Full-range Scaling";
  rt::NewControl(kReplaySwitchButton, rt::ControlType::PushButton, title,
                 Rect{PixelCoord(mid - 150), PixelCoord(yb - 12), PixelCoord(mid + 40), PixelCoord(yb + 7)},
                 1);
  rt::NewControl(kReplayCloseButton, rt::ControlType::PushButton, "Close",
                 Rect{PixelCoord(mid + 55), PixelCoord(yb - 12), PixelCoord(mid + 120), PixelCoord(yb + 7)},
                 1);
  rt::FlushWindow();
  ReplayAutoScaling = ReplayAutoScaling ? 0 : 1;
  InstallDialogHandlers(NoMENU);
  Action = 0;
  EventID = 0;
  for (;;) {
    rt::PumpEvents();
    // Closed by anything else (the program's end of a session): nothing to wait for.
    if (!rt::WindowExists(kReplayWindow)) return false;
    if (Action == ActionCode::Click && EventID == kReplaySwitchButton) {
      rt::FlushEvents();
      Action = 0;
      EventID = 0;
      return true;
    }
    if ((Action == ActionCode::Click && EventID == kReplayCloseButton) || Action == ActionCode::CloseBox ||
        Action == ActionCode::Key) {
      rt::FlushEvents();
      rt::CloseWindow(kReplayWindow);
      Action = 0;
      EventID = 0;
      return false;
    }
    Action = 0;
  }
}

// Draws the whole replay once into window 321; returns the time band's y and the
// free stretch in it. A stopped run is drawn as it was recorded (the store's rows are
// its channels, whatever the set-up became since), over the time it took at its own
// interval; a recording as its channels stand.
std::pair<int, std::pair<double, double>> DrawReplay(int16_t flag) {
  const ConversionsRun run = RunAsRecorded();
  PrepareWindow(flag, run);
  int bottom = 0;
  for (int n = 1; n <= ChannelCountOf(run); ++n) bottom = DrawReplayStrip(flag, n, run, bottom);
  if (PrefsArray[PrefsSlot::MarkersInReplay]) ShowMarkersInReplay(flag);
  DrawScalingLegend();
  const int yb = bottom + 18;
  return {yb, DrawTimeBand(yb)};
}

// The pixel column a point's x falls in.
int64_t PixelColumn(float x) {
  return static_cast<int64_t>(std::floor(x));
}

// A point of a trace and its place in it.
struct ColumnPoint {
  int32_t index = 0;
  QuartzPoint point;
};

// Writes to out what a stroke needs of one pixel column: its first point, its lowest
// and highest (the first at each), in their order, and its last. In a column of more
// than four points the extremes between its first and last stand at the column's
// middle: many points stroked to and fro fill the whole column from lowest to highest,
// and one stroke through its middle covers it the same. Returns how many it wrote.
int32_t KeepColumn(int64_t column, ColumnPoint first, ColumnPoint low, ColumnPoint high, ColumnPoint last,
                   QuartzPoint* out) {
  const bool dense = last.index - first.index + 1 > 4;
  const bool lowFirst = low.index <= high.index;
  const ColumnPoint picks[4] = {first, lowFirst ? low : high, lowFirst ? high : low, last};
  int32_t kept = 0, previous = -1;
  for (const ColumnPoint& p : picks) {
    if (p.index == previous) continue;
    QuartzPoint q = p.point;
    if (dense && p.index != first.index && p.index != last.index) q.x = static_cast<float>(column) + 0.5f;
    out[kept++] = q;
    previous = p.index;
  }
  return kept;
}

// A column holding fewer samples than this is read whole: its summaries would save little.
constexpr int32_t kReadWholeColumn = 128;

// The last of a..last in the run that starts at a (inside(a) holds, and once it fails
// it fails for every later one), the run expected about `about` long: from there
// doubling steps, then halving.
template <class Inside>
int32_t LastOfRun(int32_t a, int32_t last, int64_t about, Inside inside) {
  int64_t in = a, stride = 1;
  if (about > 2 && a + about - 2 <= last && inside(static_cast<int32_t>(a + about - 2))) in = a + about - 2;
  while (in + stride <= last && inside(static_cast<int32_t>(in + stride))) {
    in += stride;
    stride *= 2;
  }
  int64_t out = std::min<int64_t>(in + stride, int64_t{last} + 1);
  while (out - in > 1) {
    const int64_t mid = in + (out - in) / 2;
    (inside(static_cast<int32_t>(mid)) ? in : out) = mid;
  }
  return static_cast<int32_t>(in);
}

// The points of one chart channel's trace: sample c at x = c x step, y its row.
struct TracePoints {
  int channel;
  double step;
  ReplayScale scale;
  int64_t Column(int32_t c) const { return PixelColumn(static_cast<float>(c * step)); }
  ColumnPoint At(int32_t c) const {
    return {c, {static_cast<float>(c * step), static_cast<float>(scale.Y(ChartDataArray.Get(channel, c)))}};
  }
};

// The first lowest and first highest point of samples a..b (low and high start as a's
// point) from the store's summaries. The rows are those of the extremes (no number
// stands at the top, as a value at or above max does); values map to rows the higher
// the lower they are, so the first sample on each row is found through the summaries
// too. A group inside the column places an extreme well enough, as the stroke puts it
// at the column's middle, unless the group holds the column's first or last sample,
// which are stroked where they are, or both extremes, whose order counts: those groups
// are searched sample by sample.
void CrowdedColumnExtremes(const TracePoints& trace, int32_t a, int32_t b, ColumnPoint& low,
                           ColumnPoint& high) {
  const ReplayScale& scale = trace.scale;
  const ChartStore::Extremes e = ChartDataArray.Span(trace.channel, a, b);
  const float none = std::numeric_limits<float>::quiet_NaN();
  const int lowest = e.nan ? scale.Y(none) : scale.Y(e.max);
  const int highest = e.HasNumbers() ? scale.Y(e.min) : scale.Y(none);
  const auto up = [&](float v) { return scale.Y(v) <= lowest; };
  const auto down = [&](float v) { return scale.Y(v) >= highest; };
  ChartStore::Place atLowest = ChartDataArray.FirstGroupWhere(trace.channel, a, b, true, up);
  ChartStore::Place atHighest = ChartDataArray.FirstGroupWhere(trace.channel, a, b, false, down);
  const auto exact = [&](ChartStore::Place& at, bool upward, const auto& holds) {
    const int32_t g = at.column, gEnd = g + ChartStore::kGroupColumns - 1;
    if (at.near) at = {ChartDataArray.FirstWhere(trace.channel, g, gEnd, upward, holds)};
  };
  const auto atEnds = [&](const ChartStore::Place& at) {
    return at.near && (at.column == a || at.column + ChartStore::kGroupColumns - 1 >= b);
  };
  const bool oneGroup = atLowest.near && atHighest.near && atLowest.column == atHighest.column;
  if (oneGroup || atEnds(atLowest)) exact(atLowest, true, up);
  if (oneGroup || atEnds(atHighest)) exact(atHighest, false, down);
  if (atLowest.column >= a)
    low = atLowest.near ? ColumnPoint{atLowest.column, {0, static_cast<float>(lowest)}}
                        : trace.At(atLowest.column);
  if (atHighest.column >= a)
    high = atHighest.near ? ColumnPoint{atHighest.column, {0, static_cast<float>(highest)}}
                          : trace.At(atHighest.column);
}

}  // namespace

Str255 ReplayTitle(int32_t samples, double seconds) {
  Str255 t = Str255("Replay Recorded Data    (Sample") + NumText(samples) + ";  ";
  if (seconds > 7200) return t + NumText(seconds / 3600) + " hours)";
  if (seconds > 300) return t + NumText(seconds / 60) + " minutes)";
  return t + NumText(seconds) + " seconds)";
}

ReplayRange ChartReplayRange(int channel, int32_t sample) {
  if (sample < 3) return {};
  const ChartStore::Extremes e = ChartDataArray.Span(channel, 2, sample - 1);
  return {e.min, e.max};
}

ReplayRange ScopeReplayRange(int32_t scopeMax) {
  ReplayRange r;
  const int32_t last = std::min<int32_t>(scopeMax, kScopeBufferRows - 1);
  for (int32_t i = 2; i <= last; ++i) {
    r.min = std::min(r.min, ScopeBufferArray[i].raw);
    r.max = std::max(r.max, ScopeBufferArray[i].raw);
  }
  return r;
}

double ReplayStep(int w, int32_t n) {
  return n > 0 ? static_cast<double>(w - 50) / n : 0.0;
}

int32_t ReplayColumns(std::span<QuartzPoint> points) {
  const auto n = static_cast<int32_t>(points.size());
  auto at = [&points](int32_t i) { return ColumnPoint{i, points[static_cast<std::size_t>(i)]}; };
  int32_t kept = 0;
  for (int32_t start = 0; start < n;) {
    const int64_t column = PixelColumn(points[static_cast<std::size_t>(start)].x);
    ColumnPoint low = at(start), high = at(start);
    int32_t end = start + 1;
    for (; end < n && PixelColumn(points[static_cast<std::size_t>(end)].x) == column; ++end) {
      const float y = points[static_cast<std::size_t>(end)].y;
      if (y < low.point.y) low = at(end);
      if (y > high.point.y) high = at(end);
    }
    // Kept points come from this column, at or after the write position: safe in place.
    kept += KeepColumn(column, at(start), low, high, at(end - 1), points.data() + kept);
    start = end;
  }
  return kept;
}

int32_t ChartReplayTrace(int channel, int32_t sample, double step, const ReplayScale& scale,
                         std::span<QuartzPoint> out) {
  // The columns a stroke of every point would take, as many as the point buffer holds.
  const int32_t last = std::min<int32_t>(sample - 1, kQuartzLastPoint + 1);
  const TracePoints trace{channel, step, scale};
  // Samples to a pixel column, where it helps to find the columns' ends.
  const int64_t perColumn = step > 0 ? static_cast<int64_t>(std::min(1.0 / step, 1e9)) : 0;
  int32_t kept = 0;
  for (int32_t a = 2; a <= last && kept + 4 <= static_cast<int32_t>(out.size());) {
    const int64_t x = trace.Column(a);
    const int32_t b = LastOfRun(a, last, perColumn, [&](int32_t c) { return trace.Column(c) == x; });
    ColumnPoint low = trace.At(a), high = low;
    if (b - a < kReadWholeColumn) {
      for (int32_t c = a + 1; c <= b; ++c) {
        const ColumnPoint p = trace.At(c);
        if (p.point.y < low.point.y) low = p;
        if (p.point.y > high.point.y) high = p;
      }
    } else {
      CrowdedColumnExtremes(trace, a, b, low, high);
    }
    kept += KeepColumn(x, trace.At(a), low, high, trace.At(b), out.data() + kept);
    a = b + 1;
  }
  return kept;
}

int ReplayMarkerX(int32_t sample, double step, int w) {
  return std::clamp<int>(PixelCoord(sample * step), 0, std::max(0, w - 50));
}

Str255 ReplayMarkerLabel(int32_t code) {
  if (code >= 200) {
    const Str255 n = NumText(code - 200);
    return n.size() > 1 && n[0] == ' ' ? n.mid(2) : n;
  }
  return Str255(1, static_cast<char>(code & 0xFF));
}

int16_t ShowMarkersInReplay(int16_t flag) {
  const int w = PlotWidth();
  const rt::FontSpec font = KitFont(21, 10);
  PrefsArray[PrefsSlot::DashPattern] = 4;
  if (flag == 0) ClearArea(0, 0, PixelCoord(w), 11);
  const double s = ReplayStep(w, PointsAcross());
  const ConversionsRun run = RunAsRecorded();
  const int16_t lineEnd = PixelCoord(run.channels[std::max(1, ChannelCountOf(run))].stripBottom);
  const RGBColor colour = flag == 1 ? MarkerColor : veryDarkGray;
  for (int i = 1; i <= std::min<int>(Nmarkers, kMaxMarkers); ++i) {
    const int x = ReplayMarkerX(MarkersArray[i].sample, s, w);
    rt::DrawText(x - 2, 10, ReplayMarkerLabel(MarkersArray[i].code).str(), font, kBlack);
    PlotCGrgb(1.0f, PixelCoord(x), 14, PixelCoord(x), lineEnd, colour);
  }
  rt::FlushWindow();
  PrefsArray[PrefsSlot::DashPattern] = 0;
  return 0;
}

int16_t REPLAY(int16_t flag) {
  for (int i = 0; i < kMouseUpPasses && rt::Button(); ++i) rt::PumpEvents();
  ControlStripClicked = 0;
  const int16_t savedBottom = BottomOfPlot;
  for (;;) {
    const auto [yb, free] = DrawReplay(flag);
    if (flag == 0) {
      DrawRecordingHint(yb, free);
      rt::FlushWindow();
      rt::PumpEvents(0);
      break;
    }
    if (!RunAfterRunLoop(yb)) break;
  }
  rt::FlushEvents();
  Action = 0;
  EventID = 0;
  BottomOfPlot = savedBottom;
  // The recording goes on drawing into its own window.
  if (flag == 0 && rt::WindowExists(kAcquisitionWindow)) rt::SetOutputWindow(kAcquisitionWindow);
  return 0;
}

}  // namespace mv
