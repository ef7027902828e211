#include "runtime/macroman.h"

#include <gtest/gtest.h>

#include <string>

namespace mv {
namespace {

std::string Byte(int b) {
  return std::string(1, static_cast<char>(b));
}

// The symbols the program writes into its labels and files, with their UTF-8 bytes
// written out by hand.
TEST(MacRoman, ProgramSymbolsMapBothWays) {
  struct Case {
    int byte;
    char32_t cp;
    const char* utf8;
  };
  const Case cases[] = {
      {161, 0x00B0, "\xC2\xB0"},      // degree sign
      {165, 0x2022, "\xE2\x80\xA2"},  // bullet
      {169, 0x00A9, "\xC2\xA9"},      // copyright sign
      {185, 0x03C0, "\xCF\x80"},      // pi
      {198, 0x2206, "\xE2\x88\x86"},  // increment
      {214, 0x00F7, "\xC3\xB7"},      // division sign
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.byte);
    EXPECT_EQ(MacRomanToUnicode(static_cast<uint8_t>(c.byte)), c.cp);
    EXPECT_EQ(UnicodeToMacRoman(c.cp), c.byte);
    EXPECT_EQ(MacRomanToUtf8(Byte(c.byte)), c.utf8);
    EXPECT_EQ(Utf8ToMacRoman(c.utf8), Byte(c.byte));
  }
}

TEST(MacRoman, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    all += Byte(b);
    EXPECT_EQ(UnicodeToMacRoman(MacRomanToUnicode(static_cast<uint8_t>(b))), b) << b;
  }
  EXPECT_EQ(Utf8ToMacRoman(MacRomanToUtf8(all)), all);
  EXPECT_EQ(MacRomanToUtf8("plain ASCII\r"), "plain ASCII\r");
}

TEST(MacRoman, LookAlikeSymbolsMapToTheTableSymbol) {
  EXPECT_EQ(Utf8ToMacRoman("\xCE\x94"), Byte(0xC6));      // Greek capital delta
  EXPECT_EQ(Utf8ToMacRoman("\xCE\xBC"), Byte(0xB5));      // Greek small mu
  EXPECT_EQ(Utf8ToMacRoman("\xE2\x84\xA6"), Byte(0xBD));  // ohm sign
  // The reverse direction keeps the table's own character.
  EXPECT_EQ(MacRomanToUtf8(Byte(0xC6)), "\xE2\x88\x86");
}

TEST(MacRoman, CharactersMacRomanLacksBecomeQuestionMarks) {
  EXPECT_EQ(UnicodeToMacRoman(0x20AD), '?');           // kip sign
  EXPECT_EQ(Utf8ToMacRoman("a\xE6\x97\xA5z"), "a?z");  // CJK ideograph
  EXPECT_EQ(Utf8ToMacRoman("\xF0\x9F\x98\x80"), "?");  // emoji, four bytes, one mark
}

TEST(MacRoman, InvalidUtf8BecomesQuestionMarksWithoutLosingWhatFollows) {
  EXPECT_EQ(Utf8ToMacRoman("a\x80z"), "a?z");             // stray continuation byte
  EXPECT_EQ(Utf8ToMacRoman("a\xC3"), "a?");               // truncated at the end
  EXPECT_EQ(Utf8ToMacRoman("\xE2\x88z"), "?z");           // truncated three-byte sequence
  EXPECT_EQ(Utf8ToMacRoman("\xC0\xB0"), "??");            // overlong form of '0'
  EXPECT_EQ(Utf8ToMacRoman("\xE0\x80\xB0"), "???");       // overlong three-byte form
  EXPECT_EQ(Utf8ToMacRoman("\xED\xA0\x80"), "???");       // encoded surrogate
  EXPECT_EQ(Utf8ToMacRoman("\xF4\x90\x80\x80"), "????");  // above U+10FFFF
  EXPECT_EQ(Utf8ToMacRoman("\xFF\xFE"), "??");
  EXPECT_EQ(Utf8ToMacRoman(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(Utf8ToMacRoman(""), "");
}

}  // namespace
}  // namespace mv
