// The ADAM windows: a new module's address and its check, the sensor type of each
// channel, and the input selection of one chart channel.
#pragma once
#include <cstdint>
#include <string>

namespace mv {

// "ADAM Module Address Setting" (window 18).
void SetADAMaddress();
// "New ADAM address check" (window 999): shows the module's answer to the command sent.
void SendNewAddressCheck(const std::string& command);
// "Sensor Type Selection For ADAM-4019" (window 11); sends the ranges on leaving.
void ADAMseriesSTATUS();
// "Input Selection For Chart Channel" n (window 11); newChannel non-zero when the
// channel is being added. The caller sends the range command.
void ADAMChannels(int16_t channel, int16_t newChannel);

// The radio-button number of a sensor code's button on row `row` (1..16). Each kind has
// its own block of 20 numbers, so rows 1..16 never share a number.
int16_t AdamSensorButton(int16_t sensorType, int16_t row);
// The input a new channel starts on: the first of 1..count that no channel row uses;
// when all are used, the channel's present input (or 1).
int16_t AdamPreselectedInput(int16_t channel, int16_t count, bool newChannel);

}  // namespace mv
