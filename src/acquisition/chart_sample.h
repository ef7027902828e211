// The chart sample taker: one sample of every recorded channel, read (or drawn in
// demonstration mode), averaged, converted, checked, shown, plotted and stored.
#pragma once
#include <cstdint>

namespace mv {

// Takes one chart sample: advances the schedule by exactly one interval first, then
// handles channels FirstChan..nChannels, then Sample += 1.
void GETDATA();

// Shared by the sample takers: the x pixel of the new sample after NscrnCASEs was
// raised, and the progress bar set to segments x Sample / MaxSamples when above 0.
void SetSampleProgress(bool evenWhenZero);
// For the sample being taken: notes its due time and the time now in the run's
// timing record (which the rate check and the saves measure from), then makes the
// next sample due exactly one interval later.
void AdvanceChartSchedule();
// The Sample sound when preference slot 42 (beep at every sample) is set.
void PlaySampleBeep();

}  // namespace mv
