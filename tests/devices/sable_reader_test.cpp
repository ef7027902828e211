// The Sable reader on a scripted port with the virtual clock: time-outs to the tick,
// the bad-reading rule, the sounds, and the services kept alive while it waits.
#include "devices/sable_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "devices/dispatcher.h"
#include "devices/needs.h"
#include "devices/read_wait.h"
#include "devices/scripted_port.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "setup/state.h"

namespace mv {
namespace {

using namespace std::string_literals;

class SableReaderTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    External_AD = ExternalADCode::SableUI2;
    rt::SetSoundSink(
        [this](const std::string& path) { events.push_back("play " + test::SoundFolderAndFile(path)); });
    services::StopSampleBeep = [this] { events.push_back("stop beep"); };
  }
  void TearDown() override {
    CloseSerialPort();
    ProgramTest::TearDown();
  }
  void OnInput(int channel, float input) { ChannelVariables[channel][1] = input; }

  ScriptedSerialPort* port = nullptr;
  std::vector<std::string> events;
};

TEST_F(SableReaderTest, AnalogInputOfAUI2) {
  OnInput(1, 3);
  port->ReplyNext("\x00\x80"s, 5);
  volts = 7;
  ReadSABLE(1, 0);
  EXPECT_EQ(port->Written(), "\x92");
  EXPECT_EQ(hardwareADchannel, 3);
  EXPECT_FLOAT_EQ(volts, 0.0f);
  EXPECT_FLOAT_EQ(lastvoltage[1], 0.0f);
  EXPECT_TRUE(events.empty());
}

TEST_F(SableReaderTest, TemperatureInputsFollowTheirOwnModes) {
  External_AD = ExternalADCode::SableUI3;
  OnInput(2, 10);  // T2
  TInputMode[2] = 0;
  ADsensorType[2] = 2;  // a serial-field number of channel 2 must not change T2's mode
  port->ReplyNext("\x88\x13"s);
  ReadSABLE(2, 0);
  EXPECT_EQ(port->Written(), "\xB1");
  EXPECT_FLOAT_EQ(volts, 0.0f);

  TInputMode[2] = 2;
  port->ReplyNext("\x00\x80"s);
  ReadSABLE(2, 0);
  EXPECT_EQ(port->Writes().back(), "\xB5");
  EXPECT_NEAR(volts, 100000.0f, 10.0f);
}

TEST_F(SableReaderTest, InputsOutsideTheTableReadNothing) {
  for (float input : {0.0f, 16.0f, -3.0f, 1e30f}) {
    OnInput(4, input);
    volts = 1.25f;
    ReadSABLE(4, 0);
    EXPECT_FLOAT_EQ(volts, 1.25f) << input;
  }
  EXPECT_TRUE(port->Written().empty());
}

TEST_F(SableReaderTest, AReplyAtTick60IsTakenNoneAt61) {
  OnInput(1, 1);
  port->ReplyNext("\x00\x80"s, 60);
  volts = 3;
  ReadSABLE(1, 0);
  EXPECT_FLOAT_EQ(volts, 0.0f);
  EXPECT_TRUE(events.empty());

  port->ReplyNext("\x00\x80"s, 61);
  const uint32_t before = rt::TickCount();
  ReadSABLE(1, 0);
  EXPECT_FLOAT_EQ(volts, kBadReading);
  EXPECT_GE(rt::TickCount() - before, 61u);
  EXPECT_LE(rt::TickCount() - before, 61u + 1);
  EXPECT_EQ(events, (std::vector<std::string>{"stop beep", "play MVsounds/AlarmBUZZ.mp3"}));
}

TEST_F(SableReaderTest, NoBuzzWhenTheWarningIsOff) {
  OnInput(1, 1);
  SerialWarningBuzz = 0;
  ReadSABLE(1, 0);
  EXPECT_FLOAT_EQ(volts, kBadReading);
  EXPECT_EQ(events, (std::vector<std::string>{"stop beep"}));
}

