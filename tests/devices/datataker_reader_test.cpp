// The DataTaker readers, reset, buffer emptying and mode window on a scripted port with
// the virtual clock: exact wire texts, time-outs to the tick and the bad-reading rule.
#include "devices/datataker_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "common/window_steps.h"
#include "connection_test_support.h"
#include "conversions/state.h"
#include "devices/datataker_inputs_window.h"
#include "devices/datataker_lists.h"
#include "devices/dispatcher.h"
#include "devices/dt800_mode_window.h"
#include "devices/needs.h"
#include "devices/scripted_port.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "setup/state.h"

namespace mv {
namespace {

std::string Lines(const std::vector<std::string_view>& lines) {
  std::string all;
  for (std::string_view l : lines) all += std::string(l) + "\r";
  return all;
}

class DataTakerTest : public test::ProgramTest, public test::WindowSteps {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    External_AD = ExternalADCode::DT800;
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(test::SoundFileName(path)); });
  }
  void TearDown() override {
    CloseSerialPort();
    SetLineOpener(nullptr);
    SetPortLister(nullptr);
    ProgramTest::TearDown();
  }
  void Channel(int16_t c, float input, DataTakerChannelsRecord record) {
    ChannelVariables[c][1] = input;
    DataTakerChannels[c] = record;
  }

  ScriptedSerialPort* port = nullptr;
  std::vector<std::string> sounds;
};

TEST_F(DataTakerTest, DT800FastModeReadsMillivoltsAsVolts) {
  Channel(2, 4.7f, {1, 0, 0, 0, 0});
  DT800FastAcquisitionMode = 1;
  lastvoltage[2] = 9;
  port->ReplyNext("1234.5\r\n", 3);
  ReadDataTaker800(2, 0);
  EXPECT_EQ(port->Written(), "4VNC\r");
  EXPECT_EQ(hardwareADchannel, 4);
  EXPECT_EQ(volts, static_cast<float>(1234.5 * 0.001));
  EXPECT_EQ(lastvoltage[2], volts) << "the DT800 family keeps its last good reading too";
  EXPECT_TRUE(sounds.empty());

  DT800FastAcquisitionMode = 0;
  port->ReplyNext("-2.5\r\n");
  ReadDataTaker800(2, 0);
  EXPECT_EQ(port->Writes().back(), "4V\r");
  EXPECT_EQ(volts, static_cast<float>(-2.5 * 0.001));
}

