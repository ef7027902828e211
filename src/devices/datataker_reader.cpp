#include "devices/datataker_reader.h"

#include <cmath>
#include <optional>

#include "acquisition/state.h"
#include "devices/datataker_lists.h"
#include "devices/hardware_input.h"
#include "devices/read_wait.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/state.h"

namespace mv {

namespace {

// The clock has reached the deadline (wrap-safe).
bool Reached(uint32_t deadline) {
  return static_cast<int32_t>(rt::TickCount() - deadline) >= 0;
}

// The reply line up to its CR. Bytes still arriving are waited for until the deadline;
// a line whose CR has not come by then is incomplete and no reply (its digits so far
// would be a wrong value).
std::optional<std::string> ReadReplyLine(SerialPort& port, uint32_t deadline, int16_t duringRecording) {
  std::string line;
  for (;;) {
    while (port.BytesWaiting() > 0) {
      const std::string b = port.ReadBytes(1);
      if (b.empty()) break;
      if (b[0] == '\r') return line;
      if (b[0] == '\n' && line.empty()) continue;
      line += b[0];
      if (line.size() >= 255) return line;
    }
    if (TickPassed(deadline)) return std::nullopt;
    ServiceRecordingWait(duringRecording);
    port.Pause(1);
  }
}

std::optional<float> Exchange(const std::string& command, bool voltageInput, int16_t duringRecording) {
  SerialPort& port = SerialLine();
  // A late reply to an earlier channel would be taken for this one.
  port.Discard();
  if (!port.Write(command + '\r')) return std::nullopt;
  const uint32_t deadline = rt::TickCount() + kDataTakerTimeoutTicks;
  std::optional<std::string> line;
  if (WaitForBytes(port, 2, deadline, duringRecording)) line = ReadReplyLine(port, deadline, duringRecording);
  if (!line || Reached(deadline)) {
    DrainLateReply(port, deadline + kLateReplyGraceTicks);
    return std::nullopt;
  }
  // A DataTaker replies in ASCII: a reply with noise in it could read as a wrong number.
  if (HoldsLineNoise(*line, true)) return std::nullopt;
  const datataker::Decoded d = datataker::DecodeReply(*line, voltageInput);
  if (!d.ok) return std::nullopt;
  return d.value;
}

void ReadDataTaker(datataker::Family family, int16_t channel, int16_t duringRecording) {
  if (channel < 1 || channel > 16) return;
  const DataTakerChannelsRecord& record = DataTakerChannels[channel];
  const int input = HardwareInputOf(channel);
  hardwareADchannel = static_cast<int16_t>(input);
  const std::string command = datataker::ChannelCommand(family, input, record, DT800FastAcquisitionMode != 0);
  const std::optional<float> value =
      command.empty() ? std::nullopt : Exchange(command, datataker::IsVoltageInput(record), duringRecording);
  // A value kept from before this run is not this run's last good reading: a failure
  // before the channel has read well once in the run is -99999.
  if (Sample < 2) lastvoltage[channel] = kBadReading;
  if (value) {
    volts = *value;
    lastvoltage[channel] = *value;
  } else {
    // The last good reading, never the spike filter's reference (0 while the filter is
    // off) and never a failed value.
    volts = BadReadingResult(lastvoltage[channel], PrefsArray[PrefsSlot::BadReadingKeepsLast] == 1);
    BuzzFailedRead();
  }
}

void SendBlockTwice(const std::vector<std::string>& block) {
  for (int pass = 0; pass < 2; ++pass) {
    SendDataTakerLines(block);
    rt::Delay(5);
  }
}

}  // namespace

void ReadDataTaker500(int16_t channel, int16_t duringRecording) {
  ReadDataTaker(datataker::Family::DT500, channel, duringRecording);
}

void ReadDataTaker800(int16_t channel, int16_t duringRecording) {
  ReadDataTaker(datataker::Family::DT800, channel, duringRecording);
}

bool SendDataTakerLines(const std::vector<std::string>& lines) {
  SerialPort& port = SerialLine();
  bool ok = true;
  for (const std::string& line : lines) ok = port.Write(line + '\r') && ok;
  return ok;
}

void SwitchDT800ToHIGHSpeed() {
  SendBlockTwice(
      datataker::ParameterBlock(true, PrefsArray[PrefsSlot::DT800MainsFilter] != 0, mainsfrequency));
}

void SwitchDT800ToLOWSpeed() {
  SendBlockTwice(datataker::ParameterBlock(false, false, mainsfrequency));
}

}  // namespace mv
