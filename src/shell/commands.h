// What the control loop, the mode window and the options window after a run start in
// the floors below: the set-up window, the acquisition screen, the recording loops, the
// saves and the rate check. The shell links every floor, so none of these needs to be a
// hook for the program's sake: each stays one only because the control-loop and
// options-window tests (tests/shell/control_loop_*_test.cpp, menus_guard_test.cpp)
// put a recording fake in its place to follow the loop's steps without a recording
// run, a save panel or the set-up window. Start-up installs the real one
// (InstallServices); a call with nothing installed is reported (kit/hook.h). Every
// other menu command calls its window directly.
#pragma once
#include <cstdint>

#include "kit/hook.h"
#include "runtime/str255.h"

namespace mv::commands {

using Command = Hook<void()>;
using ChannelCommand = Hook<void(int16_t)>;

// ---- the run: set-up window, acquisition screen, recording loops ---------------------------
// The set-up window before every run; sets StartOver when the user starts over.
extern Command DISPLAYSETUP;
// The acquisition screen (window 1): 1 a new run, 0 the next sampling period.
extern ChannelCommand DRAWSCREEN;
// The oscilloscope and scope-plus-chart recording loops; each returns when the run ends.
extern Command SCOPESCANNING;
extern Command SCOPEPLUSCHARTSCAN;
// The streaming serial panel, which stands in for the mode window with interface 11.
extern Command StreamingSerialChannels;
// Every device output off (leaving a run, quitting).
extern Command TURNVALVESOFF;

// ---- after a run: saving and the options window --------------------------------------------
extern Command SAVEFILES;  // "Save Data As..."
extern Command MAKESETUP;  // writes a set-up file
// Saves the chart data at once under a dated name. True only when the file was written.
extern Hook<bool()> QuickSAVE;
// Asks for the root name of the numbered scope ("Scope") or repeat ("Repeat") files.
extern Hook<void(const Str255& root)> ScopeOrRepeatFileRoot;
// The options window's editable root file name field.
extern Command SHOWROOTFILE;
// The run's achieved sample interval (as its timing record measures it) against the
// chosen one; decides the interval the saves store and shows the rate window.
extern Hook<void(float interval, int16_t soundFlag)> CHECKSAMPLERATE;

// Restores every hook to its "not built" default.
void ResetCommandHooks();

}  // namespace mv::commands
