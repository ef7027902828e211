// The ADAM-4000 commands against bytes written out from the module's command set, the
// reader and range sender on a scripted line with the virtual clock, the windows driven
// as a user would, and one exchange with the simulated modules over a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "common/window_steps.h"
#include "conversions/needs.h"
#include "devices/adam_protocol.h"
#include "devices/adam_reader.h"
#include "devices/adam_windows.h"
#include "devices/dispatcher.h"
#include "devices/line_step.h"
#include "devices/needs.h"
#include "devices/read_wait.h"
#include "devices/scripted_port.h"
#include "devices/sim_pty_fixture.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/sound.h"
#include "setup/state.h"
#include "sim/sim.h"

namespace mv {
namespace {

TEST(AdamProtocol, CommandsForEachModuleAndRange) {
  EXPECT_EQ(adam::ReadCommand(*adam::AddressOf(3)), "#012\r");
  EXPECT_EQ(adam::ReadCommand(*adam::AddressOf(12)), "#033\r");
  EXPECT_EQ(adam::ReadCommand(*adam::AddressOf(16)), "#037\r");
  EXPECT_FALSE(adam::AddressOf(0));
  EXPECT_FALSE(adam::AddressOf(17));
  EXPECT_EQ(adam::RangeCommand(*adam::AddressOf(11), 101), "$037C2R0F\r");
  EXPECT_EQ(adam::RangeCommand(*adam::AddressOf(11), 0), "$037C2R09\r");
  EXPECT_EQ(adam::RangeCommand(*adam::AddressOf(1), 1), "$017C0R04\r");
  EXPECT_EQ(adam::RangeCommand(*adam::AddressOf(8), 2), "$017C7R05\r");
  EXPECT_EQ(adam::RangeCommand(*adam::AddressOf(9), 10), "$037C0R08\r");
  EXPECT_EQ(adam::RangeCode(100), "0E");
  EXPECT_EQ(adam::RangeCode(102), "10");
  EXPECT_EQ(adam::RangeCode(7), "09");
  EXPECT_FLOAT_EQ(adam::PlotLimitsOf(102)->max, 45.0f);
  EXPECT_FLOAT_EQ(adam::PlotLimitsOf(102)->min, -5.0f);
  EXPECT_FLOAT_EQ(adam::PlotLimitsOf(2)->min, -2.5f);
  EXPECT_FALSE(adam::PlotLimitsOf(0));
}

TEST(AdamProtocol, AddressCommands) {
  EXPECT_EQ(adam::AddressCommand(adam::ModuleKind::Primary4019, "1"), "%0101090600\r");
  EXPECT_EQ(adam::AddressCommand(adam::ModuleKind::Outputs4050, "5"), "%05020F0600\r");
  EXPECT_EQ(adam::AddressCommand(adam::ModuleKind::Additional, "12"), "%1203090600\r");
  EXPECT_FALSE(adam::AddressCommand(adam::ModuleKind::None, "1"));
  EXPECT_TRUE(adam::AddressAccepted("!03"));
  EXPECT_FALSE(adam::AddressAccepted("?01"));
  EXPECT_FALSE(adam::AddressAccepted(""));
}

// A typed address goes into the command as one or two hexadecimal digits; anything
// else (a CR or comma would end or split the command on the shared line) is refused.
TEST(AdamProtocol, HostileModuleAddressesAreRefused) {
  const struct {
    const char* typed;
    const char* address;  // nullptr: refused
  } cases[] = {{"1", "01"},      {"a", "0A"},      {"1f", "1F"},     {" 3 ", "03"},    {"FF", "FF"},
               {"00", "00"},     {"", nullptr},    {"  ", nullptr},  {"1\r", nullptr}, {"\r", nullptr},
               {"1,2", nullptr}, {",", nullptr},   {"123", nullptr}, {"G", nullptr},   {"1G", nullptr},
               {"-1", nullptr},  {"0x1", nullptr}, {"1\n", nullptr}, {"+1", nullptr},  {"1 2", nullptr},
               {"%01", nullptr}, {"\xB1", nullptr}};
  for (const auto& c : cases) {
    const auto address = adam::ModuleAddress(c.typed);
    const auto command = adam::AddressCommand(adam::ModuleKind::Additional, c.typed);
    if (c.address) {
      EXPECT_EQ(address, c.address) << c.typed;
      EXPECT_EQ(command, "%" + std::string(c.address) + "03090600\r") << c.typed;
    } else {
      EXPECT_FALSE(address) << c.typed;
      EXPECT_FALSE(command) << c.typed;
    }
  }
}

TEST(AdamProtocol, ReadingsAndRepliesThatAreNoReading) {
  EXPECT_FLOAT_EQ(*adam::DecodeReading(">+01.250"), 1.25f);
  EXPECT_FLOAT_EQ(*adam::DecodeReading(">-0.0500"), -0.05f);
  EXPECT_FLOAT_EQ(*adam::DecodeReading(">+0025.3"), 25.3f);
  for (const char* bad : {"?01", "", ">", ">+", "!01", "+1.0"}) EXPECT_FALSE(adam::DecodeReading(bad)) << bad;
}

class AdamLineTest : public test::ProgramTest, public test::WindowSteps {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    External_AD = ExternalADCode::ADAM;
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(test::SoundFileName(path)); });
    acquisition.Install();
  }
  void TearDown() override {
    CloseSerialPort();
    ProgramTest::TearDown();
  }
  ScriptedSerialPort* port = nullptr;
  std::vector<std::string> sounds;
  test::AcquisitionStandIns acquisition;
};

