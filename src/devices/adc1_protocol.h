// The RMS ADC-1 byte protocol: single command bytes out, single bytes back. A
// conversion is started for one input at one of two gains, its status byte is polled
// until the converter is done, then the low byte of the 12-bit result is asked for.
// Pure functions only; the reader (adc1_reader) drives them over the serial line.
#pragma once
#include <cstdint>
#include <optional>

namespace mv::adc1 {

enum class Gain { Low, High };

// Asks for the status byte of the running conversion.
constexpr uint8_t kStatusRequest = 0xA1;
// Asks for the low byte of the finished conversion.
constexpr uint8_t kLowByteRequest = 0x91;

// Inputs the converter has. Any other input would turn into a byte that means
// something else (0xFF for input 0, or the status and low-byte requests themselves).
constexpr int kFirstInput = 1, kLastInput = 16;

// Status byte: bit 7 conversion still running, bit 4 value positive, bits 0-3 the top
// four bits of the magnitude.
constexpr uint8_t kBusyBit = 0x80, kPositiveBit = 0x10, kTopBitsMask = 0x0F;

// Full scale of each gain: 4095 / 10,000 V and 4095 / 500,000 V.
constexpr double kLowGainDivisor = 10000.0, kHighGainDivisor = 500000.0;
// A value smaller in magnitude than this is better read at high gain; it is the
// high-gain full scale, so a high-gain reading that is not smaller has overflowed.
constexpr float kHighGainLimit = 0.00819f;

// The byte that starts a conversion of `input` (low gain: input - 1, high gain:
// input + 16); nothing for an input the converter does not have.
std::optional<uint8_t> StartByte(int input, Gain gain);

// Bits 5 and 6 of a status byte are not used: a status byte with either set is no
// status the converter sends (line noise, or a reply taken out of turn).
constexpr uint8_t kUnusedStatusBits = 0x60;
constexpr bool StatusAllowed(uint8_t status) {
  return (status & kUnusedStatusBits) == 0;
}

// True while the status byte says the conversion is still running.
constexpr bool StillConverting(uint8_t status) {
  return (status & kBusyBit) != 0;
}

// The reading of a finished conversion: ((status AND 15) x 256 + low) divided by the
// gain's divisor in double precision, rounded to single precision, negative when bit 4
// of the status is clear. A zero magnitude is +0 whatever the sign bit says.
float Value(uint8_t status, uint8_t low, Gain gain);

// Automatic gain: a low-gain reading smaller in magnitude than the high-gain full
// scale is worth a high-gain conversion.
bool WantsHighGain(float lowGainValue);
// Automatic gain, both conversions done: the high-gain value when it is within the
// high-gain range, else the low-gain value.
float ChooseAutomatic(float lowGainValue, float highGainValue);

}  // namespace mv::adc1
