// The rules of the acquisition screen as plain functions: the tick ladders, the
// duration and count texts, the scroll step, the capacity bar, the toolbar's hit test
// and pictures, the help tags, the backup indicator and the run's tick deadlines. The
// windows that draw with them (screen.cpp, channel_panel.cpp, ticks.cpp, toolbar.cpp)
// only add the drawing.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/str255.h"

namespace mv {

// ---- time axis ------------------------------------------------------------------------------
struct ChartTickChoice {
  bool matched = false;     // false when the screen duration is no number
  float interval = 0;       // seconds between ticks
  int16_t minuteUnits = 0;  // 1 from the one-minute row on
};
// The chart tick ladder for a screen of s seconds (single precision, as the screen
// duration is kept), with the compression chartView of the minute rows.
ChartTickChoice ChartTickLadder(float s, float chartView);
// Plot points between two ticks: interval / (chart interval x chartView), times the
// custom factor when it is not 0.
float ChartTicGap(float interval, double chartInterval, float chartView, double customTic);

struct ScopeTickChoice {
  float span = 0;  // trace duration / its decade x 10
  float gap = 0;   // pixels between ticks; 0 when no tick can be drawn
};
// The scope tick ladder: n positions of scopeInterval seconds (single precision as
// kept) over W pixels, with the x factor of the scope view and the interval as a double.
ScopeTickChoice ScopeTickLadder(float scopeInterval, int32_t n, float scopeXfactor,
                                double scopeIntervalInSeconds, int w);
// How a scope trace lies across the plot: the x at which a sweep's first point (time
// 0) is drawn, and the pixels from one point to the next. A real-time sweep draws
// position p at xFactor x (p + viewStep + 1) + 1; the logger's fast-scope block draws
// point i at (i + 1) x its step (the x factor, at most one pixel a point); the
// demonstration's block draws a bar for each group of 1 / xFactor rows (at least one)
// at xFactor + the group's number.
struct ScopeXScale {
  double firstX = 0;
  double pixelsPerPoint = 0;
};
ScopeXScale ScopeTraceXScale(bool fastScope, bool demonstration, float xFactor, int16_t viewStep);
// A gap that can step a tick loop forward: a finite number above 0.
bool TickGapUsable(double gap);
// x of each tick from first by gap while x <= w; none for an unusable gap, and never
// more than w + 2 positions.
std::vector<float> TickPositions(float first, float gap, int w);
// The value printed under a chart tick: zz in the display unit (minutes, hours).
double TickLabelValue(double zz, int16_t minuteUnits, float ticInterval);
// The unit after the first label.
const char* TickLabelUnit(int16_t minuteUnits, float ticInterval);

// ---- texts ----------------------------------------------------------------------------------
struct ChartDuration {
  Str255 text;
  int16_t minuteUnits = 0;
  float tfact = 0;        // time per chart sample in the display unit
  float traceLength = 0;  // TraceLength as rewritten
  float scopeLength = 0;  // sctracelength (oscilloscope mode)
};
// The duration text of a recording of seconds seconds over w points and maxSamples samples.
ChartDuration FindChartDurationText(float seconds, int w, int32_t maxSamples);
// The oscilloscope trace duration by its size.
Str255 ScopeDurationText(double seconds);
// "th", "nd" for 2, "rd" for 3.
const char* StepSuffix(int16_t step);
// The screens of a period: a whole count plainly, else with two decimals below 100,
// one below 1000 and above.
Str255 ScreenCountText(double screens);
// The backup indicator of field 199: automaticBackup is the preference; backupsWritten
// says whether this run writes them (an interval and a backup file), so a run whose
// backup panel was cancelled never claims "backup on".
Str255 BackupIndicatorText(bool automaticBackup, bool backupsWritten, int16_t backups);
// The switching pattern's name in the key-hint line ("" for none).
const char* SwitchPatternName(int16_t pattern);
// The line that presets a DT500-family counter input: input number, "HSC= ", the start
// value, both without the sign blank, and CR.
std::string CounterPresetLine(float input, int32_t start);
// The interface's input range in volts.
float OverRangeVoltsFor(int16_t externalAD);

// ---- geometry -------------------------------------------------------------------------------
inline int StripTop(int bottom, int height) {
  return bottom - height - 1;
}
// The window's left offset: 10, or 0 when the screen leaves no room.
int16_t WindowOffset(int screenWidth, int screenHeight, int w, int hp);
// y of the zero line of a strip showing min..max (min < 0 < max), kept in the strip.
int16_t ZeroLineY(int top, int bottom, float max, float min);
// Scale grid intervals of a strip hite pixels high.
int16_t GridIntervals(int hite, bool manyGridLines, bool hasZeroLine);

struct ScrollStep {
  int32_t kept = 0;     // plot points of the old screen that stay (K)
  int32_t samples = 0;  // samples of the new part (S)
};
ScrollStep ScrollFor(int16_t redrawOption, int w, float chartView);

// Capacity bar: the share one screen fills at the start, and the value after a scroll.
// Products are formed in double, so wide windows and long runs cannot overflow.
int32_t CapacityBarStart(bool displaysInChartMode, int w, int segments, float chartView, int32_t maxSamples);
int32_t CapacityBarAfterScroll(int32_t sample, int w, float chartView, int segments, int32_t maxSamples);

// A tick deadline as the int32 the schedules keep; beyond the range it stays at
// "never" (2,147,483,647), so a long run cannot wrap a deadline into the past.
constexpr int32_t kNever = 2'147'483'647;

// ---- toolbar --------------------------------------------------------------------------------
enum ToolbarIcon : int16_t {
  kNoIcon = 0,
  kStopIcon,
  kPauseIcon,
  kResumeIcon,
  kNoteIcon,
  kAddTimeIcon,
  kReplayIcon,
  kTimeToRefIcon,
  kBackupIcon,
  kReferenceIcon,
  kSampleIcon,
  kSaveScopeIcon
};
// Whether (x, y) in the toolbar counts as a click at all, and the icon it hits.
bool ToolbarClickCounts(int x, int y, int16_t mode);
ToolbarIcon ToolbarHit(int x, int y, int16_t mode);

struct ToolbarPicture {
  const char* file;
  int16_t width;
  int16_t left;
};
ToolbarPicture ToolbarPictureFor(bool streaming, int16_t mode, int16_t pattern, bool light);

struct HelpTag {
  std::string text;  // empty: nothing new to show
  int16_t x = 0;
};
HelpTag ToolbarHelpTag(int x, bool replayOpen);

// A note's text (Mac Roman bytes, as the fields hold it: the runtime has already put
// "?" for what Mac Roman cannot show) cut to at most limit bytes.
std::string NoteBytes(const std::string& text, std::size_t limit);

}  // namespace mv