TEST_F(AdamLineTest, ReadsTheChannelsInputThroughTheDispatcher) {
  ChannelVariables[2][ChanField::Input] = 12;
  port->ReplyNext(">+01.250\r", 3);
  ReadExternalADdevice(2, 0);
  EXPECT_EQ(port->Written(), "#033\r");
  EXPECT_EQ(hardwareADchannel, 3);
  EXPECT_FLOAT_EQ(volts, 1.25f);
  EXPECT_TRUE(sounds.empty());
}

TEST_F(AdamLineTest, ASilentModuleNeverStallsTheReading) {
  ChannelVariables[1][ChanField::Input] = 1;
  PrefsArray[PrefsSlot::BadReadingKeepsLast] = 1;
  Sample = 5;
  lastvoltage[1] = 0.75f;
  const uint32_t before = rt::TickCount();
  ReadADAM(1, 0);
  EXPECT_FLOAT_EQ(volts, 0.75f) << "the last value, as the bad-reading rule says";
  EXPECT_LE(rt::TickCount() - before, kAdamReadTimeoutTicks + 2);
  EXPECT_EQ(sounds, std::vector<std::string>{"AlarmBUZZ.mp3"});
}

TEST_F(AdamLineTest, AnErrorReplyIsNotTakenForAReading) {
  ChannelVariables[1][ChanField::Input] = 1;
  port->ReplyNext("?01\r\n");
  ReadADAM(1, 0);
  EXPECT_FLOAT_EQ(volts, kBadReading);
}

TEST_F(AdamLineTest, AReplyWithLineNoiseIsNoReading) {
  ChannelVariables[1][ChanField::Input] = 1;
  for (const std::string& noise : {std::string(">+1.2\x02\r"), std::string(">+3.5\xB7\r")}) {
    port->ReplyNext(noise);
    volts = 3;
    ReadADAM(1, 0);
    EXPECT_FLOAT_EQ(volts, kBadReading);
  }
}

TEST_F(AdamLineTest, AShortReplyWithoutItsEndIsNoReading) {
  ChannelVariables[1][ChanField::Input] = 1;
  port->ReplyNext(">+1.2");
  volts = 3;
  ReadADAM(1, 0);
  EXPECT_FLOAT_EQ(volts, kBadReading);
}

TEST_F(AdamLineTest, ARangeReplyLeftOverIsNotTakenForTheNextReading) {
  ChannelVariables[1][ChanField::Input] = 4;
  nChannels = 1;
  port->ReplyNext("!01\r", 50);  // after the range command's 45 ticks
  SetADAM(0, 0);
  port->ReplyNext(">-2.000\r");
  ReadADAM(1, 0);
  EXPECT_FLOAT_EQ(volts, -2.0f);
  EXPECT_EQ(port->Written(), "$017C3R09\r#013\r");
}

