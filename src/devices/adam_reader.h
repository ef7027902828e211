// The ADAM-4000 reader and range sender over the serial line: one channel's reading into
// volts, each input's range or thermocouple type, and the bounded wait for a reply line
// that the ADAM windows share.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "devices/serial_port.h"

namespace mv {

// A reading reply must be complete within this many ticks of its command. A module
// answers within a few milliseconds; half a second leaves room for slow adapters.
constexpr uint32_t kAdamReadTimeoutTicks = 30;
// A range reply is awaited this long.
constexpr uint32_t kAdamRangeTimeoutTicks = 45;

// Waits until at least `need` bytes wait and then for the line's CR, all before the
// deadline; the line without its CR (and without a LF left before it), or nothing when
// the deadline passed first (*cut, when given, tells whether part of a line had come).
// Bytes after the CR stay on the line. During a recording each pass services notes and
// toolbar.
std::optional<std::string> AwaitAdamLine(SerialPort& port, int need, uint32_t deadline,
                                         int16_t duringRecording, bool* cut = nullptr);

// Reads channel 1..16 into volts. A channel whose input lies outside 1..16, a module
// that does not answer in time, or a reply that is not a reading gives the bad-reading
// rule's value (-99999, or the last value) and the warning buzz; a module the line could
// not ask, while another module's reply was owed, gives -99999 whatever the rule. A module that did not
// answer is not asked again for the rest of the pass over the channels: its other
// channels fail at once, without another buzz (adam::SilentModules says what a pass is).
void ReadADAM(int16_t channel, int16_t duringRecording);

// Whether the module of the channel's input is in silence on the line (see
// DeviceInSilence): the sweeps ask its channels after those of the modules that answer.
bool AdamModuleInSilence(int16_t channel);

// Sends the range command of one channel, or of every channel 1..nChannels (channel
// 0); show non-zero shows the progress window. Once a reply has timed out in a pass,
// the later commands go without waiting, and "bubbles.mp3" plays at the end.
void SetADAM(int16_t channel, int16_t show);

}  // namespace mv
