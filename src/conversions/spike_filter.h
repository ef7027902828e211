// The spike-filter settings: each channel's threshold in SpikeFilterArray (0 when
// off; 1 or less is off for the reader), the threshold fields the window shows,
// double filtration (slot 33) and the filter-on slot 32 with its menu check; and
// the window that sets them.
//
// The reader compares each new reading with the channel's previous one: a
// difference larger than the threshold, in the channel's input units (volts for a
// voltage input), makes it read again. The stored values are still called ratios
// in the set-up file and the code, but the window presents them as thresholds.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "conversions/state.h"
#include "runtime/str255.h"

namespace mv {

// The window's ratio fields, index = channel 1 to 16.
using SpikeFieldTexts = std::array<Str255, 17>;

constexpr int16_t kSpikeFilterWindow = 18;
namespace SpikeControl {
// Check box n and edit field 100 + n for channel n; display field 200 + n its label.
constexpr int16_t FirstField = 100, FirstLabel = 200;
constexpr int16_t AllOff = 290, FirstPreset = 291, LastPreset = 295;
constexpr int16_t DoubleFiltration = 298, Help = 300, Done = 200;
}  // namespace SpikeControl

// The window: one row per channel 1 to nChannels, the presets and double
// filtration; on leaving, slot 32 and the check mark of A-D item 12 say whether
// any channel's filter is on.
void SetSpikeFilter();

// "Chan" + channel number (leading blank) + ":  " (+ two blanks below 10) +
// "spike threshold:".
Str255 SpikeRowTitle(int16_t channel);

// A ratio as its field shows it (printed-number rule; "0" when off).
Str255 SpikeRatioText(float ratio);

// Whether the reader filters a channel with this threshold: only while the filter is
// on (slot 32, shown by the check mark of A-D "Spike Filter...") and the threshold is
// above 1. A new set-up gives every channel a threshold of 2, so the slot alone
// decides then whether the readings are filtered.
bool SpikeFilterInForce(float threshold);
// The same for channel 1 to 16 with its stored threshold.
bool SpikeChannelFiltered(int16_t channel);

// The settings as the reader uses them now, to be kept with a run as it starts.
SpikeFilterRun CurrentSpikeFilter();

// What the window shows and edits: each channel's threshold as the reader uses it (0
// for a channel it does not filter, whatever is stored) and the text of its field.
// The stored settings change only when the window is left.
struct SpikeWindowState {
  std::array<float, 17> ratios{};
  SpikeFieldTexts fields;
};
// The window at opening: a channel the reader filters shows its threshold and a
// checked box; every other shows 0, unchecked.
SpikeWindowState SpikeWindowAtOpening(int16_t nChannels);

enum class SpikeSound { None, Up, Down };
// A click on check box n: an active channel goes off (ratio 0, field "off", down
// sound); an off channel comes on with the number in its field, or with 2 (field
// "2") when that number is 1 or less (up sound). Channels outside 1 to 16 are
// ignored.
SpikeSound ClickSpikeBox(int16_t channel, SpikeWindowState& s);

// "all filters off": every ratio 0 and every field "off".
void SpikeFiltersOff(int16_t nChannels, SpikeWindowState& s);
// The ratio of preset buttons 291 to 295 (1.2, 1.5, 2, 5, 10), 0 for any other item.
double SpikePresetRatio(int item);
// A preset: every ratio and field set to it.
void SpikeFiltersPreset(double ratio, int16_t nChannels, SpikeWindowState& s);

// Double filtration (slot 33) flipped between 0 and 1.
void FlipDoubleFiltration();

// What the window refuses to be left with: a channel shown on whose field holds no
// threshold above 1 (0.5, 1, text that is no number). The channel (0: nothing
// refused) and the line that says so with the range.
struct SpikeRefusal {
  int16_t channel = 0;
  std::string text;
};
SpikeRefusal SpikeThresholdRefusal(int16_t nChannels, const SpikeWindowState& s);

// Leaving: every channel shown on takes the number in its field, which stays when
// above 1 and turns it off otherwise; slot 32 is then 1 exactly when a channel is on.
// A channel left off is stored as 0 when its stored threshold would otherwise be
// filtered (or was); one the window never turned on keeps what is stored, so leaving
// without an edit changes nothing. Returns whether the menu item is checked.
bool LeaveSpikeFilter(int16_t nChannels, const SpikeWindowState& s);

}  // namespace mv