TEST_F(AdamLineTest, AfterOneRangeTimeOutThePassGoesOnWithoutWaiting) {
  nChannels = 4;
  for (int c = 1; c <= 4; ++c) ChannelVariables[c][ChanField::Input] = static_cast<float>(c + 8);
  ADsensorType = {};
  ADsensorType[3] = 100;
  port->ReplyNext("!03\r", 2);
  port->ReplyNext("");  // channel 2: silence
  const uint32_t before = rt::TickCount();
  SetADAM(0, 0);
  EXPECT_EQ(port->Writes(),
            (std::vector<std::string>{"$037C0R09\r", "$037C1R09\r", "$037C2R0E\r", "$037C3R09\r"}));
  EXPECT_EQ(sounds, std::vector<std::string>{"bubbles.mp3"});
  // 4 pauses of 60 ms (4 ticks each, rounded up), one reply and one time-out of 45 ticks.
  EXPECT_LE(rt::TickCount() - before, 4u * 4 + 46 + 6);
}

TEST_F(AdamLineTest, OneChannelsRangeAndNoSoundOnItsTimeOut) {
  ChannelVariables[5][ChanField::Input] = 11;
  ADsensorType[5] = 101;
  SetADAM(5, 0);
  EXPECT_EQ(port->Written(), "$037C2R0F\r");
  EXPECT_TRUE(sounds.empty());
}

TEST_F(AdamLineTest, AddressWindowSendsOnlyWithAModuleChosen) {
  constexpr int16_t W = 18, C = 999;
  port->ReplyNext("!01\r", 2);
  Drive({Until(W), Click(W, 9), Do([this] { EXPECT_TRUE(port->Written().empty()); }), Click(W, 3),
         Shot(W, "adam-address.png"), Click(W, 9), Until(C), [] { return TextOf(C, 1) == "OK to proceed"; },
         Shot(C, "adam-address-check.png"), Click(C, 2), Click(W, 10)},
        [] { rt::CloseWindow(999); });
  SetADAMaddress();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(port->Written(), "%0101090600\r");
  EXPECT_FALSE(rt::WindowExists(W));
}

// A typed address that is no module address is refused in the window with a message
// and the refusal buzz; nothing goes out until the address is one.
TEST_F(AdamLineTest, AddressWindowRefusesATypedAddressThatIsNoAddress) {
  constexpr int16_t W = 18, C = 999;
  const std::string message = "The original address is 1 or 2 hexadecimal digits (0-9, A-F).";
  std::vector<test::WindowSteps::Step> steps = {Until(W), Click(W, 2)};
  for (const char* typed : {"1\r%0203", "1,2", "123", "x", ""}) {
    steps.push_back(Type(W, 5, typed));
    steps.push_back(Click(W, 9));
    steps.push_back(Do([this, typed, message] {
      EXPECT_EQ(TextOf(W, 6), message) << typed;
      EXPECT_TRUE(port->Written().empty()) << typed;
    }));
  }
  port->ReplyNext("!0A\r", 2);
  for (auto step : {Shot(W, "adam-address-refused.png"), Type(W, 5, "a"), Click(W, 9), Until(C),
                    Step([] { return TextOf(C, 1) == "OK to proceed"; }), Click(C, 2), Gone(C),
                    Do([] { EXPECT_EQ(TextOf(W, 6), ""); }), Click(W, 10)})
    steps.push_back(step);
  Drive(steps, [] { rt::CloseWindow(999); });
  SetADAMaddress();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(port->Written(), "%0A03090600\r");
  EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "bzot.mp3"), 5);
}

