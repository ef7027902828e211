// The Sable codec against bytes and values worked out by hand from the wire rules.
#include "devices/sable_protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace mv::sable {
namespace {

using namespace std::string_literals;

TEST(SableCommands, EveryInputHasItsCommandByte) {
  for (int i = 1; i <= 8; ++i) {
    EXPECT_EQ(CommandFor(1, i, 0).byte, 0x90 + i - 1) << "UI2 input " << i;
    EXPECT_EQ(CommandFor(2, i, 0).byte, 0x80 + i - 1) << "UI3 input " << i;
    EXPECT_EQ(CommandFor(2, i, 0).quantity, Quantity::Analog);
  }
  for (int t = 0; t < 4; ++t) {
    EXPECT_EQ(CommandFor(1, 9 + t, 0).byte, 0xB0 + t);
    EXPECT_EQ(CommandFor(1, 9 + t, 0).quantity, Quantity::TempCelsius);
    EXPECT_EQ(CommandFor(2, 9 + t, 1).byte, 0xB4 + t);
    EXPECT_EQ(CommandFor(2, 9 + t, 1).quantity, Quantity::TempVolts);
    EXPECT_EQ(CommandFor(2, 9 + t, 2).byte, 0xB4 + t);
    EXPECT_EQ(CommandFor(2, 9 + t, 2).quantity, Quantity::TempOhms);
  }
  EXPECT_EQ(CommandFor(1, 13, 0).byte, 0x63);
  EXPECT_EQ(CommandFor(1, 14, 0).byte, 0xC1);
  EXPECT_EQ(CommandFor(1, 15, 0).quantity, Quantity::InstrumentField);
  for (int input : {0, 16, -1, 200}) EXPECT_EQ(CommandFor(1, input, 0).quantity, Quantity::None) << input;
  EXPECT_EQ(CommandFor(3, 1, 0).quantity, Quantity::None) << "not a Sable interface";
}

TEST(SableReplies, ScaleBothRangesAsTheRulesPin) {
  EXPECT_EQ(ReplyWord(0x34, 0x12), 0x1234);
  // UI2 input 3, +-5 V: 00 80 is w = 32768, 0 V; FF FF is 32767 / 6553.5.
  EXPECT_FLOAT_EQ(DecodeReply(Quantity::Analog, "\x00\x80"s, false).value, 0.0f);
  EXPECT_FLOAT_EQ(DecodeReply(Quantity::Analog, "\xFF\xFF"s, false).value, 4.99992370f);
  // UI3, +-5.12 V: 00 00 is -32768 / 6399.9.
  EXPECT_FLOAT_EQ(DecodeReply(Quantity::Analog, "\x00\x00"s, true).value, -5.12008f);
  // T2 in Celsius: 88 13 is w = 5000, 0 degrees; 10 27 (10000) is 5 degrees.
  EXPECT_FLOAT_EQ(DecodeReply(Quantity::TempCelsius, "\x88\x13"s, false).value, 0.0f);
  EXPECT_FLOAT_EQ(DecodeReply(Quantity::TempCelsius, "\x10\x27"s, false).value, 5.0f);
  // T in volts: 10000 x 7.6295e-05 = 0.76295 V, whatever the range.
  EXPECT_FLOAT_EQ(DecodeReply(Quantity::TempVolts, "\x10\x27"s, true).value, 0.76295f);
  // T in ohms: 32768 gives 2.50003 V, about 100,000 ohms (2.5 V exactly would be 100,000).
  EXPECT_NEAR(DecodeReply(Quantity::TempOhms, "\x00\x80"s, false).value, 100000.0f, 10.0f);
  // The counter is the raw word.
  EXPECT_FLOAT_EQ(DecodeReply(Quantity::Counter, "\xFF\xFF"s, false).value, 65535.0f);
  EXPECT_FLOAT_EQ(DecodeReply(Quantity::Counter, "\x00\x00"s, false).value, 0.0f);
  // Input 14: 20000 x 7.812608e-05 = 1.5625216 (+-5.12) or x 7.6295e-05 = 1.5259 (+-5).
  EXPECT_FLOAT_EQ(DecodeReply(Quantity::Auxiliary, "\x20\x4E"s, true).value, 1.5625216f);
  EXPECT_FLOAT_EQ(DecodeReply(Quantity::Auxiliary, "\x20\x4E"s, false).value, 1.5259f);
}

TEST(SableReplies, OneByteReplyIsAFailedReadingNeverAValue) {
  Decoded none = DecodeReply(Quantity::Analog, "", false);
  EXPECT_FALSE(none.ok);
  Decoded one = DecodeReply(Quantity::Analog, "\x80"s, false);
  EXPECT_FALSE(one.ok);
  EXPECT_STREQ(one.reason, "one byte only");
}

TEST(SableReplies, AReplyLongerThanTwoBytesIsAFailedReadingNeverAValue) {
  // Which two of them would be the reply cannot be known (a stale reply behind it, noise).
  for (const std::string& bytes : {"\x01\x02\x03"s, "\x01\x02\x03\x04"s, "\x00\x80\x00\x80\x11"s}) {
    Decoded d = DecodeReply(Quantity::Counter, bytes, false);
    EXPECT_FALSE(d.ok) << bytes.size();
    EXPECT_STREQ(d.reason, "more than two bytes");
  }
}

TEST(SableInstrumentText, FieldsAfterTheIdentification) {
  const std::string text = "12.5,3.2 %,7\r";
  EXPECT_FLOAT_EQ(*InstrumentField(text, 1), 3.2f);
  EXPECT_FLOAT_EQ(*InstrumentField(text, 2), 7.0f);
  EXPECT_FLOAT_EQ(*InstrumentField(text, 0), 3.2f) << "0 counts as 1";
  EXPECT_FALSE(InstrumentField(text, 3));
  EXPECT_FALSE(InstrumentField("no comma at all", 1));
  EXPECT_FALSE(InstrumentField("id,abc,5", 1)) << "nothing numeric";
  EXPECT_FLOAT_EQ(*InstrumentField("id,-0.25 V,1", 1), -0.25f);
}

TEST(SableInstrumentText, LastDigitOfAnUnterminatedTextIsKept) {
  EXPECT_FLOAT_EQ(*InstrumentField("12.5,3.2 %,7", 2), 7.0f);
  EXPECT_FLOAT_EQ(*InstrumentField("12.5,3.2 %,75\r\n", 2), 75.0f);
}

TEST(SableInstrumentText, ValuesAfterAColonCanBeChosen) {
  // Values are numbered as the field-choice window lists them: "," and ":" both separate.
  const std::string text = "SN123,1.5,2.75:10,x\r";
  EXPECT_FLOAT_EQ(*InstrumentField(text, 1), 1.5f);
  EXPECT_FLOAT_EQ(*InstrumentField(text, 2), 2.75f);
  EXPECT_FLOAT_EQ(*InstrumentField(text, 3), 10.0f);
  EXPECT_FALSE(InstrumentField(text, 4));
}

}  // namespace
}  // namespace mv::sable
