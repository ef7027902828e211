// The set-up window (window 104): the whole recording set-up on one screen just
// before every run, one row per channel, with the interval texts, the sample
// counts and the doorways to the other set-up windows. It ends with Setup OK (the
// run starts) or Restart (StartOver = 1: back to the mode choice). Its rules are
// the plain functions of setup_window_rules.h.
#pragma once
#include <cstdint>

namespace mv {

// Runs the window until Setup OK or Restart; leaves Action 5. Returns 0.
int16_t DISPLAYSETUP();

// ---- the window's routines (they act on window 104 while it is open) -------------------------
// Reads every shown row back into the channel table and the labels.
void UPDATE();
// Builds the rows of the channels shown (all of them, or one page on a low display)
// with the readings-averaged column.
void FixFields(int16_t window);
// Builds one channel's row again (when it is shown).
void FixONEchanField(int16_t channel);
// Builds the readings-averaged column of the rows shown.
void AVERAGINGFIELDS(int16_t window);
// Removes the buttons and fields of rows 1 to count.
void RemoveSetupEditFields(int16_t count);
// The chart interval through the sample-rate window; every channel then averages the
// most readings that fit (the last none with continuous averaging).
void CHANGESPEED();
// The interval and duration texts of the chart (of the scope in oscilloscope mode),
// and of the scope in scope-plus-chart mode.
void DRAWSPEEDDATA();
void DRAWSPEEDDATA2();
// The trigger, switching and chart-view status line, 31 pixels above the bottom.
void UpdateTriggerAndSwitcher();
// The out-of-range warning (window 1778) for count channels; returns when closed.
void ADinputWarning(int16_t count);

}  // namespace mv
