// The RMS ADC-1 codec against hand-worked values, and the reader on a scripted port
// with the virtual clock: the exact bytes sent, the gain rules, the per-byte time-out
// to the tick, the bad-reading rule and the sounds.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "devices/adc1_protocol.h"
#include "devices/adc1_reader.h"
#include "devices/dispatcher.h"
#include "devices/line_step.h"
#include "devices/needs.h"
#include "devices/scripted_port.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "setup/state.h"

namespace mv {
namespace {

using namespace std::string_literals;
using adc1::Gain;

TEST(Adc1Codec, CommandBytesAndValues) {
  EXPECT_EQ(adc1::StartByte(1, Gain::Low), 0x00);
  EXPECT_EQ(adc1::StartByte(3, Gain::Low), 0x02);
  EXPECT_EQ(adc1::StartByte(3, Gain::High), 0x13);
  EXPECT_EQ(adc1::StartByte(16, Gain::High), 0x20);
  // Input 0 would send 0xFF; 146 and 162 would send the low-byte and status requests.
  for (int bad : {0, -1, 17, 146, 162}) EXPECT_FALSE(adc1::StartByte(bad, Gain::Low)) << bad;

  EXPECT_FLOAT_EQ(adc1::Value(0x1F, 0xFF, Gain::Low), 0.4095f);
  EXPECT_FLOAT_EQ(adc1::Value(0x0F, 0xFF, Gain::Low), -0.4095f);
  EXPECT_FLOAT_EQ(adc1::Value(0x1F, 0xFF, Gain::High), 0.00819f);
  EXPECT_FLOAT_EQ(adc1::Value(0x19, 0x92, Gain::High), 0.0049f);  // 2450 / 500000
  // Bits 5 and 6 carry nothing.
  EXPECT_FLOAT_EQ(adc1::Value(0x71, 0x00, Gain::Low), 0.0256f);
  EXPECT_FALSE(std::signbit(adc1::Value(0x00, 0x00, Gain::Low)));
  EXPECT_TRUE(adc1::StillConverting(0x80));
  EXPECT_FALSE(adc1::StillConverting(0x7F));

  EXPECT_TRUE(adc1::WantsHighGain(0.0081f));
  EXPECT_TRUE(adc1::WantsHighGain(-0.0050f));
  EXPECT_FALSE(adc1::WantsHighGain(0.00819f));
  EXPECT_FLOAT_EQ(adc1::ChooseAutomatic(0.0050f, 0.0049f), 0.0049f);
  EXPECT_FLOAT_EQ(adc1::ChooseAutomatic(0.0081f, 0.00819f), 0.0081f);
}

class Adc1ReaderTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    External_AD = ExternalADCode::ADC1;
    rt::SetSoundSink(
        [this](const std::string& path) { events.push_back("play " + test::SoundFolderAndFile(path)); });
    services::StopSampleBeep = [this] { events.push_back("stop beep"); };
    ChannelVariables[1][1] = 3;
  }
  void TearDown() override {
    CloseSerialPort();
    ProgramTest::TearDown();
  }
  // A conversion that answers at once: start reply, one finished status, low byte.
  void Conversion(std::string status, std::string low) {
    port->ReplyNext("\x00"s);
    port->ReplyNext(status);
    port->ReplyNext(low);
  }

  ScriptedSerialPort* port = nullptr;
  std::vector<std::string> events;
};

TEST_F(Adc1ReaderTest, FixedLowGainSendsThreeBytesAndNeverUpdatesTheLastValue) {
  GainSet = 2;
  lastvoltage[1] = 1.5f;
  Conversion("\x10"s, "\x32"s);  // 50 / 10000
  ReadADC1(1);
  EXPECT_EQ(port->Writes(), (std::vector<std::string>{"\x02"s, "\xA1"s, "\x91"s}));
  EXPECT_EQ(hardwareADchannel, 3);
  EXPECT_FLOAT_EQ(volts, 0.0050f);
  EXPECT_FLOAT_EQ(lastvoltage[1], 1.5f);
  EXPECT_EQ(events, std::vector<std::string>{"stop beep"});
}

