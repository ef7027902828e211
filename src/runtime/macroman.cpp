#include "runtime/macroman.h"

#include <algorithm>
#include <array>
#include <utility>

namespace mv {
namespace {

// Code points of the Mac Roman bytes 0x80 to 0xFF (0xDB is the euro sign, 0xF0
// the private-use apple logo, as in the current Mac Roman).
// clang-format off
constexpr std::array<char32_t, 128> kHighHalf = {
    // 0x80
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    // 0x90
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    // 0xA0
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    // 0xB0
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    // 0xC0
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    // 0xD0
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    // 0xE0
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    // 0xF0
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};
// clang-format on

using Entry = std::pair<char32_t, uint8_t>;

// Look-alike characters that people type or paste for the table's symbols: the
// Greek capital delta for the increment sign, the Greek mu for the micro sign,
// and the ohm sign for the Greek omega (its canonical equivalent).
constexpr std::array<Entry, 3> kAliases = {{{0x0394, 0xC6}, {0x03BC, 0xB5}, {0x2126, 0xBD}}};

// Code point -> byte for the high half and the aliases, sorted by code point.
const std::array<Entry, 128 + kAliases.size()>& ReverseTable() {
  static const auto table = [] {
    std::array<Entry, 128 + kAliases.size()> t{};
    for (std::size_t i = 0; i < 128; ++i) t[i] = {kHighHalf[i], static_cast<uint8_t>(0x80 + i)};
    std::copy(kAliases.begin(), kAliases.end(), t.begin() + 128);
    std::sort(t.begin(), t.end());
    return t;
  }();
  return table;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at s[i]. On success returns the code point and
// sets len; on an ill-formed sequence returns -1 and sets len to the bytes of
// its maximal well-formed prefix (at least 1), so each bad piece becomes one "?".
// Overlong forms, surrogates and values above U+10FFFF are ill-formed.
long DecodeOne(std::string_view s, std::size_t i, std::size_t& len) {
  const auto b0 = static_cast<uint8_t>(s[i]);
  len = 1;
  if (b0 < 0x80) return b0;
  int need;
  char32_t cp;
  uint8_t lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1, cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2, cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3, cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return -1;
  }
  for (int k = 1; k <= need; ++k) {
    if (i + k >= s.size()) return -1;
    const auto b = static_cast<uint8_t>(s[i + k]);
    if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xBF)) return -1;
    cp = (cp << 6) | (b & 0x3F);
    len = static_cast<std::size_t>(k) + 1;
  }
  return static_cast<long>(cp);
}

}  // namespace

char32_t MacRomanToUnicode(uint8_t byte) {
  return byte < 0x80 ? char32_t{byte} : kHighHalf[byte - 0x80];
}

uint8_t UnicodeToMacRoman(char32_t cp) {
  if (cp < 0x80) return static_cast<uint8_t>(cp);
  const auto& t = ReverseTable();
  auto it = std::lower_bound(t.begin(), t.end(), Entry{cp, 0});
  return (it != t.end() && it->first == cp) ? it->second : static_cast<uint8_t>('?');
}

std::string MacRomanToUtf8(std::string_view macRoman) {
  std::string out;
  out.reserve(macRoman.size() * 2);
  for (char c : macRoman) AppendUtf8(out, MacRomanToUnicode(static_cast<uint8_t>(c)));
  return out;
}

std::string Utf8ToMacRoman(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t len = 1;
    const long cp = DecodeOne(utf8, i, len);
    out.push_back(static_cast<char>(cp < 0 ? '?' : UnicodeToMacRoman(static_cast<char32_t>(cp))));
    i += len;
  }
  return out;
}

}  // namespace mv
