// The pause of a running chart or scope-plus-chart recording (window 300): nothing is
// sampled while it is open; it counts the paused seconds, takes a note, may change the
// chart interval, reads every channel once more on demand and edits the display
// ranges. On resume the sample schedule starts again at the resume time and the pause
// goes into the run's pause total and pause log.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace mv {

constexpr int16_t kPauseWindow = 300;
constexpr int16_t kPauseResume = 51, kPauseScales = 52, kPauseRefresh = 54, kPauseNoteField = 100,
                  kPauseSecondsField = 201, kPauseIntervalPopup = 250, kPauseBusy = 53;

// Runs the pause until the recording resumes. The caller records the pause marker.
void PAUSE();
// Turns the pause window into the display-range editor until "Done With Scales".
void ResetChannelDisplayScale(int32_t pauseStart);

// The chart interval of an item of the interval popup; the title item (1) and items
// outside the list give none.
std::optional<double> PauseIntervalForItem(int item);
// The entry a pause leaves in the pause log (CR line ends). An interval changed in the
// pause is recorded as the interval the samples before `sample` stand on and the one
// that runs from `sample` on ("... new sample interval = Y sec from case N").
struct PauseLogFacts {
  double minutes = 0;
  int32_t sample = 0;
  std::string note;  // Mac Roman
  bool intervalChanged = false;
  double oldInterval = 0;
  double newInterval = 0;
};
std::string PauseLogEntry(const PauseLogFacts& facts);
// The duration values after a chart interval change: TraceLength (seconds, or minutes
// above 600 s), minute_units and tfact, for a recording of maxSamples samples on a
// plot w pixels wide.
struct PauseDuration {
  float traceLength = 0;
  int16_t minuteUnits = 0;
  float tfact = 0;
};
PauseDuration DurationAfterIntervalChange(double interval, int32_t maxSamples, int w);

}  // namespace mv
