// Chamber washout: the time a chamber of volume V flushed at flow F takes to
// complete a percentage of a step change (an exponential with time constant V/F).
#pragma once
#include <cstdint>

namespace mv::calc {

// The percentage of an item of the washout list (1..7); other items give 67.
int16_t WashoutPercentOfItem(int item);
// ln(1 - p) of a listed percentage (33 and 67 % taken as one and two thirds);
// any value not listed takes that of 99 %.
float WashoutLog(int16_t percent);
// |V / F * ln(1 - p)| in minutes, single precision; infinite or NaN for no flow.
float WashoutMinutes(float volumeMl, float flowMlPerMin, int16_t percent);

}  // namespace mv::calc
