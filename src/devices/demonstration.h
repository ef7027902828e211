// Readings made up in demonstration mode, when no interface is attached. Each caller
// has its own range; all draw from the runtime's random source, and each leaves its
// reading in volts and returns it.
#pragma once
#include <cstdint>

namespace mv {

// Rnd(n) x 0.001 + offset: a whole number 1..n in thousandths of a volt.
float RandomReading(int n, double offset);

// The chart sample taker's reading, 0.201 .. 1.000 V.
float DemonstrationReading();
// The same with the chart taker's own spike filter for the channel: a reading further
// than the ratio from the channel's reference draws a second one; the spike rule then
// picks the reference or the second reading, which becomes the new reference.
float DemonstrationReadingFiltered(int16_t channel);
// The scope taker's reading, 1.001 .. 1.600 V.
float DemonstrationScopeReading();
// The pause window's reading, 0.301 .. 1.100 V.
float DemonstrationPauseReading();
// The trigger wait's reading: 0.001 .. 0.795 V, or 5.0 V when the draw is above 0.795.
float DemonstrationTriggerReading();

}  // namespace mv
