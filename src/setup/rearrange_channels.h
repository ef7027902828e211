// The "Re-arrange Channels" window: the user clicks the channels in their new order
// and confirms; every table a channel owns follows it to its new number.
#pragma once

namespace mv {

// Runs the window (window 6). A channel clicked twice takes both positions; channels
// never clicked are dropped. In scope-plus-chart mode channel 1 keeps position 1.
// Positions stop at the mode's channel limit. Cancel, the close box, Return and a
// change of the active window change nothing. The menus are off while it is open.
// True when a new order was applied; nChannels is then the number of positions.
bool REARRANGE();

}  // namespace mv
