// What the kit needs from above. Each is a hook (see kit/hook.h): the floor that owns
// the real function installs it at start-up; tests install fakes.
#pragma once

#include "kit/hook.h"

namespace mv::services {

// The program's Quit procedure: the data-loss guard, devices off, exit. A hook because
// the procedure lives in the shell, which links the kit, and the window protocol's
// Ctrl-Q road calls it from here. The default only ends the program.
extern Hook<void()> Quit;

// Restores every services:: hook, whichever floor declares it, to its default.
void ResetServices();

}  // namespace mv::services
