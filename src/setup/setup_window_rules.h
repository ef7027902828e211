// The rules of the set-up window as plain functions: its item numbers, its title
// and layout on the display, the sample-count buttons, the readings-averaged
// column, the reading back of the rows, the enabling of its buttons, the
// hardware-input check with its warning, and its texts.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/str255.h"
#include "setup/state.h"

namespace mv {

constexpr int16_t kSetupWindow = 104;
constexpr int16_t kInputWarningWindow = 1778;

// ---- item numbers ------------------------------------------------------------------------------
namespace SetupItem {
constexpr int16_t ChartRate = 201, Restart = 202, SetupOK = 203, Beep = 204, Repeat = 205, FirstScreen = 206,
                  ChartLess = 207, ScopeRate = 208, Device = 209, ScopeMin = 210, ScopeLess = 211,
                  ScopeMore = 212, ScopeMaximum = 213, Trigger = 214, ChartViewButton = 215, LastScreen = 216,
                  ChartMore = 217, Cut = 219, Add = 220, ScreenView = 243, Help = 279, LastAveraging = 280,
                  ScopeView = 135;
// The two small buttons that page the rows on a display too low for all of them.
constexpr int16_t RowsUp = 281, RowsDown = 282;
// Read-only fields of the chart and scope sample counts.
constexpr int16_t ChartCount = 157, ScopeCount = 158;
}  // namespace SetupItem

// The controls and fields of channel n's row.
constexpr int16_t InputButton(int16_t n) {
  return static_cast<int16_t>(1000 + n);
}
constexpr int16_t TestButton(int16_t n) {
  return static_cast<int16_t>(220 + n);
}
constexpr int16_t BreakpointButton(int16_t n) {
  return static_cast<int16_t>(260 + n);
}
constexpr int16_t ThreeWayButton(int16_t n) {
  return static_cast<int16_t>(300 + n);
}
constexpr int16_t CoefficientField(int16_t n, int k) {
  return static_cast<int16_t>(8 * n - 6 + k);
}  // k 0..2
constexpr int16_t MaxField(int16_t n) {
  return static_cast<int16_t>(8 * n - 3);
}
constexpr int16_t MinField(int16_t n) {
  return static_cast<int16_t>(8 * n - 2);
}
constexpr int16_t AveragedField(int16_t n) {
  return static_cast<int16_t>(8 * n - 1);
}
constexpr int16_t LabelField(int16_t n) {
  return static_cast<int16_t>(8 * n);
}

// ---- title and layout -------------------------------------------------------------------------
// "CHART Mode Acquisition Parameters", with "  (read serial stream)" before
// " Acquisition Parameters" for streaming serial input.
Str255 SetupWindowTitle(int16_t recordingMode, int16_t externalAD);

// Window 104 stands at left 6, top 45 on the screen, 760 pixels wide.
constexpr int16_t kSetupLeft = 6, kSetupTop = 45, kSetupWidth = 760, kSetupBaseHeight = 499;
// Chart mode grows by 105 pixels when the display takes 16 channels (0 when it takes 12).
int16_t ExtraHeight(int16_t recordingMode, int16_t maximumChans);

struct SetupLayout {
  int16_t extra = 0;           // the mode's extra height
  int16_t height = 0;          // content height: 499 + extra, less on a low display
  int16_t lowerTop = 0;        // top of the lower button area (always the bottom 114 pixels)
  int16_t scopeTop = 0;        // top of the scope speed box (scope plus chart)
  int16_t statusBaseline = 0;  // the status line: 31 above the bottom
  int16_t visibleRows = 0;     // channel rows shown at once (the rest page)
};
// The window never runs below the display: rows that do not fit are paged.
SetupLayout SetupLayoutFor(int16_t recordingMode, int16_t maximumChans, int displayHeight);
// Baseline of the row in slot s (1-based, the top row shown).
constexpr int16_t RowBaseline(int16_t slot) {
  return static_cast<int16_t>(135 + 22 * (slot - 1));
}
// The channel shown in the top slot, kept so that the last page is full.
int16_t ClampFirstRow(int16_t first, int16_t visible, int16_t n);
// The top channel after a page up (direction -1) or down (+1).
int16_t PagedFirstRow(int16_t first, int16_t direction, int16_t visible, int16_t n);

// ---- sample counts -------------------------------------------------------------------------------
// The chart count after 206 "|<<", 207 "<<", 217 ">>" or 216 ">>|", one width W a step
// and M the most samples. "<<" never goes below one width.
int32_t ChartCountAfter(int16_t button, int32_t samples, int32_t W, int32_t M);
struct CountStates {
  int16_t less = 0, more = 0, most = 1;  // 0 dimmed, 1 enabled
};
CountStates ChartCountStates(int32_t samples, int32_t W, int32_t M);
// The longest scope trace: the DT800 keeps 2,048 samples at 0.008 s, 4,096 at 0.004 s,
// 8,192 at 0.002 s and 16,384 otherwise; other interfaces MaximumScopeSamples.
int32_t ScopeTraceLimit(int16_t externalAD, double scopeInterval, int32_t maximumScopeSamples);
// The scope count after 210 "min", 211 "<<", 212 ">>" or 213 "max"; never below one
// width, so the x factor (width / count) stays finite.
int32_t ScopeCountAfter(int16_t button, int32_t scopeMax, int32_t W, int32_t limit);
CountStates ScopeCountStates(int32_t scopeMax, int32_t W, int32_t limit);

// ---- readings-averaged column ----------------------------------------------------------------------
struct AveragingCell {
  enum class Kind { Field, Text, Button };
  Kind kind = Kind::Text;
  Str255 text;
};
// What channel `channel` of n shows: chart mode an editable value (the last channel a
// button, "cont" for continuous averaging), " scan" with continuous scanning;
// oscilloscope "N.A."; scope plus chart "1" for the scope channel and the scope samples
// per chart sample for the others.
AveragingCell AveragingCellFor(int16_t channel, int16_t n, int16_t recordingMode, bool scanning, float field7,
                               int16_t maxAvrg, int32_t scopeSamplesPerChartSample);
// Scope samples per chart sample, truncated (double precision); with the DT800's fast
// scope the count of its block transfer instead (10 in practice).
int32_t ScopeSamplesPerChartSample(double chartInterval, double scopeInterval, bool dt800FastScope,
                                   int32_t scopeMax, float scopeInterval32);
// The readings averaged that the window gives the chart channels of scope plus chart on
// opening: both intervals as single precision, the quotient truncated (1 s over
// 1/60 s is 59).
float OpeningScopeChartAveraged(float chartInterval, float scopeInterval);

// ---- reading the rows back ---------------------------------------------------------------------------
// Rows of three-way (6) and breakpoint (5) conversions show a button, not the a, b, c
// fields, and keep their coefficients.
bool RowShowsCoefficients(float typeCode);
// a, b, c are read back for rows that show them, unless a holds the 9999 marker.
bool CoefficientsReadBack(const ChannelVariablesRecord& record, float typeCode);
// Coefficient and range fields: text that is no number reads as 0.
float ReadBackValue(std::string_view text);
// Readings averaged: the text truncated; 0, negative or no number keeps the old value, and
// so does a count the sample takers cannot average (TypedAveragedProblem).
float ReadBackAveraged(std::string_view text, float old);
// Why the count typed in a row cannot be averaged (the text truncated, beyond what the
// sample takers count), as the line that says so: "Channel 2 averages 40000 readings: a
// channel averages at most 32767 readings."; nothing for a count they average and for
// text the read-back passes over.
std::optional<std::string> TypedAveragedProblem(int16_t channel, std::string_view text);

// ---- enabling -------------------------------------------------------------------------------------------
struct SetupEnabling {
  bool add = false;         // 220 and the A-D menu's "Add a Channel..."
  bool cut = false;         // 219 and the A-D menu's "Cut Channels..."
  bool rearrange = false;   // Edit menu's "Re-arrange Channel Order..."
  bool screenView = false;  // 243
  bool restart = false;     // 202
  bool beep = false;        // 204; below 0.2 s it is dimmed and slot 42 cleared
};
SetupEnabling SetupEnablingFor(int16_t recordingMode, int16_t n, int16_t externalAD, double chartInterval,
                               int32_t sample);

// ---- hardware inputs -----------------------------------------------------------------------------------
// Channels 1..n whose hardware input (field 1) lies above the interface's input count.
int16_t InputsOutOfRange(const std::array<ChannelVariablesRecord, kChannelRows>& table, int16_t n,
                         int16_t inputCount);
struct InputWarningText {
  Str255 title;       // window title
  Str255 caution;     // "CAUTION:  ", large and red
  Str255 assignment;  // the rest of the first line
  Str255 range;       // "the range of hardware A-D inputs  (1 - 8)"
  Str255 fixThis;     // "Fix this, ", large and red
  Str255 consequence;
};
InputWarningText InputWarningTexts(int16_t count, int16_t inputCount);

// ---- texts -----------------------------------------------------------------------------------------------
// " Chart sample every 1 sec  " (" Scope sample every ..." in oscilloscope mode).
Str255 SampleEveryText(bool scope, double seconds);

// The scope-plus-chart scope lines: "Scope sample every 0.01 sec " and "Scope duration
// is 10 sec " (minutes above 600 s), with the length in the unit shown.
struct ScopeLines {
  Str255 every, duration;
  float sctracelength = 0;
};
ScopeLines ScopeLinesFor(double scopeInterval, int32_t scopeMax);
// The status line in its pieces: the trigger (alert: red), switching (not in
// oscilloscope mode) and the chart view (chart mode).
struct StatusPiece {
  Str255 text;
  bool alert = false;
};
std::vector<StatusPiece> StatusTexts(int16_t recordingMode, int16_t triggerOn, int16_t switchingMode,
                                     float chartView);

}  // namespace mv
