// Program-wide values owned by this subsystem.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "acquisition/chart_store.h"
#include "runtime/str255.h"

namespace mv {

// Chart samples taken in the current run.
extern int32_t Sample;
// 1 while the run is paused (the pause window is up), 0 once it goes on.
extern int16_t HavePaused;
// 1 while the recording's latest sample read nothing: a silence the time axis keeps as
// an open gap. What was stored before it is no present reading.
extern int16_t LatestSampleFailed;
// 1 while the recording's note window is open.
extern int16_t NoteWindowIsOpen;

// ---- X-Y plot ------------------------------------------------------------------------------
// Regression settings, rows 1-16 of ten values (fields 1-10), kept in set-up files.
constexpr int kXYFields = 11;
extern std::array<std::array<float, kXYFields>, 17> XYregressionArray;
// The plot's X-axis and Y-axis channels (whole numbers held as floats, read by
// truncation) and its size in pixels, written when the plot window opens.
extern float XYaxisChannelX;
extern float XYaxisChannelY;
extern float XYplotSize;
// 1 while the plot window is open.
extern int16_t XYPlotWindow;
// Y-scale stretch flags.
extern int16_t ExpandXYup;
extern int16_t ExpandXYdown;
// The first sample plotted (the sample count when the plot was last cleared).
extern int32_t LastXYClear;

// ---- views and markers -------------------------------------------------------------------------
// Chart samples per plotted point.
extern float ChartView;
// The scope's range code and the step of the drawn scope positions.
extern int16_t ScopeScale;
extern int16_t ScopeViewSTEP;
// Ticks of the last scope sweep.
extern int32_t Tscope;
// Scope x pixels per sweep position.
extern float scopeXfactor;
// Code of the next numbered marker.
extern int16_t MarkerCounter;

// ---- the recording's schedule and counters ------------------------------------------------------
// The microsecond clock in seconds at the present pass, and when the next chart sample
// is due (a negative value suspends sampling).
extern double CurrentTimeInSeconds;
extern double TimeOfNextChartSample;
// Tick counts (1/60 s) of the present pass and of the last sample, and tick deadlines.
extern int32_t timeNow;
extern int32_t TicsAtLastSample;
extern int32_t TimeForNextWindowFlush;
extern int32_t NextMarkerTime;
extern int32_t NextTimeMoreCASEs;
extern int32_t timeToCloseRefcheck;
extern int32_t TimeForNextCursorFix;
// Scope sweep position; samples on the present chart screen; x of the last plotted point.
extern int32_t ScSample;
// Scope points of the run (never wraps); when the next is due (microsecond clock in
// seconds); ticks at the start and at the wrap of the present sweep (a pause moves the
// start on by the paused ticks).
extern int32_t TotScopeSample;
extern double NextScopeTimeInSeconds;
extern int32_t Bscopetics, Escopetics;
// Scope-plus-chart: scope steps gathered since the last chart point.
extern int16_t scope2total;
extern int32_t NscrnCASEs;
extern int32_t LastNsCasx;
// The window height (slot 12) and strip layout (fields 8 to 12 of rows 1 to 16) the
// user chose, kept when the acquisition screen fits them to the display, with the
// height and layout it left: while the present ones are still the fitted ones, a
// set-up saved stores the chosen layout, so it reopens without a screen-size question.
struct StripLayoutBeforeFit {
  using Strips = std::array<std::array<float, 5>, 17>;
  bool valid = false;
  int16_t chosenHeight = 0, fittedHeight = 0;
  Strips chosen{}, fitted{};
};
extern StripLayoutBeforeFit ChosenStripLayout;
// Whether two layouts are the same: fields 8 to 11 alike. Field 12 is the strip's last
// drawn y while a recording runs, so every sample rewrites it.
inline bool SameStripLayout(const StripLayoutBeforeFit::Strips& a, const StripLayoutBeforeFit::Strips& b) {
  for (std::size_t ch = 1; ch < a.size(); ++ch)
    for (std::size_t f = 0; f < 4; ++f)
      if (a[ch][f] != b[ch][f]) return false;
  return true;
}
// Samples one chart screen holds (W x ChartView + 1).
extern int32_t ScreenCapacity;
// 1 while the numeric status displays and readouts run in this recording.
extern int16_t ShowDisplays;
// Counts the screens of a recording longer than one screen.
extern int16_t NewScreen;
// Percent of the period per sample (100 / MaxSamples).
extern float donefact;
extern int16_t SegmentsInProgressBar;
// The interface's input range: a reading at or beyond it is an over-range.
extern float OverRangeVolts;
// y of the lowest strip's bottom (where marker lines end).
extern int16_t BottomOfPlot;
// 1 while the scope colours are the view's colours.
extern int16_t UseScopeColors;
// The recording's duration (seconds, or the display unit after the duration text was
// made) and 1 when it is shown in minutes.
extern float TraceLength;
extern int16_t minute_units;

// ---- recording keys and the toolbar ------------------------------------------------------------
// The key map as last read (key k is bit k % 8 of byte k / 8).
extern std::array<uint8_t, 16> KeystrokeArray;
// 1 while Shift or Caps Lock alone is down.
extern int16_t ShiftON;
// The keyboard-set value that keyboard channels record.
extern int16_t ASCIIvalue;
// A toolbar click is waiting, and the icon it raised.
extern int16_t ControlStripClicked;
extern int16_t StopIconClicked, PauseIconClicked, ResumeIconClicked, MarkerIconClicked, SaveScopeIconClicked,
    ReplayIconClicked, TimeToRefIconClicked, AddTimeIconClicked, BackupIconClicked, SampleIconClicked,
    ReferenceIconClicked;
// Clears ControlStripClicked and every icon flag.
void ClearToolbarFlags();
// 1 while the replay window is open; toggled at each opening and closing of it.
extern int16_t replayTheData;
extern int16_t ReplayAutoScaling;
// The X-Y plot is switched on for recordings.
extern int16_t ShowXYPlot;

// ---- markers and notes ---------------------------------------------------------------------------
// Entries 1..Nmarkers: the sample (the column of the next sample to be stored) and the
// code (a Mac Roman character, or 200 + n for numbered marker n). Entry 0 is unused.
struct MarkerRecord {
  int32_t spare = 0;
  int32_t sample = 0;
  int32_t code = 0;
};
constexpr int kMaxMarkers = 3200;
extern std::array<MarkerRecord, kMaxMarkers + 1> MarkersArray;
extern int16_t Nmarkers;
// 1 from a marker's insertion until the next sample is taken (one marker per sample).
extern int16_t markerFlag;
// The digit of the next automatic marker of a saved scope sweep (1..9, then 0).
extern int16_t AutoMarkCount;
// Notes 1..NumberOfNotes of the run: the sample number as text, the time "HH:mm:ss"
// the note window opened, and the note (at most 250 characters). Row 0 is unused.
struct NoteRecord {
  Str255 sample;
  Str255 time;
  Str255 text;
};
constexpr int kMaxNotes = 50;
constexpr std::size_t kMaxNoteLength = 250;
extern std::array<NoteRecord, kMaxNotes + 1> fileRemarks;
extern int16_t NumberOfNotes;
// While the note window is open: the sample and the time it opened at.
extern int32_t NoteSample;
extern Str255 notetime;

// ---- scan averaging ------------------------------------------------------------------------------
// Per channel (1-16) the sum of the interval's readings; the scans of the interval.
extern std::array<float, 17> scanvolts;
extern int32_t scanavrg;
// Per channel (1-16), of the samples stored since the run or its repeat period began
// that averaged readings of the interval's scans: the readings they averaged and how
// many such samples there were. A file states their quotient, the readings each of its
// samples averaged, whatever was scanned in samples another file holds or in none.
struct ScannedReadingsStored {
  int64_t readings = 0;
  int32_t samples = 0;
};
extern std::array<ScannedReadingsStored, 17> ScansStored;
// The chart run averages its last channel alone continuously (taken when the chart loop
// starts; a new run clears it): the scans read that channel, the files say so.
extern bool LastChannelScannedInRun;

// ---- the stores ----------------------------------------------------------------------------------
extern ChartStore ChartDataArray;
// Scope trace table: rows 1 the values, 2 the y drawn in this sweep, 3 the y of the
// previous sweep, 4 zeros; columns 1..ScopeMax.
constexpr int kScopeRows = 5;
constexpr int kScopeColumns = 131'069;
extern std::array<std::array<float, kScopeColumns>, kScopeRows> scopedata;
// At the start of a scope or scope-plus-chart run: every sweep position of row 1 (0 to
// ScopeMax) holds the bad-reading mark until the run reads it, so a sweep saved before
// the trace has filled once holds no value this run did not read.
void MarkScopeTraceUnread();
// Fast-scope block buffer: raw value, block-averaged value, spare.
struct ScopeBlockRow {
  float raw = 0;
  float averaged = 0;
  float spare = 0;
};
constexpr int kScopeBufferRows = 262'105;
extern std::array<ScopeBlockRow, kScopeBufferRows> ScopeBufferArray;

// ---- the acquisition screen ------------------------------------------------------------------
// Time axis: seconds between chart ticks, plot points between chart ticks, pixels
// between scope ticks, the scope trace's span within its decade, the custom tick
// factors (0 = the default ladder), and x of the screen's first tick.
extern float TicIntervalInSeconds;
extern float ticgap;
extern float scopeticgap;
extern float span;
extern double CustomTic;
extern double CustomScopeTic;
extern float firsttic;
// The chart view's screen duration in the unit of its readout.
extern float tm;
// Per-channel plot state of the recording display (rows 1-16); in scope-plus-chart
// mode each chart channel's sum of the values gathered since the last chart point.
extern std::array<float, 17> DataCache;
// Scope plot geometry and scope pixels per volt.
extern int16_t ScopeminimumPixels;
extern int16_t ScopeHite;
extern int16_t midPix;
extern int16_t scbottom;
// Scratch of the channel panel: strip height and grid spacing.
extern int16_t hite;
extern int16_t gridsize;
// 1 until the stop alert of the run was given.
extern int16_t StopAlertNotDoneYet;
// Backups made in this sampling period.
extern int16_t NBackUp;
// Toolbar help: tick at which the mouse came to rest over the toolbar (0 = not over
// it), and ticks since then.
extern int32_t ToolbarTimeStart;
extern int32_t TotalToolbarTime;
// 1 while the mouse button was down at the toolbar's last reading.
extern int16_t MouseWasClicked;
// Right edge of the chart view window (633 for a recording of several screens, else 563).
extern int16_t leftedge;
// Where the strip-boundary tracker last saw the mouse (window pixels).
extern int16_t VerticalPosition;
extern int16_t HorizontalPosition;

void ResetScreenValues();

// The recording values above to their start-up values (part of ResetAcquisitionState).
// Fast-scope blocks taken in the run (read by the post-run rate check).
extern int16_t FastScopeCount;
// What a saved fast-scope sweep must say of itself: "partial block: N of M points" when
// the logger did not send its whole block, else empty. Set with every block scaled into
// scopedata row 1.
extern Str255 FastSweepNote;

void ResetRecordingValues();

// The last value the run in hand stored on each channel (rows 1..16), for the flow of
// a gas-exchange channel: it carries across sampling periods, not from run to run.
// Nothing for a channel the run has not stored yet.
extern std::array<std::optional<float>, 17> LastStoredOfRun;

void ResetAcquisitionState();

}  // namespace mv
