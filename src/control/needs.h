// What the control subsystem calls through a hook rather than directly.
#pragma once

#include "kit/hook.h"

namespace mv::switch_window_hooks {

// ---- the switching set-up window ---------------------------------------------------------------
// Makes the plot colours of the present view the colours in force. A hook because the
// colours live in acquisition, above this floor, which calls control directly: a
// direct call would make the two include each other. The shell installs it.
extern Hook<void()> COLORSELECT;
// Seams (default: this subsystem's own function) that the window's tests replace with
// recorders: putting the device outputs into the reference state (which drives the
// outputs), and the zero-link window.
extern Hook<void()> SWITCHTOREFERENCE;
extern Hook<void()> EXTRAZERO;
void ResetSwitchWindowHooks();

}  // namespace mv::switch_window_hooks