TEST_F(Adc1ReaderTest, AutomaticGainTakesTheHighGainValueOfASmallSignal) {
  GainSet = 1;
  Conversion("\x10"s, "\x32"s);  // 0.0050 V at low gain
  Conversion("\x19"s, "\x92"s);  // 0.0049 V at high gain
  ReadADC1(1);
  EXPECT_EQ(port->Written(), "\x02\xA1\x91\x13\xA1\x91"s);
  EXPECT_FLOAT_EQ(volts, 0.0049f);
  EXPECT_FLOAT_EQ(lastvoltage[1], 0.0049f);
}

TEST_F(Adc1ReaderTest, AutomaticGainKeepsTheLowGainValueWhenHighGainOverflows) {
  GainSet = 1;
  Conversion("\x10"s, "\x51"s);  // 0.0081 V
  Conversion("\x1F"s, "\xFF"s);  // high-gain full scale
  ReadADC1(1);
  EXPECT_FLOAT_EQ(volts, 0.0081f);
  EXPECT_FLOAT_EQ(lastvoltage[1], 0.0081f);

  // A large signal needs no high-gain conversion.
  Conversion("\x0F"s, "\xFF"s);
  ReadADC1(1);
  EXPECT_EQ(port->Writes().size(), 9u);
  EXPECT_FLOAT_EQ(volts, -0.4095f);
}

// A line running late: the start byte's acknowledgement does not come within the byte
// time-out. Its late bytes (the acknowledgement, then the status) would make a value of
// the wrong bytes: the reading fails, and nothing more is asked of the converter.
TEST_F(Adc1ReaderTest, AStartByteNotAcknowledgedInTimeFailsTheReadingRatherThanTakeLateBytes) {
  GainSet = 2;
  port->ReplyNext("");
  port->ReplyNext("\x02"s);
  port->ReplyNext("\x81"s);
  ReadADC1(1);
  EXPECT_EQ(port->Written(), "\x02"s);
  EXPECT_FLOAT_EQ(volts, kBadReading);
}

TEST_F(Adc1ReaderTest, FixedHighGainPollsWhileBusyAndKeepsTheLastValue) {
  GainSet = 3;
  port->ReplyNext("\xFF"s);  // the start byte's reply: its content does not matter
  port->ReplyNext("\x80"s, 2);
  port->ReplyNext("\x9F"s, 2);
  port->ReplyNext("\x0F"s, 2);
  port->ReplyNext("\xFF"s, 2);
  ReadADC1(1);
  EXPECT_EQ(port->Written(), "\x13\xA1\xA1\xA1\x91"s);
  EXPECT_FLOAT_EQ(volts, -0.00819f);
  EXPECT_FLOAT_EQ(lastvoltage[1], -0.00819f);
  EXPECT_EQ(events, std::vector<std::string>{"stop beep"});
}

TEST_F(Adc1ReaderTest, AReplyByteMayTakeSixTicksButNotSeven) {
  GainSet = 2;
  port->ReplyNext("\x00"s);
  port->ReplyNext("\x10"s);
  port->ReplyNext("\x01"s, 6);
  ReadADC1(1);
  EXPECT_FLOAT_EQ(volts, 0.0001f);

  port->ReplyNext("\x00"s);
  port->ReplyNext("\x10"s);
  port->ReplyNext("\x01"s, 7);
  const uint32_t before = rt::TickCount();
  ReadADC1(1);
  EXPECT_FLOAT_EQ(volts, kBadReading);
  EXPECT_EQ(rt::TickCount() - before, 7u);
}

