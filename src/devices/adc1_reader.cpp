#include "devices/adc1_reader.h"

#include <cmath>
#include <string>

#include "devices/hardware_input.h"
#include "devices/line_step.h"
#include "devices/needs.h"
#include "devices/read_wait.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/state.h"

namespace mv {

namespace {

using adc1::Gain;

// A byte waiting before a command is the rest of the reply before it: longer than its
// one byte, so the exchange fails on it rather than pair it with the next command.
Adc1End Send(SerialPort& port, uint8_t byte) {
  if (port.BytesWaiting() > 0) return Adc1End::Unfit;
  return port.Write(std::string(1, static_cast<char>(byte))) ? Adc1End::Value : Adc1End::NotSent;
}

// Polls the status byte until the conversion is done: the finished status byte in
// *status, or how the polls ended.
Adc1End AwaitFinishedStatus(SerialPort& port, uint8_t* status) {
  const uint32_t giveUpAt = rt::TickCount() + kAdc1StatusPollTicks;
  for (int polls = 1;; ++polls) {
    if (const Adc1End sent = Send(port, adc1::kStatusRequest); sent != Adc1End::Value) return sent;
    const std::optional<uint8_t> reply = AwaitAdc1Byte(port);
    if (!reply) return Adc1End::Missing;
    if (!adc1::StatusAllowed(*reply)) return Adc1End::Unfit;
    *status = *reply;
    if (!adc1::StillConverting(*reply)) return Adc1End::Value;
    if (polls >= kAdc1MaxStatusPolls || TickPassed(giveUpAt)) return Adc1End::Busy;
  }
}

}  // namespace

std::optional<uint8_t> AwaitAdc1Byte(SerialPort& port) {
  // The waits run outside the recording's services: each lasts a few ticks at most.
  if (!WaitForBytes(port, 1, rt::TickCount() + kAdc1ByteTimeoutTicks, 0)) return std::nullopt;
  std::string b = port.ReadBytes(1);
  if (b.empty()) return std::nullopt;
  return static_cast<uint8_t>(b[0]);
}

Adc1Outcome Adc1Exchange(SerialPort& port, int input, Gain gain) {
  const std::optional<uint8_t> start = adc1::StartByte(input, gain);
  if (!start) return {};
  if (const Adc1End sent = Send(port, *start); sent != Adc1End::Value) return {sent};
  // Its acknowledgement says nothing, but it must come: one that came late would be
  // taken for the status byte, and the status for the low byte.
  if (!AwaitAdc1Byte(port)) return {Adc1End::Missing};
  uint8_t status = 0;
  if (const Adc1End polled = AwaitFinishedStatus(port, &status); polled != Adc1End::Value) return {polled};
  if (const Adc1End sent = Send(port, adc1::kLowByteRequest); sent != Adc1End::Value) return {sent};
  const std::optional<uint8_t> low = AwaitAdc1Byte(port);
  if (!low) return {Adc1End::Missing};
  return {Adc1End::Value, adc1::Value(status, *low, gain)};
}

namespace {

// One exchange of the reading, the line told of a missing or unfit reply.
std::optional<float> Convert(ReadingExchange& ex, SerialPort& port, int input, Gain gain) {
  const Adc1Outcome o = Adc1Exchange(port, input, gain);
  if (o.end == Adc1End::Missing) ex.TimedOut();
  if (o.end == Adc1End::Unfit) ex.Unfit();
  if (o.end != Adc1End::Value) return std::nullopt;
  return o.value;
}

}  // namespace

void ReadADC1(int16_t channel) {
  if (channel < 1 || channel > 16) return;
  SerialPort& port = SerialLine();
  hardwareADchannel = HardwareInputOf(channel);
  const int input = hardwareADchannel;
  const bool keepLast = PrefsArray[PrefsSlot::BadReadingKeepsLast] != 0;
  const float lastBefore = lastvoltage[channel];
  ReadingExchange ex(port, kAdc1ByteTimeoutTicks, 0);
  bool failed = false, highGainRan = false;

  auto highGain = [&](std::optional<float> lowValue) {
    highGainRan = true;
    std::optional<float> high = Convert(ex, port, input, Gain::High);
    if (!high) {
      failed = true;
      volts = BadReadingResult(lastvoltage[channel], keepLast);
      return;
    }
    volts = lowValue ? adc1::ChooseAutomatic(*lowValue, *high) : *high;
    lastvoltage[channel] = volts;
  };

  if (!adc1::StartByte(input, Gain::Low)) {
    // A channel set to an input the converter lacks: nothing is sent.
    failed = true;
    volts = kBadReading;
  } else if (!ex.LineReady()) {
    failed = true;
    volts = GainSet == 3 ? BadReadingResult(lastvoltage[channel], keepLast) : kBadReading;
  } else if (GainSet == 3) {
    highGain(std::nullopt);
  } else {
    std::optional<float> low = Convert(ex, port, input, Gain::Low);
    if (!low) {
      failed = true;
      volts = kBadReading;
    } else {
      volts = *low;
      if (GainSet == 1 && adc1::WantsHighGain(*low)) highGain(low);
    }
  }
  if (!failed && !ex.Taken(channel, lastBefore, highGainRan, keepLast && highGainRan)) {
    failed = true;
    if (highGainRan) lastvoltage[channel] = lastBefore;
    volts = highGainRan ? BadReadingResult(lastvoltage[channel], keepLast) : kBadReading;
  }
  if (failed) NoteFailedReading();
  services::StopSampleBeep();
  if (failed) BuzzFailedRead();
}

}  // namespace mv
