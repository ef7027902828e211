#include "devices/sable_protocol.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace mv::sable {

Command CommandFor(int interfaceCode, int input, int tMode) {
  if (interfaceCode != 1 && interfaceCode != 2) return {};
  if (input >= 1 && input <= 8)
    return {Quantity::Analog, static_cast<uint8_t>((interfaceCode == 1 ? 143 : 127) + input)};
  if (input >= 9 && input <= 12) {
    if (tMode == 0) return {Quantity::TempCelsius, static_cast<uint8_t>(input + 167)};
    return {tMode == 2 ? Quantity::TempOhms : Quantity::TempVolts, static_cast<uint8_t>(input + 171)};
  }
  if (input == 13) return {Quantity::Counter, 'c'};
  if (input == 14) return {Quantity::Auxiliary, 0xC1};
  if (input == 15) return {Quantity::InstrumentField, 0};
  return {};
}

uint16_t ReplyWord(uint8_t first, uint8_t second) {
  return static_cast<uint16_t>(first + 256 * second);
}

float Scale(Quantity q, uint16_t w, bool range512) {
  const double word = w;
  switch (q) {
    case Quantity::Analog:
      return static_cast<float>((word - 32768.0) / (range512 ? 6399.9 : 6553.5));
    case Quantity::TempCelsius:
      return static_cast<float>((word - 5000.0) * 0.001);
    case Quantity::TempVolts:
      return static_cast<float>(word * 7.6295e-05);
    case Quantity::TempOhms: {
      // From the single-precision volts; a word of 65535 gives 4.99999 V, so 5 - v > 0.
      const double v = static_cast<float>(word * 7.6295e-05);
      return static_cast<float>(v * 100000.0 / (5.0 - v));
    }
    case Quantity::Counter:
      return static_cast<float>(word);
    case Quantity::Auxiliary:
      return static_cast<float>(word * (range512 ? 7.812608e-05 : 7.6295e-05));
    default:
      return 0.0f;
  }
}

Decoded DecodeReply(Quantity q, std::string_view bytes, bool range512) {
  if (bytes.empty()) return {false, 0.0f, "no reply"};
  if (bytes.size() < 2) return {false, 0.0f, "one byte only"};
  if (bytes.size() > 2) return {false, 0.0f, "more than two bytes"};
  uint16_t w = ReplyWord(static_cast<uint8_t>(bytes[0]), static_cast<uint8_t>(bytes[1]));
  return {true, Scale(q, w, range512), ""};
}

std::optional<float> InstrumentField(std::string_view text, int field) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  if (field < 1) field = 1;
  // The identification field ends at the first comma; the values after it are separated
  // by commas or colons, and are numbered as the field-choice window shows them.
  size_t pos = text.find(',');
  if (pos == std::string_view::npos) return std::nullopt;
  ++pos;
  for (int entry = 1; entry < field; ++entry) {
    pos = text.find_first_of(",:", pos);
    if (pos == std::string_view::npos) return std::nullopt;
    ++pos;
  }
  std::string kept;
  for (; pos < text.size() && text[pos] != ',' && text[pos] != ':'; ++pos) {
    char c = text[pos];
    if ((c >= '0' && c <= '9') || c == '-' || c == '.') kept += c;
  }
  if (kept.empty()) return std::nullopt;
  double v = 0;
  auto r = std::from_chars(kept.data(), kept.data() + kept.size(), v);
  if (r.ec == std::errc::invalid_argument) return 0.0f;  // "-" or "." alone: the text's number is 0
  // Digits too many for a reading are garbled text, not a value.
  if (r.ec != std::errc() || !(std::fabs(v) <= std::numeric_limits<float>::max())) return std::nullopt;
  return static_cast<float>(v);
}

}  // namespace mv::sable
