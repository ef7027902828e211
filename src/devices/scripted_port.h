// A serial port that plays a script against the program's tick clock: replies to
// writes after a given number of ticks, and bytes that arrive unasked at given ticks.
// It records every byte written. Tests use it with the virtual clock, so time-outs
// are exact and instant.
#pragma once
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
  };
  struct Arrival {
    uint32_t tick;
    std::string bytes;
  };
  void TakeArrivals();

  bool open_ = true;
  int closes_ = 0;
  std::string buffer_;
  std::string written_;
  std::vector<std::string> writes_;
  std::deque<Reply> replies_;
  std::vector<Arrival> arrivals_;
};

}  // namespace mv
