// Run-time switching between the reference device(s) and the sample device(s): the
// choice of the next sample device, the operations the recording loops and keys call,
// and the tick arithmetic of their schedule.
#pragma once
#include <cstdint>

namespace mv {

// The highest device of group 1 with two device groups: 3 with the RMS ADC-1 (whose
// six devices the switching set-up shows as 1 to 3 and 4 to 6), else 4.
int16_t Group1LastDevice();

// trunc(minutes x 3600 + tick) in single precision, as switching times are computed;
// a result past the 32-bit range is "never" (kNeverTick), never a wrapped time.
int32_t TicksAfter(float minutes, int32_t tick);

void SELECTNEXTVALVE();
void SWITCHTOSAMPLE();
void CYCLECHANNELS();
void SWITCHTOREFERENCE();
void KeyboardReferenceON();
void KeyboardSampleON();
void DIRECTSWITCH(int16_t n);

}  // namespace mv
