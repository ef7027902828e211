// The "Delete Channel(s)" window: the user ticks channels and proceeds; the ticked
// channels are removed with everything they own and the rest close up.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kChannelListWindow = 6;

// Runs the window. Proceed (or Return) deletes the ticked channels unless that would
// leave none that may be deleted (the buzz sounds and the window stays); Cancel and
// the close box change nothing; a change of the active window is no answer. The
// menus are off while it is open and on again whichever way it ends. True when
// channels were deleted; the caller then lays the strips out again.
bool CutCHANNELS();

}  // namespace mv
