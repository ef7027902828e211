// The DataTaker readers: one channel's reading into volts through the channel
// definition and its one-line reply, the DT800 family's acquisition-mode blocks, the
// reset of the logger and the emptying of a DT800's output buffer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "devices/datataker_protocol.h"

namespace mv {

// A reading must be complete within this many ticks of sending the channel definition.
constexpr uint32_t kDataTakerTimeoutTicks = 30;

// Read channel 1..16 into volts. Both families keep each good reading in
// lastvoltage[channel]; a failed read gives that value under the bad-reading rule, or
// -99999 when the channel has not read well yet in this run.
void ReadDataTaker500(int16_t channel, int16_t duringRecording);
void ReadDataTaker800(int16_t channel, int16_t duringRecording);

// Sends lines, each with CR, on the program's line without reading replies. False when
// the line refused one.
bool SendDataTakerLines(const std::vector<std::string>& lines);

// The DT800 family's parameter blocks, each sent twice with a 5 ms pause after each pass.
void SwitchDT800ToHIGHSpeed();
void SwitchDT800ToLOWSpeed();

// The reset window's number and its countdown, 300 ticks long.
constexpr int16_t kResetWindow = 1780;
constexpr uint32_t kResetTicks = 300;
// Drains the line, sends the family's reset, counts down in window 1780 and sends the
// family's set-up list again (the DT800 family through its baud switch). Other
// interfaces: the drain and the window only.
void ResetDataTaker();
// The countdown texts the last reset printed, in order.
const std::vector<std::string>& LastResetCountdown();

// The buffer window's number; the longest wait for a first answer (wait non-zero) and
// the longest the emptying may run, so a logger that never stops talking cannot hold
// the program.
constexpr int16_t kBufferWindow = 1118;
constexpr uint32_t kFlushAnswerTicks = 600;
constexpr uint32_t kFlushMaxTicks = 3600;
// Empties the logger's output buffer; non-zero wait first waits for it to answer.
// Returns the number of lines thrown away.
int FlushDT800Buffer(int16_t wait);

}  // namespace mv