// Sample counts the samples stored: a reading of the second sample is taken at Sample 1.
TEST_F(SableReaderTest, LastValueRuleHoldsFromTheThirdSample) {
  OnInput(3, 5);
  const float good = static_cast<float>(4096 / 6553.5);
  port->ReplyNext("\x00\x90"s);  // w = 36864
  ReadSABLE(3, 0);
  ASSERT_FLOAT_EQ(lastvoltage[3], good);

  PrefsArray[PrefsSlot::BadReadingKeepsLast] = 1;
  Sample = 1;
  ReadSABLE(3, 0);
  EXPECT_FLOAT_EQ(volts, kBadReading) << "a failure in the second sample stores -99999";
  EXPECT_FLOAT_EQ(lastvoltage[3], good) << "a failed read is not a last value";
  Sample = 2;
  ReadSABLE(3, 0);
  EXPECT_FLOAT_EQ(volts, good) << "from the third sample on, the last value";
  PrefsArray[PrefsSlot::BadReadingKeepsLast] = 0;
  ReadSABLE(3, 0);
  EXPECT_FLOAT_EQ(volts, kBadReading);
}

TEST_F(SableReaderTest, AStrayByteIsNeverTakenAsAReading) {
  OnInput(1, 1);
  port->ReplyNext("\x40"s, 2);
  ReadSABLE(1, 0);
  EXPECT_FLOAT_EQ(volts, kBadReading);
  port->ReplyNext("\x00\x80"s, 2);
  ReadSABLE(1, 0);
  EXPECT_FLOAT_EQ(volts, 0.0f) << "the stray byte was discarded, not paired with the next reply";
}

TEST_F(SableReaderTest, AFourByteReplyIsAFailedReadingAndIsDrained) {
  OnInput(1, 3);
  PrefsArray[PrefsSlot::BadReadingKeepsLast] = 1;
  Sample = 5;
  lastvoltage[1] = 1.5f;
  // A reply with a stale one behind it: neither pair may be recorded.
  port->ReplyNext("\x00\x80\x10\x00"s, 2);
  ReadSABLE(1, 0);
  EXPECT_FLOAT_EQ(volts, 1.5f) << "the bad-reading rule, not 0 V";
  EXPECT_FLOAT_EQ(lastvoltage[1], 1.5f);
  EXPECT_EQ(events, (std::vector<std::string>{"stop beep", "play MVsounds/AlarmBUZZ.mp3"}));
  port->ReplyNext("\xFF\xFF"s, 2);
  ReadSABLE(1, 0);
  EXPECT_FLOAT_EQ(volts, 4.99992370f) << "nothing of the long reply is left for the next reading";
}

TEST_F(SableReaderTest, StaleBytesBeforeTheCommandAreNotPairedWithTheReply) {
  OnInput(1, 13);
  port->DeliverNow("\x55\x66\x77"s);  // e.g. the answer to the run-start byte
  port->ReplyNext("\x10\x00"s, 1);
  ReadSABLE(1, 0);
  EXPECT_FLOAT_EQ(volts, 16.0f);
}

TEST_F(SableReaderTest, ALateReplyIsNotTakenForTheNextChannel) {
  OnInput(1, 13);
  OnInput(2, 13);
  port->ReplyNext("\x01\x00"s, 65);  // 5 ticks after the time-out
  port->ReplyNext("\x02\x00"s, 10);  // the instrument answers in order
  ReadSABLE(1, 0);
  EXPECT_FLOAT_EQ(volts, kBadReading);
  ReadSABLE(2, 0);
  EXPECT_FLOAT_EQ(volts, 2.0f);
}

