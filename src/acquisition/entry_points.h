// Calls from the recording loops and sample takers into windows and services that
// live elsewhere: the acquisition screen's redraw and information line, the toolbar
// help, pause, replay and the X-Y plot (acquisition windows still to come), device
// switching, output scripts, the audible timer and the marker actions (control), and
// the timed backup and end-of-period save (files). Each is a hook (see kit/hook.h)
// that starts "not built" unless its default is said below; the owner installs the real
// one at start-up, and tests install recording fakes.
#pragma once
#include <cstdint>

#include "kit/hook.h"

namespace mv::acq_hooks {

// ---- acquisition windows --------------------------------------------------------------------
// A new chart screen when the present one is full. Default: the screen's bookkeeping
// only (NscrnCASEs and LastNsCasx back to 0, as a redraw that keeps no points), so a
// loop without the screen still counts its screens right.
extern Hook<void()> REDRAWSCREEN;
// The information line of the acquisition window (duration, interval, samples).
extern Hook<void()> ScreenINFO;
// The toolbar's help window that follows the mouse (preference slot 51).
extern Hook<void()> ShowToolbarHelpWindow;
// The pause window; it re-anchors the sample schedule when the recording resumes.
extern Hook<void()> PAUSE;
// The replay window (flag 0 from a recording loop).
extern Hook<void(int16_t flag)> REPLAY;
// X-Y plot: clear it, redraw it, and plot the newest sample pair.
extern Hook<void()> ClearXYPlot;
extern Hook<void()> RedrawXY;
extern Hook<void()> PlotNewestXYPoint;

// ---- device switching, output scripts, audible timer, marker actions --------------------------
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

// ---- saves --------------------------------------------------------------------------------------
// The timed backup; resetTimer 1 (the timed path) also restarts the sample schedule
// and the backup timer.
extern Hook<void(int16_t resetTimer)> AutoTimedBACKUP;
// The end-of-period save of repeated sampling periods, which starts the next period.
extern Hook<void()> AUTOSAVE;

// Restores every hook to its default.
void ResetAcquisitionHooks();

}  // namespace mv::acq_hooks
