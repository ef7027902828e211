#include "devices/datataker_reader.h"

#include <cmath>
#include <optional>

#include "acquisition/state.h"
#include "devices/datataker_lists.h"
#include "devices/hardware_input.h"
#include "devices/line_step.h"
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

// Sends the channel's command and takes its reply line. A line that does not come whole
// by the deadline is a late reply; a whole line that is no number (an error message,
// noise) fails only its own reading.
std::optional<float> Exchange(ReadingExchange& ex, const std::string& command, bool voltageInput,
                              int16_t duringRecording) {
  SerialPort& port = SerialLine();
  if (!ex.LineReady() || !port.Write(command + '\r')) return std::nullopt;
  const uint32_t deadline = rt::TickCount() + kDataTakerTimeoutTicks;
  if (!WaitForBytes(port, 2, deadline, duringRecording)) {
    ex.TimedOut();
    return std::nullopt;
  }
  const std::optional<std::string> line = ReadReplyLine(port, deadline, duringRecording);
  if (!line) {
    ex.Unfit();  // its start came, its end did not: the rest may still come
    return std::nullopt;
  }
  ex.LineEndMayFollow();
  // A reply that came whole but after the deadline is a failed reading; it was this
  // request's own, so the line is in step.
  if (Reached(deadline)) return std::nullopt;
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
  // A value kept from before this run is not this run's last good reading: a failure
  // before the channel has read well once in the run is -99999.
  if (Sample < 2) lastvoltage[channel] = kBadReading;
  const bool keepLast = PrefsArray[PrefsSlot::BadReadingKeepsLast] == 1;
  ReadingExchange ex(SerialLine(), kDataTakerTimeoutTicks, duringRecording);
  std::optional<float> value;
  if (!command.empty()) value = Exchange(ex, command, datataker::IsVoltageInput(record), duringRecording);
  if (value && !ex.Taken(channel, lastvoltage[channel], true, keepLast)) value.reset();
  if (value) {
    volts = *value;
    lastvoltage[channel] = *value;
  } else {
    // The last good reading, never the spike filter's reference (0 while the filter is
    // off) and never a failed value.
    NoteFailedReading();
    volts = BadReadingResult(lastvoltage[channel], keepLast);
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
