// The device outputs of each A/D interface: what the switching operations send to
// turn devices on and off, byte by byte, and the replies they wait for. The encoders
// are pure; the senders write to the program's serial line and bound every wait.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mv {

// How devices are put on the lines (preference slot 3).
namespace SwitchOutputCode {
constexpr int16_t LinePerDevice = 0, Word = 1, WordM = 2;
}

// Which switching operation drives the outputs: a few interfaces treat some apart.
enum class SwitchOp { ToSample, Cycle, ToReference, KeyReference, KeySample, Direct };

// Longest wait for the reply of a Sable, ADAM or ADC-1 output command (half a second).
constexpr uint32_t kDeviceReplyWaitTicks = 30;

// The devices the interface switches with the output coding: 6 on the RMS ADC-1 (one
// bit each, whatever the coding), 4 on a DT500 or DT50 wired one line per device,
// otherwise 8. A device outside 1 to this count is no device.
int16_t SwitchDeviceCount(int16_t iface, int16_t coding);
// Device d is one the interface in use switches with the coding in force (slot 3).
bool DeviceSwitchable(int16_t d);
// The last device of group 1 with two device groups: 3 on the RMS ADC-1, otherwise 4.
int16_t GroupOneLastDevice(int16_t iface);
// Whether a group-2 device gets a line of its own beside the group-1 device: not with a
// word, which names one device at a time (the ADAM's always does), nor where the coding
// gives no line past group 1 (a DT500 or DT50 wired one line per device). The ADC-1 has
// a bit per device whatever the coding.
bool SecondGroupSwitchable(int16_t iface, int16_t coding);

// ---- encoders (bytes only) ------------------------------------------------------------
// The Sable output command for devices a and b (b only with two groups), CR included.
// With a word coding a device outside 1 to 8 has no word: empty text, nothing to send.
std::string SableOutputCommand(int16_t coding, int16_t a, int16_t b, bool twoGroups);
// The DataTaker digital-output lines for devices a and b, each with its CR.
std::vector<std::string> DataTakerSwitchLines(int16_t iface, int16_t coding, int16_t a, int16_t b,
                                              bool twoGroups);
// "#0200" and the two characters of the inverted word of device n, CR.
std::string Adam4050Command(int16_t n);
// The ADC-1 output byte of the device table (entries 1 to 6).
uint8_t Adc1OutputByte(const std::array<int16_t, 17>& devices);
// What switches every output of the interface off (the Sable, ADAM and ADC-1 ones await
// a reply).
std::vector<std::string> AllOffCommands(int16_t iface);

// ---- senders ------------------------------------------------------------------------------
// Sends the DataTaker lines for devices a and b and records DeviceInUse = a.
void DATATAKERSWITCH(int16_t a, int16_t b);
// Sends the ADAM-4050 command for device n and reads its reply line.
void SwitchADAM4050(int16_t n);
// Sends the ADC-1 byte of DeviceSwitchArray and keeps its one-byte reply in chx; a byte
// the line refused waits with the other refused commands (SendUnsentSwitches).
void SWITCHDEVICE();
// Every device output off, on every interface (the ADC-1 table is cleared and sent).
void TURNVALVESOFF();
// The device switch of the operation to devices a and b (b the group-2 device), by
// interface; also keeps IO_Line for the sample takers. b goes out only where the coding
// gives group 2 lines of its own; a device a that is no device of the interface goes
// out as no line (b alone, when it goes out), and with neither every output is switched
// off rather than a word computed. Sends nothing in demonstration mode. Returns whether
// a device was switched on.
bool DeviceSwitch(SwitchOp op, int16_t a, int16_t b);
// Sends, in order, the switch commands the line refused (a line hung up when a switch
// was due): a sample is read only once the valves stand as the run records them, and
// every later command goes out after them. Does nothing when none wait.
void SendUnsentSwitches();
// Whether switch commands the line refused still wait to go out.
bool SwitchCommandsUnsent();
// A switch has recorded the devices on: they are on at the instrument now, or once the
// commands waiting for the line have gone out (DevicesOut follows).
struct DevicesOn;
void NoteDevicesRecordedOn(const DevicesOn& on);

}  // namespace mv