// A reply's LF is part of that reply whenever it comes, after the next request too, even
// on a slow line where it comes after that request has gone: it is no stray byte, and no
// sign that a late reply has begun, so a late second reply still holds the line until it
// has come, and the next sweep's reading is its own. A byte after a reply's CR that is
// not its LF may be the start of the next reply: it fails the readings of the sweep that
// it may have shifted, as any stray byte does.
TEST_F(DataTakerTest, AReplysLineEndIsItsOwnWheneverItComes) {
  struct Case {
    const char* name;
    std::string reply1;
    int lineEndAt;         // ticks after the sweep's start its LF arrives (-1: with the reply)
    uint32_t reply2Ticks;  // the second reply comes this long after its request
    std::vector<bool> stood;
  };
  const Case cases[] = {
      {"line end", "100\r\n", -1, 0, {true, true}},
      {"stray byte", "100\rX", -1, 0, {false, true}},
      {"line end after the next request", "100\r", 1, 2, {true, true}},
      {"line end before a late reply", "100\r", 1, kDataTakerTimeoutTicks + 36, {true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto fresh = std::make_unique<ScriptedSerialPort>();
    port = fresh.get();
    InstallSerialPort(std::move(fresh));
    Channel(1, 1, {1, 0, 0, 0, 0});
    Channel(2, 2, {1, 0, 0, 0, 0});
    const uint32_t start = rt::TickCount();
    port->ReplyNext(c.reply1);
    if (c.lineEndAt >= 0) port->DeliverAt(start + static_cast<uint32_t>(c.lineEndAt), "\n");
    port->ReplyNext("200\r\n", c.reply2Ticks);
    std::vector<bool> stood;
    {
      ChannelSweep sweep(0);
      sweep.Read(1);
      sweep.Read(2);
      sweep.Settle();
      for (const auto& r : sweep.Readings()) stood.push_back(r.stood);
    }
    EXPECT_EQ(stood, c.stood);
    // The next sweep, a second after the first began; the logger answers in order, so a
    // reply still owed would come before this one.
    rt::AdvanceVirtualClock(1.0 - (rt::TickCount() - start) / 60.0);
    port->ReplyNext("100\r\n", 10);
    ChannelSweep sweep(0);
    sweep.Read(1);
    sweep.Settle();
    ASSERT_TRUE(sweep.Readings()[0].stood);
    EXPECT_EQ(sweep.Readings()[0].value, 0.1f) << "channel 1's own reply";
  }
}

TEST_F(DataTakerTest, DT500CounterIsCountedAndKept) {
  External_AD = ExternalADCode::DT50;
  Channel(3, 7, {0, 1, 3, 3, 1});
  port->ReplyNext("42\r");
  ReadDataTaker500(3, 0);
  EXPECT_EQ(port->Written(), "7HSC\r");
  EXPECT_EQ(volts, 42.0f);
  EXPECT_EQ(lastvoltage[3], 42.0f);
}

TEST_F(DataTakerTest, AReplyOneTickBeforeTheDeadlineIsTakenAtTheDeadlineIsNot) {
  Channel(1, 1, {0, 1, 3, 0, 0});
  port->ReplyNext("23.5\r\n", kDataTakerTimeoutTicks - 1);
  ReadDataTaker800(1, 0);
  EXPECT_EQ(volts, 23.5f);

  SerialWarningBuzz = 1;
  port->ReplyNext("23.5\r\n", kDataTakerTimeoutTicks);
  ReadDataTaker800(1, 0);
  EXPECT_EQ(volts, kBadReading);
  EXPECT_EQ(sounds, std::vector<std::string>{"AlarmBUZZ.mp3"});
}

// A time-out gives the channel's last good reading in both families, whatever the
// spike filter holds as its reference (0 while the filter is off, or a value of an
// earlier run), and never stores the failed value as the last reading.
TEST_F(DataTakerTest, ATimeOutWithTheFilterOffKeepsTheLastGoodReadingNotTheSpikeReference) {
  services::ReadDataTaker500 = ReadDataTaker500;
  services::ReadDataTaker800 = ReadDataTaker800;
  for (int16_t code :
       {ExternalADCode::DT500, ExternalADCode::DT50, ExternalADCode::DT800, ExternalADCode::DT85}) {
    SCOPED_TRACE(code);
    External_AD = code;
    Channel(5, 3, {1, 0, 0, 0, 0});
    SpikeFilterArray[5] = 0;  // the filter is off
    LastVoltageArray[5 + 17] = 0;
    PrefsArray[PrefsSlot::BadReadingKeepsLast] = 1;
    Sample = 2;
    port->ReplyNext("2500\r\n", 2);
    ReadExternalADdevice(5, 0);
    EXPECT_EQ(volts, 2.5f);
    port->ReplyNext("");  // silence
    ReadExternalADdevice(5, 0);
    EXPECT_EQ(volts, 2.5f) << "the last good reading, not 0 V";
    port->ReplyNext("");
    ReadExternalADdevice(5, 0);
    EXPECT_EQ(volts, 2.5f) << "a failed read is never stored as the last reading";
    EXPECT_EQ(lastvoltage[5], 2.5f);
  }
}

TEST_F(DataTakerTest, ATimeOutBeforeAnyGoodReadingOfTheRunIsBad) {
  for (int16_t code : {ExternalADCode::DT50, ExternalADCode::DT80}) {
    SCOPED_TRACE(code);
    External_AD = code;
    Channel(5, 3, {1, 0, 0, 0, 0});
    PrefsArray[PrefsSlot::BadReadingKeepsLast] = 1;
    lastvoltage[5] = 1.75f;  // from an earlier run
    LastVoltageArray[5 + 17] = 1.25f;
    Sample = 0;
    auto read = code == ExternalADCode::DT50 ? ReadDataTaker500 : ReadDataTaker800;
    read(5, 0);  // silence in the run's first sample
    EXPECT_EQ(volts, kBadReading);
    Sample = 2;
    read(5, 0);
    EXPECT_EQ(volts, kBadReading) << "no good reading exists in this run";
  }
}

TEST_F(DataTakerTest, AnUnfinishedReplyIsNotReadAsAShorterNumber) {
  Channel(1, 1, {1, 0, 0, 0, 0});
  port->ReplyNext("12", 2);  // "34.5" CR never comes
  ReadDataTaker800(1, 0);
  EXPECT_EQ(volts, kBadReading);
  // Its rest, arriving late, is not taken for the next channel's reply.
  port->DeliverNow("34.5\r\n");
  port->ReplyNext("100.0\r\n", 1);
  ReadDataTaker800(1, 0);
  EXPECT_EQ(volts, static_cast<float>(100.0 * 0.001));
}

// Line noise in place of a reply can begin with digits; the number they make is no
// reading of the channel.
TEST_F(DataTakerTest, AReplyWithLineNoiseIsAFailedReadNotItsLeadingDigits) {
  Channel(1, 1, {1, 0, 0, 0, 0});
  for (const std::string& noise : {std::string("7\x01\x93q\r\n"), std::string("25\xC4\r\n")}) {
    port->ReplyNext(noise);
    volts = 3;
    ReadDataTaker800(1, 0);
    EXPECT_EQ(volts, kBadReading);
  }
  port->ReplyNext("300.0\r\n");
  ReadDataTaker800(1, 0);
  EXPECT_EQ(volts, static_cast<float>(300.0 * 0.001));
}

TEST_F(DataTakerTest, ALoggerErrorMessageIsAFailedReadNotZeroVolts) {
  Channel(1, 1, {1, 0, 0, 0, 0});
  port->ReplyNext("E05 bad channel\r\n");
  volts = 3;
  ReadDataTaker800(1, 0);
  EXPECT_EQ(volts, kBadReading);
}

TEST_F(DataTakerTest, ANegativeInputSendsNothing) {
  Channel(1, -3, {1, 0, 0, 0, 0});
  ReadDataTaker800(1, 0);
  EXPECT_EQ(port->Written(), "");
  EXPECT_EQ(volts, kBadReading);
}

TEST_F(DataTakerTest, ParameterBlocksGoTwice) {
  mainsfrequency = 50;
  PrefsArray[PrefsSlot::DT800MainsFilter] = 1;
  SwitchDT800ToHIGHSpeed();
  const std::string fast = "CLEAR\rP11=1000\rP46=16\rP60=100\rP57=1\rP58=100\r";
  EXPECT_EQ(port->Written(), fast + fast);
  auto p = std::make_unique<ScriptedSerialPort>();
  port = p.get();
  InstallSerialPort(std::move(p));
  SwitchDT800ToLOWSpeed();
  const std::string accurate = "CLEAR\rP11=50\rP46=80\rP60=50\rP57=5\rP58=10\r";
  EXPECT_EQ(port->Written(), accurate + accurate);
}

TEST_F(DataTakerTest, ResetOfADT50CountsDownAndSendsItsList) {
  External_AD = ExternalADCode::DT50;
  port->DeliverNow("old line\r\nother\r\n");
  bool shot = false;
  rt::SetPumpHook([&] {
    if (!shot && rt::WindowExists(kResetWindow)) {
      shot = true;
      EXPECT_TRUE(
          rt::SaveWindowImage(kResetWindow, (test::TestOutputDir() / "datataker-reset.png").string()));
    }
  });
  const uint32_t start = rt::TickCount();
  ResetDataTaker();
  rt::SetPumpHook(nullptr);
  EXPECT_GE(rt::TickCount() - start, kResetTicks);
  EXPECT_EQ(LastResetCountdown(), (std::vector<std::string>{" 5", " 4", " 3", " 2", " 1", " 0"}));
  EXPECT_EQ(port->Written(), "RESET\r" + Lines({kDT500SetupLines.begin(), kDT500SetupLines.end()}));
  EXPECT_FALSE(rt::WindowExists(kResetWindow));
  EXPECT_TRUE(shot);
}

TEST_F(DataTakerTest, ResetOfADT800SwitchesItsRateAndSendsItsList) {
  auto scripted = std::make_shared<ScriptedSerialPort>();
  std::string log;
  test::UseScriptedLine(scripted, &log);
  ActiveSerialPort = -1;
  InstallSerialPort(std::make_unique<test::LoggingPort>(scripted, &log, false));
  ResetDataTaker();
  EXPECT_EQ(log, "SINGLEPUSH\r[close]" + test::OpenMark(57600) + "PH=115200\r[close]" +
                     test::OpenMark(115200) + Lines({kDT800SetupLines.begin(), kDT800SetupLines.end()}));
  CloseSerialPort();  // while the log it writes its closing to still exists
}

TEST_F(DataTakerTest, FlushWithoutWaitReturnsAtOnceWhenNothingWaits) {
  const uint32_t start = rt::TickCount();
  EXPECT_EQ(FlushDT800Buffer(0), 0);
  EXPECT_LE(rt::TickCount() - start, 1u);
  EXPECT_FALSE(rt::WindowExists(kBufferWindow));
}

TEST_F(DataTakerTest, FlushEmptiesEveryBufferedLine) {
  Sound_Is_On = 1;
  std::string buffered;
  for (int i = 0; i < 25; ++i) buffered += std::to_string(i) + ".5,1.25\r\n";
  port->DeliverAt(rt::TickCount() + 100, buffered);
  EXPECT_EQ(FlushDT800Buffer(1), 25);
  EXPECT_EQ(port->BytesWaiting(), 0);
  EXPECT_EQ(sounds, std::vector<std::string>{"rbubbles.mp3"});
  EXPECT_FALSE(rt::WindowExists(kBufferWindow));
}

TEST_F(DataTakerTest, ModeWindowGreysTheFilterBoxInHighAccuracyAndSendsTheChosenBlock) {
  Sound_Is_On = 1;
  DT800FastAcquisitionMode = 1;
  mainsfrequency = 60;
  PrefsArray[PrefsSlot::DT800MainsFilter] = 1;
  const int16_t W = kDT800ModeWindow;
  auto state = [W](int16_t c) {
    rt::SetOutputWindow(W);
    return rt::ControlState(c);
  };
  Drive({Until(W), Do([&] {
           EXPECT_EQ(state(1), 2);
           EXPECT_EQ(state(3), 2);
           EXPECT_EQ(state(9), 2);
         }),
         Click(W, 2), Do([&] {
           EXPECT_EQ(state(9), 0);
           EXPECT_EQ(PrefsArray[PrefsSlot::DT800MainsFilter], 1) << "greying leaves the choice";
         }),
         Click(W, 1), Do([&] { EXPECT_EQ(state(9), 2); }), Click(W, 9), Click(W, 4), Do([&] {
           EXPECT_EQ(state(9), 1);
           EXPECT_EQ(state(4), 2);
           EXPECT_EQ(state(3), 1);
         }),
         Shot(W, "dt800-acquisition-mode.png"), Click(W, 10)});
  DT800COMMUNICATIONS();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(DT800FastAcquisitionMode, 1);
  EXPECT_EQ(mainsfrequency, 50);
  EXPECT_EQ(PrefsArray[PrefsSlot::DT800MainsFilter], 0);
  const std::string fast = "CLEAR\rP11=50\rP46=16\rP60=100\rP57=1\rP58=100\r";
  EXPECT_EQ(port->Written(), fast + fast);
  EXPECT_EQ(sounds, (std::vector<std::string>{"downvip.mp3", "upvip.mp3"}));
}

}  // namespace
}  // namespace mv

