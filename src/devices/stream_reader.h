// The streaming serial reader: waits for the instrument's next text line and splits
// it into the stream variables (serialArray), and reads the instrument's name line.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "devices/serial_port.h"
#include "devices/stream_protocol.h"

namespace mv {

// A silent instrument keeps a read waiting at most this long; every variable is then
// -99999. Long enough for instruments that stream once every few seconds.
constexpr uint32_t kStreamTimeoutTicks = 300;
// The name line is waited for at most this long.
constexpr uint32_t kNameLineTicks = 65;

// What one read of the stream gave.
struct StreamRead {
  // Fields 1..16 of the line (element 0 unused); all -99999 when no line came or the
  // newest was damaged or too short.
  std::array<float, stream::kVariables + 1> values{};
  // The newest line was a clean data line.
  bool gotLine = false;
  // The wait ended early on the recording's stop (no line, and nothing failed).
  bool stopped = false;
  // The item of the last click the event pump gave while the read waited (mode 1), and
  // the last other action with its item; 0 when none.
  int16_t clicked = 0;
  int16_t otherAction = 0, otherEvent = 0;
};

// The reader of one serial line: the bytes of an unfinished line wait in it for their
// rest between reads, so they belong to the line they came from.
class StreamReader {
 public:
  // Waits, up to kStreamTimeoutTicks, until a whole line (ended by CR or LF) has come
  // and splits the newest line that waits; older waiting lines are dropped, so a value
  // is never older than the lines the instrument has already sent. Name lines ("!!!")
  // are passed over. A newest line damaged by line noise (a byte outside printable
  // ASCII other than a tab and the degree and micro signs) or with fewer than
  // fieldsNeeded fields (a piece of a line) ends the wait as a failed read: every
  // variable -99999. At the deadline the unfinished line is given up, rest and all.
  // During a recording the wait ends at once when the run's stop is asked for
  // (line_step.h).
  // Mode 1 pumps events on each pass; mode 0 paces itself by the tick clock and
  // records mouse-button presses (MouseWasClicked and the position).
  StreamRead Read(SerialPort& port, int16_t mode, int fieldsNeeded = 0);
  // The identification name of the name line among the whole lines that come within
  // kNameLineTicks (the wait ends at the first whole line), or an empty string.
  std::string ReadName(SerialPort& port);
  void Reset() { lines_.Clear(); }
  // Starts afresh when the program's line has been opened anew since the bytes kept
  // came: none of them joins a byte of the new opening. After a lost line is reopened
  // the bytes up to the first line end are dropped too, as the instrument may have been
  // in the middle of a line.
  void FollowLineOpening();
  // Drops every line waiting at the port and the rest of a line begun, whenever its
  // end comes: the next read waits for a line the instrument starts after now.
  void ForgetLinesSoFar(SerialPort& port);

 private:
  // Takes the bytes waiting at the port into the line assembler.
  void Gather(SerialPort& port);

  stream::LineAssembler lines_;
  uint64_t opening_ = SerialLineOpening(), reopening_ = SerialLineReopening();
};

// The program's stream read on its serial line (a reader that starts afresh whenever
// the line is closed or replaced). Fills column 1 of serialArray rows 1..16 and leaves
// the last field in volts; on return Action = 1 and EventID = the item of the last
// click seen (0: none). A line must hold at least the highest variable a channel
// reads. A failed read buzzes (SerialWarningBuzz); one cut short by the run's stop
// does not.
void ReadSerialStream(int16_t mode);

// The last action other than a click (a key, a close box ...) and its item that the
// event pump gave while the last mode-1 read waited; {0, 0} when none. Windows that
// read the stream in their loop act on it, since the read itself reports clicks only.
std::pair<int16_t, int16_t> StreamWaitOtherAction();

// The identification name of the instrument's name line on the program's serial line,
// or an empty string.
std::string GetInstrumentName();

// Whether the program's last stream read ended on the run's stop, before a line came.
bool StreamReadStopped();

// Forgets bytes kept from an unfinished line of the program's serial line.
void ResetStreamReader();

// Forgets every line the instrument sent on the program's serial line before now, and
// a line it was sending: a run's first sample, and the first after a pause, stand on a
// line sent after they could be taken, never on one that waited through the set-up or
// the pause (a full buffer would keep the oldest of those, seconds or minutes old).
void ForgetStreamLinesSoFar();

}  // namespace mv
