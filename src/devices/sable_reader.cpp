#include "devices/sable_reader.h"

#include <cmath>
#include <string>

#include "acquisition/state.h"
#include "devices/hardware_input.h"
#include "devices/line_step.h"
#include "devices/needs.h"
#include "devices/read_wait.h"
#include "devices/sable_protocol.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "setup/state.h"

namespace mv {

namespace {

// A line without CR is complete once nothing more has come for this long.
constexpr int kLineQuietMs = 40;

// The reply is two bytes and then silence. A longer one (a stale reply behind it, or
// noise) cannot be told apart from its value, so it is a failed reading, and its rest
// is drained like a late reply.
std::optional<float> BinaryExchange(ReadingExchange& ex, SerialPort& port, const sable::Command& cmd,
                                    uint32_t deadline, int16_t duringRecording) {
  if (!port.Write(std::string(1, static_cast<char>(cmd.byte)))) return std::nullopt;
  if (!WaitForBytes(port, 2, deadline, duringRecording)) {
    ex.TimedOut();
    return std::nullopt;
  }
  sable::Decoded d =
      sable::DecodeReply(cmd.quantity, port.ReadBytes(255), PrefsArray[PrefsSlot::Range512] == 1);
  if (!d.ok) {
    ex.Unfit();
    return std::nullopt;
  }
  return d.value;
}

// Asks for the instrument's text and keeps it for the sample's other channels.
std::optional<float> InstrumentFieldReading(ReadingExchange& ex, SerialPort& port, int16_t channel,
                                            uint32_t deadline) {
  std::optional<std::string> text = RequestInstrumentLine(port, deadline, &ex);
  if (!text) return std::nullopt;
  lastserialstring = Str255(*text);
  lastSample = Sample;
  serialWasRead = 1;
  return sable::InstrumentField(lastserialstring.str(), ADsensorType[channel]);
}

void PumpOnce(SerialPort& port) {
  rt::PumpEvents(0);
  port.Pause(1);
}

}  // namespace

std::optional<std::string> RequestInstrumentLine(SerialPort& port, uint32_t deadline, ReadingExchange* ex) {
  if (!ex) port.Discard();
  if (!port.Write(sable::kInstrumentRequest)) return std::nullopt;
  while (port.BytesWaiting() < 1) {
    if (TickPassed(deadline)) {
      if (ex) ex->TimedOut();
      return std::nullopt;
    }
    PumpOnce(port);
  }
  port.ReadBytes(1);  // part of the identification field, which no field number reaches

  std::string line;
  uint64_t lastByteUs = rt::Microseconds();
  for (;;) {
    if (port.BytesWaiting() > 0) {
      const std::string b = port.ReadBytes(1);
      if (b == "\r") {
        if (ex) ex->LineEndMayFollow();
        break;
      }
      line += b;
      lastByteUs = rt::Microseconds();
      if (line.size() >= 255) break;
      continue;
    }
    if (TickPassed(deadline) || rt::Microseconds() - lastByteUs >= kLineQuietMs * 1000u) break;
    PumpOnce(port);
  }
  return line;
}

void ReadSABLE(int16_t channel, int16_t duringRecording) {
  if (channel < 1 || channel > 16) return;
  hardwareADchannel = HardwareInputOf(channel);
  const int input = hardwareADchannel;
  const int tMode = input >= 9 && input <= 12 ? TInputMode[input - 8] : 0;
  const sable::Command cmd = sable::CommandFor(External_AD, input, tMode);
  if (cmd.quantity == sable::Quantity::None) return;

  SerialPort& port = SerialLine();
  ReadingExchange ex(port, kSableTimeoutTicks, duringRecording);
  const bool keepLast = PrefsArray[PrefsSlot::BadReadingKeepsLast] != 0;
  std::optional<float> value;
  if (cmd.quantity == sable::Quantity::InstrumentField && Sample == lastSample && serialWasRead == 1) {
    // The instrument text of a sample serves every channel on input 15: a channel after
    // the first asks nothing.
    value = sable::InstrumentField(lastserialstring.str(), ADsensorType[channel]);
  } else if (cmd.quantity == sable::Quantity::InstrumentField ? ex.LineReadyForLine()
                                                              : ex.LineReadyForFrame()) {
    // The wait for the line may have used up the reading's time: the request gets its own.
    const uint32_t replyBy = rt::TickCount() + kSableTimeoutTicks;
    value = cmd.quantity == sable::Quantity::InstrumentField
                ? InstrumentFieldReading(ex, port, channel, replyBy)
                : BinaryExchange(ex, port, cmd, replyBy, duringRecording);
    if (value && !ex.Taken(channel, lastvoltage[channel], true, keepLast)) value.reset();
  }
  if (value) {
    volts = *value;
    lastvoltage[channel] = *value;
    return;
  }
  NoteFailedReading();
  volts = BadReadingResult(lastvoltage[channel], keepLast);
  services::StopSampleBeep();
  BuzzFailedRead();
}

}  // namespace mv
