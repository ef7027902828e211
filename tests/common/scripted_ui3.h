// A UI3 on a scripted port, for recordings on the virtual clock: each one-byte request
// is answered at once with the same word (little-endian), except while `silent` says
// the instrument is silent, so a silence costs its time-outs no real time.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "devices/scripted_port.h"

namespace mv::test {

class ScriptedUI3 : public ScriptedSerialPort {
 public:
  explicit ScriptedUI3(std::function<bool()> silent, uint16_t word = 33768)
      : silent_(std::move(silent)), reply_{static_cast<char>(word & 0xFF), static_cast<char>(word >> 8)} {}
  bool Write(std::string_view bytes) override {
    if (!silent_()) ReplyNext(reply_);
    return ScriptedSerialPort::Write(bytes);
  }

 private:
  std::function<bool()> silent_;
  std::string reply_;
};

}  // namespace mv::test
