// The Sable UI2/UI3 reader: one channel's reading into volts, with the Sable time-out
// and bad-reading rules, and the request for the serial instrument's text.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "devices/serial_port.h"

namespace mv {

// Every Sable exchange must be complete within this many ticks of the reader's entry.
constexpr uint32_t kSableTimeoutTicks = 60;

// Reads channel 1..16 from the interface in External_AD (1 UI2, 2 UI3) into volts.
// Inputs other than 1..15 read nothing and leave volts unchanged.
void ReadSABLE(int16_t channel, int16_t duringRecording);

class ReadingExchange;

// Sends "i" CR and returns the instrument's text line (without its first byte, which
// belongs to the identification field, and without the CR), or nothing when no reply
// came before the deadline. The event pump runs once per poll. A reading's exchange,
// when given, is told of a time-out and of the line end.
std::optional<std::string> RequestInstrumentLine(SerialPort& port, uint32_t deadline,
                                                 ReadingExchange* ex = nullptr);

}  // namespace mv
