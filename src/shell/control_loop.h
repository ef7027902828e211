// The control loop: recording mode, sample interval, per-channel set-up, set-up
// window, recording, options window, and back. Entered once start-up is done;
// it never returns (the program ends through Quit).
//
// Three nested levels: the mode level (left only at the mode window), the set-up
// level (left when the set-up window starts over) and the run level (repeated
// while the options window restarts with the same set-up).
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace mv {

// Where start-up enters the loop: at the mode choice, or (after a set-up file was
// loaded at launch) at the preparation that follows it.
enum class LoopEntry : int16_t { ModeChoice = 1, Preparation = 2 };

[[noreturn]] void ControlLoop(LoopEntry entry);

// How the control loop was last entered (0 not yet); tests read and clear it.
extern int16_t LastControlLoopEntry;

// Called with the name of each step as the loop reaches it ("mode choice",
// "preparation", "channels", "interface rules", "menu states", "set-up window",
// "run preparation", "run", "options", "back to mode choice"); tests and tools
// follow the loop with it.
using ControlLoopTap = std::function<void(const std::string& step)>;
void SetControlLoopTap(ControlLoopTap tap);

// ---- the steps ---------------------------------------------------------------------------------
// The mode choice: the scope channel's defaults, the mode window, the Alarms item for
// chart mode and automarkers for scope plus chart.
void ChooseRecordingMode();
// Slot 50, the analog-output items and the devices to their reference position.
void PrepareSetUp();
// Without a set-up file: the labels, the intervals of the mode and each channel's dialogs.
void SetUpChannels();
// Interface rules before a run: the DT800's acquisition mode, the spike filter for the
// DataTakers and, unless a set-up file supplied them, the spike-filter ratios.
void ApplyInterfaceRules(bool setupFromFile);
// The menu states of a run in the recording mode.
void ApplyRunMenuStates(bool setupFromFile);
// Everything a new run needs before its first recording: names, counters, the screen.
void PrepareRun();
// One recording and the options window after it.
void RunOnce();
// The recording loop of the mode with what each needs just before it starts (the
// scope modes' toolbar and mains filter, the DT800's fast scope below 0.016 s).
void RecordRun();
// Back to the mode choice: the channel records cleared (row 0 kept), views reset.
void ResetForModeChoice();

// ---- rules ------------------------------------------------------------------------------------
// A menu item whose state follows the recording mode: 0 disabled, 1 enabled.
struct RunMenuRow {
  int16_t menu;
  int16_t item;
  int16_t chart, scope, scopeChart;
};
const std::array<RunMenuRow, 6>& RunMenuTable();
int16_t RunMenuState(const RunMenuRow& row, int16_t recordingMode);
// A-D 19 (Autorepeat / Automarkers): checked when its slot is set (44 in chart mode,
// 46 in scope plus chart), else enabled; unchanged in scope mode.
std::optional<int16_t> AutorepeatItemState(int16_t recordingMode, int16_t autorepeat, int16_t automarkers);
// The Sample Averaging item that carries the check mark: 3 continuous for all
// channels, 2 continuous for the last channel (its readings averaged is 0), else 1.
int16_t SampleAveragingItem(int16_t averageAllChannels, float lastChannelAveraged);
// The scope trace's resting position from the latest reading: ScYpos, also the first
// drawn and the previous position of the trace.
void ResetScopeRestingPosition();
// Sends the interface what it needs before a recording: the Sable's reset byte 208
// with its reply drained, two passes of reads on the DataTakers of the DT800 family
// that settle their channels, and an ADAM's range command for each channel; a streaming
// instrument's lines sent before the run are dropped.
void PrimeInterface();

}  // namespace mv
