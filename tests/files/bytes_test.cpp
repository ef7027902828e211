// The byte codecs every file format is built on, pinned against bytes written
// out by hand.
#include "files/bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace mv::bytes {
namespace {

std::string B(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

TEST(ByteCodecs, WholeNumbersInBothByteOrders) {
  ByteWriter w;
  w.i16be(-2);
  w.u16be(0x1234);
  w.i32be(-99999);
  w.u32be(0xDEADBEEF);
  w.i16le(577);
  w.u16le(0xFFFE);
  w.i32le(1433);
  w.u32le(0x01020304);
  EXPECT_EQ(w.data(), B({0xFF, 0xFE, 0x12, 0x34, 0xFF, 0xFE, 0x79, 0x61, 0xDE, 0xAD, 0xBE, 0xEF,
                         0x41, 0x02, 0xFE, 0xFF, 0x99, 0x05, 0x00, 0x00, 0x04, 0x03, 0x02, 0x01}));

  ByteReader r(w.data());
  int16_t s16 = 0;
  uint16_t u16 = 0;
  int32_t s32 = 0;
  uint32_t u32 = 0;
  ASSERT_TRUE(r.i16be(s16));
  EXPECT_EQ(s16, -2);
  ASSERT_TRUE(r.u16be(u16));
  EXPECT_EQ(u16, 0x1234);
  ASSERT_TRUE(r.i32be(s32));
  EXPECT_EQ(s32, -99999);
  ASSERT_TRUE(r.u32be(u32));
  EXPECT_EQ(u32, 0xDEADBEEFu);
  ASSERT_TRUE(r.i16le(s16));
  EXPECT_EQ(s16, 577);
  ASSERT_TRUE(r.u16le(u16));
  EXPECT_EQ(u16, 0xFFFE);
  ASSERT_TRUE(r.i32le(s32));
  EXPECT_EQ(s32, 1433);
  ASSERT_TRUE(r.u32le(u32));
  EXPECT_EQ(u32, 0x01020304u);
  EXPECT_TRUE(r.atEnd());
  EXPECT_TRUE(r.ok());
}

TEST(ByteCodecs, FloatsKeepTheirExactBits) {
  ByteWriter w;
  w.f32be(1.0f);
  w.f32be(-2.5f);
  w.f32le(0.1f);
  w.f64be(1.0);
  EXPECT_EQ(w.data(), B({0x3F, 0x80, 0x00, 0x00, 0xC0, 0x20, 0x00, 0x00, 0xCD, 0xCC,
                         0xCC, 0x3D, 0x3F, 0xF0, 0,    0,    0,    0,    0,    0}));

  // Signed zero, the smallest subnormal and a NaN with a payload come back bit for bit.
  const float odd[] = {-0.0f, std::numeric_limits<float>::denorm_min(),
                       std::numeric_limits<float>::infinity()};
  uint32_t nanBits = 0x7FC01234;
  float nan;
  std::memcpy(&nan, &nanBits, 4);
  ByteWriter w2;
  for (float f : odd) w2.f32be(f);
  w2.f32be(nan);
  ByteReader r(w2.data());
  for (float f : odd) {
    float back = 1;
    ASSERT_TRUE(r.f32be(back));
    EXPECT_EQ(std::memcmp(&back, &f, 4), 0);
  }
  float back = 0;
  ASSERT_TRUE(r.f32be(back));
  uint32_t bits = 0;
  std::memcpy(&bits, &back, 4);
  EXPECT_EQ(bits, nanBits);
}

TEST(ByteCodecs, AReadPastTheEndFailsWithoutMovingAndStaysFailed) {
  const std::string data = B({0x01, 0x02, 0x03});
  ByteReader r(data);
  int32_t v = 42;
  EXPECT_FALSE(r.i32be(v));
  EXPECT_EQ(v, 42) << "a failed read leaves its output alone";
  EXPECT_EQ(r.position(), 0u);
  EXPECT_FALSE(r.ok());
  int16_t s = 0;
  EXPECT_TRUE(r.i16be(s)) << "what still fits can be read";
  EXPECT_EQ(s, 0x0102);
  EXPECT_FALSE(r.ok()) << "the failure is remembered";
  double d = 7;
  EXPECT_FALSE(r.f64be(d));
  EXPECT_EQ(d, 7);
  std::string out = "x";
  EXPECT_FALSE(r.raw(2, out));
  EXPECT_EQ(out, "x");
  EXPECT_FALSE(r.skip(2));
  EXPECT_EQ(r.remaining(), 1u);
}

TEST(ByteCodecs, AnEmptyInputFailsEveryRead) {
  ByteReader r(std::string_view{});
  uint8_t b = 0;
  std::string s;
  EXPECT_FALSE(r.u8(b));
  EXPECT_FALSE(r.countedText(s));
  EXPECT_FALSE(r.line(s));
  EXPECT_TRUE(r.atEnd());
}

TEST(ByteCodecs, FixedTextIsCutOrBlankPadded) {
  ByteWriter w;
  w.fixedText("abc", 5);
  w.fixedText("abcdefgh", 4);
  w.fixedText("", 2);
  w.fixedText("z", 3, '\0');
  EXPECT_EQ(w.data(), std::string("abc  abcd  z\0\0", 14));
  ByteReader r(w.data());
  std::string t;
  ASSERT_TRUE(r.fixedText(5, t));
  EXPECT_EQ(t, "abc  ") << "the blanks come back as part of the text";
  EXPECT_EQ(FixedWidth("\xC6 %O2", 3), "\xC6 %");
}

TEST(ByteCodecs, CountedTextAndCountedFields) {
  ByteWriter w;
  w.countedText("hi");
  w.countedText(std::string(300, 'a'));  // cut at 255
  w.countedField("abcdef", 4);           // length byte + 3 bytes
  w.countedField("", 3);
  EXPECT_EQ(w.size(), 3u + 256u + 4u + 3u);
  EXPECT_EQ(w.data().substr(0, 3), "\x02hi");
  EXPECT_EQ(static_cast<unsigned char>(w.data()[3]), 255);
  EXPECT_EQ(w.data().substr(259, 4),
            "\x03"
            "abc");
  EXPECT_EQ(w.data().substr(263), std::string(3, '\0'));

  ByteReader r(w.data());
  std::string s;
  ASSERT_TRUE(r.countedText(s));
  EXPECT_EQ(s, "hi");
  ASSERT_TRUE(r.countedText(s));
  EXPECT_EQ(s, std::string(255, 'a'));
  ASSERT_TRUE(r.countedField(4, s));
  EXPECT_EQ(s, "abc");
  ASSERT_TRUE(r.countedField(3, s));
  EXPECT_EQ(s, "");
  EXPECT_TRUE(r.atEnd());
}

TEST(ByteCodecs, ALengthByteThatPointsPastTheDataOrTheFieldIsRefused) {
  const std::string longer = B({5, 'a', 'b'});
  ByteReader r(longer);
  std::string s = "keep";
  EXPECT_FALSE(r.countedText(s));
  EXPECT_EQ(s, "keep");
  EXPECT_EQ(r.position(), 0u);

  const std::string field = B({9, 'a', 'b', 'c'});
  ByteReader f(field);
  EXPECT_FALSE(f.countedField(4, s)) << "a length of 9 cannot fit a 4-byte field";
  EXPECT_EQ(f.position(), 0u);
}

TEST(ByteCodecs, LinesEndInCrLfOrCrLfPairs) {
  EXPECT_EQ(SplitLines("a\rb\nc\r\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\rb\r"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitLines("\r\n"), (std::vector<std::string>{""}));
  EXPECT_EQ(SplitLines("\n\r"), (std::vector<std::string>{"", ""})) << "LF then CR is two line ends";
  EXPECT_TRUE(SplitLines("").empty());
  EXPECT_EQ(SplitLines("last"), (std::vector<std::string>{"last"}));
  EXPECT_EQ(FirstLine("one, two\r\rrest"), "one, two");
  EXPECT_EQ(FirstLine("one\nrest"), "one");
  EXPECT_EQ(FirstLine("no end"), "no end");
  EXPECT_EQ(JoinLinesCR({"x", "", "y"}), "x\r\ry\r");

  ByteWriter w;
  w.line("first");
  w.line("");
  EXPECT_EQ(w.data(), "first\r\r");
  ByteReader r(w.data());
  std::string l;
  ASSERT_TRUE(r.line(l));
  EXPECT_EQ(l, "first");
  ASSERT_TRUE(r.line(l));
  EXPECT_EQ(l, "");
  EXPECT_FALSE(r.line(l));
}

}  // namespace
}  // namespace mv::bytes