TEST_F(Adc1ReaderTest, FailedReadsFollowTheirGainsBadReadingRule) {
  PrefsArray[PrefsSlot::BadReadingKeepsLast] = 1;
  SerialWarningBuzz = 1;
  Sample = 5;
  lastvoltage[1] = 0.002f;

  GainSet = 2;  // a failed low-gain read is always the bad-reading mark
  ReadADC1(1);
  EXPECT_FLOAT_EQ(volts, kBadReading);
  EXPECT_EQ(events, (std::vector<std::string>{"stop beep", "play MVsounds/AlarmBUZZ.mp3"}));

  GainSet = 3;  // a failed high-gain read gives the last value from the second sample on
  ReadADC1(1);
  EXPECT_FLOAT_EQ(volts, 0.002f);
  Sample = 1;
  ReadADC1(1);
  EXPECT_FLOAT_EQ(volts, kBadReading);

  // A reading while a late reply may still come asks nothing; once it can no longer come:
  GainSet = 1;  // automatic: the low-gain value was good, the high-gain exchange failed
  Sample = 5;
  rt::AdvanceVirtualClock(std::chrono::duration<double>(kLateReplyWindow).count());
  Conversion("\x10"s, "\x05"s);
  ReadADC1(1);
  EXPECT_FLOAT_EQ(volts, 0.002f);
  EXPECT_FLOAT_EQ(lastvoltage[1], 0.002f);
}

TEST_F(Adc1ReaderTest, ConverterThatStaysBusyCannotHangTheRead) {
  GainSet = 2;
  port->ReplyNext("\x00"s);
  for (int i = 0; i < 1000; ++i) port->ReplyNext("\x80"s);
  ReadADC1(1);
  EXPECT_FLOAT_EQ(volts, kBadReading);
  EXPECT_EQ(static_cast<int>(port->Writes().size()), 1 + kAdc1MaxStatusPolls);
  EXPECT_EQ(port->Written().find('\x91'), std::string::npos);
}

TEST_F(Adc1ReaderTest, ChannelOnAnInputTheConverterLacksSendsNothing) {
  GainSet = 3;
  SerialWarningBuzz = 1;
  for (float input : {0.0f, 17.0f, 162.0f}) {
    ChannelVariables[2][1] = input;
    ReadADC1(2);
    EXPECT_TRUE(port->Written().empty()) << input;
    EXPECT_FLOAT_EQ(volts, kBadReading);
  }
  EXPECT_EQ(events.back(), "play MVsounds/AlarmBUZZ.mp3");
}

TEST_F(Adc1ReaderTest, StaleByteIsNotTakenAsAReply) {
  GainSet = 2;
  port->DeliverNow("\x44"s);  // left over from an earlier exchange
  Conversion("\x10"s, "\x0A"s);
  ReadADC1(1);
  EXPECT_FLOAT_EQ(volts, 0.0010f);
}

// A reply longer than its one byte, or a status byte with the bits the converter never
// sets, is no reading (its first byte would read as a plausible value): the reading
// fails, the rest is drained, and the next conversion reads right.
TEST_F(Adc1ReaderTest, AReplyLongerThanItsByteOrABadStatusIsNoReading) {
  struct Case {
    const char* name;
    std::vector<std::string> replies;  // to the writes the reader makes before it gives up
  };
  const Case cases[] = {
      {"status with bit 6", {"\x02"s, "\x50"s}},    {"status with bit 5", {"\x02"s, "\x30"s}},
      {"two status bytes", {"\x02"s, "\x10\x10"s}}, {"two low bytes", {"\x02"s, "\x10"s, "\x0A\x0A"s}},
      {"three start bytes", {"\x02\x13\x88"s}},
  };
  GainSet = 2;
  SerialWarningBuzz = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InstallSerialPort(std::make_unique<ScriptedSerialPort>());
    port = &static_cast<ScriptedSerialPort&>(SerialLine());
    for (const std::string& reply : c.replies) port->ReplyNext(reply);
    events.clear();
    ReadADC1(1);
    EXPECT_FLOAT_EQ(volts, kBadReading);
    EXPECT_EQ(events.back(), "play MVsounds/AlarmBUZZ.mp3");
    EXPECT_EQ(port->PendingReplies(), 0u);
    Conversion("\x10"s, "\x0B"s);
    ReadADC1(1);
    EXPECT_FLOAT_EQ(volts, 0.0011f);
  }
}

TEST_F(Adc1ReaderTest, TheDispatcherReadsThroughTheInstalledReader) {
  services::ReadADC1 = ReadADC1;
  GainSet = 2;
  Conversion("\x1F"s, "\xFF"s);
  ReadExternalADValue(1, 1);
  EXPECT_FLOAT_EQ(volts, 0.4095f);
}

}  // namespace
}  // namespace mv
