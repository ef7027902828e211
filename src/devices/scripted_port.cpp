#include "devices/scripted_port.h"

#include <algorithm>

#include "runtime/clock.h"

namespace mv {

void ScriptedSerialPort::ReplyNext(std::string bytes, uint32_t afterTicks) {
  replies_.push_back({std::move(bytes), afterTicks, {}, 0});
}

void ScriptedSerialPort::ReplyNextHeldBack(std::string head, std::string tail, int looks,
                                           uint32_t afterTicks) {
  replies_.push_back({std::move(head), afterTicks, std::move(tail), std::max(looks, 1)});
}

void ScriptedSerialPort::DeliverAt(uint32_t tick, std::string bytes) {
  Arrive({tick, std::move(bytes), false});
}

void ScriptedSerialPort::Arrive(Arrival arrival) {
  arrivals_.push_back(std::move(arrival));
  std::stable_sort(arrivals_.begin(), arrivals_.end(),
                   [](const Arrival& a, const Arrival& b) { return a.tick < b.tick; });
}

void ScriptedSerialPort::DeliverNow(std::string bytes) {
  buffer_ += bytes;
}

void ScriptedSerialPort::Close() {
  if (open_) ++closes_;
  open_ = false;
}

void ScriptedSerialPort::TakeArrivals() {
  uint32_t now = rt::TickCount();
  while (!arrivals_.empty() && static_cast<int32_t>(now - arrivals_.front().tick) >= 0) {
    buffer_ += arrivals_.front().bytes;
    if (arrivals_.front().headOfHeld) held_.headCame = true;
    arrivals_.erase(arrivals_.begin());
  }
}

int ScriptedSerialPort::BytesWaiting() {
  if (!open_) return 0;
  TakeArrivals();
  if (held_.headCame && --held_.looksLeft == 0) {
    buffer_ += held_.bytes;
    held_ = Held{};
  }
  return static_cast<int>(buffer_.size());
}

std::string ScriptedSerialPort::ReadBytes(int n) {
  if (!open_ || n <= 0) return {};
  TakeArrivals();
  std::string out = buffer_.substr(0, static_cast<size_t>(n));
  buffer_.erase(0, out.size());
  return out;
}

bool ScriptedSerialPort::Write(std::string_view bytes) {
  if (!open_) return false;
  written_ += bytes;
  writes_.emplace_back(bytes);
  if (!replies_.empty()) {
    Reply r = std::move(replies_.front());
    replies_.pop_front();
    const bool holds = !r.heldBack.empty();
    if (holds) held_ = Held{std::move(r.heldBack), r.looks, false};
    if (holds || !r.bytes.empty()) Arrive({rt::TickCount() + r.afterTicks, std::move(r.bytes), holds});
  }
  return true;
}

void ScriptedSerialPort::Pause(int maxMs) {
  rt::Delay(maxMs);
}

}  // namespace mv
