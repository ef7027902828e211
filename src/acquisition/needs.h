// What the recording loops call through a hook rather than directly. Most of these
// are seams: the hook's default is the program's own function (on this floor or
// below), and the loop tests replace it with a recorder so a pass can be checked
// call by call without opening the windows or writing the files behind it. A hook
// without a default is installed at start-up by the subsystem that owns it.
#pragma once
#include <cstdint>

#include "kit/hook.h"

namespace mv::acq_hooks {

// ---- acquisition windows ---------------------------------------------------------------------
// A new chart screen when the present one is full; installed by the acquisition
// screen. Default: the screen's bookkeeping only (NscrnCASEs and LastNsCasx back to
// 0), so a loop run without the window counts its screens right. A hook because the
// loop tests and the long-run benchmark run without the screen.
extern Hook<void()> REDRAWSCREEN;
// The information line of the acquisition window (duration, interval, samples);
// installed by the acquisition screen. A hook because the loop tests run without the
// window and count the calls.
extern Hook<void()> ScreenINFO;
// Seams (default: the window itself) that the loop tests replace with recorders: the
// pause window, which re-anchors the sample schedule when the recording resumes; the
// replay window (flag 0 from a recording loop); the X-Y plot's clearing and its newest
// point.
extern Hook<void()> PAUSE;
extern Hook<void(int16_t flag)> REPLAY;
extern Hook<void()> ClearXYPlot;
extern Hook<void()> PlotNewestXYPoint;

// ---- audible timer, output scripts, feedback, marker actions (control) -----------------------
// Seams (default: the control subsystem's own function) that the loop tests replace
// with recorders to see which services a pass runs.
extern Hook<void()> HandleAlertSounds;
extern Hook<void()> checkAOscript;
// The feedback schedule's update (while feedback is on), and the analog-output value
// held back by the half-second gate, sent once it opens: both on every pass.
extern Hook<void()> checkFEEDBACKLoop;
extern Hook<void()> PumpAOvolts;
// On the run's first marker: the start alert that waits for it and the output scripts
// that start at it.
extern Hook<void()> FirstMarkerCheck;
// On a "Q" or "X" marker: the scripts, feedback and alerts that stop at it.
extern Hook<void()> Q_Key_check;
extern Hook<void()> X_Key_check;

// ---- saves (files) -----------------------------------------------------------------------------
// Seams (default: the files subsystem's save) that the loop tests replace with
// recorders so a run writes no backup. The timed backup; resetTimer 1 (the timed path)
// also restarts the sample schedule and the backup timer.
extern Hook<void(int16_t resetTimer)> AutoTimedBACKUP;
// The end-of-period save of repeated sampling periods, which starts the next period.
extern Hook<void()> AUTOSAVE;

// Restores every hook to its default.
void ResetAcquisitionHooks();

}  // namespace mv::acq_hooks

namespace mv::fast_scope_hooks {

// ---- the DT800's fast block transfer and the trigger wait -------------------------------------
// The block transfer is a seam (default: the real transfer) that the scope-loop tests
// replace to run the loop without the logger. GETFAST and RUNTRIGGER are installed at
// start-up; until then their defaults keep a fast-scope run stoppable and bounded, which
// is how the scope-loop tests run the loop without the block transfer and the trigger:
// GETFAST reads the toolbar and the keys once and rests for a tick (returning 27 for
// Escape alone, which also sets EscapeKeyHit, 9 for Tab alone, else 0), and RUNTRIGGER
// disarms the trigger and returns 0.
extern Hook<void()> HIGHSPEEDIO;
extern Hook<int16_t()> GETFAST;
extern Hook<int16_t()> RUNTRIGGER;
void Reset();

}  // namespace mv::fast_scope_hooks