// A module that stops answering may yet answer late, and no module's reply says which
// module sent it: any module's time-out holds the whole line until the late-reply
// window has passed, or until the late reply has come and the line has fallen quiet.
// Once the window has passed the module is asked again at once, as a single instrument
// is: a silence costs one window. A second window, silent or ended by a late reply, rests
// the module while the other is read. Module 03 here is silent, then answers late, then
// in time, then falls silent again: no reading of either module is ever the other's
// reply, nor one pass late, and each silence holds the line for one window only.
TEST_F(AdamLineTest, ASilentModuleThatAnswersLateNeverPutsItsReplyOnAnotherReading) {
  nChannels = 3;
  PrefsArray[PrefsSlot::BadReadingKeepsLast] = 0;
  const float inputs[] = {1, 2, 9};  // module 01 twice, then module 03
  for (int c = 1; c <= 3; ++c) ChannelVariables[c][ChanField::Input] = inputs[c - 1];
  constexpr float B = kBadReading;
  constexpr double kWindow = std::chrono::duration<double>(kLateReplyWindow).count();
  struct Pass {
    const char* what;
    double after;                     // seconds on the clock before the pass
    std::vector<std::string> asked;   // the requests the pass writes
    std::vector<std::string> reply;   // each request's reply ("" silence)
    std::vector<uint32_t> ticks;      // and how many ticks after it the reply comes
    std::vector<float> read;          // channels 1..3
    int buzzes;
  };
  const uint32_t late = kAdamReadTimeoutTicks + 10;
  const Pass passes[] = {
      {"03 falls silent",
       0,
       {"#010\r", "#011\r", "#030\r"},
       {">+1.000\r", ">+1.100\r", ""},
       {0, 0, 0},
       {1.0f, 1.1f, B},
       1},
      {"its window holds the line", 1, {}, {}, {}, {B, B, B}, 3},
      {"asked again once the window passed, answers late",
       kWindow,
       {"#010\r", "#011\r", "#030\r"},
       {">+1.000\r", ">+1.100\r", ">+3.000\r"},
       {0, 0, late},
       {1.0f, 1.1f, B},
       1},
      {"a late reply after its silence: rested like a silent module, the others read",
       0,
       {"#010\r", "#011\r"},
       {">+1.000\r", ">+1.100\r"},
       {0, 0},
       {1.0f, 1.1f, B},
       1},
      {"asked again after its rest, in time again",
       kWindow,
       {"#010\r", "#011\r", "#030\r"},
       {">+1.000\r", ">+1.100\r", ">+3.000\r"},
       {0, 0, 0},
       {1.0f, 1.1f, 3.0f},
       0},
      {"silent again",
       0,
       {"#010\r", "#011\r", "#030\r"},
       {">+1.000\r", ">+1.100\r", ""},
       {0, 0, 0},
       {1.0f, 1.1f, B},
       1},
      {"its window again", 1, {}, {}, {}, {B, B, B}, 3},
      {"asked again after one window",
       kWindow,
       {"#010\r", "#011\r", "#030\r"},
       {">+1.000\r", ">+1.100\r", ">+3.000\r"},
       {0, 0, 0},
       {1.0f, 1.1f, 3.0f},
       0},
  };
  for (const Pass& p : passes) {
    SCOPED_TRACE(p.what);
    rt::AdvanceVirtualClock(p.after);
    for (size_t k = 0; k < p.reply.size(); ++k) port->ReplyNext(p.reply[k], p.ticks[k]);
    sounds.clear();
    const size_t writes = port->Writes().size();
    ++Sample;
    std::vector<float> read;
    {
      ChannelSweep sweep(1);
      for (int16_t c = 1; c <= 3; ++c) sweep.Read(c);
      sweep.Settle();
      for (const auto& r : sweep.Readings()) read.push_back(r.stood ? r.value : B);
    }
    EXPECT_EQ(std::vector<std::string>(port->Writes().begin() + static_cast<long>(writes), port->Writes().end()),
              p.asked);
    EXPECT_EQ(read, p.read);
    EXPECT_EQ(static_cast<int>(sounds.size()), p.buzzes);
    EXPECT_EQ(port->PendingReplies(), 0u);
  }
}

TEST_F(AdamLineTest, AddressCheckReportsATimeOut) {
  constexpr int16_t C = 999;
  Drive({Until(C), Shot(C, "adam-address-timeout.png"), Click(C, 2)});
  SendNewAddressCheck("%0303090600\r");
  EXPECT_EQ(sounds, std::vector<std::string>{"bzot.mp3"});
}

TEST_F(AdamLineTest, SensorWindowSetsTypesLabelsAndSendsTheRanges) {
  constexpr int16_t W = 11;
  nChannels = 10;
  for (int c = 1; c <= 10; ++c) ChannelVariables[c][ChanField::Input] = static_cast<float>(c);
  datalabel = Str255(std::string(240, ' '));
  int menus = 0;
  services::SetUpMENUs = [&](int16_t) { ++menus; };
  // Channel 10's J and channel 1's T: numbers that once shared 290 and 310 stay apart.
  Drive({Until(W), Click(W, AdamSensorButton(100, 10)), Click(W, AdamSensorButton(102, 1)),
         Click(W, AdamSensorButton(1, 2)), Type(W, 1, "O2 analyser"), Shot(W, "adam-sensor-types.png"),
         Click(W, 130)});
  ADAMseriesSTATUS();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(ADsensorType[10], 100);
  EXPECT_EQ(ADsensorType[1], 102);
  EXPECT_EQ(ADsensorType[2], 1);
  EXPECT_FLOAT_EQ(ChannelVariables[10][ChanField::PlotMax], 45.0f);
  EXPECT_FLOAT_EQ(ChannelVariables[2][ChanField::PlotMin], -1.0f);
  EXPECT_EQ(datalabel.str().substr(0, 30), "O2 analyser" + std::string(19, ' '));
  EXPECT_EQ(port->Writes().size(), 10u);
  EXPECT_EQ(port->Writes()[9], "$037C1R0E\r");
  EXPECT_EQ(DisplaySetupEFchanged, 1);
  EXPECT_EQ(menus, 1);
}

