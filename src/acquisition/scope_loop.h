// The oscilloscope recording: channel 1 drawn as a trace that sweeps across the scope
// plot and starts again at the left edge, erasing the previous sweep point by point.
// SCOPESCANNING is the loop of the mode; GETSCOPE takes and draws one point (the
// scope-plus-chart loop uses it too). Tab or the toolbar's save icon writes the
// present sweep to the next numbered scope file.
#pragma once
#include <cstdint>

#include "acquisition/chart_loop.h"
#include "acquisition/needs.h"

namespace mv {

// The oscilloscope loop; returns 0 when the recording is stopped (Escape alone, the
// Stop icon).
int16_t SCOPESCANNING();
// One sweep point: read channel 1, store it, draw the segment to it (erasing the
// previous sweep's segment there), and redraw the frame, grid and ticks at a sweep's
// start.
int16_t GETSCOPE();

// The y of a scope reading: bottom - (v - lo) x height / range, kept between y 35 and
// the bottom; a reading that maps to no number (a plot range of 0) stays at the bottom.
float ScopeY(float v, float lo, float hi, int bottom, int height);
// Horizontal grid divisions of a scope plot of the given height.
int GridDivisions(int height, bool manyGridLines);
// The remembered key of the scope loop after a key-map read: 9 for Tab alone, 27 for
// Escape alone, otherwise what it was.
int16_t RememberScopeKey(uint16_t word3, int16_t remembered);

// A tap for measuring tools, as the chart's: called at each scope point with the time
// it was due and the time of the pass that took it.
void SetScopeTimingTap(SampleTimingTap tap);

// One pass of the toolbar's reader (and its help tag) per tick at most.
void ReadToolbarOncePerTick();

}  // namespace mv
