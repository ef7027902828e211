// What the conversions windows (and every floor above them) need from above. Each is a
// hook (see kit/hook.h): the floor that owns the real function installs it at start-up;
// tests install fakes.
#pragma once
#include <cstdint>

#include "kit/hook.h"

// ---- services: called by the modal windows of every floor from here up -----------------
namespace mv::services {

// The six menus of the bar off (0) or on (1) as wholes, with their marks. A hook because
// the menu bar is the shell's, and every floor from the conversions up switches it
// around its windows. Default: menus 1 to 6 of the runtime's menu model enabled or
// disabled, nothing else.
extern Hook<void(int16_t state)> SetUpMENUs;
// The reduced menu handler of windows that let a few menu commands through. A hook
// because the menu commands are the shell's, and the windows of every floor from the
// conversions up hand their menu choices to it.
extern Hook<void(int16_t menu, int16_t item)> ShortMENU;
// Writes the preferences file. A hook because the preferences file is the files floor's,
// above the conversions and devices windows that save their custom buttons and choices.
extern Hook<void()> SAVEsettings;

}  // namespace mv::services

// ---- conversion_hooks: the windows the conversions window opens --------------------
namespace mv::conversion_hooks {

// The direct calibration of a channel. It leaves Action 4 when its window was closed
// by its close box (the conversions window is then built again), anything else when it
// handed back a fit in aval, bval, exponent, the type code and miny, maxy. A hook
// because the calibration window is the set-up floor's (it reads the instrument live),
// which links the conversions. While it is not built the window's button is dimmed.
extern Hook<void(int16_t channel)> DIRECTCAL;

// Restores the conversion_hooks:: hooks to their defaults.
void ResetConversionWindowHooks();

}  // namespace mv::conversion_hooks
