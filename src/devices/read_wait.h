// What every serial reader does while it waits for a reply, and when none came:
// keep the recording's notes and toolbar alive, bound the wait by the tick clock,
// and apply the bad-reading rule and the buzz. (Which reply belongs to which request
// is line_step.h's.)
#pragma once
#include <chrono>
#include <cstdint>
#include <string_view>

#include "devices/serial_port.h"

namespace mv {

// True once the tick clock has passed the deadline (wrap-safe).
bool TickPassed(uint32_t deadline);

// One pass of a wait: during a recording that is not paused, the note window (when
// open) and then the toolbar each get one pass of the event pump.
void ServiceRecordingWait(int16_t duringRecording);

// Polls until at least `need` bytes wait (true) or the clock passes the deadline
// (false). A reply that arrives at the deadline tick is still taken.
bool WaitForBytes(SerialPort& port, int need, uint32_t deadline, int16_t duringRecording);

// True when no byte waits and none arrives within the port's quiet gap (at least
// kLeastQuietTime) of now: a reply is then over. A byte already waiting is no quiet,
// since it may have come after the caller last looked.
inline constexpr std::chrono::microseconds kLeastQuietTime{40};
bool LineFallsQuiet(SerialPort& port);

// The bad-reading rule: the channel's last value when the rule's preference holds and
// the run has taken 2 or more samples, else -99999.
float BadReadingResult(float lastValue, bool keepLastValue);

// Whether a reply line holds line noise: control characters other than a tab, and with
// asciiOnly (instruments whose replies are plain ASCII) any byte above 126 too. Noise
// can turn a reply into a wrong number, so such a line is no reading.
bool HoldsLineNoise(std::string_view line, bool asciiOnly);

// "AlarmBUZZ.mp3" when SerialWarningBuzz is set.
void BuzzFailedRead();

}  // namespace mv
