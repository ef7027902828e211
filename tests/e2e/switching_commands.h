// What a simulated instrument received, decoded into one token per switching command,
// and the tokens a chosen set of lines gives: shared by the whole-program switching runs.
#pragma once
#include <initializer_list>
#include <string>
#include <vector>

namespace mv::test::switching {

inline std::string Hex(unsigned byte) {
  static const char* kDigits = "0123456789ABCDEF";
  return {kDigits[(byte >> 4) & 15], kDigits[byte & 15]};
}

inline unsigned Bits(std::initializer_list<int> lines) {
  unsigned bits = 0;
  for (int line : lines) bits |= 1u << (line - 1);
  return bits;
}

// The Sable's commands as the instrument takes them: "o" or "m" and one byte, "D" and
// five, "i" CR, any other byte alone. An "o" command gives "o" and its byte in hex.
inline std::vector<std::string> SableSwitches(const std::string& rx) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at < rx.size();) {
    const char c = rx[at];
    if ((c == 'o' || c == 'm') && at + 2 < rx.size()) {
      out.push_back(c + Hex(static_cast<unsigned char>(rx[at + 1])));
      at += 3;
    } else if (c == 'D') {
      at += 6;
    } else if (c == 'i' && at + 1 < rx.size() && rx[at + 1] == '\r') {
      at += 2;
    } else {
      ++at;
    }
  }
  return out;
}
// One line per device: bit d - 1 of the byte for each device d on.
inline std::string SableLines(std::initializer_list<int> lines) {
  return "o" + Hex(Bits(lines));
}
// The three-bit word: the byte d - 1.
inline std::string SableWord(int device) {
  return "o" + Hex(static_cast<unsigned>(device - 1));
}

// A DataTaker's digital-output lines "kDSO=v" CR: each run of them from line 1 gives
// its levels, "0111" (four lines, line 1 at 0) or "111" (a three-line word).
inline std::vector<std::string> DataTakerSwitches(const std::string& rx) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at < rx.size();) {
    std::size_t end = rx.find('\r', at);
    if (end == std::string::npos) end = rx.size();
    const std::string line = rx.substr(at, end - at);
    at = end + 1;
    if (line.size() != 6 || line.compare(1, 4, "DSO=") != 0) continue;
    if (line[0] == '1') out.emplace_back();
    if (!out.empty()) out.back() += line[5];
  }
  return out;
}
// A DT500 wired one line per device: four lines, active low.
inline std::string DT500Lines(std::initializer_list<int> lines) {
  std::string levels;
  for (int k = 1; k <= 4; ++k) levels += (Bits(lines) & (1u << (k - 1))) != 0 ? '0' : '1';
  return levels;
}
// A DT500's three-bit word, inverted, line 1 the lowest bit of d - 1.
inline std::string DT500Word(int device) {
  std::string levels;
  for (int k = 0; k < 3; ++k) levels += ((device - 1) >> k & 1) != 0 ? '0' : '1';
  return levels;
}

// A DT800, DT80 or DT85 wired one line per device: eight lines, active high.
inline std::string DT800Lines(std::initializer_list<int> lines) {
  std::string levels;
  for (int k = 1; k <= 8; ++k) levels += (Bits(lines) & (1u << (k - 1))) != 0 ? '1' : '0';
  return levels;
}

// The ADC-1's output byte, 64 plus one bit per device on, in hex (its reading commands
// lie below 64 or above 127).
inline std::vector<std::string> Adc1Switches(const std::string& rx) {
  std::vector<std::string> out;
  for (const char c : rx) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x40 && b < 0x80) out.push_back(Hex(b));
  }
  return out;
}
inline std::string Adc1Devices(std::initializer_list<int> devices) {
  return Hex(0x40 + Bits(devices));
}

// The ADAM-4050's output commands "#0200" and two digits, CR: each gives its two digits
// (the module's inverted word, 07 for device 1 down to 00 for device 8).
inline std::vector<std::string> AdamSwitches(const std::string& rx) {
  std::vector<std::string> out;
  for (std::size_t at = rx.find("#0200"); at != std::string::npos && at + 7 <= rx.size();
       at = rx.find("#0200", at + 7))
    out.push_back(rx.substr(at + 5, 2));
  return out;
}
inline std::string AdamDevice(int device) {
  return "0" + std::to_string(8 - device);
}

}  // namespace mv::test::switching
