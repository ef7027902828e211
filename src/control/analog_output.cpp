#include "control/analog_output.h"

#include <algorithm>
#include <cmath>

#include "control/state.h"
#include "devices/interfaces.h"
#include "devices/read_wait.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/clock.h"

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
  const int16_t counts = std::clamp<int16_t>(TruncToInt16(volts * 819.0f), 0, kSableTopCount);
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

namespace {

void Send() {
  const int16_t iface = External_AD;
  if (iface == ExternalADCode::SableUI2 || iface == ExternalADCode::SableUI3) {
    if (DemonstrationMODE != 1) SerialLine().Write(SableAnalogCommand(AO1volts, AO2volts));
  } else if (iface == ExternalADCode::DT800 || iface == ExternalADCode::DT80 ||
             iface == ExternalADCode::DT85) {
    SendToDataTaker();
  }
}

bool GateOpen(int32_t t) {
  return t > TimeForNextAOupdate;
}

}  // namespace

AOVoltRange AOOutputRange() {
  return AnalogOutputRange(External_AD);
}

float LimitVolts(float volts) {
  const AOVoltRange r = AOOutputRange();
  if (std::isnan(volts)) return std::clamp(0.0f, r.low, r.high);
  return std::clamp(volts, r.low, r.high);
}

bool InAORange(float volts) {
  const AOVoltRange r = AOOutputRange();
  return volts >= r.low && volts <= r.high;
}

std::string VoltsText(float volts) {
  std::string text = NumText(volts).str();
  if (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

std::string AORangeWords() {
  // Only an interface with analog outputs is named.
  const int16_t iface = External_AD;
  const std::string name = AnalogOutputCount(iface) > 0
                               ? std::string("the ") + InterfaceFor(iface).portWindowName
                               : "this interface";
  const AOVoltRange r = AOOutputRange();
  return name + " gives " + VoltsText(r.low) + " to " + VoltsText(r.high) + " V";
}

std::string AORangeRefusal(const std::string& what, float volts) {
  const std::string value = VoltsText(volts) + " V refused: " + AORangeWords() + ".";
  return what.empty() ? value : what + " of " + value;
}

void SetAOvolts(int16_t out, float volts) {
  // The stored values are the ones sent: both within what the interface gives (the
  // Sable command carries both outputs).
  (out == 1 ? AO1volts : AO2volts) = volts;
  AO1volts = LimitVolts(AO1volts);
  AO2volts = LimitVolts(AO2volts);
  // Output 2 of an interface without one (a DataTaker has output 1 alone) is stored,
  // never sent: the command would carry output 1's volts in its place.
  if (out != 1 && AnalogOutputCount(External_AD) < 2) return;
  AOpending = 1;
  PumpAOvolts();
}

void PumpAOvolts() {
  if (AOpending == 0) return;
  const auto t = static_cast<int32_t>(rt::TickCount());
  if (!GateOpen(t)) return;
  TimeForNextAOupdate = static_cast<int32_t>(static_cast<uint32_t>(t) + kAOUpdateGapTicks);
  AOpending = 0;
  Send();
}

void FlushAOvolts() {
  if (AOpending == 0) return;
  // The gate opens at most kAOUpdateGapTicks + 1 ticks after the last command.
  const uint64_t deadline = rt::TickCount() + kAOUpdateGapTicks + 1;
  while (!GateOpen(static_cast<int32_t>(rt::TickCount())) && rt::TickCount() < deadline) rt::Delay(5);
  TimeForNextAOupdate = static_cast<int32_t>(rt::TickCount()) - 1;
  PumpAOvolts();
}

bool AOvoltsPending() {
  return AOpending != 0;
}

}  // namespace mv
