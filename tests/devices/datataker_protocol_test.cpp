// The DataTaker channel definitions, reply decoding and parameter blocks against
// hand-written wire texts.
#include "devices/datataker_protocol.h"

#include <gtest/gtest.h>

namespace mv::datataker {
namespace {

// Words: kind, thermocouple chosen, thermocouple type, terminal, counter.
constexpr DataTakerChannelsRecord kVolts{1, 0, 0, 0, 0};

TEST(DataTakerCommand, VoltageInputsByFamilyAndMode) {
  EXPECT_EQ(ChannelCommand(Family::DT500, 3, kVolts, false), "3V");
  EXPECT_EQ(ChannelCommand(Family::DT800, 4, kVolts, true), "4VNC");
  EXPECT_EQ(ChannelCommand(Family::DT800, 4, kVolts, false), "4V");
  // The fast mode belongs to the DT800 family only.
  EXPECT_EQ(ChannelCommand(Family::DT500, 4, kVolts, true), "4V");
}

TEST(DataTakerCommand, DT500InputsFromElevenTakeTheSecondBankPrefix) {
  EXPECT_EQ(ChannelCommand(Family::DT500, 10, kVolts, false), "10V");
  EXPECT_EQ(ChannelCommand(Family::DT500, 11, kVolts, false), "1:11V");
  EXPECT_EQ(ChannelCommand(Family::DT500, 12, {1, 0, 0, 2, 0}, false), "1:12-V");
  EXPECT_EQ(ChannelCommand(Family::DT800, 12, kVolts, false), "12V");
}

TEST(DataTakerCommand, ThermocouplesResistancesAndTerminals) {
  EXPECT_EQ(ChannelCommand(Family::DT800, 5, {0, 1, 3, 3, 0}, false), "5*TK");
  EXPECT_EQ(ChannelCommand(Family::DT500, 6, {0, 1, 2, 1, 0}, false), "6 + TJ");
  EXPECT_EQ(ChannelCommand(Family::DT500, 6, {0, 1, 1, 0, 0}, false), "6TT");
  EXPECT_EQ(ChannelCommand(Family::DT500, 6, {0, 0, 7, 9, 0}, false), "6TT");
  EXPECT_EQ(ChannelCommand(Family::DT800, 2, {2, 0, 0, 3, 0}, true), "2*R(2W)");
  EXPECT_EQ(ChannelCommand(Family::DT800, 2, {-4, 0, 0, 0, 0}, false), "2R(2W)");
}

TEST(DataTakerCommand, CountersIgnoreEveryOtherWord) {
  EXPECT_EQ(ChannelCommand(Family::DT500, 7, {0, 1, 3, 3, 1}, false), "7HSC");
  EXPECT_EQ(ChannelCommand(Family::DT500, 12, {1, 0, 0, 2, 1}, false), "12HSC");
  EXPECT_EQ(ChannelCommand(Family::DT800, 2, {1, 0, 0, 1, -1}, true), "2C");
}

TEST(DataTakerCommand, NoCommandForAnInputTheLoggerHasNot) {
  // A negative input written without its sign would read another input.
  EXPECT_EQ(ChannelCommand(Family::DT500, 0, kVolts, false), "");
  EXPECT_EQ(ChannelCommand(Family::DT500, -3, kVolts, false), "");
  EXPECT_EQ(ChannelCommand(Family::DT800, 1000, kVolts, false), "");
}

TEST(DataTakerReply, MillivoltsBecomeVoltsOnlyForVoltageInputs) {
  Decoded d = DecodeReply("1234.5", true);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.value, static_cast<float>(1234.5 * 0.001));
  EXPECT_FLOAT_EQ(d.value, 1.2345f);
  d = DecodeReply("1234.5", false);
  EXPECT_EQ(d.value, 1234.5f);
  d = DecodeReply(" \t-23.5,degC", false);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.value, -23.5f);
  d = DecodeReply("+42 counts", false);
  EXPECT_EQ(d.value, 42.0f);
  d = DecodeReply("1.5E3", true);
  EXPECT_EQ(d.value, 1.5f);
  EXPECT_TRUE(IsVoltageInput({1, 0, 0, 3, 0}));
  EXPECT_FALSE(IsVoltageInput({1, 0, 0, 0, 1}));
  EXPECT_FALSE(IsVoltageInput({0, 1, 3, 0, 0}));
}

TEST(DataTakerReply, ErrorTextIsNoReadingOfZero) {
  EXPECT_FALSE(DecodeReply("E05 - channel not available", true).ok);
  EXPECT_FALSE(DecodeReply("", false).ok);
  EXPECT_FALSE(DecodeReply(",12", false).ok);
  EXPECT_FALSE(DecodeReply("inf", false).ok);
  EXPECT_FALSE(DecodeReply("1e999", false).ok);
}

TEST(DataTakerBlocks, HighSpeedAndHighAccuracy) {
  using L = std::vector<std::string>;
  EXPECT_EQ(ParameterBlock(true, false, 60), (L{"CLEAR", "P11=60", "P46=16", "P60=100", "P57=1", "P58=100"}));
  EXPECT_EQ(ParameterBlock(true, false, 50), (L{"CLEAR", "P11=50", "P46=16", "P60=100", "P57=1", "P58=100"}));
  EXPECT_EQ(ParameterBlock(true, true, 50), (L{"CLEAR", "P11=1000", "P46=16", "P60=100", "P57=1", "P58=100"}));
  EXPECT_EQ(ParameterBlock(true, true, 60)[1], "P11=1000");
  EXPECT_EQ(ParameterBlock(false, true, 60), (L{"CLEAR", "P11=60", "P46=80", "P60=50", "P57=5", "P58=10"}));
  EXPECT_EQ(ParameterBlock(false, false, 50)[1], "P11=50");
}

TEST(DataTakerFamily, InterfaceCodes) {
  EXPECT_EQ(FamilyOf(3), Family::DT500);
  EXPECT_EQ(FamilyOf(4), Family::DT500);
  for (int16_t c : {5, 6, 7}) EXPECT_EQ(FamilyOf(c), Family::DT800);
  for (int16_t c : {0, 1, 2, 8, 9, 11}) EXPECT_FALSE(FamilyOf(c).has_value());
}

}  // namespace
}  // namespace mv::datataker