// A channel on an ADAM-4017 (inputs 9 to 16 with a 4017 as the second module) is
// offered only the module's ranges. A setting it lacks, from a set-up file, is shown on
// its row, and the window is not left with it: a line says why, until the channel is
// given a range the module has.
TEST_F(AdamLineTest, ARangeTheADAM4017LacksIsNeverOfferedNorLeftOnItsChannel) {
  constexpr int16_t W = 11, kRefusal = 19;
  struct Case {
    const char* name;
    int16_t second;    // the second module: 13 an ADAM-4017, 14 an ADAM-4019
    int16_t stored;    // channel 2's setting (input 9) as the set-up file holds it
    const char* shot;  // refused: the window as it refuses
    const char* sent;  // channel 2's range command on leaving
  };
  const Case cases[] = {
      {"4017, +-2.5 V", 13, adam::Sensor::Volts2_5, "adam-sensor-types-4017-refused.png", "$037C0R04\r"},
      {"4017, type K", 13, adam::Sensor::TypeK, "adam-sensor-types-4017-thermocouple.png", "$037C0R04\r"},
      {"4017, +-1 V", 13, adam::Sensor::Volts1, nullptr, "$037C0R04\r"},
      {"4017, not set", 13, 0, nullptr, "$037C0R09\r"},
      {"4019, type K", 14, adam::Sensor::TypeK, nullptr, "$037C0R0F\r"},
  };
  const std::string why = "Channel 2: the ADAM-4017 has only the \xB1 10, \xB1 5 and \xB1 1 V ranges.";
  nChannels = 3;
  const float inputs[] = {1, 9, 10};
  for (int c = 1; c <= 3; ++c) ChannelVariables[c][ChanField::Input] = inputs[c - 1];
  datalabel = Str255(std::string(240, ' '));
  services::SetUpMENUs = [](int16_t) {};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PrefsArray[PrefsSlot::Adam16Inputs] = c.second;
    ADsensorType.fill(0);
    ADsensorType[2] = c.stored;
    sounds.clear();
    const bool on4017 = c.second == 13;
    std::vector<Step> steps = {
        Until(W), Do([&] {
          rt::SetOutputWindow(W);
          EXPECT_EQ(rt::ControlState(AdamSensorButton(c.stored, 2)), 2) << "shown";
          EXPECT_TRUE(rt::ControlExists(AdamSensorButton(adam::Sensor::Volts1, 3)));
          EXPECT_NE(rt::ControlExists(AdamSensorButton(adam::Sensor::Volts2_5, 3)), on4017);
          EXPECT_NE(rt::ControlExists(AdamSensorButton(adam::Sensor::TypeJ, 3)), on4017);
          EXPECT_TRUE(rt::ControlExists(AdamSensorButton(adam::Sensor::TypeJ, 1)));
        }),
        Click(W, 130)};
    if (c.shot) {
      for (auto step : {Do([&] { EXPECT_EQ(TextOf(W, kRefusal), why); }), Shot(W, c.shot),
                        Click(W, AdamSensorButton(adam::Sensor::Volts1, 2)), CloseBox(W)})
        steps.push_back(step);
    }
    Drive(steps, [] { rt::CloseWindow(W); });
    const size_t before = port->Writes().size();
    ADAMseriesSTATUS();
    EXPECT_TRUE(ScriptDone());
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "bzot.mp3"), c.shot ? 1 : 0);
    ASSERT_EQ(port->Writes().size(), before + 3);
    EXPECT_EQ(port->Writes()[before + 1], c.sent);
  }
}

