#include "control/device_outputs.h"

#include <string_view>
#include <vector>

#include "acquisition/state.h"
#include "control/state.h"
#include "devices/read_wait.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"

namespace mv {

namespace {

constexpr char kCR = '\r';

bool IsDevice(int16_t d) {
  return d >= 1 && d <= 8;
}

bool IsDataTaker(int16_t iface) {
  return iface >= ExternalADCode::DT500 && iface <= ExternalADCode::DT85;
}

// DT500/DT600 and DT50 drive their lines inverted (active = 0).
bool InvertedLevels(int16_t iface) {
  return iface == ExternalADCode::DT500 || iface == ExternalADCode::DT50;
}

std::string DsoLine(int line, bool high) {
  std::string s(1, static_cast<char>('0' + line));
  s += high ? "DSO=1" : "DSO=0";
  s += kCR;
  return s;
}

int16_t Coding() {
  return PrefsArray[PrefsSlot::DigitalOutputCoding];
}

bool Live() {
  return DemonstrationMODE != 1;
}

// Waits (bounded) for the first reply byte and takes what is waiting, or for a line
// every byte up to its CR as they come (an ADAM module's ">" CR, two byte times apart
// on the line); the content is never looked at.
void TakeReply(bool line) {
  SerialPort& port = SerialLine();
  const uint32_t deadline = rt::TickCount() + kDeviceReplyWaitTicks;
  if (!WaitForBytes(port, 1, deadline, 0)) return;
  if (!line) {
    port.Discard();
    return;
  }
  while (!TickPassed(deadline)) {
    if (port.BytesWaiting() <= 0) {
      port.Pause(1);
    } else if (port.ReadBytes(1) == "\r") {
      return;
    }
  }
}

// Past this many refused commands the oldest go: each switch sends the whole state of
// its outputs.
constexpr std::size_t kMostUnsent = 16;

bool SendUnsentInOrder() {
  std::vector<UnsentSwitchCommand>& unsent = UnsentSwitchCommands;
  while (!unsent.empty()) {
    const double at = GetCurrentTimeInSeconds();
    if (!SerialLine().Write(unsent.front().bytes)) return false;
    if (unsent.front().reply) TakeReply(unsent.front().line);
    // The switch it completes has now reached the instrument: it is marked from here.
    for (SwitchMarker m : unsent.front().markers) {
      m.at = at;
      SwitchMarkersSent.push_back(m);
    }
    if (unsent.front().leaves) DevicesOut = *unsent.front().leaves;
    unsent.erase(unsent.begin());
  }
  return true;
}

// A command the line refused waits, behind every one refused before it.
void KeepUnsent(const std::string& bytes, bool reply, bool line) {
  std::vector<UnsentSwitchCommand>& unsent = UnsentSwitchCommands;
  if (unsent.size() >= kMostUnsent) unsent.erase(unsent.begin());
  unsent.push_back({bytes, reply, line, {}, {}});
}

// A command goes out after every one the line refused before it, or waits with them.
void SendInOrder(const std::string& bytes, bool reply, bool line = false) {
  if (!Live() || bytes.empty()) return;
  if (SendUnsentInOrder() && SerialLine().Write(bytes)) {
    if (reply) TakeReply(line);
    return;
  }
  KeepUnsent(bytes, reply, line);
}

void Send(const std::string& bytes) {
  SendInOrder(bytes, false);
}

void SendAndTakeReply(const std::string& bytes) {
  SendInOrder(bytes, true);
}

// A DataTaker's switch is all its output lines in one command: a line lost while
// switches wait keeps or drops it whole, so no switch reaches the logger in part (its
// first lines dropped as the oldest waiting) and then stands marked.
void SendDataTakerLines(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line;
  Send(all);
}

bool KeyOp(SwitchOp op) {
  return op == SwitchOp::KeyReference || op == SwitchOp::KeySample;
}

// The output line index the sample takers read, kept only with one line per device.
void KeepOutputLine(SwitchOp op, int16_t a, int16_t b, bool twoGroups) {
  if (Coding() != SwitchOutputCode::LinePerDevice) return;
  const int16_t iface = External_AD;
  const bool sable = iface == ExternalADCode::SableUI2 || iface == ExternalADCode::SableUI3;
  const bool noOutputs =
      !sable && !IsDataTaker(iface) && iface != ExternalADCode::ADAM && iface != ExternalADCode::ADC1;
  if (!sable && !noOutputs) return;
  switch (op) {
    case SwitchOp::ToSample:
      IO_Line = a - 1;
      if (noOutputs && twoGroups) IO_Line = b - 1;
      break;
    case SwitchOp::Cycle:
      IO_Line = a - 1;
      break;
    case SwitchOp::ToReference:
    case SwitchOp::Direct:
      if (noOutputs) IO_Line = a - 1;
      break;
    case SwitchOp::KeyReference:
    case SwitchOp::KeySample:
      IO_Line = twoGroups ? b - 1 : a - 1;
      break;
  }
}

// Every operation, the reference and a digit key included, goes out in the coding the
// user wired: the coding is never changed by a switch.
void SableSwitch(int16_t a, int16_t b, bool twoGroups) {
  SendAndTakeReply(SableOutputCommand(Coding(), a, b, twoGroups));
}

void ClearAdc1Table() {
  for (int k = 1; k <= 6; ++k) DeviceSwitchArray[k] = 0;
}

void Adc1Switch(int16_t a, int16_t b, bool twoGroups) {
  ClearAdc1Table();
  if (a >= 1 && a <= 6) DeviceSwitchArray[a] = 1;
  if (twoGroups && b >= 1 && b <= 6) DeviceSwitchArray[b] = 1;
  SWITCHDEVICE();
}

}  // namespace

int16_t SwitchDeviceCount(int16_t iface, int16_t coding) {
  if (iface == ExternalADCode::ADC1) return 6;
  if (InvertedLevels(iface) && coding == SwitchOutputCode::LinePerDevice) return 4;
  return 8;
}

bool DeviceSwitchable(int16_t d) {
  return d >= 1 && d <= SwitchDeviceCount(External_AD, Coding());
}

int16_t GroupOneLastDevice(int16_t iface) {
  return iface == ExternalADCode::ADC1 ? 3 : 4;
}

bool SecondGroupSwitchable(int16_t iface, int16_t coding) {
  if (iface == ExternalADCode::ADC1) return true;
  if (iface == ExternalADCode::ADAM || coding != SwitchOutputCode::LinePerDevice) return false;
  return SwitchDeviceCount(iface, coding) > GroupOneLastDevice(iface);
}

// ---- encoders -------------------------------------------------------------------------------

std::string SableOutputCommand(int16_t coding, int16_t a, int16_t b, bool twoGroups) {
  if (coding == SwitchOutputCode::LinePerDevice) {
    int mask = 0;
    if (IsDevice(a)) mask |= 1 << (a - 1);
    if (twoGroups && IsDevice(b)) mask |= 1 << (b - 1);
    return std::string{'o', static_cast<char>(mask), kCR};
  }
  if (!IsDevice(a)) return {};
  return std::string{coding == SwitchOutputCode::WordM ? 'm' : 'o', static_cast<char>(a - 1), kCR};
}

std::vector<std::string> DataTakerSwitchLines(int16_t iface, int16_t coding, int16_t a, int16_t b,
                                              bool twoGroups) {
  std::vector<std::string> lines;
  const bool inverted = InvertedLevels(iface);
  if (coding == SwitchOutputCode::LinePerDevice) {
    const int count = inverted ? 4 : 8;
    for (int k = 1; k <= count; ++k) {
      const bool active = k == a || (twoGroups && k == b);
      lines.push_back(DsoLine(k, active != inverted));
    }
    return lines;
  }
  if (!IsDevice(a)) return lines;
  const int w = a - 1;
  for (int k = 1; k <= 3; ++k) {
    const bool bit = ((w >> (k - 1)) & 1) != 0;
    lines.push_back(DsoLine(k, bit != inverted));
  }
  return lines;
}

std::string Adam4050Command(int16_t n) {
  // The decimal text of 8 - n with its sign place (blank or minus) turned into "0".
  const int v = 8 - n;
  std::string digits = std::to_string(v < 0 ? -v : v);
  return "#0200" + ("0" + digits) + kCR;
}

uint8_t Adc1OutputByte(const std::array<int16_t, 17>& devices) {
  int value = 64;
  for (int k = 1; k <= 6; ++k) value += devices[k] * (1 << (k - 1));
  return static_cast<uint8_t>(value);
}

std::vector<std::string> AllOffCommands(int16_t iface) {
  std::vector<std::string> out;
  if (iface == ExternalADCode::DT500 || iface == ExternalADCode::DT50) {
    for (int k = 1; k <= 4; ++k) out.push_back(DsoLine(k, true));
  } else if (iface >= ExternalADCode::DT800 && iface <= ExternalADCode::DT85) {
    for (int k = 1; k <= 8; ++k) out.push_back(DsoLine(k, false));
  } else if (iface == ExternalADCode::SableUI2 || iface == ExternalADCode::SableUI3) {
    out.push_back(std::string{'o', '\0', kCR});
  } else if (iface == ExternalADCode::ADAM) {
    out.push_back(Adam4050Command(15));
  } else if (iface == ExternalADCode::ADC1) {
    out.push_back(std::string(1, '\x40'));  // 64: no device bit set
  }
  return out;
}

// ---- senders --------------------------------------------------------------------------------

void DATATAKERSWITCH(int16_t a, int16_t b) {
  DeviceInUse = a;
  SendDataTakerLines(DataTakerSwitchLines(External_AD, Coding(), a, b, nGroups == 2));
}

void SwitchADAM4050(int16_t n) {
  SendInOrder(Adam4050Command(n), true, true);
}

void SWITCHDEVICE() {
  // The ADC-1 has one bit per device whatever the coding preference says.
  if (!Live()) return;
  SerialPort& port = SerialLine();
  // Like every other interface's switch: after those the line refused, or waiting with
  // them (and so not marked) while the line is lost.
  const std::string byte(1, static_cast<char>(Adc1OutputByte(DeviceSwitchArray)));
  if (!SendUnsentInOrder() || !port.Write(byte)) {
    KeepUnsent(byte, true, false);
    return;
  }
  if (WaitForBytes(port, 1, rt::TickCount() + kDeviceReplyWaitTicks, 0)) {
    const std::string reply = port.ReadBytes(1);
    if (!reply.empty()) chx = static_cast<uint8_t>(reply[0]);
  }
}

void TURNVALVESOFF() {
  const int16_t iface = External_AD;
  if (iface == ExternalADCode::ADC1) {
    ClearAdc1Table();
    SWITCHDEVICE();
    return;
  }
  if (!Live()) return;
  if (iface == ExternalADCode::ADAM) {
    SwitchADAM4050(15);
    return;
  }
  const std::vector<std::string> commands = AllOffCommands(iface);
  if (iface == ExternalADCode::SableUI2 || iface == ExternalADCode::SableUI3) {
    SendAndTakeReply(commands.front());
    return;
  }
  SendDataTakerLines(commands);
}

void SendUnsentSwitches() {
  if (Live() && !UnsentSwitchCommands.empty()) SendUnsentInOrder();
}

bool SwitchCommandsUnsent() {
  return !UnsentSwitchCommands.empty();
}

void NoteDevicesRecordedOn(const DevicesOn& on) {
  if (SwitchCommandsUnsent())
    UnsentSwitchCommands.back().leaves = on;
  else
    DevicesOut = on;
}

bool DeviceSwitch(SwitchOp op, int16_t a, int16_t b) {
  const bool twoGroups = nGroups == 2;
  if (op == SwitchOp::Direct) b = 0;
  const int16_t iface = External_AD;
  // Group 2's device goes out beside a only where the coding gives it a line; with no
  // group-1 device (no channel of group 1) it goes out alone.
  const bool second =
      twoGroups && op != SwitchOp::Direct && SecondGroupSwitchable(iface, Coding()) && DeviceSwitchable(b);
  if (!second) b = 0;
  if (!DeviceSwitchable(a)) {
    // No such device (no reference chosen, no sample channel): nothing may be left on,
    // and no word may be computed from a number that names no line.
    if (!second) {
      TURNVALVESOFF();
      return false;
    }
    a = 0;
  }
  KeepOutputLine(op, a, b, twoGroups);
  if (iface == ExternalADCode::ADC1) {
    Adc1Switch(a, b, twoGroups && op != SwitchOp::Direct);
  } else if (IsDataTaker(iface)) {
    DATATAKERSWITCH(a, b);
  } else if (iface == ExternalADCode::SableUI2 || iface == ExternalADCode::SableUI3) {
    SableSwitch(a, b, twoGroups);
  } else if (iface == ExternalADCode::ADAM) {
    if (KeyOp(op)) {
      // The key switch has already waited for the mouse button to come up.
      ControlStripClicked = 0;
      if (op == SwitchOp::KeySample)
        SampleIconClicked = 0;
      else
        ReferenceIconClicked = 0;
    }
    SwitchADAM4050(a);
  }
  return true;
}

}  // namespace mv
