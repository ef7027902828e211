// The chart sample taker: one sample of every recorded channel, read (or drawn in
// demonstration mode), averaged, converted, checked, shown, plotted and stored.
#pragma once
#include <cstdint>
#include <optional>

namespace mv {

class ChannelSweep;

// Takes one chart sample: reads channels FirstChan..nChannels, has the time axis place
// it (time_axis.h), and unless it joins an open gap handles them and Sample += 1.
void GETDATA();

// The readings of one chart sample, FirstChan..nChannels, each channel's readings
// averaged as set, into the sweep (not settled); all but `scanned`, a last channel the
// interval's scans read. The sample taker reads through it, and so does the
// sample-interval window's measure of how long the interface takes.
void ReadChartChannels(ChannelSweep& sweep, int16_t scanned = 0);

// One sweep of the chart channels read as a sample reads them (outside a recording),
// settled: its length in seconds, the quiet wait included, or nothing when a reading
// failed or nothing was read. The sample-interval window's check and a chart run's
// priming sweep time the interface with it.
std::optional<double> TimeChartSweep();

// Whether a raw reading of channel ch reached its over-range limit: the interface's
// (OverRangeVolts), or for an ADAM input the range the program set for it. A streaming
// instrument's values are not volts and never reach one.
bool BeyondOverRangeLimit(int16_t ch, float reading);
// Whether a raw reading of channel ch counts as over range: it reached the channel's
// over-range limit and the channel's over-range alarm is on.
bool ReadingOverRange(int16_t ch, float reading);

// Shared by the sample takers: the x pixel of the new sample after NscrnCASEs was
// raised, and the progress bar set to segments x Sample / MaxSamples when above 0.
void SetSampleProgress(bool evenWhenZero);
// The Sample sound when preference slot 42 (beep at every sample) is set.
void PlaySampleBeep();

}  // namespace mv