// A UI2 that answers its requests in order: analog input i with 1000 x i counts above
// zero, one tick after the request, except request number `late`, answered that many
// ticks after its time-out; a reply comes at least a tick after the one before it.
class InOrderUI2 : public ScriptedSerialPort {
 public:
  InOrderUI2(int late, uint32_t lateTicks) : late_(late), lateTicks_(lateTicks) {}
  bool Write(std::string_view bytes) override {
    const auto w = static_cast<uint16_t>(32768 + 1000 * (static_cast<uint8_t>(bytes[0]) - 0x8F));
    const uint32_t now = rt::TickCount();
    const uint32_t at =
        std::max(now + (++writes_ == late_ ? kSableTimeoutTicks + lateTicks_ : 1), lastArrival_ + 1);
    lastArrival_ = at;
    ReplyNext(std::string{static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)}, at - now);
    return ScriptedSerialPort::Write(bytes);
  }

 private:
  int late_, writes_ = 0;
  uint32_t lateTicks_, lastArrival_ = 0;
};

// A reply later than its time-out, by anything up to the late-reply window, is never
// taken as any channel's reading: every reading after it is its own channel's or fails,
// and the line reads again once the reply can no longer come.
TEST_F(SableReaderTest, ALateReplyIsNeverTakenForAnyChannel) {
  for (const uint32_t lateTicks : {6u, 60u, 180u}) {
    SCOPED_TRACE(lateTicks);
    InstallSerialPort(std::make_unique<InOrderUI2>(1, lateTicks));
    for (int ch = 1; ch <= 3; ++ch) OnInput(ch, static_cast<float>(ch));
    int good = 0;
    const uint32_t end = rt::TickCount() + 8 * 60;
    for (int16_t ch = 1; static_cast<int32_t>(rt::TickCount() - end) < 0;
         ch = static_cast<int16_t>(ch % 3 + 1)) {
      ReadSABLE(ch, 0);
      if (volts == kBadReading) continue;
      EXPECT_FLOAT_EQ(volts, static_cast<float>(1000 * ch / 6553.5)) << "channel " << ch;
      ++good;
    }
    EXPECT_GT(good, 3) << "reading resumed";
  }
}

// A byte after a reply may be the start of the next reply, and from there on each
// reading of the sweep may have taken the reply to the request before its own: a
// sweep keeps none of the readings a stray byte may have shifted, and gives their
// channels their last values back.
TEST_F(SableReaderTest, AStrayByteFailsEveryReadingOfItsSweepItMayHaveShifted) {
  struct Case {
    const char* name;
    std::string reply1;
    bool strayWithReply3, strayAtTheEnd;
    bool stood[3];
  };
  const std::string w1 = "\xE8\x83"s, w2 = "\xD0\x87"s, w3 = "\xB8\x8B"s;  // 1000, 2000, 3000 counts
  const Case cases[] = {
      {"none", w1, false, false, {true, true, true}},
      {"in reply 1", w1 + "\x55", false, false, {false, true, true}},
      {"after reply 2", w1, true, false, {false, false, false}},
      {"after the last reply", w1, false, true, {false, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto owned = std::make_unique<ScriptedSerialPort>();
    ScriptedSerialPort& line = *owned;
    InstallSerialPort(std::move(owned));
    for (int ch = 1; ch <= 3; ++ch) {
      OnInput(ch, static_cast<float>(ch));
      lastvoltage[ch] = -1.0f;
    }
    line.ReplyNext(c.reply1, 1);
    line.ReplyNext(w2, 1);
    line.ReplyNext(w3, 1);
    if (c.strayWithReply3) line.DeliverAt(rt::TickCount() + 3, "\x55");
    ChannelSweep sweep(0);
    for (int16_t ch = 1; ch <= 3; ++ch) sweep.Read(ch);
    if (c.strayAtTheEnd) line.DeliverNow("\x55");
    sweep.Settle();
    for (int ch = 1; ch <= 3; ++ch) {
      const ChannelSweep::Reading& r = sweep.Readings()[static_cast<size_t>(ch - 1)];
      EXPECT_EQ(r.stood, c.stood[ch - 1]) << "channel " << ch;
      EXPECT_FLOAT_EQ(r.value, r.stood ? static_cast<float>(1000 * ch / 6553.5) : kBadReading)
          << "channel " << ch;
      EXPECT_FLOAT_EQ(lastvoltage[ch], r.stood ? r.value : -1.0f) << "channel " << ch;
    }
  }
}

TEST_F(SableReaderTest, WaitsKeepNotesAndToolbarAliveOnlyInAnUnpausedRecording) {
  std::vector<std::string> calls;
  services::HandleNotes = [&] { calls.push_back("notes"); };
  services::ReadControlStrip = [&] { calls.push_back("toolbar"); };
  OnInput(1, 1);
  NoteWindowIsOpen = 1;
  port->ReplyNext("\x00\x80"s, 1);
  ReadSABLE(1, 1);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], "notes");
  EXPECT_EQ(calls[1], "toolbar");

  calls.clear();
  NoteWindowIsOpen = 0;
  port->ReplyNext("\x00\x80"s, 1);
  ReadSABLE(1, 1);
  ASSERT_FALSE(calls.empty());
  for (const auto& c : calls) EXPECT_EQ(c, "toolbar");

  calls.clear();
  HavePaused = 1;
  port->ReplyNext("\x00\x80"s, 1);
  ReadSABLE(1, 1);
  port->ReplyNext("\x00\x80"s, 1);
  HavePaused = 0;
  ReadSABLE(1, 0);
  EXPECT_TRUE(calls.empty());
}

