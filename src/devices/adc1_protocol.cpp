#include "devices/adc1_protocol.h"

#include <cmath>

namespace mv::adc1 {

std::optional<uint8_t> StartByte(int input, Gain gain) {
  if (input < kFirstInput || input > kLastInput) return std::nullopt;
  return static_cast<uint8_t>(gain == Gain::Low ? input - 1 : input + 16);
}

float Value(uint8_t status, uint8_t low, Gain gain) {
  const int magnitude = (status & kTopBitsMask) * 256 + low;
  if (magnitude == 0) return 0.0f;
  const double divisor = gain == Gain::Low ? kLowGainDivisor : kHighGainDivisor;
  const float v = static_cast<float>(magnitude / divisor);
  return (status & kPositiveBit) ? v : -v;
}

bool WantsHighGain(float lowGainValue) { return std::fabs(lowGainValue) < kHighGainLimit; }

float ChooseAutomatic(float lowGainValue, float highGainValue) {
  return std::fabs(highGainValue) < kHighGainLimit ? highGainValue : lowGainValue;
}

}  // namespace mv::adc1
