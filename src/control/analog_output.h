// The one way to drive analog outputs 1 and 2: at most one command per half second
// reaches the interface, encoded for the Sable interfaces (both outputs) or the
// DT800-family DataTakers (output 1 only).
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace mv {

// Ticks after an accepted call during which further calls are dropped.
constexpr int32_t kAOUpdateGapTicks = 30;
// Longest wait for the DataTaker's reply to an output command.
constexpr uint32_t kDataTakerAOReplyTicks = 5;

// The Sable command carrying both outputs' volts (negative volts go out as 0): "D",
// low and high byte of each output's counts (volts x 819), CR.
std::string SableAnalogCommand(float volts1, float volts2);
// The DataTaker command for output 1: "VO=" and the millivolts, CR.
std::optional<std::string> DataTakerAnalogCommand(float volts);

// Puts the volts on output 1 (out = 1) or 2 (any other out).
void SetAOvolts(int16_t out, float volts);

}  // namespace mv
