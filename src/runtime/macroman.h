// Mac Roman <-> UTF-8. The program keeps every text as Mac Roman bytes; the
// runtime converts at the widget boundary only.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace mv {

std::string MacRomanToUtf8(std::string_view macRoman);
// Characters Mac Roman lacks become "?".
std::string Utf8ToMacRoman(std::string_view utf8);
// The Unicode code point of one Mac Roman byte.
char32_t MacRomanToUnicode(uint8_t byte);
// The Mac Roman byte of a code point, or '?' when Mac Roman lacks it.
uint8_t UnicodeToMacRoman(char32_t cp);

}  // namespace mv
