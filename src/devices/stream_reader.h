// The streaming serial reader: waits for the instrument's next text line and splits
// it into the stream variables (serialArray), and reads the instrument's name line.
#pragma once
#include <cstdint>
#include <string>
#include <utility>

#include "devices/serial_port.h"

namespace mv {

// A silent instrument keeps a read waiting at most this long; every variable is then
// -99999. Long enough for instruments that stream once every few seconds.
constexpr uint32_t kStreamTimeoutTicks = 300;
// The name line is waited for at most this long.
constexpr uint32_t kNameLineTicks = 65;

// Mode 1 pumps events on each pass and remembers the item of a click; mode 0 paces
// itself by the tick clock and records mouse-button presses (MouseWasClicked and the
// position). Fills column 1 of serialArray rows 1..16 and leaves the last field in
// volts. On return Action = 1 and EventID = the item of the last click seen (0: none).
// When several lines wait, the newest complete one is taken, so a value is never older
// than the lines the instrument has already sent.
void ReadSerialStream(int16_t mode);

// The last action other than a click (a key, a close box ...) and its item that the
// event pump gave while the last mode-1 read waited; {0, 0} when none. Windows that
// read the stream in their loop act on it, since the read itself reports clicks only.
std::pair<int16_t, int16_t> StreamWaitOtherAction();

// The identification name of the instrument's name line, or an empty string.
std::string GetInstrumentName();

// Forgets bytes kept from an unfinished line (a new port, tests).
void ResetStreamReader();

}  // namespace mv
