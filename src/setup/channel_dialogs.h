// The sample-rate window and the per-channel dialogs of a set-up: input
// selection, display scaling and averaging, with the rules they apply.
#pragma once
#include <cstdint>
#include <optional>

#include "runtime/str255.h"

namespace mv {

// ---- the Sample Rate window (window 9) ----------------------------------------------------
// "OSCILLOSCOPE" opens the scope variant; any other text the chart variant, whose
// title it begins. Leaves the interval in SampleIntervalinSeconds (the caller copies
// it into the chart or scope interval), the counts, the backup interval and Action 5.
void GetSampleINTERVAL(const Str255& variant);
constexpr int16_t kIntervalWindow = 9;

// ---- input selection (window 11) -------------------------------------------------------------
constexpr int16_t kInputWindow = 11;
// Opens the input dialog of the channel; with storeFlag 1 (a new channel) the choice
// (or the pre-selected free input) goes into field 1, with 0 only an input the user
// clicked. ADAM modules have their own window. True when field 1 was stored.
bool SELECTCHANNEL(int16_t channel, int16_t storeFlag);
// The heading of the interface's connections.
Str255 InputHeading(int16_t externalAD);
// An input button's label: "Input" + blank + number; on the Sable interfaces the
// temperature inputs 9-12 carry "(T1)".."(T4)", 13-15 their own names.
Str255 InputLabel(int16_t input, int16_t externalAD);
// The dialog's title for the channel in the recording mode.
Str255 InputDialogTitle(int16_t channel, int16_t recordingMode);
// The first input in 1..count that no channel marked as used; when all are used
// the channel's present input if it lies in range, else 1.
int16_t PreselectedInput(int16_t count, int16_t currentInput);
// Marks (ChannelButtonsArray) afresh the inputs that channels 1..nChannels other
// than exceptChannel read, ignoring field values outside 1..16, so an input freed by
// a deleted or changed channel is offered again.
void MarkInputsInUse(int16_t exceptChannel);
// True when any channel row 1-16 reads the input.
bool InputInUse(int16_t input);

// ---- display scaling (window 111) -------------------------------------------------------------
constexpr int16_t kScalingWindow = 111;
// Asks for the channel's visible maximum and minimum (maxy, miny); presets the scope
// channel from Vmax and ScopeScale and opens no window for it except on a UI2.
bool SCALE(int16_t channel);
// The scope channel's range by ScopeScale: 1 is 0..Vmax, 2 is -Vmax..0, else
// -Vmax..Vmax.
void ScopeChannelRange(float vmax, int16_t scopeScale, float& minimum, float& maximum);

// ---- averaging (window 8) ---------------------------------------------------------------------
constexpr int16_t kAveragingWindow = 8;
// Asks for the readings averaged per chart sample (SamplesToAverage) and the
// continuous-averaging modes; chart mode only, and not while all channels are
// averaged continuously. True when the dialog opened.
bool AVERAGING(int16_t channel);
// The count typed into the averaging field: at least 1; nothing for a count the sample
// takers cannot average (the window refuses it).
std::optional<int32_t> AveragedReadings(const Str255& fieldText);

// ---- start-up -----------------------------------------------------------------------------------
// Makes the real dialogs and the readings-averaged limit the set-up hooks (they are
// the defaults already; a test that installed fakes calls it to go back).
void InstallChannelDialogs();

}  // namespace mv
