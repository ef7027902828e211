// The Sable UI2/UI3 wire protocol as pure functions: the one-byte command for a
// hardware input, the scaling of the two-byte little-endian reply, and the numeric
// fields of the serial instrument's text. Nothing here touches a port or a clock.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace mv::sable {

// Hardware inputs: 1-8 analog, 9-12 temperature inputs T1-T4, 13 counter, 14 the
// further voltage input, 15 a field of the serial instrument's text.
enum class Quantity { None, Analog, TempCelsius, TempVolts, TempOhms, Counter, Auxiliary, InstrumentField };

struct Command {
  Quantity quantity = Quantity::None;
  uint8_t byte = 0;  // the command byte (none for InstrumentField and None)
};

// The command for `input` on interface code 1 (UI2) or 2 (UI3); `tMode` is the read
// mode of a temperature input (0 Celsius, 1 volts, 2 ohms). Quantity::None for an
// input or interface that has no command.
Command CommandFor(int interfaceCode, int input, int tMode);

// The reply word: first byte + 256 x second byte.
uint16_t ReplyWord(uint8_t first, uint8_t second);

// The value of a reply word for the quantity; `range512` is the +-5.12 V range.
float Scale(Quantity q, uint16_t w, bool range512);

// A decoded reply: the value, or why there is none.
struct Decoded {
  bool ok = false;
  float value = 0.0f;
  const char* reason = "";
};
// Decodes the bytes a command brought once the line fell quiet: exactly two bytes are
// the reply. Fewer is a failed reading; so is more, since which two would be the reply
// cannot be known.
Decoded DecodeReply(Quantity q, std::string_view bytes, bool range512);

// Value n (0 counts as 1) of the instrument's text: after the identification field (up
// to the first comma) the values are separated by commas or colons; value n keeps only
// its characters 0-9, "-" and ".". Trailing CR and LF are not part of the text. Empty
// when nothing numeric is left.
std::optional<float> InstrumentField(std::string_view text, int field);

// The request for the instrument's text.
inline constexpr std::string_view kInstrumentRequest = "i\r";
// Firmware version request, and the UI2's switch to 115,200 baud.
inline constexpr uint8_t kFirmwareCommand = 'e';
inline constexpr uint8_t kFastBaudCommand = 'f';

}  // namespace mv::sable
