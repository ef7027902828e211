// The one step the chart loop and the scope-plus-chart loop run on every pass: the
// status fields, the window flush, the chart sample when due (with the timing tap and
// the rule for a schedule left behind), and the services between samples: timed
// backups, the audible timer and alarms, the toolbar, the next-reference window,
// notes and the recording keys (pause with its marker, commands, direct switching,
// the X-Y keys, markers), the X-Y point, output scripts, run-time switching, the end
// of a sampling period and new screens; then the rest until something is due. Each
// loop keeps only what is its own (the scope-plus-chart loop its sweep and the
// gathering of chart points; the chart loop its scan averaging).
#pragma once
#include <cstdint>
#include <optional>

#include "acquisition/chart_loop.h"
#include "acquisition/key_commands.h"
#include "acquisition/scan_averaging.h"

namespace mv {

class RecordingPass {
 public:
  explicit RecordingPass(KeyMode mode);

  // Status fields 2 to 4 when Sample changed since they were last written. The chart
  // writes them while the displays are on; scope-plus-chart only at scope intervals
  // below 0.023 s or with the fast scope, the percent and time left (no days) only at
  // chart intervals of 0.004 s or more.
  void ShowStatusFields();
  // At most one flush per tick, only when the chart or the scope trace changed, and
  // not while the next sample is due sooner than a flush takes; the status fields are
  // written just before it.
  void FlushOncePerTick();
  // Reads the clocks; when the chart sample is due, calls take (which places it on the
  // time axis, see time_axis.h) and reports a sample stored to the timing tap.
  void TakeChartSampleWhenDue(void (*take)());
  // A sample was stored: the tap, and a pause marker that could not share the sample
  // before with a typed marker goes here.
  void ChartSampleTaken();
  // The services between samples; the run's end when one of them stops it. With
  // `scan` (scan averaging) the scanner has read the keys and the toolbar already.
  std::optional<RunEnd> Serve(const ScanIntervalOutcome* scan = nullptr);
  // What a loop does when its run ends: a pause marker still waiting for a sample of
  // its own is recorded after the last one.
  RunEnd Finish(RunEnd end);

 private:
  void TimedBackup();
  std::optional<RunEnd> ToolbarAndKeys();
  void PlotXY();
  void Switching();
  bool ScopeChart() const { return mode_ == KeyMode::ScopeChart; }

  KeyMode mode_;
  int32_t shownSample_ = -1;
  bool backupShown_ = false;
  Str255 shownBackupIndicator_;
  int32_t plottedXYSample_ = -1;
  int32_t flushedSample_ = -1, flushedMarkers_ = -1, flushedScreenCases_ = -1, flushedScopeSteps_ = -1;
  int64_t flushedTick_ = -1;
};

}  // namespace mv