namespace mv {
namespace {

class DataTakerInputsTest : public test::ProgramTest, public test::WindowSteps {};

TEST(DataTakerInputButtons, EachButtonSetsItsWords) {
  DataTakerChannelsRecord r{1, 0, 0, 2, 0};
  ASSERT_TRUE(ApplyInputButton(r, 3, 3));  // counter
  EXPECT_EQ(r, (DataTakerChannelsRecord{0, 0, 0, 2, 1}));
  ASSERT_TRUE(ApplyInputButton(r, 3, 63));  // type K
  EXPECT_EQ(r, (DataTakerChannelsRecord{0, 1, 3, 2, 0}));
  ASSERT_TRUE(ApplyInputButton(r, 3, 123));  // star terminal
  EXPECT_EQ(r, (DataTakerChannelsRecord{0, 0, 3, 3, 0}));
  ASSERT_TRUE(ApplyInputButton(r, 3, 183));  // ohms
  EXPECT_EQ(r, (DataTakerChannelsRecord{2, 0, 0, 3, 0}));
  ASSERT_TRUE(ApplyInputButton(r, 3, 143));  // differential
  EXPECT_EQ(r[DataTakerWord::Terminal], 0);
  ASSERT_TRUE(ApplyInputButton(r, 3, 43));   // type J
  ASSERT_TRUE(ApplyInputButton(r, 3, 103));  // minus
  ASSERT_TRUE(ApplyInputButton(r, 3, 163));  // volts
  EXPECT_EQ(r, (DataTakerChannelsRecord{1, 0, 0, 2, 0}));
  EXPECT_FALSE(ApplyInputButton(r, 3, 17));
  EXPECT_FALSE(ApplyInputButton(r, 3, 24));
  ASSERT_TRUE(ApplyInputButton(r, 3, 63));  // type K
  ASSERT_TRUE(ApplyInputButton(r, 3, 3));   // counter
  EXPECT_EQ(r, (DataTakerChannelsRecord{0, 0, 0, 2, 1})) << "a counter keeps no thermocouple type";
}

TEST_F(DataTakerInputsTest, CounterThenTypeKAndABoundedCounterStart) {
  constexpr int16_t W = kDataTakerInputsWindow;
  nChannels = 3;
  ChannelVariables[1][1] = 2;
  ChannelVariables[2][1] = 0;  // no input: no row
  ChannelVariables[3][1] = 5;
  DataTakerChannels[1] = {1, 0, 0, 2, 0};
  DataTakerChannels[3] = {1, 0, 0, 0, 0};
  datalabel = Str255(std::string(30, ' ') + std::string(30, ' ') + "Oxygen" + std::string(24, ' '));
  auto state = [W](int16_t c) {
    rt::SetOutputWindow(W);
    return rt::ControlState(c);
  };
  Drive({Until(W), Do([&] {
           EXPECT_FALSE(rt::ControlExists(2)) << "a channel without input has no row";
           EXPECT_EQ(state(1 + 160), 2);
           EXPECT_EQ(state(1 + 100), 2);
         }),
         Click(W, 1), Do([&] {
           EXPECT_EQ(state(1 + 100), 1) << "a counter shows only its own button";
           EXPECT_EQ(TextOf(W, 201), "counter");
         }),
         Click(W, 61), Do([&] {
           EXPECT_EQ(state(1), 1);
           EXPECT_EQ(state(61), 2);
           EXPECT_EQ(state(101), 2) << "the terminal shows again";
           EXPECT_EQ(TextOf(W, 201), "Temperature (" + degC.str() + ")");
         }),
         Click(W, 183), Do([&] { EXPECT_EQ(TextOf(W, 203), "Oxygen" + std::string(24, ' ')); }),
         Type(W, 220, "2500000"), Shot(W, "datataker-inputs.png"), Click(W, 17)});
  DATATAKERSTATUS();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(DataTakerChannels[1], (DataTakerChannelsRecord{0, 1, 3, 2, 0}));
  EXPECT_EQ(DataTakerChannels[3], (DataTakerChannelsRecord{2, 0, 0, 0, 0}));
  EXPECT_EQ(counterstart, kMaxCounterStart);
}

// A thermocouple row switched to Counter is a counter and nothing else: the type and
// its temperature label go, so the channel's set-up no longer presets a temperature.
TEST_F(DataTakerInputsTest, CounterAfterAThermocoupleKeepsNoTemperatureType) {
  constexpr int16_t W = kDataTakerInputsWindow;
  nChannels = 2;
  ChannelVariables[1][1] = 3;
  ChannelVariables[2][1] = 4;
  DataTakerChannels[1] = {0, 1, 3, 0, 0};  // a type K thermocouple
  DataTakerChannels[2] = {1, 0, 0, 0, 0};
  std::string first = "Temperature (" + degC.str() + ")";
  first.resize(30, ' ');
  datalabel = Str255(first + "Flow");
  auto state = [W](int16_t c) {
    rt::SetOutputWindow(W);
    return rt::ControlState(c);
  };
  Drive({Until(W), Do([&] { EXPECT_EQ(state(61), 2) << "type K shown"; }), Click(W, 1), Do([&] {
           EXPECT_EQ(state(1), 2);
           EXPECT_EQ(state(61), 1);
           EXPECT_EQ(TextOf(W, 201), "counter");
         }),
         Shot(W, "datataker-inputs-counter.png"), Click(W, 17)});
  DATATAKERSTATUS();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(DataTakerChannels[1], (DataTakerChannelsRecord{0, 0, 0, 0, 1}));
  EXPECT_EQ(DataTakerChannels[2], (DataTakerChannelsRecord{1, 0, 0, 0, 0})) << "the other row is untouched";
}

}  // namespace
}  // namespace mv
