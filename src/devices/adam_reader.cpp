#include "devices/adam_reader.h"

#include <cmath>

#include "acquisition/state.h"
#include "devices/adam_protocol.h"
#include "devices/hardware_input.h"
#include "devices/line_step.h"
#include "devices/read_wait.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/sounds.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {

namespace {

constexpr int16_t kProgressWindow = 1781;
constexpr int kRangePauseMs = 60;

void ShowProgress() {
  BuildWINDOW(kProgressWindow, "ADAM setup...", 100, 100, 452, 172, 0);
  WARNINGSTRIPES(6);
  rt::DrawText(40, 45, "Setting ADAM sensor types...", KitFont(KestraneFont, 22), RGBColor{0, 0, 0});
  rt::FlushWindow();
}

// Sends one channel's range command; waits for its reply unless an earlier one timed
// out. Returns false when this reply timed out.
bool SendRange(SerialPort& port, int16_t channel, bool wait) {
  const std::optional<adam::InputAddress> a = adam::AddressOf(HardwareInputOf(channel));
  if (!a) return true;  // no input chosen: there is nothing to set
  hardwareADchannel = static_cast<int16_t>(HardwareInputOf(channel) - 1);
  const uint32_t deadline = rt::TickCount() + kAdamRangeTimeoutTicks;
  // A reply left from an earlier command would be taken for this one.
  if (wait) port.Discard();
  port.Write(adam::RangeCommand(*a, ADsensorType[channel]));
  rt::Delay(kRangePauseMs);
  if (!wait) return true;
  // The content of the reply is not examined: any line is the module's acknowledgement.
  return AwaitAdamLine(port, 2, deadline, 0).has_value();
}

}  // namespace

std::optional<std::string> AwaitAdamLine(SerialPort& port, int need, uint32_t deadline,
                                         int16_t duringRecording, bool* cut) {
  if (cut) *cut = false;
  if (!WaitForBytes(port, need, deadline, duringRecording)) return std::nullopt;
  std::string line;
  for (;;) {
    if (port.BytesWaiting() > 0) {
      const std::string b = port.ReadBytes(1);
      if (b == "\r") {
        while (!line.empty() && line.front() == '\n') line.erase(0, 1);
        return line;
      }
      line += b;
      if (line.size() > 255) break;
      continue;
    }
    if (TickPassed(deadline)) break;
    ServiceRecordingWait(duringRecording);
    port.Pause(1);
  }
  if (cut) *cut = true;
  return std::nullopt;
}

namespace {

// The module's name on the shared line.
std::string AdamDevice(const adam::InputAddress& a) {
  return "ADAM " + a.module;
}

// One exchange with module a for channel's input; the reading, or nothing (*neverAsked:
// the line was held for another module, and this one was not asked).
std::optional<float> AdamExchange(SerialPort& port, const adam::InputAddress& a, int16_t channel,
                                  int16_t duringRecording, bool* neverAsked) {
  ReadingExchange ex(port, kAdamReadTimeoutTicks, duringRecording, AdamDevice(a));
  if (!ex.LineReady()) {
    // A silent module at rest: its other channels in this pass are not asked either, and
    // its silence has buzzed already.
    if (ex.DeviceRests()) AdamSilentModules.Mark(a.module);
    *neverAsked = ex.HeldForAnother();
    return std::nullopt;
  }
  if (!port.Write(adam::ReadCommand(a))) return std::nullopt;
  const uint32_t deadline = rt::TickCount() + kAdamReadTimeoutTicks;
  bool cut = false;
  const std::optional<std::string> line = AwaitAdamLine(port, 5, deadline, duringRecording, &cut);
  if (!line) {
    AdamSilentModules.Mark(a.module);
    if (cut)
      ex.Unfit();
    else
      ex.TimedOut();
    return std::nullopt;
  }
  ex.LineEndMayFollow();
  // An ADAM module replies in ASCII: noise in a reply could read as a wrong number.
  if (HoldsLineNoise(*line, true)) return std::nullopt;
  const std::optional<float> value = adam::DecodeReading(*line);
  const bool keepLast = PrefsArray[PrefsSlot::BadReadingKeepsLast] != 0;
  if (value && !ex.Taken(channel, lastvoltage[channel], true, keepLast)) return std::nullopt;
  return value;
}

}  // namespace

void ReadADAM(int16_t channel, int16_t duringRecording) {
  if (channel < 1 || channel > 16) return;
  const int input = HardwareInputOf(channel);
  hardwareADchannel = static_cast<int16_t>(input < 9 ? input - 1 : input - 9);
  AdamSilentModules.BeforeRead(channel, Sample, duringRecording != 0);
  std::optional<float> value;
  bool warned = false;  // the module's silence was already reported in this pass
  bool neverAsked = false;
  if (const std::optional<adam::InputAddress> a = adam::AddressOf(input)) {
    if (AdamSilentModules.IsSilent(a->module))
      warned = true;
    else
      value = AdamExchange(SerialLine(), *a, channel, duringRecording, &neverAsked);
  }
  if (value) {
    volts = *value;
    lastvoltage[channel] = *value;
    return;
  }
  NoteFailedReading();
  // A module the line could not ask, while another module's reply was owed, gave no bad
  // reading: its last value would pass for a reading it never made.
  volts = neverAsked ? kBadReading
                     : BadReadingResult(lastvoltage[channel], PrefsArray[PrefsSlot::BadReadingKeepsLast] != 0);
  if (!warned) BuzzFailedRead();
}

bool AdamModuleInSilence(int16_t channel) {
  const std::optional<adam::InputAddress> a = adam::AddressOf(HardwareInputOf(channel));
  return a && DeviceInSilence(AdamDevice(*a));
}

void SetADAM(int16_t channel, int16_t show) {
  if (channel < 0 || channel > 16) return;
  if (show) ShowProgress();
  SerialPort& port = SerialLine();
  bool timedOut = false;
  if (channel > 0) {
    timedOut = !SendRange(port, channel, true);
  } else {
    for (int16_t c = 1; c <= nChannels && c <= 16; ++c)
      if (!SendRange(port, c, !timedOut)) timedOut = true;
    if (timedOut) PlaySound("bubbles.mp3", "MVsounds");
  }
  if (show) {
    rt::Delay(100);
    rt::CloseWindow(kProgressWindow);
  }
}

}  // namespace mv
