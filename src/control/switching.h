// Run-time switching between the reference device(s) and the sample device(s): the
// choice of the next sample device, the operations the recording loops and keys call,
// and the tick arithmetic of their schedule.
#pragma once
#include <cstdint>

namespace mv {

// trunc(minutes x 3600 + from), in double so that whole ticks survive long runs; a result
// past the 32-bit range is "never" (kNeverTick), never a wrapped time.
int32_t TicksAfter(float minutes, int32_t from);

void SELECTNEXTVALVE();
void SWITCHTOSAMPLE();
void CYCLECHANNELS();
void SWITCHTOREFERENCE();
void KeyboardReferenceON();
void KeyboardSampleON();
// A digit key: straight to device n (one device group only, a device the interface
// switches with the coding in force); true when it switched.
bool DIRECTSWITCH(int16_t n);

}  // namespace mv
