#include "kit/format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <utility>

#include "kit/state.h"
#include "runtime/clock.h"

namespace mv {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string S(const Str255& s) {
  return s.str();
}

// Whole values, and values just off them, show as whole numbers; decimals follow the
// magnitude with trailing zeros trimmed (a value the picture rounds up to a whole one
// is trimmed back to the point and no further); below one the float's own shortest
// digits show, not the rounding noise of its binary value.
TEST(StringFormatter, WholeValuesShowWholeAndDecimalsFollowTheMagnitude) {
  const std::pair<float, const char*> cases[] = {
      {3.0f, " 3"},         {2.9999999f, " 3"},     {3.000001f, " 3"},
      {-3.000001f, "-3"},   {-0.0f, " 0"},          {1000000.0f, " 1000000"},
      {2.5f, "  2.5"},      {123.456f, "  123.46"}, {-1234.56f, " -1234.6"},
      {12345.6f, " 12346"}, {10000.5f, " 10001"},   {999.999f, " 1000"},
      {9.999999f, " 10"},   {0.1f, " 0.1"},         {0.9999f, " 0.9999"},
      {-0.25f, "-0.25"}};
  for (auto [value, text] : cases) EXPECT_EQ(S(StringFormatter(value)), text) << value;
}

// Values beyond a 64-bit integer must be rounded in floating point; an integer cast
// would be undefined (the sanitizer build catches it).
TEST(StringFormatter, HugeValuesDoNotOverflowAnInteger) {
  EXPECT_EQ(S(StringFormatter(3e38f)), " 3e+38");
  EXPECT_EQ(S(StringFormatter(-1e20f)), "-1e+20");
  EXPECT_EQ(S(StringFormatter(std::numeric_limits<float>::max())), " 3.4028235e+38");
}

// A single-precision value is shown and written as the shortest decimal that reads
// back as the same float, in the layout each rule gives any value: the readout's
// pictures and whole values, the plain conversion's sign place and exponent form from
// 10^10, the printed rule's fixed notation from 2^-7 to 2^32. Whole values the rules
// write in fixed notation keep their exact digits. Texts written by hand.
TEST(NumberTexts, SinglePrecisionValuesShowNoRoundingNoise) {
  struct Case {
    float value;
    const char* readout;  // StringFormatter
    const char* plain;    // PlainText10
    const char* printed;  // PrintedNumber
  };
  const Case cases[] = {
      {0.06361f, " 0.06361", " 0.06361", " 0.06361"},
      {0.1218099967f, " 0.12181", " 0.12181", " 0.12181"},
      {0.1106f, " 0.1106", " 0.1106", " 0.1106"},
      {-0.06361f, "-0.06361", "-0.06361", "-0.06361"},
      {1.2f, "  1.2", " 1.2", " 1.2"},
      {123.456f, "  123.46", " 123.456", " 123.456"},
      {-2.5f, " -2.5", "-2.5", "-2.5"},
      {0.0078125f, " 0.0078125", " 0.0078125", " 0.0078125"},
      {0.0078f, " 0.0078", " 0.0078", " 7.8e-03"},
      {1e-8f, " 1e-08", " 1e-08", " 1e-08"},
      {-1e-8f, "-1e-08", "-1e-08", "-1e-08"},
      {3.4e38f, " 3.4e+38", " 3.4e+38", " 3.4e+38"},
      {-3.4e38f, "-3.4e+38", "-3.4e+38", "-3.4e+38"},
      {3.0f, " 3", " 3", " 3"},
      {-99999.0f, "-99999", "-99999", "-99999"},
      {16777216.0f, " 16777216", " 16777216", " 16777216"},
      {4294967296.0f, " 4294967296", " 4294967296", " 4294967296"},
      {8589934592.0f, " 8589934592", " 8589934592", " 8.589935e+09"},
      {1e10f, " 1e+10", " 1e+10", " 1e+10"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(S(StringFormatter(c.value)), c.readout) << c.value;
    EXPECT_EQ(S(PlainText10(c.value)), c.plain) << c.value;
    EXPECT_EQ(S(PrintedNumber(c.value)), c.printed) << c.value;
  }
}

// Nothing is lost: the plain and printed texts of any finite float read back as the
// very same float, with at most nine significant digits (a float never needs more).
TEST(NumberTexts, SinglePrecisionTextsReadBackBitExact) {
  uint32_t bits = 0x3D824C98;  // 0.06361f, then a walk over the whole range
  for (int i = 0; i < 20'000; ++i) {
    bits = bits * 1664525u + 1013904223u;
    float v = 0;
    std::memcpy(&v, &bits, sizeof v);
    if (!std::isfinite(v)) continue;
    for (const Str255& text : {PlainText10(v), PrintedNumber(v)}) {
      const float back = static_cast<float>(TextToNumber(text.str()));
      ASSERT_EQ(std::memcmp(&back, &v, sizeof v), 0) << S(text) << " from " << bits;
      const std::string mantissa = text.str().substr(0, text.str().find('e'));
      const auto digits =
          std::count_if(mantissa.begin(), mantissa.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
      const auto leadingZeros = mantissa.find_first_of("123456789") - mantissa.find_first_of("0123456789");
      if (v == std::trunc(v) && std::fabs(v) >= 1e9f) continue;  // whole values keep their exact digits
      EXPECT_LE(digits - static_cast<long>(leadingZeros), 9) << S(text);
    }
  }
}

TEST(NumberTexts, NonFiniteValuesGetFixedTextsInEveryFormatter) {
  const float fNaN = std::numeric_limits<float>::quiet_NaN(), fInf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(S(StringFormatter(fNaN)) + S(StringFormatter(fInf)) + S(StringFormatter(-fInf)), " NaN Inf-Inf");
  EXPECT_EQ(S(PlainText10(kNaN)) + S(PlainText10(kInf)) + S(PlainText10(-kInf)), " NaN Inf-Inf");
  EXPECT_EQ(S(NumText(kNaN)) + S(NumText(kInf, 3)) + S(NumText(-kInf)), " NaN Inf-Inf");
  EXPECT_EQ(S(PrintedNumber(kNaN)) + S(PrintedNumber(kInf)) + S(PrintedNumber(-kInf)), " NaN Inf-Inf");
  EXPECT_EQ(S(PictureFormat(kNaN, "###.##")), "   NaN") << "in the picture's width";
  EXPECT_EQ(S(PictureFormat(-kInf, "####.#")), "  -Inf");
  EXPECT_EQ(S(PictureFormat(kInf, "#")), " Inf");
}

TEST(NumberTexts, TenSignificantDigitsWithASignPlace) {
  const std::pair<double, const char*> plain[] = {{1.0 / 3.0, " 0.3333333333"},
                                                  {-2.0 / 3.0, "-0.6666666667"},
                                                  {1234567890.0, " 1234567890"},
                                                  {-0.0, " 0"}};
  for (auto [value, text] : plain) EXPECT_EQ(S(PlainText10(value)), text) << value;
  // Printed numbers use fixed notation from 2^-7 up to 2^32.
  const std::pair<double, const char*> printed[] = {{0.0, " 0"},
                                                    {-7.0, "-7"},
                                                    {123456.789, " 123456.789"},
                                                    {2.0 / 3.0 * 1e-10, " 6.666666667e-11"},
                                                    {0.0078125, " 0.0078125"},
                                                    {0.0078, " 7.8e-03"},
                                                    {4294967296.0, " 4294967296"},
                                                    {4294967297.0, " 4.294967297e+09"},
                                                    {1e300, " 1e+300"}};
  for (auto [value, text] : printed) EXPECT_EQ(S(PrintedNumber(value)), text) << value;
}

TEST(NumText, FollowsTheDigitsSettingAndWholeValuesKeepAllTheirDigits) {
  const int16_t saved = SignificantDigits;
  const std::pair<double, const char*> five[] = {{3.14159265, " 3.1416"},       {0.000123456, " 0.00012346"},
                                                 {0.0000123456, " 1.2346e-05"}, {123456.7, " 1.2346e+05"},
                                                 {12345.67, " 12346"},          {123456.0, " 123456"},
                                                 {-2000000.0, "-2000000"},      {1e20, " 1e+20"}};
  const std::pair<double, const char*> three[] = {
      {3.14159, " 3.14"}, {1234.5, " 1.23e+03"}, {-12.3456, "-12.3"}};
  SignificantDigits = 5;  // as at start-up
  for (auto [value, text] : five) EXPECT_EQ(S(NumText(value)), text) << value;
  SignificantDigits = 3;  // as some windows ask
  for (auto [value, text] : three) EXPECT_EQ(S(NumText(value)), text) << value;
  EXPECT_EQ(S(NumText(3.14159, 5)), " 3.1416") << "explicit digits ignore the setting";
  SignificantDigits = saved;
}

// A value that rounds to zero has no minus sign; one too wide overflows to the left.
TEST(PictureFormat, RoundsToThePictureRightAlignsAndGroupsThousands) {
  const std::tuple<double, const char*, const char*> cases[] = {
      {3.14159, "###.##", "  3.14"},    {-3.14159, "###.##", " -3.14"},
      {2.999, "##.##", " 3.00"},        {-0.001, "#.##", "0.00"},
      {12345.0, "##.#", "12345.0"},     {-12.0, "##", "-12"},
      {123456.0, "###,###", "123,456"}, {1234.0, "###,###", "  1,234"},
      {-1234.0, "###,###", " -1,234"},  {1234567.0, "#,###,###", "1,234,567"}};
  for (auto [value, picture, text] : cases) EXPECT_EQ(S(PictureFormat(value, picture)), text) << value;
}

// No text yields a value that is no number.
TEST(TextToNumber, TakesTheLeadingNumberAndReadsTextsWithoutOneAsZero) {
  const std::pair<const char*, double> cases[] = {
      {" 12.5abc", 12.5}, {"-3e2", -300}, {"+4", 4},        {"-.5", -0.5}, {"5.", 5},
      {"1e", 1},          {" \t7 8", 7},  {"0,5", 0},       {"abc", 0},    {"", 0},
      {"-", 0},           {".", 0},       {"--5", 0},       {"+-5", 0},    {"- 5", 0},
      {"2.5E-1x", 0.25},  {"inf", 0},     {"-Infinity", 0}, {"nan", 0},    {"1e999", 0}};
  for (auto [text, value] : cases) EXPECT_EQ(TextToNumber(text), value) << "'" << text << "'";
}

TEST(Truncate, RemovesEveryTrailingBlank) {
  for (auto [text, truncated] : {std::pair{"abc  ", "abc"}, {"   ", ""}, {" a b ", " a b"}, {"", ""}}) {
    Str255 s(text);
    TRUNCATE(s);
    EXPECT_EQ(S(s), truncated) << "'" << text << "'";
  }
}

TEST(Clock, SecondsFromTheMicrosecondClock) {
  const bool wasVirtual = rt::VirtualClockInUse();
  rt::UseVirtualClock(true);
  rt::SetVirtualMicroseconds((uint64_t{1} << 32) + 500000);  // high word 1, low word 500000
  EXPECT_DOUBLE_EQ(GetCurrentTimeInSeconds(), 4295.467296);
  rt::UseVirtualClock(wasVirtual);
}

// Puts the process locale back however the test ends.
struct LocaleRestorer {
  std::string saved = std::setlocale(LC_ALL, nullptr);
  ~LocaleRestorer() { std::setlocale(LC_ALL, saved.c_str()); }
};

// A user whose locale writes a decimal comma must still get points in every text.
TEST(NumberTextLocale, DecimalCommaLocaleChangesNoText) {
  const LocaleRestorer restore;
  bool found = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8"})
    if ((found = std::setlocale(LC_ALL, name) != nullptr)) break;
  if (!found) GTEST_SKIP() << "no decimal-comma locale installed";
  // The runtime's toolkit sets the process locale the same way from the environment.
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(S(PrintedNumber(0.5)) + S(NumText(0.5, 5)) + S(PlainText10(0.5)), " 0.5 0.5 0.5");
  EXPECT_EQ(S(StringFormatter(2.5f)), "  2.5");
  EXPECT_EQ(S(StringFormatter(0.06361f)) + S(PrintedNumber(0.06361f)) + S(PlainText10(1.2f)),
            " 0.06361 0.06361 1.2");
  EXPECT_EQ(S(PictureFormat(1234.5, "#,###.#")), "1,234.5");
  EXPECT_EQ(TextToNumber("0.5"), 0.5);
  EXPECT_EQ(TextToNumber("0,5"), 0.0);
}

}  // namespace
}  // namespace mv
