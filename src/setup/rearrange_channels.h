// The "Re-arrange Channels" window: the user clicks the channels in their new order
// and confirms; every table a channel owns follows it to its new number.
#pragma once

namespace mv {

// Runs the window (window 6). Each channel takes one position: its button is dimmed
// once it is placed. Channels not placed when the order is confirmed follow the placed
// ones in their old order, so no channel is lost or copied. In scope-plus-chart mode
// channel 1 keeps position 1. Cancel, the close box, Return and a change of the active
// window change nothing. The menus are off while it is open. True when a new order was
// applied; nChannels is unchanged.
bool REARRANGE();

}  // namespace mv
