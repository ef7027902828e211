#include "devices/line_step.h"

#include <algorithm>
#include <map>
#include <vector>

#include "acquisition/state.h"
#include "devices/read_wait.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"

namespace mv {

namespace {

uint64_t TicksToMicroseconds(uint32_t ticks) {
  return uint64_t{ticks} * 1'000'000 / 60;
}

// A reading of the sweep still waiting for the line to fall quiet after its reply.
struct Pending {
  uint64_t number = 0;
  int16_t channel = 0;
  float lastBefore = 0;
  bool setsLast = false;
  bool failKeepsLast = false;
};

// The doubt a failed exchange leaves: a reply (or the rest of one) may still come.
struct Owed {
  bool active = false;
  uint64_t since = 0;     // line time of the failure
  uint64_t lastByte = 0;  // line time of the last byte drained since (0: none came)
  uint32_t replyTicks = 0;
  std::string device;  // the device that did not answer in time ("" on a line with one)
  std::string holder;  // the device whose exchange left the doubt ("": none known)
};

// A device on a shared line that let the late-reply window pass in silence, or answered late.
struct Silence {
  uint64_t since = 0;   // line time of the exchange that began it
  int windows = 0;      // windows passed in silence since
  uint64_t rested = 0;  // line time until which it is not asked
};

struct LineState {
  uint64_t opening = ~uint64_t{0};
  Owed owed;
  // The last reply taken was a text line ended by CR whose LF has not come yet.
  bool lineEndMayFollow = false;
  bool inSweep = false;
  bool gaveUp = false;  // the rest of this sweep fails at once
  std::string gaveUpFor;  // the device whose doubt the sweep gave up waiting for
  std::vector<Pending> pending;
  std::map<uint64_t, float> failedLater;
  uint64_t taken = 0, failed = 0;
  // How long a reply of the sweep's last reading may take.
  uint32_t replyTicks = 0;
  // The line time the sweep may last until (0: no room given).
  uint64_t roomUntil = 0;
  std::map<std::string, Silence> silent;
};

LineState g;

// The state belongs to one opening of the line: a new one owes nothing.
void Sync() {
  if (g.opening == SerialLineOpening()) return;
  LineState old = std::move(g);
  g = LineState{};
  g.opening = SerialLineOpening();
  g.taken = old.taken;
  g.failed = old.failed;
  g.inSweep = old.inSweep;
  g.failedLater = std::move(old.failedLater);
  const std::vector<Pending> pending = std::move(old.pending);
  // Replies taken on the old opening can no longer be checked for what followed them.
  for (const Pending& p : pending) {
    if (p.setsLast) lastvoltage[p.channel] = p.lastBefore;
    g.failedLater[p.number] = kBadReading;
  }
}

void ConfirmPending() {
  g.pending.clear();
}

// Every reading not yet confirmed fails: the channels get their last values back and
// read what the bad-reading rule gives.
void FailPending() {
  for (auto it = g.pending.rbegin(); it != g.pending.rend(); ++it)
    if (it->setsLast) lastvoltage[it->channel] = it->lastBefore;
  for (const Pending& p : g.pending)
    g.failedLater[p.number] = BadReadingResult(lastvoltage[p.channel], p.failKeepsLast);
  g.pending.clear();
}

// The bytes waiting after the replies taken. The LF that ends the last of them is part
// of that reply whenever it comes (a byte's time after its CR, which on a slow line is
// long after the reply was read): it is taken here and not counted. Any other byte is
// counted, the one looked at included.
// The line is looked at once for the answer: the LF may arrive at any moment, and a
// second look could find it where the first found nothing, and count it as a stray byte.
int BytesAfterReplies(SerialPort& port) {
  const int waiting = port.BytesWaiting();
  if (!g.lineEndMayFollow || waiting == 0) return waiting;
  g.lineEndMayFollow = false;
  if (port.ReadBytes(1) != "\n") return waiting;
  return port.BytesWaiting();
}

// holder: the device whose exchange left the doubt; silent: it is that device's
// time-out.
void StartOwed(SerialPort& port, uint32_t replyTicks, bool bytesCame, const std::string& holder = {},
               bool silent = false) {
  const uint64_t now = port.LineMicroseconds();
  port.Discard();
  g.owed = Owed{true, now, bytesCame ? now : 0, replyTicks, silent ? holder : std::string(), holder};
}

// The owed window of a device's time-out is over at `now`. Whether it passed in silence
// or the reply came late, the device did not answer in time: the window lengthens its
// silence (rested from its second window on). Only a reply taken in time ends it, so a
// device whose replies keep coming late holds up the others no more than a silent one.
void NoteDeviceWindow(uint64_t now) {
  if (g.owed.device.empty()) return;
  Silence& s = g.silent[g.owed.device];
  if (s.windows++ == 0) s.since = g.owed.since;
  const uint64_t most = static_cast<uint64_t>(std::chrono::microseconds(kSilentDeviceRest).count());
  s.rested = s.windows < 2 ? now : now + std::min(most, (now - s.since) / 2);
}

// The line time at which the owed doubt is over unless more bytes come: the window's
// end, or, once bytes came, as long a quiet after the last as a reply may take.
uint64_t OwedEndsAt() {
  if (g.owed.lastByte == 0)
    return g.owed.since + static_cast<uint64_t>(std::chrono::microseconds(kLateReplyWindow).count());
  return g.owed.lastByte + std::min<uint64_t>(TicksToMicroseconds(g.owed.replyTicks),
                                              std::chrono::microseconds(kQuietAfterLateBytes).count());
}

// Whether the owed doubt is over: the window passed in silence, or what came was
// followed by as long a quiet as a reply may take. The LF of a reply taken before is no
// sign of the reply owed.
bool OwedIsOver(SerialPort& port) {
  if (BytesAfterReplies(port) > 0) {
    port.Discard();
    g.owed.lastByte = std::max<uint64_t>(port.LineMicroseconds(), 1);
  }
  const uint64_t now = port.LineMicroseconds();
  if (now < OwedEndsAt()) return false;
  NoteDeviceWindow(now);
  g.owed = Owed{};
  return true;
}

// Bytes came after the replies taken, before a request.
void StrayBytesCame(SerialPort& port, uint32_t replyTicks) {
  if (g.pending.empty()) {
    // Bytes from before this reading's sweep (the answer to an output command or to the
    // run-start byte): no reply of ours, thrown away as they are.
    port.Discard();
  } else {
    // Bytes after a reply of the sweep: its readings may each have taken the reply to
    // the request before.
    FailPending();
    StartOwed(port, replyTicks, true);
  }
}

// Before a request whose reply is read by its length, which would take the LF still
// owed by the text reply before as its own first byte: waits until that LF has come,
// or the line has fallen quiet without it. False when some other byte came.
bool LineEndCame(SerialPort& port) {
  while (g.lineEndMayFollow) {
    if (BytesAfterReplies(port) > 0) return false;
    if (g.lineEndMayFollow && LineFallsQuiet(port)) return true;
  }
  return true;
}

// After the last reply taken: true when nothing but its LF follows within the port's
// quiet gap.
bool QuietAfterReply(SerialPort& port) {
  for (;;) {
    if (BytesAfterReplies(port) > 0) return false;
    if (LineFallsQuiet(port)) return true;
  }
}

}  // namespace

ReadingExchange::ReadingExchange(SerialPort& port, uint32_t replyTicks, int16_t duringRecording,
                                 std::string device)
    : port_(port), replyTicks_(replyTicks), duringRecording_(duringRecording), device_(std::move(device)) {}

bool ReadingExchange::LineReadyForLine() {
  Sync();
  if (!g.gaveUp && !g.owed.active && g.inSweep && !g.pending.empty() && !QuietAfterReply(port_)) {
    // A reply of the sweep ran on: each reading since its own may hold the reply to the
    // request before it.
    FailPending();
    StartOwed(port_, replyTicks_, true);
  }
  return LineReady();
}

bool ReadingExchange::LineReadyForFrame() {
  Sync();
  if (!g.gaveUp && !g.owed.active && !LineEndCame(port_)) StrayBytesCame(port_, replyTicks_);
  return LineReady();
}

bool ReadingExchange::DeviceRests() {
  Sync();
  const auto it = device_.empty() ? g.silent.end() : g.silent.find(device_);
  return it != g.silent.end() && port_.LineMicroseconds() < it->second.rested;
}

bool ReadingExchange::HeldForAnother() const {
  return heldForAnother_;
}

bool ReadingExchange::LineReady() {
  Sync();
  heldForAnother_ = false;
  if (DeviceRests()) return false;
  if (g.gaveUp) {
    heldForAnother_ = !device_.empty() && g.gaveUpFor != device_;
    return false;
  }
  // A byte after a text reply's CR that is not its LF is a stray byte like any other.
  if (!g.owed.active && BytesAfterReplies(port_) > 0) StrayBytesCame(port_, replyTicks_);
  if (!g.owed.active) return true;
  const uint32_t giveUpAt = rt::TickCount() + replyTicks_;
  // Another device's doubt that ends with this reply's time to spare in the sweep's room
  // is waited out: the device that answers is read in the sample all the same.
  const auto waitsOut = [this] {
    return !device_.empty() && g.inSweep && g.roomUntil != 0 && g.owed.holder != device_ &&
           OwedEndsAt() + TicksToMicroseconds(replyTicks_) <= g.roomUntil;
  };
  for (;;) {
    // The window that ends may be this device's own, which may now rest.
    if (OwedIsOver(port_)) return !DeviceRests();
    if ((TickPassed(giveUpAt) && !waitsOut()) || RecordingStopAsked()) break;
    ServiceRecordingWait(duringRecording_);
    port_.AwaitBytes(1, std::chrono::milliseconds(16));
  }
  // Still out of step: the line gets its next chance in the next sweep.
  heldForAnother_ = !device_.empty() && g.owed.holder != device_;
  if (g.inSweep) {
    g.gaveUp = true;
    g.gaveUpFor = g.owed.holder;
  }
  return false;
}

void ReadingExchange::TimedOut() {
  Sync();
  // Only the LF of the reply before came: the reply owed has not begun, and may yet
  // come as late as the whole window allows.
  const bool bytesCame = BytesAfterReplies(port_) > 0;
  // A wait as long as a time-out with nothing arriving shows that no byte followed the
  // replies before it.
  if (bytesCame)
    FailPending();
  else
    ConfirmPending();
  // A silent device may answer late too, and no reply names its sender: the line is out
  // of step whichever device was asked.
  StartOwed(port_, replyTicks_, bytesCame, device_, true);
  if (device_.empty() && g.inSweep) g.gaveUp = true;
}

void ReadingExchange::Unfit() {
  Sync();
  FailPending();
  StartOwed(port_, replyTicks_, true, device_);
}

void ReadingExchange::LineEndMayFollow() {
  // A line that hung up is opened again by the request's own write: the reply came on
  // the new opening, and its LF is owed there, not forgotten with the old opening's state.
  Sync();
  g.lineEndMayFollow = true;
  textLine_ = true;
}

bool ReadingExchange::Taken(int16_t channel, float lastBefore, bool setsLast, bool failKeepsLast) {
  Sync();
  ++g.taken;
  // A reply of fixed length ends where it was read: an LF owed by a text reply before it
  // came before it, and a 0x0A after it is a byte of the line's next exchange.
  if (!textLine_) g.lineEndMayFollow = false;
  if (!device_.empty()) g.silent.erase(device_);
  if (g.inSweep) {
    g.pending.push_back({g.taken, channel, lastBefore, setsLast, failKeepsLast});
    g.replyTicks = replyTicks_;
    return true;
  }
  if (QuietAfterReply(port_)) return true;
  StartOwed(port_, replyTicks_, true, device_);
  return false;
}

bool DeviceInSilence(const std::string& device) {
  Sync();
  if (device.empty()) return false;
  return g.silent.count(device) != 0 || (g.owed.active && g.owed.device == device);
}

void NoteFailedReading() {
  ++g.failed;
}

void NoteReadingTaken() {
  ++g.taken;
}

void BeginSweep(std::chrono::microseconds room) {
  Sync();
  g.roomUntil = room.count() > 0 ? SerialLine().LineMicroseconds() + static_cast<uint64_t>(room.count()) : 0;
  g.inSweep = true;
  g.gaveUp = false;
  g.gaveUpFor.clear();
  g.failedLater.clear();
  g.pending.clear();
}

void SettleSweep(SerialPort& port) {
  Sync();
  g.inSweep = false;
  g.gaveUp = false;
  g.roomUntil = 0;
  if (g.pending.empty()) return;
  if (!g.owed.active && QuietAfterReply(port)) {
    ConfirmPending();
    return;
  }
  FailPending();
  if (!g.owed.active) StartOwed(port, g.replyTicks, true);
}

uint64_t ReadingsTaken() {
  return g.taken;
}

uint64_t ReadingsFailed() {
  return g.failed;
}

bool ReadingFailedLater(uint64_t number, float* failValue) {
  const auto it = g.failedLater.find(number);
  if (it == g.failedLater.end()) return false;
  if (failValue) *failValue = it->second;
  return true;
}

bool RecordingStopAsked() {
  if (RecordingLoopRunning == 0 || HavePaused != 0) return false;
  return StopIconClicked != 0 || CommandQTyped != 0 ||
         rt::KeyMapWord(rt::GetKeys(), 3) == rt::KeyWord3::Escape;
}

}  // namespace mv
