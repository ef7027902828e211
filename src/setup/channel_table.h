// The channel table's rules: the label slots, the channel limits of each recording
// mode, the strip layout of the chart channels, the clearing of a set-up and the
// count of hardware inputs an interface offers.
#pragma once
#include <cstdint>

#include "devices/interfaces.h"
#include "kit/channel_labels.h"
#include "runtime/str255.h"

namespace mv {

// ---- labels ------------------------------------------------------------------------------
// ChannelLabel, ChannelLabelField, SetChannelLabel and LimitLabelString are the
// kit's (kit/channel_labels.h), shared by every subsystem.

// Both label strings as eight blank fields (240 blanks).
void BlankChannelLabels();

// ---- counts --------------------------------------------------------------------------------
// The most channels a recording mode holds: 16 chart, 1 oscilloscope, 5 scope plus chart.
int16_t ChannelLimit(int16_t recordingMode);
// The first channel that may be deleted or moved (channel 1 is the scope channel in
// scope-plus-chart mode).
int16_t FirstMovableChannel(int16_t recordingMode);

// ---- strip layout --------------------------------------------------------------------------
// Lays out the strips of channels 1 to nChannels: with rescale 0 in equal heights
// over the window height of preference slot 12 (768 when oldHeight is 0); otherwise
// stretched from oldHeight to slot 12 keeping their relative heights. A rescale from
// a height of 60 or less falls back to equal heights. Then clears the scope rows.
int16_t SetChanParams(int16_t oldHeight, int16_t rescale);
// Stretches the strips of channels 1 to nChannels, keeping their relative heights and
// their stacking, so that the last one ends at `bottom`; the last strip takes up what
// whole pixels leave over.
void EndStripsAt(float bottom);

// ---- plot limits ---------------------------------------------------------------------------
// Makes a channel's plot limits give its strip a height: limits in the wrong order are
// swapped; equal ones (or ones that are no number) become 0 to 1 at 0 and otherwise
// 10 % of the value either side. A strip of no height would put every value on one
// line and divide by zero when the chart is scaled.
void WidenFlatPlotLimits(float& min, float& max);

// ---- new set-ups --------------------------------------------------------------------------
// Back to the mode choice: fields 1 to 16 of every channel record cleared (field 0,
// field 17 and row 0 stay).
void ClearChannelRecords();
// The mode was chosen: channel 1's plot maximum becomes 5, and the labels are blanked
// unless the set-up came from a file or the streaming panel supplies them.
void PrepareChannelsForMode(bool setupFromFile);

// ---- hardware inputs ------------------------------------------------------------------------
// Slot 50 := the count of inputs the interface in use offers (HardwareInputCount). Run
// whenever the interface changes.
void HowManyHardwareADinputs();

// ---- heading of the channel set-up strip -----------------------------------------------------
// "Channel 3 of 5:  data entry & parameter setup", or in oscilloscope mode
// "Oscilloscope Mode:  data entry & parameter setup".
Str255 ChannelHeadingText(int16_t channel, int16_t count, int16_t recordingMode);

}  // namespace mv
