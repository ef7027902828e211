#include "devices/adc1_reader.h"

#include <cmath>
#include <string>

#include "devices/hardware_input.h"
#include "devices/needs.h"
#include "devices/read_wait.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/state.h"

namespace mv {

namespace {

using adc1::Gain;

// A byte that arrived after its wait had given up would otherwise be taken as the
// reply to this command.
bool Send(SerialPort& port, uint8_t byte) {
  port.Discard();
  return port.Write(std::string(1, static_cast<char>(byte)));
}

// Polls the status byte until the conversion is done; the finished status byte, or
// nothing when a byte was missing or the converter stayed busy past the bounds.
std::optional<uint8_t> AwaitFinishedStatus(SerialPort& port) {
  const uint32_t giveUpAt = rt::TickCount() + kAdc1StatusPollTicks;
  for (int polls = 1;; ++polls) {
    if (!Send(port, adc1::kStatusRequest)) return std::nullopt;
    std::optional<uint8_t> status = AwaitAdc1Byte(port);
    if (!status) return std::nullopt;
    if (!adc1::StillConverting(*status)) return status;
    if (polls >= kAdc1MaxStatusPolls || TickPassed(giveUpAt)) return std::nullopt;
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

std::optional<float> Adc1Exchange(SerialPort& port, int input, Gain gain) {
  std::optional<uint8_t> start = adc1::StartByte(input, gain);
  if (!start || !Send(port, *start)) return std::nullopt;
  AwaitAdc1Byte(port);
  std::optional<uint8_t> status = AwaitFinishedStatus(port);
  if (!status) return std::nullopt;
  if (!Send(port, adc1::kLowByteRequest)) return std::nullopt;
  std::optional<uint8_t> low = AwaitAdc1Byte(port);
  if (!low) return std::nullopt;
  return adc1::Value(*status, *low, gain);
}

void ReadADC1(int16_t channel) {
  if (channel < 1 || channel > 16) return;
  SerialPort& port = SerialLine();
  hardwareADchannel = HardwareInputOf(channel);
  const int input = hardwareADchannel;
  const bool keepLast = PrefsArray[PrefsSlot::BadReadingKeepsLast] != 0;
  bool failed = false;

  auto highGain = [&](std::optional<float> lowValue) {
    std::optional<float> high = Adc1Exchange(port, input, Gain::High);
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
  } else if (GainSet == 3) {
    highGain(std::nullopt);
  } else {
    std::optional<float> low = Adc1Exchange(port, input, Gain::Low);
    if (!low) {
      failed = true;
      volts = kBadReading;
    } else {
      volts = *low;
      if (GainSet == 1 && adc1::WantsHighGain(*low)) highGain(low);
    }
  }
  services::StopSampleBeep();
  if (failed) BuzzFailedRead();
}

}  // namespace mv
