// Keeping every reply with its own request. An instrument answers its requests in
// order, and nothing in a reply says which request it answers, so a reader takes a
// reply only while the line is in step: no reply is owed from an earlier request, and
// no byte is left over from an earlier reply.
//
// - A request whose reply did not come in time may still be answered, up to
//   kLateReplyWindow after its time-out; a reply longer than its frame, or one the
//   protocol does not allow, leaves the line in the same doubt. The line is then out of
//   step, and nothing is sent on it until it has been quiet for the whole window, or
//   until what was owed has come and the line has then been quiet for
//   kQuietAfterLateBytes (or the reply's time-out, when shorter): long enough for the
//   rest of a reply cut in two. Each reading meanwhile waits for that at most its own
//   time-out (so a recording keeps its pace), draining what comes, and fails when the
//   line is not back in step by then.
// - In a sweep over the channels (BeginSweep ... SettleSweep) the end of each reply is
//   not waited for: the next request first looks for bytes left over, which costs
//   nothing on a quiet line, and the sweep waits for quiet once, at its end. A byte
//   found then fails every reading of the sweep not yet confirmed, since from the first
//   stray byte on each reply may have been taken for the request after its own; the
//   sample takers store a sweep's readings only after it has settled. Outside a sweep
//   the end of a reply is awaited at once.
// - After a time-out the rest of the sweep fails at once on a line with one instrument
//   (it has stopped answering), so a silent instrument costs one time-out a sweep.
// - On a line shared by several devices a time-out owes the window like any other, silent
//   device or not, and once the window has passed the device is asked again: a short
//   silence costs one window, however many channels it holds up. A device that lets a
//   second window pass in silence, and every one after, is then rested (its readings
//   fail at once, the others are read without waiting) for half as long as its silence
//   has lasted, at most kSilentDeviceRest, so that a device gone for good holds up the
//   others only now and then, and one that comes back is read again within about half
//   its silence. A reply that comes late counts as a window in silence: a device whose
//   replies keep coming past their time-out is rested like a silent one, and only a
//   reply taken in time ends its silence. While a device is in silence (its time-out's
//   window running, or since a window it let pass) the sweeps ask the other devices
//   first (DeviceInSilence), so its time-out and window come after their readings. A
//   request held for another device's doubt in a sweep given room (a sample's interval)
//   waits the doubt out when it ends with a reply's time to spare in that room: in the
//   sweep in which a device falls silent, the others are still read.
// - A reading the line could not ask for because another device's reply was owed (or a
//   stray byte's doubt) was never a reading of its device at all: the reader gives it
//   the bad-reading mark, never the channel's last value (HeldForAnother).
// - A reply read up to its end (a text line up to CR) would take the bytes of a reply
//   before it still on the wire as its own start: in a sweep, such a request first waits
//   for the line to fall quiet after the replies taken (LineReadyForLine).
// - A text reply's LF, a byte's time behind its CR, is part of that reply whenever it
//   comes, however slow the line: it is never a stray byte, never fails a reading, and
//   never passes for the start of a late reply (which would cut the window short). A
//   reader of text replies skips it when it comes after the next request; a reply read
//   by its length cannot tell it from its own first byte, so such a request waits for
//   it, or for the line to fall quiet without it (LineReadyForFrame).
#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include "devices/serial_port.h"

namespace mv {

inline constexpr std::chrono::milliseconds kLateReplyWindow{3500};
inline constexpr std::chrono::milliseconds kQuietAfterLateBytes{250};
inline constexpr std::chrono::milliseconds kSilentDeviceRest{10000};

// One reading's exchanges with the instrument on the program's line.
class ReadingExchange {
 public:
  // replyTicks: how long one reply of this instrument may take (its time-out).
  // device: which instrument on a line shared by several ("" for a line with one).
  ReadingExchange(SerialPort& port, uint32_t replyTicks, int16_t duringRecording, std::string device = {});

  // Before the request. False: the line is not in step (or the instrument gave up in
  // this sweep), the reading fails and nothing may be sent.
  bool LineReady();
  // The device is silent and rested: not to be asked yet.
  bool DeviceRests();
  // After LineReady gave false on a line shared by several devices: the line was held
  // for a doubt not of this device's own making (another device's time-out or late
  // reply, or stray bytes), so this device was never asked.
  bool HeldForAnother() const;
  // LineReady for a request whose reply is read up to its end rather than by its length.
  bool LineReadyForLine();
  // LineReady for a request whose reply is read by its length (a binary word).
  bool LineReadyForFrame();
  // The reply did not come in time (or only part of it did).
  void TimedOut();
  // A reply longer than its frame or against the protocol: drained as a late one.
  void Unfit();
  // A whole reply in its frame gave a reading for the channel. In a sweep it is
  // confirmed when the sweep settles; otherwise the line must fall quiet now (false:
  // a byte followed, and the reading failed). lastBefore: the channel's last value
  // before this reading; setsLast: the reader keeps this reading as the last value
  // (given back if the reading fails later); failKeepsLast: the reader's bad-reading
  // rule gives the last value for a failure.
  bool Taken(int16_t channel, float lastBefore, bool setsLast, bool failKeepsLast);
  // The reply was a text line ended by CR: the LF that follows it, whenever it comes,
  // belongs to it. (A reader of text replies skips an LF that comes before the next
  // reply's own bytes.)
  void LineEndMayFollow();

 private:
  SerialPort& port_;
  uint32_t replyTicks_;
  int16_t duringRecording_;
  std::string device_;
  bool textLine_ = false;
  bool heldForAnother_ = false;
};

// Whether a device on a shared line is in silence: the window of its time-out is
// running, or it let a window pass without a reply taken in time since.
bool DeviceInSilence(const std::string& device);

// A reading failed (whatever the cause); the sweeps count them.
void NoteFailedReading();
// A reading was taken whole outside an exchange on the line (a reader that hands over a
// value the sweep has nothing left to check in): counted as ReadingExchange::Taken
// counts one, so a sweep knows the channel was read, not skipped.
void NoteReadingTaken();

// ---- sweeps ------------------------------------------------------------------------------
// Readings are numbered as they are taken; a sweep records which of them failed later.
// room: how long the sweep may take from now (0: no longer than its waits take).
void BeginSweep(std::chrono::microseconds room = {});
// Waits once for the line to fall quiet after the sweep's last reply; readings a byte
// followed fail. Ends the sweep.
void SettleSweep(SerialPort& port);
// The count of readings taken (through Taken) and of failed readings so far.
uint64_t ReadingsTaken();
uint64_t ReadingsFailed();
// Whether a reading taken in the last sweep (numbered from 1 by ReadingsTaken) failed
// when the sweep settled, and the value the channel then reads.
bool ReadingFailedLater(uint64_t number, float* failValue);

// Where a stop of the recording is asked for (Escape alone, the toolbar's stop icon,
// Ctrl-Q): waits that may be cut short end at once.
bool RecordingStopAsked();

}  // namespace mv
