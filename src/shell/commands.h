// The windows and services the menu commands and the control loop open, which live
// in subsystems the menu code does not call directly. Each is a hook that starts
// "not built" (see kit/hook.h); start-up installs the real one (InstallServices),
// and tests install fakes. A command whose hook is still not built is dimmed where it
// is offered, so it never runs as a silent no-op.
// Entry points that already exist elsewhere (the channel-table windows, the
// serial-port windows, About, the set-up hooks, the firmware query of the
// kit's services) are called directly and are not repeated here.
#pragma once
#include <cstdint>

#include "kit/hook.h"
#include "runtime/str255.h"

namespace mv::commands {

using Command = Hook<void()>;
using ChannelCommand = Hook<void(int16_t)>;

// ---- data files, set-up files and preferences ------------------------------------------
extern Command SAVEFILES;  // "Save Data As..."
extern Command MAKESETUP;  // writes a set-up file

// ---- conversions ---------------------------------------------------------------------------

// ---- acquisition display -------------------------------------------------------------------

// ---- interfaces and serial instruments -----------------------------------------------------

// ---- switching, outputs, alarms and triggers -----------------------------------------------
extern Command TURNVALVESOFF;  // every device output off (on quitting)

// ---- the run: set-up window, acquisition screen, recording loops ---------------------------
// The set-up window before every run; sets StartOver when the user starts over.
extern Command DISPLAYSETUP;
// The acquisition screen (window 1): 1 a new run, 0 the next sampling period.
extern ChannelCommand DRAWSCREEN;
// The oscilloscope and scope-plus-chart recording loops; each returns when the run ends.
extern Command SCOPESCANNING;
extern Command SCOPEPLUSCHARTSCAN;
// The DT800's burst command for the fast scope, built before a fast scope run.
extern Command BurstCommandString;
// Sets the ADAM modules' ranges and addresses for channel (0: every channel).
// The streaming serial panel, which stands in for the mode window with interface 11.
extern Command StreamingSerialChannels;

// ---- after a run: saving and the options window --------------------------------------------
// Saves the chart data at once under a dated name. True only when the file was written.
extern Hook<bool()> QuickSAVE;
// Asks for the root name of the numbered scope ("Scope") or repeat ("Repeat") files.
extern Hook<void(const Str255& root)> ScopeOrRepeatFileRoot;
// The options window's editable root file name field.
extern Command SHOWROOTFILE;
// The run's achieved sample interval (as its timing record measures it) against the
// chosen one; decides the interval the saves store and shows the rate window.
extern Hook<void(float interval, int16_t soundFlag)> CHECKSAMPLERATE;
// The alarm log of the last run, and the labels of the devices of switching pattern 9.
// Puts the volts on analog output 1 or 2.

// ---- calculators ---------------------------------------------------------------------------

// Restores every hook to its "not built" default.
void ResetCommandHooks();

}  // namespace mv::commands
