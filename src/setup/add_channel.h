// Setting up a channel's record through its dialogs: one controller for a channel
// added at the end of the table and for the channels of a new set-up.
#pragma once
#include <cstdint>

namespace mv {

enum class ChannelSetupRoute {
  Added,       // a channel appended from the set-up window
  FirstSetup,  // each channel of a new set-up, from the control loop
};

struct PlotRange {
  float min = 0, max = 0;
};
// The plot range a channel starts from before its scaling dialog.
PlotRange StartingPlotRange(ChannelSetupRoute route, int16_t externalAD);

// Fills the channel's input, conversion (linear 0, 1, 0 before the conversions
// window), plot range and readings averaged from its dialogs, in their order. An
// added channel's label slot becomes 30 blanks and anything after it is dropped.
void SetUpChannelRecord(int16_t channel, ChannelSetupRoute route);

// Appends one channel and walks the user through its dialogs, then lays the strips
// out again. Refused with the buzz in oscilloscope mode and at the mode's channel
// limit (16 chart, 5 scope plus chart). True when a channel was added.
bool ADD_a_CHANNEL();

// The control loop's set-up of channels 1 to nChannels: each channel's heading and
// dialogs; with streaming serial input no dialogs, only a linear conversion and one
// reading averaged for every channel.
void SetUpChannelsOfNewSetup();

}  // namespace mv
