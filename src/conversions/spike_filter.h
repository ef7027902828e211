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

// Fields for channels 1 to nChannels from the stored ratios.
SpikeFieldTexts SpikeFieldsFromRatios(int16_t nChannels);

// Whether a channel's box shows checked: its ratio is above 1.
bool SpikeBoxChecked(int16_t channel);

enum class SpikeSound { None, Up, Down };
// A click on check box n: an active channel goes off (ratio 0, field "off", down
// sound); an off channel comes on with the number in its field, or with 2 (field
// "2") when that number is 1 or less (up sound). Channels outside 1 to 16 are
// ignored.
SpikeSound ClickSpikeBox(int16_t channel, SpikeFieldTexts& fields);

// "all filters off": every ratio 0 and every field "off".
void SpikeFiltersOff(int16_t nChannels, SpikeFieldTexts& fields);
// The ratio of preset buttons 291 to 295 (1.2, 1.5, 2, 5, 10), 0 for any other item.
double SpikePresetRatio(int item);
// A preset: every ratio and field set to it.
void SpikeFiltersPreset(double ratio, int16_t nChannels, SpikeFieldTexts& fields);

// Double filtration (slot 33) flipped between 0 and 1.
void FlipDoubleFiltration();

// Leaving: slot 32 := 0; every channel whose ratio is not 0 takes the number in its
// field, which stays when above 1 (slot 32 := 1) and turns it off otherwise.
// Returns whether the menu item is checked.
bool LeaveSpikeFilter(int16_t nChannels, const SpikeFieldTexts& fields);

}  // namespace mv
