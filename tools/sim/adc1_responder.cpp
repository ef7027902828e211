// The RMS ADC-1: single command bytes, single bytes back. A start byte (input - 1 for
// low gain, input + 16 for high gain) is acknowledged with one byte and starts a
// conversion; 0xA1 asks for the status byte, which says "busy" (bit 7) for the first
// few polls of every conversion, then carries the sign (bit 4) and the top four bits of
// the 12-bit magnitude; 0x91 asks for the low byte.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "sim/responder.h"

namespace mv::sim {

namespace {

constexpr uint8_t kStatusRequest = 0xA1, kLowByteRequest = 0x91;
constexpr uint8_t kBusy = 0x80, kPositive = 0x10;
constexpr int kInputs = 16;

class Adc1Responder : public Responder {
 public:
  explicit Adc1Responder(int busyPolls) : busyPolls_(busyPolls < 0 ? 0 : busyPolls) {}

  void Received(std::string_view bytes, std::vector<Reply>& out) override {
    for (char c : bytes) Command(static_cast<uint8_t>(c), out);
  }
  // The program gives up on a byte after 6 ticks.
  int TimeoutMs() const override { return 100; }
  bool SetValue(int input, double value) override { return setValues_.Set(input, value); }

 private:
  void Command(uint8_t b, std::vector<Reply>& out) {
    if (b == kStatusRequest) {
      if (busyLeft_ > 0) {
        --busyLeft_;
        return Send(kBusy | (magnitude_ >> 8), out);
      }
      return Send(static_cast<uint8_t>((positive_ ? kPositive : 0) | (magnitude_ >> 8)), out);
    }
    if (b == kLowByteRequest) return Send(static_cast<uint8_t>(magnitude_ & 0xFF), out);
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
    const std::optional<double> set = setValues_.Of(input);
    const Adc1Reading r = set ? FromVolts(*set, high) : Adc1Simulated(input, high);
    magnitude_ = r.magnitude;
    positive_ = r.positive;
    busyLeft_ = busyPolls_;
    Send(b, out);  // the acknowledgement the program reads and ignores
  }
  // Full scale is 4095 counts: 0.4095 V at low gain, 0.00819 V at high gain.
  static Adc1Reading FromVolts(double volts, bool high) {
    const long counts = std::lround(std::fabs(volts) * (high ? 500000.0 : 10000.0));
    return {static_cast<int>(std::min(counts, 4095L)), volts >= 0};
  }
  static void Send(uint8_t byte, std::vector<Reply>& out) {
    out.push_back({std::string(1, static_cast<char>(byte))});
  }

  InputValues setValues_{1, kInputs};
  int busyPolls_;
  int busyLeft_ = 0;
  int magnitude_ = 0;
  bool positive_ = true;
};

}  // namespace

Adc1Reading Adc1Simulated(int input, bool highGain) {
  return {(highGain ? 2000 : 1000) + 100 * input, input % 2 == 1};
}

std::unique_ptr<Responder> MakeAdc1Responder(const Options& options) {
  return std::make_unique<Adc1Responder>(options.adc1BusyPolls);
}

}  // namespace mv::sim
