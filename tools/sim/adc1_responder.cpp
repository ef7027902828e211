// The RMS ADC-1: single command bytes, single bytes back. A start byte (input - 1 for
// low gain, input + 16 for high gain) is acknowledged with one byte and starts a
// conversion; 0xA1 asks for the status byte, which says "busy" (bit 7) for the first
// few polls of every conversion, then carries the sign (bit 4) and the top four bits of
// the 12-bit magnitude; 0x91 asks for the low byte. An output byte (64 plus one bit for
// each device on, 64..127) switches the device outputs and is acknowledged with itself,
// as a start byte is.
#include <algorithm>
#include <cmath>
#include <string>

#include "sim/responder.h"

namespace mv::sim {

namespace {

constexpr uint8_t kStatusRequest = 0xA1, kLowByteRequest = 0x91;
constexpr uint8_t kBusy = 0x80, kPositive = 0x10;
constexpr uint8_t kFirstOutputByte = 64, kLastOutputByte = 127;
constexpr int kInputs = 16;

class Adc1Responder : public Responder {
 public:
  Adc1Responder(int busyPolls, Inputs& inputs) : Responder(inputs), busyPolls_(busyPolls < 0 ? 0 : busyPolls) {}

  void Received(std::string_view bytes, std::vector<Reply>& out) override {
    for (char c : bytes) Command(static_cast<uint8_t>(c), out);
  }
  // The program gives up on a byte after 6 ticks.
  int TimeoutMs() const override { return 100; }
 private:
  bool HasInput(int input) const override { return input >= 1 && input <= kInputs; }

  void Command(uint8_t b, std::vector<Reply>& out) {
    if (b == kStatusRequest) {
      if (busyLeft_ > 0) {
        --busyLeft_;
        return Send(kBusy | (magnitude_ >> 8), out);
      }
      return Send(static_cast<uint8_t>((positive_ ? kPositive : 0) | (magnitude_ >> 8)), out);
    }
    if (b == kLowByteRequest) return Send(static_cast<uint8_t>(magnitude_ & 0xFF), out);
    if (b >= kFirstOutputByte && b <= kLastOutputByte) return Send(b, out);
    int input = 0;
    bool high = false;
    if (b < kInputs) {
      input = b + 1;
    } else if (b >= 17 && b < 17 + kInputs) {
      input = b - 16;
      high = true;
    } else {
      return;  // not a command: the converter says nothing
    }
    const Adc1Reading own = Adc1Simulated(input, high);
    const Adc1Reading r = Changed(input) ? FromVolts(Reads(input, Volts(own, high)), high) : own;
    magnitude_ = r.magnitude;
    positive_ = r.positive;
    busyLeft_ = busyPolls_;
    Send(b, out);  // the acknowledgement the program reads and ignores
  }
  // Full scale is 4095 counts: 0.4095 V at low gain, 0.00819 V at high gain.
  static double CountsPerVolt(bool high) { return high ? 500000.0 : 10000.0; }
  static Adc1Reading FromVolts(double volts, bool high) {
    const long counts = std::lround(std::fabs(volts) * CountsPerVolt(high));
    return {static_cast<int>(std::min(counts, 4095L)), volts >= 0};
  }
  static double Volts(Adc1Reading r, bool high) {
    return (r.positive ? 1 : -1) * r.magnitude / CountsPerVolt(high);
  }
  static void Send(uint8_t byte, std::vector<Reply>& out) {
    out.push_back({std::string(1, static_cast<char>(byte))});
  }

  int busyPolls_;
  int busyLeft_ = 0;
  int magnitude_ = 0;
  bool positive_ = true;
};

}  // namespace

Adc1Reading Adc1Simulated(int input, bool highGain) {
  return {(highGain ? 2000 : 1000) + 100 * input, input % 2 == 1};
}

std::unique_ptr<Responder> MakeAdc1Responder(const Options& options, Inputs& inputs) {
  return std::make_unique<Adc1Responder>(options.adc1BusyPolls, inputs);
}

}  // namespace mv::sim
