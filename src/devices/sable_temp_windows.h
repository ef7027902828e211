// The read-mode windows of the Sable interfaces' temperature inputs T1-T4: all four
// at once, or the input of one channel. The modes live in TInputMode.
#pragma once
#include <cstdint>

#include "runtime/str255.h"

namespace mv {

constexpr int16_t kSableTempWindow = 8;
constexpr int16_t kTempChannelWindow = 12;

// "UI3" for interface code 2, else "UI2", directly followed by "Temperature Channels".
Str255 SableTempTitle(int16_t externalAD);
// The radio button a mode marks in the one-channel window: 1 for 0, 3 for 2, else 2.
int16_t TempModeButton(int16_t mode);
// The temperature input (1-4) of a hardware input 9-12; 0 for any other input.
int16_t TemperatureInputOf(int16_t hardwareInput);

void SABLETEMPCHANNELS();
void CheckUI2TempChannel(int16_t channel);

}  // namespace mv
