// The one way to drive analog outputs 1 and 2: at most one command per half second
// reaches the interface, encoded for the Sable interfaces (both outputs) or the
// DT800-family DataTakers (output 1 only). No value is lost to that gate: a value
// asked for while it is closed is kept and goes out as soon as it opens.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "devices/interfaces.h"

namespace mv {

// Ticks after a command during which no other is sent.
constexpr int32_t kAOUpdateGapTicks = 30;
// Longest wait for the DataTaker's reply to an output command.
constexpr uint32_t kDataTakerAOReplyTicks = 5;
// The Sable converters' 12-bit range: 4,095 counts is 5 V.
constexpr int kSableTopCount = 4095;

// The output range of the interface in use (AnalogOutputRange).
AOVoltRange AOOutputRange();
// Volts brought within the interface's output range (no number gives the range's
// value nearest 0 V).
float LimitVolts(float volts);
// Whether the output can give these volts as they are (never for no number).
bool InAORange(float volts);
// Volts as the windows write them: the plain number text without its leading blank.
std::string VoltsText(float volts);
// The line that refuses volts outside the range, e.g. "A step of -2 V refused: the
// Sable UI3 gives 0 to 5 V." (without what: "-2 V refused: ...").
std::string AORangeRefusal(const std::string& what, float volts);
// "the Sable UI3 gives 0 to 5 V": the range said for the interface in use.
std::string AORangeWords();

// The Sable command carrying both outputs' volts: "D", low and high byte of each
// output's counts (volts x 819, kept within 0..4,095), CR.
std::string SableAnalogCommand(float volts1, float volts2);
// The DataTaker command for output 1: "VO=" and the millivolts, CR.
std::optional<std::string> DataTakerAnalogCommand(float volts);

// Puts the volts, limited to the output range, on output 1 (out = 1) or 2 (any other
// out): stored at once, sent now when the gate is open, otherwise marked pending. The
// gate holds from the last command whenever it went out, a run's start included.
// Output 2 of an interface that has output 1 alone is stored and never sent.
void SetAOvolts(int16_t out, float volts);
// Sends the pending value once the gate has opened (every pass of a recording).
void PumpAOvolts();
// Sends the pending value, waiting at most for the gate to open (the end of a run, Quit).
void FlushAOvolts();
// Whether a value waits for the gate.
bool AOvoltsPending();

}  // namespace mv
