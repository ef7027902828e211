#include "devices/sable_reader.h"

#include <cmath>
#include <string>

#include "acquisition/state.h"
#include "devices/hardware_input.h"
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

std::optional<float> BinaryExchange(SerialPort& port, const sable::Command& cmd, uint32_t deadline,
                                    int16_t duringRecording) {
  // Bytes left from an earlier reply (a late one, or the answer to the run-start byte)
  // would be paired with this reply's bytes.
  port.Discard();
  if (!port.Write(std::string(1, static_cast<char>(cmd.byte)))) return std::nullopt;
  // The reply is two bytes and then silence. A longer one (a stale reply behind it, or
  // noise) cannot be told apart from its value, so it is a failed reading, and its rest
  // is drained like a late reply.
  if (!WaitForBytes(port, 2, deadline, duringRecording) || !LineFallsQuiet(port)) {
    DrainLateReply(port, deadline + kLateReplyGraceTicks);
    return std::nullopt;
  }
  sable::Decoded d =
      sable::DecodeReply(cmd.quantity, port.ReadBytes(255), PrefsArray[PrefsSlot::Range512] == 1);
  if (!d.ok) {
    DrainLateReply(port, deadline + kLateReplyGraceTicks);
    return std::nullopt;
  }
  return d.value;
}

std::optional<float> InstrumentFieldReading(SerialPort& port, int16_t channel, uint32_t deadline) {
  if (!(Sample == lastSample && serialWasRead == 1)) {
    std::optional<std::string> text = RequestInstrumentLine(port, deadline);
    if (!text) return std::nullopt;
    lastserialstring = Str255(*text);
    lastSample = Sample;
    serialWasRead = 1;
  }
  return sable::InstrumentField(lastserialstring.str(), ADsensorType[channel]);
}

void PumpOnce(SerialPort& port) {
  rt::PumpEvents(0);
  port.Pause(1);
}

}  // namespace

std::optional<std::string> RequestInstrumentLine(SerialPort& port, uint32_t deadline) {
  port.Discard();
  if (!port.Write(sable::kInstrumentRequest)) return std::nullopt;
  while (port.BytesWaiting() < 1) {
    if (TickPassed(deadline)) {
      DrainLateReply(port, deadline + kLateReplyGraceTicks);
      return std::nullopt;
    }
    PumpOnce(port);
  }
  port.ReadBytes(1);  // part of the identification field, which no field number reaches

  std::string line;
  uint64_t lastByteUs = rt::Microseconds();
  while (line.size() < 255) {
    int n = port.BytesWaiting();
    if (n > 0) {
      std::string got = port.ReadBytes(std::min<int>(n, static_cast<int>(255 - line.size())));
      size_t cr = got.find('\r');
      line += got.substr(0, cr);
      if (cr != std::string::npos) break;
      lastByteUs = rt::Microseconds();
      continue;
    }
    if (TickPassed(deadline) || rt::Microseconds() - lastByteUs >= kLineQuietMs * 1000u) break;
    PumpOnce(port);
  }
  return line;
}

void ReadSABLE(int16_t channel, int16_t duringRecording) {
  if (channel < 1 || channel > 16) return;
  const uint32_t deadline = rt::TickCount() + kSableTimeoutTicks;
  hardwareADchannel = HardwareInputOf(channel);
  const int input = hardwareADchannel;
  const int tMode = input >= 9 && input <= 12 ? TInputMode[input - 8] : 0;
  const sable::Command cmd = sable::CommandFor(External_AD, input, tMode);
  if (cmd.quantity == sable::Quantity::None) return;

  SerialPort& port = SerialLine();
  std::optional<float> value = cmd.quantity == sable::Quantity::InstrumentField
                                   ? InstrumentFieldReading(port, channel, deadline)
                                   : BinaryExchange(port, cmd, deadline, duringRecording);
  if (value) {
    volts = *value;
    lastvoltage[channel] = *value;
    return;
  }
  volts = BadReadingResult(lastvoltage[channel], PrefsArray[PrefsSlot::BadReadingKeepsLast] != 0);
  services::StopSampleBeep();
  BuzzFailedRead();
}

}  // namespace mv
