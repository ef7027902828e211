// The RMS ADC-1 reader: one channel's reading into volts, at the gain the set-up's
// gain mode asks for, with every awaited byte bounded by the tick clock.
#pragma once
#include <cstdint>
#include <optional>

#include "devices/adc1_protocol.h"
#include "devices/serial_port.h"

namespace mv {

// An awaited reply byte counts as missing once the clock is more than this many ticks
// past the moment the wait began.
constexpr uint32_t kAdc1ByteTimeoutTicks = 6;
// A converter that keeps answering "still converting" is given up on after this many
// status polls, or once this many ticks have passed since the first poll, whichever
// comes first; the exchange then fails like a missing byte. A conversion takes well
// under a millisecond, so either bound is only reached by a faulty converter.
constexpr int kAdc1MaxStatusPolls = 64;
constexpr uint32_t kAdc1StatusPollTicks = 30;

// Waits for one reply byte; nothing when none came in time.
std::optional<uint8_t> AwaitAdc1Byte(SerialPort& port);

// How one conversion exchange ended.
enum class Adc1End {
  Value,    // the reading
  Missing,  // a reply byte did not come in time
  Unfit,    // a reply longer than its byte, or a status byte the protocol does not allow
  Busy,     // the converter stayed busy past the bounds
  NotSent,  // the line refused a write, or the input is not one the converter has
};
struct Adc1Outcome {
  Adc1End end = Adc1End::NotSent;
  float value = 0;
};
// One conversion exchange of a hardware input at a gain: start, status polls, low
// byte. The reply to the start byte is awaited but neither its value nor its absence
// matters. A byte waiting before a command is the rest of a reply longer than its
// frame, which the exchange ends on.
Adc1Outcome Adc1Exchange(SerialPort& port, int input, adc1::Gain gain);

// Reads channel 1..16 (hardware input from the channel record's field 1) into volts
// following GainSet: 3 fixed high gain, 1 automatic (low gain, then high gain for a
// small signal), any other value fixed low gain. A failed low-gain exchange gives
// -99999; a failed high-gain exchange gives the bad-reading rule's value. A missing
// byte, or one the exchange cannot have asked for, puts the line out of step until a
// late reply can no longer come (see line_step.h). Every read stops the per-sample
// beep; a failed one plays the warning buzz.
void ReadADC1(int16_t channel);

}  // namespace mv
