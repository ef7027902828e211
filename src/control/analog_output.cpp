#include "control/analog_output.h"

#include <cmath>

#include "control/state.h"
#include "devices/read_wait.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "runtime/clock.h"
#include "shell/state.h"

namespace mv {

namespace {

// trunc() as a signed 16-bit number; values past the range stop at its ends (they
// cannot be represented and must not wrap into another voltage), not-a-number is 0.
int16_t TruncToInt16(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 32767.0) return 32767;
  if (v <= -32768.0) return -32768;
  return static_cast<int16_t>(std::trunc(v));
}

void AppendCounts(std::string& s, float volts) {
  const int16_t counts = TruncToInt16(volts * 819.0f);
  const auto u = static_cast<uint16_t>(counts);
  s += static_cast<char>(u & 0xFF);
  s += static_cast<char>(u >> 8);
}

void SendToDataTaker() {
  if (AO1volts == LastAOVolts1) return;
  LastAOVolts1 = AO1volts;
  const std::optional<std::string> command = DataTakerAnalogCommand(AO1volts);
  if (!command || DemonstrationMODE == 1) return;
  SerialPort& port = SerialLine();
  port.Write(*command);
  WaitForBytes(port, 1, rt::TickCount() + kDataTakerAOReplyTicks, 0);
  port.Discard();
}

}  // namespace

std::string SableAnalogCommand(float volts1, float volts2) {
  std::string s = "D";
  AppendCounts(s, volts1 < 0.0f ? 0.0f : volts1);
  AppendCounts(s, volts2 < 0.0f ? 0.0f : volts2);
  s += '\r';
  return s;
}

std::optional<std::string> DataTakerAnalogCommand(float volts) {
  const std::string text = std::to_string(TruncToInt16(volts * 1000.0f));
  for (char c : text)
    if (!(c == '-' || (c >= '0' && c <= '9'))) return std::nullopt;
  return "VO=" + text + "\r";
}

void SetAOvolts(int16_t out, float volts) {
  const auto t = static_cast<int32_t>(rt::TickCount());
  if (t <= TimeForNextAOupdate) return;
  TimeForNextAOupdate = static_cast<int32_t>(static_cast<uint32_t>(t) + kAOUpdateGapTicks);
  (out == 1 ? AO1volts : AO2volts) = volts;
  const int16_t iface = External_AD;
  if (iface == ExternalADCode::SableUI2 || iface == ExternalADCode::SableUI3) {
    if (AO1volts < 0.0f) AO1volts = 0.0f;
    if (AO2volts < 0.0f) AO2volts = 0.0f;
    if (DemonstrationMODE != 1) SerialLine().Write(SableAnalogCommand(AO1volts, AO2volts));
  } else if (iface == ExternalADCode::DT800 || iface == ExternalADCode::DT80 || iface == ExternalADCode::DT85) {
    SendToDataTaker();
  }
}

}  // namespace mv
