// The options window that opens when a recording ends: it closes the run (end time,
// timed backup, reference position, end volts of the analog outputs, reports) and
// offers restart, save, quick save, parameters, set-up file, change of mode, quit,
// root name, sequence labels, rate check, replay and the alarm log. The rules it
// applies are plain functions below.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kOptionsWindow = 112;
constexpr int16_t kOptionsHelpTopic = 139;

// Buttons of the options window (OptionsButton).
namespace OptionsButton {
constexpr int16_t Restart = 1, Save = 2, Parameters = 3, MakeSetup = 4, ChangeMode = 5, Quit = 6,
                  RootName = 7, Alarms = 8, SequenceLabels = 9, RateCheck = 10, QuickSave = 12, Help = 16,
                  Replay = 56;
}

// The line that says why a DT800 fast scope run stopped by itself: the logger never
// answered a block.
constexpr int16_t kStopReasonField = 21;
constexpr const char* kFastScopeNoReplyText = "No reply from the DT800: the run stopped.";

// What slot 43 carries out of a command of the window (OptionsOutcome).
namespace OptionsOutcome {
constexpr int16_t Stay = 0, Saved = 1, SubWindow = 4, Rerun = 5, ChangeMode = 10;
}

// ---- rules ----------------------------------------------------------------------------------
// A typed key: s save, r restart, a parameters, m make set-up, c root name (either
// case); any other key saves.
int16_t OptionsKeyButton(int32_t key);
// A press held down in the window's left margin (x 1 to 71) counts by row: y 2-50
// restart, 60-103 save, 114-157 parameters, 168-204 make set-up, 279-308 change mode;
// 0 elsewhere.
int16_t OptionsMouseRowButton(int x, int y);
// True when slot 43 sends the window back to the control loop.
bool OptionsWindowEnds(int16_t outcome);
// "Oscilloscope Acquisition Halted", or in the chart modes "Chart Halted at " + the
// samples shown (the run's count, as its files hold it) + " Samples".
Str255 OptionsWindowTitle(int16_t recordingMode, int32_t samplesShown);
// The samples a stopped run leaves counted: one less than taken, never below 0.
int32_t SampleAfterRun(int32_t samplesTaken);
// In scope-plus-chart mode the chart points start at column 1, so column 0 of channels
// 2 to n, which no point fills, takes column 2's value; every column that holds a
// reading keeps it. Only when this run wrote column 2 (samplesTaken of 2 or more), so an
// earlier run's values are never copied.
void FillScopeChartStartColumns(int16_t channels, int32_t samplesTaken);
// Alarms set on any channel 1..n, and low, high or over-range alarms chosen on any.
struct AlarmSummary {
  bool alarmsSet = false;
  bool kindsChosen = false;
};
AlarmSummary TakeAlarmSummary(int16_t channels);
// The root file name button shows in the scope modes, and in chart mode with autorepeat.
bool ShowsRootNameButton(int16_t recordingMode, int16_t autorepeat);
// The cut-channels item of the A-D menu: scope plus chart up to 4 channels, chart up to 11.
bool CutChannelsEnabled(int16_t recordingMode, int16_t channels);

// ---- the window -----------------------------------------------------------------------------
// Runs the window until the user restarts (RecordingMODE unchanged, the control loop
// runs again with the same set-up) or changes the mode (RecordingMODE 0). Quit ends
// the program and never returns.
void OPTIONSWINDOW();

}  // namespace mv
