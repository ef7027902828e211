// The X-Y plot window (window 22, " Interchannel Regression "): during a chart
// recording one channel's samples plotted against another's, beside the acquisition
// window, with the Y range and the keys that clear it and stretch its Y scale.
#pragma once
#include <cstdint>
#include <string>

namespace mv {

constexpr int16_t kXYPlotWindowNumber = 22;

// Opens the window unless it is open or the screen leaves no room beside the chart.
void MakeRegressionPlotWindow();
// When the window is open: blanks the plot area and prints the Y range again.
void ClearXYPlot();
// Plots samples LastXYClear .. Sample and prints the Y range again.
void RedrawXY();
// Plots the newest stored sample pair.
void PlotNewestXYPoint();

// ---- rules ------------------------------------------------------------------------------
// The plot's size beside a chart W pixels wide on a screen of the given width:
// screen - W - 7, at most 360; 0 when that leaves 99 pixels or fewer.
int XYPlotSizeFor(int screenWidth, int w);
// Why a screen shows no plot beside a chart W pixels wide, with the room it needs: empty
// when the plot has room there.
std::string XYPlotNoRoomText(int screenWidth, int w);

struct XYRange {
  float bottom = 0;  // value at the plot's bottom
  float top = 0;     // value at its top
};
// The Y range from the Y channel's plot minimum and maximum and the stretch flags.
XYRange XYYRange(float min, float max, bool up, bool down);

struct XYPixel {
  int x = 0, y = 0;
};
// Where the pair (x, y) lands on a plot of the given size: across (x - xmin) x size /
// (xmax - xmin), down (size + 70) - (y - ybottom) x (size + 70) / (ytop - ybottom), both
// truncated. A value beyond its range stops at the plot edge it lies past; a value that is
// no number, or an axis without a range, puts the point at the left or bottom edge.
XYPixel XYPointPixel(float x, float y, float xmin, float xmax, const XYRange& yRange, int size);

}  // namespace mv
