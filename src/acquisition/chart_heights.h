// "Adjust Chart Height" (window 11): the user moves the boundaries between the
// channels' chart strips with the mouse, one after the other, and sees each strip
// drawn as it will look during a recording.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kChartHeightWindow = 11;
// The strips end here on the right; a boundary is only taken left of it.
constexpr int16_t kStripRight = 420;

// The whole window, modal until done.
void ChangeCHARTHITE();
// Walks the boundaries of channels 1 .. n-1 over a plot whose bottom is plotBottom,
// then sets the last channel's strip.
void DrawChartHEIGHTS(int16_t plotBottom);
// Tracks the mouse until a click; leaves its y in VerticalPosition (held inside
// lowest .. limit - 1) and its x in HorizontalPosition.
void GetHEIGHT(int16_t lowest, int16_t limit);
// One strip as it will look in the chart.
void Draw_A_CHANNEL(int16_t channel);
// The empty plot with the current boundaries.
void DrawFakeChannels(int16_t plotBottom);

// Where a boundary may go while channel ch's is walked: from its strip top + 20 to
// the limit that leaves every later channel 20 pixels.
struct BoundaryBand {
  int16_t top = 0;     // the strip top T
  int16_t lowest = 0;  // T + 20
  int16_t limit = 0;   // L (exclusive)
};
BoundaryBand BandFor(int16_t channel, int16_t plotBottom);
// Writes channel ch's strip fields for a boundary at y with strip top T.
void SetStripFields(int16_t channel, int16_t y, int16_t top);
// Horizontal grid divisions of a strip of the given height.
int16_t StripGridDivisions(int16_t height);

}  // namespace mv
