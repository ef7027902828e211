// The replay window (window 321): the whole recording so far, every channel's stored
// samples compressed to the window's width, with the markers, the start and present
// time, and a choice of full-range or user-set vertical scaling.
//
// During a chart recording (flag 0) the window is drawn and control goes straight
// back to the recording, which closes it; after a run (flag 1) it has its own
// buttons and loop and returns when it is closed. After a run it draws the channels as
// the run recorded them, whatever the set-up became since.
#pragma once
#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>

#include "acquisition/pixel.h"
#include "kit/drawing.h"
#include "runtime/str255.h"

namespace mv {

int16_t REPLAY(int16_t flag);
// The marker letters and lines across the replay.
int16_t ShowMarkersInReplay(int16_t flag);

// ---- rules ------------------------------------------------------------------------------
// Control numbers of the after-run window.
constexpr int16_t kReplaySwitchButton = 1, kReplayCloseButton = 2;

// The window title: samples and the recorded duration t (seconds, minutes above 300 s,
// hours above 7,200 s).
Str255 ReplayTitle(int32_t samples, double seconds);

// A value range; empty (+infinity, -infinity) when there was nothing to take it from.
struct ReplayRange {
  float min = std::numeric_limits<float>::infinity();
  float max = -std::numeric_limits<float>::infinity();
  bool Empty() const { return !(min <= max); }
};
// Full range of one chart channel: columns 2 to sample - 1 of its row (the first two
// samples are never shown); empty below 3 samples.
ReplayRange ChartReplayRange(int channel, int32_t sample);
// Full range of the oscilloscope trace: the raw values of block rows 2 to scopeMax.
ReplayRange ScopeReplayRange(int32_t scopeMax);

// Horizontal step of the traces and markers: (W - 50) / n; 0 when there are no points.
double ReplayStep(int w, int32_t n);
// y of a value in a strip from top to bottom showing min..max with k pixels per unit:
// (max - value) x k + top, truncated, kept in the strip; a value at or above max is
// drawn at the top, one that is no number too.
inline int ReplayPointY(float value, float max, float k, int top, int bottom) {
  if (!(value < max)) return top;
  const int y = PixelCoord(static_cast<double>((max - value) * k) + top);
  return std::clamp(y, top, std::max(top, bottom));
}
// Thins a trace's points (x never decreasing) in place to what a stroke needs to look
// the same as a stroke of them all: within each pixel column only the first, the
// highest, the lowest and the last point, in their order, so the line stays connected
// from column to column. In a column of more than four points the extremes between
// its first and last stand at the column's middle, where the many strokes fill it.
// Returns how many points are left at the front.
int32_t ReplayColumns(std::span<QuartzPoint> points);
// How a strip maps values to pixel rows: ReplayPointY(value, max, k, top, bottom).
struct ReplayScale {
  float max = 0, k = 0;
  int top = 0, bottom = 0;
  int Y(float value) const { return ReplayPointY(value, max, k, top, bottom); }
};
// The trace of one chart channel: the points ReplayColumns keeps of columns 2 to
// sample - 1, column c at x = c x step and y = scale.Y(its value). A pixel column of
// many samples takes its extremes and their order from the store's summaries and reads
// samples only at its ends (and in a group of samples holding both extremes), so the
// cost follows the window's width, not the recording's length. Returns how many points
// it wrote to out.
int32_t ChartReplayTrace(int channel, int32_t sample, double step, const ReplayScale& scale,
                         std::span<QuartzPoint> out);
// x of a marker at the sample, kept at most W - 50 (the window's right edge).
int ReplayMarkerX(int32_t sample, double step, int w);
// The label of a marker code: its character, or the number of a numbered marker.
Str255 ReplayMarkerLabel(int32_t code);

}  // namespace mv
