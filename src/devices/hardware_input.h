// The hardware input a channel is set to, as every reader and window takes it.
#pragma once
#include <cstdint>

namespace mv {

// Field 1 of channel 1..16's record, truncated toward zero. 0, which no interface has,
// for any other channel and for a value no input number can be (not a number, below 1,
// or past the 16-bit range), so that such a channel reads and selects nothing.
int16_t HardwareInputOf(int16_t channel);

}  // namespace mv
