// A serial port that plays a script against the program's tick clock: replies to
// writes after a given number of ticks, and bytes that arrive unasked at given ticks.
// It records every byte written. Tests use it with the virtual clock, so time-outs
// are exact and instant.
#pragma once
#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "devices/serial_port.h"

namespace mv {

class ScriptedSerialPort : public SerialPort {
 public:
  // The reply to the next write that has none yet: its bytes arrive `afterTicks` ticks
  // after that write. An empty reply is silence.
  void ReplyNext(std::string bytes, uint32_t afterTicks = 0);
  // Bytes that arrive unasked at the given tick count (or at once, for DeliverNow).
  void DeliverAt(uint32_t tick, std::string bytes);
  void DeliverNow(std::string bytes);
  // The next reply with a pause inside it: `head` arrives `afterTicks` ticks after that
  // write, and `tail` at the program's `looks`-th look at the line (a count of the bytes
  // waiting) after that, as when the sender is held back between two bytes for as long
  // as the program takes to look that often. The clock plays no part, so every moment
  // at which the rest may come, between any two looks, is reached exactly. One such
  // reply at a time.
  void ReplyNextHeldBack(std::string head, std::string tail, int looks, uint32_t afterTicks = 0);
  // Bytes held back that have not arrived yet.
  bool HoldsBytesBack() const { return !held_.bytes.empty(); }
  // The quiet gap of a line with a rate (none by default: a script has no byte times).
  void SetQuietGap(std::chrono::microseconds gap) { quietGap_ = gap; }
  std::chrono::microseconds QuietGap() const override { return quietGap_; }

  // Every byte written, in order, and each write on its own.
  const std::string& Written() const { return written_; }
  const std::vector<std::string>& Writes() const { return writes_; }
  int Closes() const { return closes_; }
  // Replies still queued for writes that have not come.
  size_t PendingReplies() const { return replies_.size(); }

  bool IsOpen() const override { return open_; }
  void Close() override;
  int BytesWaiting() override;
  std::string ReadBytes(int n) override;
  bool Write(std::string_view bytes) override;
  // Moves the (virtual) clock on by maxMs.
  void Pause(int maxMs) override;

 private:
  struct Reply {
    std::string bytes;
    uint32_t afterTicks;
    std::string heldBack;
    int looks = 0;
  };
  struct Arrival {
    uint32_t tick;
    std::string bytes;
    bool headOfHeld = false;  // the bytes held back are counting looks once this came
  };
  struct Held {
    std::string bytes;
    int looksLeft = 0;
    bool headCame = false;
  };
  void Arrive(Arrival arrival);
  void TakeArrivals();

  bool open_ = true;
  int closes_ = 0;
  std::string buffer_;
  std::string written_;
  std::vector<std::string> writes_;
  std::deque<Reply> replies_;
  std::vector<Arrival> arrivals_;
  Held held_;
  std::chrono::microseconds quietGap_{};
};

}  // namespace mv
