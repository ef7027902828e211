// The channel panel of the acquisition window: each channel's strip with its frame,
// zero line, scale grid and labels; the readout, alarm and switch-status fields; the
// information line in the top band and the recording's duration text.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

// Fields of window 1 made here.
constexpr int16_t kInfoScratchField = 999;

void DRAWCHANNELS();
// One channel's strip: background, frame, zero line, scale grid and labels.
void DrawChannelStrip(int16_t n);
// After a new-screen scroll that kept `kept` columns: the strip's frame and labels,
// and its zero line and scale grid over the new part only (the kept part has its own).
void RedrawStripAfterScroll(int16_t n, int kept);
void MakeChannelReadouts();
void ScreenINFO();
// The duration text of TraceLength seconds; sets minute_units, tfact, TraceLength and,
// in oscilloscope mode, sctracelength.
Str255 FindChartDuration();
// The information line's text as composed (without drawing it).
Str255 ScreenInfoText();

}  // namespace mv