TEST_F(SableReaderTest, InstrumentTextIsRequestedOncePerSample) {
  OnInput(1, 15);
  OnInput(2, 15);
  ADsensorType[1] = 1;
  ADsensorType[2] = 2;
  Sample = 4;
  port->ReplyNext("N12.5,3.2 %,7\r"s, 2);
  ReadExternalADValue(1, 1);
  EXPECT_FLOAT_EQ(volts, 3.2f);
  EXPECT_EQ(serialWasRead, 1);
  EXPECT_EQ(lastSample, 4);
  ReadExternalADValue(2, 1);
  EXPECT_FLOAT_EQ(volts, 7.0f);
  EXPECT_FLOAT_EQ(lastvoltage[2], 7.0f);
  EXPECT_EQ(port->Written(), "i\r") << "the second channel reuses the text";

  Sample = 5;  // a new sample asks again
  port->ReplyNext("N1,8,9\r"s, 2);
  ReadExternalADValue(2, 1);
  EXPECT_FLOAT_EQ(volts, 9.0f);
  EXPECT_EQ(port->Written(), "i\ri\r");
}

TEST_F(SableReaderTest, InstrumentTextWaitEndsAtTheDeadline) {
  OnInput(1, 15);
  ADsensorType[1] = 1;
  const uint32_t before = rt::TickCount();
  ReadSABLE(1, 1);
  EXPECT_FLOAT_EQ(volts, kBadReading);
  EXPECT_LE(rt::TickCount() - before, kSableTimeoutTicks + 2);
  EXPECT_EQ(serialWasRead, 0);
  EXPECT_EQ(events.back(), "play MVsounds/AlarmBUZZ.mp3");
}

TEST_F(SableReaderTest, InstrumentTextWithoutLineEndEndsWhenTheLineFallsQuiet) {
  OnInput(1, 15);
  ADsensorType[1] = 2;
  port->ReplyNext("N12.5,3.2,77"s, 2);
  ReadSABLE(1, 0);
  EXPECT_FLOAT_EQ(volts, 77.0f);
}

TEST_F(SableReaderTest, AnEmptyFieldIsAFailedReading) {
  OnInput(1, 15);
  ADsensorType[1] = 3;
  port->ReplyNext("N12.5,3.2\r"s, 2);
  ReadSABLE(1, 0);
  EXPECT_FLOAT_EQ(volts, kBadReading);
  EXPECT_EQ(events.back(), "play MVsounds/AlarmBUZZ.mp3");
}

}  // namespace
}  // namespace mv