TEST_F(AdamLineTest, InputWindowPreselectsTheFirstFreeInputAndAppliesItsRow) {
  constexpr int16_t W = 11;
  nChannels = 3;
  ChannelVariables[1][ChanField::Input] = 1;
  ChannelVariables[2][ChanField::Input] = 2;
  ChannelVariables[3][ChanField::Input] = 0;
  Drive({Until(W), Do([] { EXPECT_EQ(InputNumber, 3); }), Click(W, AdamSensorButton(101, 3)),
         Click(W, AdamSensorButton(10, 5)), Shot(W, "adam-input-selection.png"), Click(W, 130)});
  ADAMChannels(3, 1);
  EXPECT_FLOAT_EQ(ChannelVariables[3][ChanField::Input], 3.0f);
  EXPECT_EQ(ADsensorType[3], 101) << "the chosen input's row, not the last row clicked";
  EXPECT_FLOAT_EQ(ChannelVariables[3][ChanField::PlotMax], 45.0f);
  EXPECT_EQ(ADsensorType[5], 0) << "row 5 belongs to no channel";
}

TEST_F(AdamLineTest, EveryInputInUseKeepsTheChannelsOwnInput) {
  nChannels = 8;
  for (int c = 1; c <= 8; ++c) ChannelButtonsArray[c] = 1.0f;
  ChannelVariables[6][ChanField::Input] = 6;
  EXPECT_EQ(AdamPreselectedInput(6, 8, true), 6);
  ChannelVariables[6][ChanField::Input] = 0;
  EXPECT_EQ(AdamPreselectedInput(6, 8, true), 1);
}

using AdamPtyTest = test::SimPtyTest;

TEST_F(AdamPtyTest, ReadingAndRangesFromTheSimulatedModules) {
  StartSim(sim::Kind::ADAM, 9600);
  External_AD = ExternalADCode::ADAM;
  services::ReadADAM = ReadADAM;
  nChannels = 2;
  ChannelVariables[1][ChanField::Input] = 3;
  ChannelVariables[2][ChanField::Input] = 12;
  ADsensorType[2] = 102;
  SetADAM(0, 0);
  ReadExternalADdevice(1, 0);
  EXPECT_FLOAT_EQ(volts, 0.1234f);
  ReadExternalADdevice(2, 0);
  EXPECT_FLOAT_EQ(volts, 0.1234f);
  EXPECT_EQ(sim->Received(), "$017C2R09\r$037C3R10\r#012\r#033\r");
}

// The same through a pseudo-terminal: with no module at address 03, its silence holds
// the line for the late-reply window; once the window has passed the module is asked
// again, once in the pass (its other channel fails at once), and holds the line again.
// Still silent after that second window, it is rested: the pass after it asks only
// module 01, whose channels are read without waiting.
TEST_F(AdamPtyTest, AMissingModuleIsAskedOnceAWindowThenRested) {
  sim::Options o;
  o.kind = sim::Kind::ADAM;
  o.link = (dir / "port").string();
  o.adamModules = {"4019", "4050", ""};
  sim = std::make_unique<sim::Simulator>(o);
  std::string error;
  ASSERT_TRUE(sim->Start(&error)) << error;
  ASSERT_TRUE(OpenSerialPortPath(o.link, 9600).ok);
  External_AD = ExternalADCode::ADAM;
  services::ReadADAM = ReadADAM;
  nChannels = 4;
  const float inputs[] = {3, 9, 10, 4};
  for (int c = 1; c <= 4; ++c) ChannelVariables[c][ChanField::Input] = inputs[c - 1];
  Sample = 3;
  std::vector<float> read;
  auto pass = [&] {
    read.clear();
    sounds.clear();
    ++Sample;
    for (int16_t c = 1; c <= 4; ++c) {
      ReadExternalADdevice(c, 1);
      read.push_back(volts);
    }
  };
  pass();
  EXPECT_EQ(read, (std::vector<float>{0.1234f, kBadReading, kBadReading, kBadReading}));
  EXPECT_EQ(sim->Received(), "#012\r#030\r");
  std::this_thread::sleep_for(kLateReplyWindow);
  pass();
  EXPECT_EQ(read, (std::vector<float>{0.1234f, kBadReading, kBadReading, kBadReading}));
  EXPECT_EQ(sim->Received(), "#012\r#030\r#012\r#030\r");
  std::this_thread::sleep_for(kLateReplyWindow);
  pass();
  EXPECT_EQ(read, (std::vector<float>{0.1234f, kBadReading, kBadReading, 0.1234f}));
  EXPECT_EQ(sim->Received(), "#012\r#030\r#012\r#030\r#012\r#013\r");
}

}  // namespace
}  // namespace mv
