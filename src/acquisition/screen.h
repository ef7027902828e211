// The acquisition window (window 1): DRAWSCREEN builds it at a run's start (flag 1)
// or at a new sampling period of an automatic save (flag 0), and sets the run's clocks
// and schedules; REDRAWSCREEN scrolls a full chart screen by the chosen step.
#pragma once
#include <cstdint>
#include <string>

#include "kit/hook.h"
#include "runtime/str255.h"

namespace mv {

constexpr const char* kAcquisitionTitle = " Mirevant:  Acquire Data ";
// The recording window reaches this far below its last strip's bottom (the time labels
// and the status line).
constexpr int kWindowBelowStrips = 26;

int16_t DRAWSCREEN(int16_t start);
int16_t REDRAWSCREEN();

// The screen size the layout uses (the display's, or an override for tests).
void SetScreenSizeOverride(int width, int height);  // 0, 0: the display's
// The screen width the layout uses.
int LayoutScreenWidth();

// A save's text in the screen's next-file (198) or backup (199) field; a failure
// shows in red, the next-file field as wide as its text. The fast scope, which draws
// its label itself, gets the field for a failure, until a sweep is saved again.
void ShowSaveStatus(int16_t field, const Str255& text, bool failed);
// The serial line's loss on the bottom line in red, until it is back (then blank).
void ShowSerialLineStatus(bool lost, const std::string& path);
// The marker table's 3,200 places are taken: the bottom line says so, in red, until the
// screen is built anew for the next run.
void ShowMarkerTableFull();

// The end-of-period bar and text at x, from y top down to BottomOfPlot.
void DrawEndOfPeriodMark(int x, int top);

}  // namespace mv
