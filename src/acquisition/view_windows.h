// The two view windows of the recording display: how densely the scope trace is
// drawn with its tick unit, and the chart's compression, scrolling step and tick unit.
// Both are modal, show a live preview, and use window 6.
#pragma once
#include <cstdint>

namespace mv {

constexpr int16_t kViewWindow = 6;

// "Data Display for Oscilloscope": ScopeViewSTEP and CustomScopeTic.
void SETSCOPEVIEW();
// "Chart Display Conditions": ChartView, the scrolling step (slot 4) and CustomTic.
void SETCHARTVIEW();

// The scope steps the window offers, the radio button of each being its own number.
bool IsScopeStep(int16_t step);
// The compression a chart radio button stands for (button 3 is 2.5), and back.
float ChartViewForButton(int16_t button);
int16_t ChartButtonFor(float chartView);
// The stored custom tick factor: typed unit / default unit. A unit that is no
// positive finite number, or a default of 0, gives 0 (the default ladder), since a
// zero, negative or infinite gap would leave the time axis without usable ticks.
double CustomTickFactor(double typed, double defaultUnit);

}  // namespace mv
