// The Sable UI2 and UI3: one-byte commands answered by two-byte little-endian words,
// the firmware text, the serial instrument's line, and the device and analog output
// commands that share the line (accepted, and logged by the framework). A word is the
// raw word set for its command, or the word of what its input reads (a value set for
// it, or the raw word's own value, plus its rise).
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "sim/responder.h"

namespace mv::sim {

namespace {

constexpr uint8_t kCR = 0x0D;

class SableResponder : public Responder {
 public:
  SableResponder(bool ui3, Inputs& inputs) : Responder(inputs), ui3_(ui3) {
    words_.fill(-1);
    for (int i = 1; i <= 8; ++i) words_[(ui3 ? 0x7F : 0x8F) + i] = 32768 + 1000 * i;
    for (int k = 0; k < 4; ++k) {
      words_[0xB0 + k] = (25 + k) * 1000 + 5000;  // 25 .. 28 degrees Celsius
      words_[0xB4 + k] = 32768;                   // about 2.5 V
    }
    words_['c'] = 1234;
    words_[0xC1] = 20000;
  }

  void Received(std::string_view bytes, std::vector<Reply>& out) override {
    pending_.append(bytes);
    size_t used = 0;
    while (used < pending_.size()) {
      size_t n = Command(std::string_view(pending_).substr(used), out);
      if (n == 0) break;  // the command's arguments have not all come
      used += n;
    }
    pending_.erase(0, used);
  }

  int TimeoutMs() const override { return 1000; }
  void SetWord(uint8_t command, uint16_t word) override { words_[command] = word; }
  void SetInstrumentLine(std::string line) override { line_ = std::move(line); }

 private:
  // Answers the command at the start of `in`; returns the bytes it takes, 0 when incomplete.
  size_t Command(std::string_view in, std::vector<Reply>& out) {
    const auto b = static_cast<uint8_t>(in[0]);
    if (words_[b] >= 0) {
      const uint16_t w = WordOf(b);
      out.push_back({std::string{static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)}});
      return 1;
    }
    switch (b) {
      case 'e':
        out.push_back({ui3_ ? std::string("301\r\n") : std::string("205\r")});
        return 1;
      case 'i':
        if (in.size() < 2) return 0;
        if (static_cast<uint8_t>(in[1]) != kCR) return 1;
        out.push_back({line_ + "\r"});
        return 2;
      case 'o':
      case 'm':
        if (in.size() < 3) return 0;
        out.push_back({"K", 0, false});
        return 3;
      case 'D':
        return in.size() < 6 ? 0 : 6;
      default:  // 'f' (a UI2 switches to 115,200), 0xD0 at a run's start, and unknown bytes
        return 1;
    }
  }

  // Inputs 1..8 in volts on the +-5.12 V range (the firmware is 200 or later), T1..T4
  // (9..12) in degrees Celsius, the counter (13) in counts, the further voltage input
  // (14) in volts; 0: the command reads no input.
  int InputOf(uint8_t command) const {
    const int analog = command - (ui3_ ? 0x7F : 0x8F);
    if (analog >= 1 && analog <= 8) return analog;
    if (command >= 0xB0 && command <= 0xB3) return 9 + command - 0xB0;
    if (command == 'c') return 13;
    if (command == 0xC1) return 14;
    return 0;
  }
  bool HasInput(int input) const override { return input >= 1 && input <= 14; }
  bool TakesCommonRamp(int input) const override { return input <= 8 || input == 14; }

  uint16_t WordOf(uint8_t command) const {
    const auto raw = static_cast<uint16_t>(words_[command]);
    const int input = InputOf(command);
    if (input == 0 || !Changed(input)) return raw;
    return Word(input, Reads(input, Value(input, raw)));
  }
  static double Value(int input, uint16_t word) {
    if (input <= 8) return (word - 32768.0) / kCountsPerVolt;
    if (input <= 12) return (word - 5000.0) / 1000.0;
    if (input == 13) return word;
    return word * kAuxiliaryVoltsPerCount;
  }
  static uint16_t Word(int input, double value) {
    double w = value * kAuxiliaryCountsPerVolt;
    if (input <= 8) w = 32768.0 + value * kCountsPerVolt;
    if (input >= 9 && input <= 12) w = value * 1000.0 + 5000.0;
    if (input == 13) w = value;
    return static_cast<uint16_t>(std::clamp(std::lround(w), 0L, 65535L));
  }
  static constexpr double kCountsPerVolt = 6399.9;
  static constexpr double kAuxiliaryVoltsPerCount = 7.812608e-05;
  static constexpr double kAuxiliaryCountsPerVolt = 1.0 / kAuxiliaryVoltsPerCount;

  bool ui3_;
  std::array<int32_t, 256> words_{};
  std::string line_ = "SIM123,12.5,3.2 %:7";
  std::string pending_;
};

}  // namespace

std::unique_ptr<Responder> MakeSableResponder(bool ui3, Inputs& inputs) {
  return std::make_unique<SableResponder>(ui3, inputs);
}

}  // namespace mv::sim
