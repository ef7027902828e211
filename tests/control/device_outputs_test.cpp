// Device output commands of each interface on a scripted port, against bytes written by
// hand from the line rules; every reply wait ends by the clock.
#include "control/device_outputs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/test_support.h"
#include "control/state.h"
#include "control/switching.h"
#include "control/switching_schedule.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "setup/state.h"

namespace mv {
namespace {

using namespace std::string_literals;

class DeviceOutputsTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
  }
  void TearDown() override {
    CloseSerialPort();
    ProgramTest::TearDown();
  }
  void Use(int16_t iface, int16_t coding, int16_t pattern) {
    External_AD = iface;
    PrefsArray[PrefsSlot::DigitalOutputCoding] = coding;
    SwitchingMode = pattern;
    nGroups = (pattern == 2 || pattern == 4 || pattern == 6 || pattern == 8) ? 2 : 0;
  }
  ScriptedSerialPort* port = nullptr;
};

TEST_F(DeviceOutputsTest, SableLinesAndWords) {
  Use(ExternalADCode::SableUI2, 0, 4);
  SampleValve = 2;
  SampleValve2 = 6;
  port->ReplyNext("k", 2);
  SWITCHTOSAMPLE();
  EXPECT_EQ(port->Written(), "o\x22\r"s);  // 2 + 32
  EXPECT_EQ(port->BytesWaiting(), 0);      // the reply was taken

  // The coding the user wired stands for every switch: the reference goes out in it too
  // and leaves it as it was.
  Use(ExternalADCode::SableUI3, 2, 3);
  SampleValve = 3;
  RefChan = 1;
  port->ReplyNext("k");
  port->ReplyNext("k");
  SWITCHTOSAMPLE();
  SWITCHTOREFERENCE();
  EXPECT_EQ(port->Writes()[1], "m\x02\r"s);
  EXPECT_EQ(port->Writes()[2], "m\x00\r"s);
  EXPECT_EQ(PrefsArray[PrefsSlot::DigitalOutputCoding], 2);

  // A digit key switches the Sable to that device, as the run records it.
  port->ReplyNext("k");
  DIRECTSWITCH(4);
  ASSERT_EQ(port->Writes().size(), 4u);
  EXPECT_EQ(port->Writes()[3], "m\x03\r"s);
  EXPECT_EQ(OldChan, 4);
}

// A line that refuses what is written (hung up, an adapter pulled out) until it is back.
class RefusingPort : public ScriptedSerialPort {
 public:
  bool Write(std::string_view bytes) override { return !refusing && ScriptedSerialPort::Write(bytes); }
  bool refusing = true;
};

// The line hangs up as two switches fall due: neither reaches the Sable. They go out in
// order once the line takes them, and a switch made later goes out after them, so the
// valves end as the run records them.
TEST_F(DeviceOutputsTest, ASwitchTheLineRefusedGoesOutBeforeTheNextReading) {
  auto owned = std::make_unique<RefusingPort>();
  RefusingPort* line = owned.get();
  InstallSerialPort(std::move(owned));
  Use(ExternalADCode::SableUI3, 0, 3);
  RefChan = 1;
  SampleValve = 3;
  SWITCHTOSAMPLE();
  SWITCHTOREFERENCE();
  EXPECT_TRUE(line->Written().empty());
  EXPECT_TRUE(SwitchCommandsUnsent());
  SendUnsentSwitches();  // still hung up: they keep waiting
  EXPECT_TRUE(SwitchCommandsUnsent());
  line->refusing = false;
  SendUnsentSwitches();  // as the next sample does before its readings
  EXPECT_EQ(line->Written(), "o\x04\ro\x01\r"s) << "device 3, then the reference";
  EXPECT_FALSE(SwitchCommandsUnsent());
  line->refusing = true;
  SampleValve = 2;
  SWITCHTOSAMPLE();
  line->refusing = false;
  SampleValve = 4;
  SWITCHTOSAMPLE();
  EXPECT_EQ(line->Writes().back(), "o\x08\r"s);
  EXPECT_EQ(line->Writes()[line->Writes().size() - 2], "o\x02\r"s) << "the refused one first";
}

// A timed switch the line refused is not marked then: its marker comes with the sample
// its command goes out before, and one that never goes out in the run is never marked.
// The same on the ADC-1, whose output byte goes out apart from the other interfaces'.
TEST_F(DeviceOutputsTest, ASwitchIsMarkedOnlyOnceTheLineTookIt) {
  for (const int16_t iface : {ExternalADCode::SableUI3, ExternalADCode::ADC1}) {
    SCOPED_TRACE(iface);
    auto owned = std::make_unique<RefusingPort>();
    RefusingPort* line = owned.get();
    InstallSerialPort(std::move(owned));
    UnsentSwitchCommands.clear();
    Use(iface, 0, 5);
    PrefsArray[PrefsSlot::MarkerAtSwitch] = 1;
    RefChan = 1;
    SampleValve = 3;
    refint = switchint = 1.0f;
    RefOffTime = 100;
    RefOnTime = CycleTime = kNeverTick;
    EXPECT_TRUE(SwitchingOnPass(100).empty()) << "the switch to the sample waits for the line";
    EXPECT_TRUE(SwitchingOnPass(101).empty());
    line->refusing = false;
    const std::vector<SwitchMarker> marked = SwitchingBeforeSample();
    ASSERT_EQ(marked.size(), 1u);
    EXPECT_EQ(marked[0].label, 'S');
    EXPECT_TRUE(SwitchingOnPass(103).empty()) << "marked once";

    // Refused again, and the next run begins before the line is back: the command still
    // goes out first, but that run does not mark a switch of the run before.
    line->refusing = true;
    EXPECT_TRUE(SwitchingOnPass(RefOnTime).empty());
    ASSERT_TRUE(SwitchCommandsUnsent());
    SwitchingAtRunStart(10'000, false);
    line->refusing = false;
    SendUnsentSwitches();
    EXPECT_FALSE(SwitchCommandsUnsent());
    RefOffTime = RefOnTime = CycleTime = kNeverTick;
    EXPECT_TRUE(SwitchingOnPass(10'001).empty());

    // A key's switch sends a refused one out ahead of it: both are marked at once, in the
    // order they reached the instrument, the key's last.
    line->refusing = true;
    RefIsON = 0;
    EXPECT_TRUE(SwitchingOnKeyReference().empty());
    line->refusing = false;
    const std::vector<SwitchMarker> keyed = SwitchingOnKeySample();
    ASSERT_EQ(keyed.size(), 2u);
    EXPECT_EQ(std::string({keyed[0].label, keyed[1].label}), "RS");
    EXPECT_TRUE(SwitchingOnPass(10'002).empty());
  }
}

TEST_F(DeviceOutputsTest, DataTakerLines) {
  EXPECT_EQ(DataTakerSwitchLines(ExternalADCode::DT500, 0, 2, 0, false),
            (std::vector<std::string>{"1DSO=1\r", "2DSO=0\r", "3DSO=1\r", "4DSO=1\r"}));
  EXPECT_EQ(DataTakerSwitchLines(ExternalADCode::DT800, 1, 6, 0, false),
            (std::vector<std::string>{"1DSO=1\r", "2DSO=0\r", "3DSO=1\r"}));
  EXPECT_EQ(DataTakerSwitchLines(ExternalADCode::DT50, 1, 6, 0, false),
            (std::vector<std::string>{"1DSO=0\r", "2DSO=1\r", "3DSO=0\r"}));
  EXPECT_EQ(DataTakerSwitchLines(ExternalADCode::DT85, 0, 2, 6, true),
            (std::vector<std::string>{"1DSO=0\r", "2DSO=1\r", "3DSO=0\r", "4DSO=0\r", "5DSO=0\r", "6DSO=1\r",
                                      "7DSO=0\r", "8DSO=0\r"}));
  // The DT500's group-2 device has no line of its own.
  EXPECT_EQ(DataTakerSwitchLines(ExternalADCode::DT500, 0, 2, 6, true),
            (std::vector<std::string>{"1DSO=1\r", "2DSO=0\r", "3DSO=1\r", "4DSO=1\r"}));

  // On the line: no reply awaited, and the device recorded.
  Use(ExternalADCode::DT80, 0, 1);
  DIRECTSWITCH(3);
  EXPECT_EQ(port->Written(), "1DSO=0\r2DSO=0\r3DSO=1\r4DSO=0\r5DSO=0\r6DSO=0\r7DSO=0\r8DSO=0\r");
  EXPECT_EQ(DeviceInUse, 3);

  // With no switching pattern "+" and "-" send nothing, and no switch is marked.
  Use(ExternalADCode::DT80, 0, 0);
  PrefsArray[PrefsSlot::MarkerAtSwitch] = 1;
  EXPECT_TRUE(SwitchingOnKeySample().empty());
  EXPECT_TRUE(SwitchingOnKeyReference().empty());
  EXPECT_EQ(port->Written(), "1DSO=0\r2DSO=0\r3DSO=1\r4DSO=0\r5DSO=0\r6DSO=0\r7DSO=0\r8DSO=0\r");

  // Six key switches in the word (three lines each) wait for a lost line: each goes out
  // whole once it is back, none cut to its last lines, and each marker stands for one.
  auto owned = std::make_unique<RefusingPort>();
  RefusingPort* line = owned.get();
  InstallSerialPort(std::move(owned));
  Use(ExternalADCode::DT800, 1, 1);
  RefChan = 1;
  SampleValve = 2;
  for (int k = 0; k < 3; ++k) {
    EXPECT_TRUE(SwitchingOnKeySample().empty());
    EXPECT_TRUE(SwitchingOnKeyReference().empty());
  }
  line->refusing = false;
  const std::vector<SwitchMarker> marked = SwitchingBeforeSample();
  const std::string sw = "1DSO=1\r2DSO=0\r3DSO=0\r", ref = "1DSO=0\r2DSO=0\r3DSO=0\r";
  EXPECT_EQ(line->Written(), sw + ref + sw + ref + sw + ref);
  EXPECT_EQ(marked.size(), 6u);
}

TEST_F(DeviceOutputsTest, AdamAndAdc1) {
  EXPECT_EQ(Adam4050Command(3), "#020005\r");
  EXPECT_EQ(Adam4050Command(8), "#020000\r");
  EXPECT_EQ(Adam4050Command(15), "#020007\r");

  Use(ExternalADCode::ADAM, 1, 1);
  SampleValve = 3;
  port->ReplyNext("!02\r");
  SWITCHTOSAMPLE();
  EXPECT_EQ(port->Written(), "#020005\r");
  EXPECT_EQ(port->BytesWaiting(), 0);

  Use(ExternalADCode::ADC1, 0, 2);
  SampleValve = 2;
  SampleValve2 = 5;
  DeviceSwitchArray[4] = 1;  // cleared before the new devices are set
  port->ReplyNext("\x07", 1);
  KeyboardSampleON();
  EXPECT_EQ(port->Writes().back(), "\x52");  // 64 + 2 + 16, no CR
  EXPECT_EQ(chx, 7);
}

TEST_F(DeviceOutputsTest, AllOffPerInterface) {
  const struct {
    int16_t iface;
    std::string bytes;
  } rows[] = {
      {ExternalADCode::DT500, "1DSO=1\r2DSO=1\r3DSO=1\r4DSO=1\r"},
      {ExternalADCode::DT85, "1DSO=0\r2DSO=0\r3DSO=0\r4DSO=0\r5DSO=0\r6DSO=0\r7DSO=0\r8DSO=0\r"},
      {ExternalADCode::SableUI2, "o\x00\r"s},
      {ExternalADCode::ADAM, "#020007\r"},
      {ExternalADCode::ADC1, "\x40"},  // all-off is sent, not only cleared: Quit leaves no valve on
      {ExternalADCode::SerialStream, ""},
  };
  for (const auto& row : rows) {
    auto p = std::make_unique<ScriptedSerialPort>();
    ScriptedSerialPort* fresh = p.get();
    InstallSerialPort(std::move(p));
    External_AD = row.iface;
    DeviceSwitchArray[2] = 1;
    TURNVALVESOFF();
    EXPECT_EQ(fresh->Written(), row.bytes) << row.iface;
    if (row.iface == ExternalADCode::ADC1) {
      EXPECT_EQ(DeviceSwitchArray[2], 0);
    }
  }
}

TEST_F(DeviceOutputsTest, DemonstrationModeSendsNothing) {
  DemonstrationMODE = 1;
  for (int16_t iface : {ExternalADCode::SableUI2, ExternalADCode::DT500, ExternalADCode::DT800,
                        ExternalADCode::ADAM, ExternalADCode::ADC1}) {
    Use(iface, 0, 1);
    SampleValve = 2;
    RefChan = 1;
    SWITCHTOSAMPLE();
    SWITCHTOREFERENCE();
    KeyboardSampleON();
    DIRECTSWITCH(3);
    TURNVALVESOFF();
  }
  EXPECT_EQ(port->Written(), "");
  EXPECT_EQ(RefIsON, 0);
  EXPECT_EQ(OldChan, 3) << "the direct switch's device is the one recorded";
}

TEST_F(DeviceOutputsTest, SilentInterfaceDoesNotHoldTheRecording) {
  for (int16_t iface : {ExternalADCode::SableUI2, ExternalADCode::ADAM, ExternalADCode::ADC1}) {
    Use(iface, 0, 1);
    SampleValve = 1;
    const uint32_t before = rt::TickCount();
    SWITCHTOSAMPLE();
    const uint32_t waited = rt::TickCount() - before;
    EXPECT_GE(waited, kDeviceReplyWaitTicks) << iface;
    EXPECT_LE(waited, kDeviceReplyWaitTicks + 2) << iface;
  }
}

TEST_F(DeviceOutputsTest, OutputLineForTheSampleTakers) {
  // Sable: the sample switch keeps group 1's line, the keys the last one switched.
  Use(ExternalADCode::SableUI2, 0, 2);
  SampleValve = 3;
  SampleValve2 = 7;
  RefChan = 1;
  SWITCHTOSAMPLE();
  EXPECT_EQ(IO_Line, 2);
  KeyboardSampleON();
  EXPECT_EQ(IO_Line, 6);
  IO_Line = 99;
  SWITCHTOREFERENCE();
  EXPECT_EQ(IO_Line, 99);
  // An interface without outputs keeps the last line set.
  Use(ExternalADCode::Demonstration, 0, 2);
  SWITCHTOSAMPLE();
  EXPECT_EQ(IO_Line, 6);
  SWITCHTOREFERENCE();
  EXPECT_EQ(IO_Line, 0);
  Use(ExternalADCode::Demonstration, 0, 1);
  DIRECTSWITCH(5);
  EXPECT_EQ(IO_Line, 4);
  // A word coding keeps no line.
  Use(ExternalADCode::Demonstration, 1, 1);
  DIRECTSWITCH(2);
  EXPECT_EQ(IO_Line, 4);
}

TEST_F(DeviceOutputsTest, UnsetDeviceSendsNoWordForDeviceEight) {
  // A device 0 (no switched channel yet) would become the word of device 8.
  EXPECT_EQ(SableOutputCommand(1, 0, 0, false), "");
  EXPECT_TRUE(DataTakerSwitchLines(ExternalADCode::DT800, 1, 0, 0, false).empty());
  EXPECT_EQ(SableOutputCommand(0, 0, 0, false), "o\x00\r"s);
}

TEST_F(DeviceOutputsTest, Adc1SwitchesWhateverTheCodingPreferenceSays) {
  for (int16_t coding : {0, 1, 2}) {
    Use(ExternalADCode::ADC1, coding, 3);
    SampleValve = 2;
    port->ReplyNext("\x01", 1);
    SWITCHTOSAMPLE();
    EXPECT_EQ(port->Writes().back(), "\x42") << "coding " << coding;  // 64 + 2
  }
}

TEST_F(DeviceOutputsTest, MissingDeviceSwitchesEveryOutputOff) {
  // No reference device chosen (or one beyond the interface's lines): the interface's
  // own all-off goes out, never a word computed from the number, the reference is not
  // reported on, and no device is recorded on (the last sample device's channel would
  // otherwise be stored as read while every valve is shut).
  const struct {
    int16_t iface;
    int16_t coding;
    int16_t ref;
    std::string bytes;
  } rows[] = {
      {ExternalADCode::SableUI2, 1, 0, "o\x00\r"s},
      {ExternalADCode::SableUI3, 0, 9, "o\x00\r"s},
      {ExternalADCode::ADAM, 1, 0, "#020007\r"},
      {ExternalADCode::DT800, 1, 0, "1DSO=0\r2DSO=0\r3DSO=0\r4DSO=0\r5DSO=0\r6DSO=0\r7DSO=0\r8DSO=0\r"},
      {ExternalADCode::DT500, 0, 6, "1DSO=1\r2DSO=1\r3DSO=1\r4DSO=1\r"},
      {ExternalADCode::ADC1, 0, 7, "\x40"},
  };
  for (const auto& row : rows) {
    auto p = std::make_unique<ScriptedSerialPort>();
    ScriptedSerialPort* fresh = p.get();
    InstallSerialPort(std::move(p));
    Use(row.iface, row.coding, 3);
    RefChan = row.ref;
    RefIsON = 0;
    RefOnTime = 1000;
    OldChan = 2;  // the sample device before the reference
    SWITCHTOREFERENCE();
    EXPECT_EQ(fresh->Written(), row.bytes) << row.iface;
    EXPECT_EQ(RefIsON, 0) << row.iface;
    EXPECT_EQ(OldChan, 0) << row.iface << ": every valve is shut, so no channel is stored as read";
    EXPECT_EQ(RefOnTime, kNeverTick) << "no reference is due again, so none floods the line";
    RefIsON = 0;
    OldChan = 2;
    KeyboardReferenceON();
    EXPECT_EQ(RefIsON, 0) << row.iface;
    EXPECT_EQ(OldChan, 0) << row.iface << ": the reference key opens no valve either";
  }
}

TEST_F(DeviceOutputsTest, DirectSwitchRecordsTheDeviceNowOn) {
  Use(ExternalADCode::DT800, 1, 3);
  SampleValve = 2;
  OldChan = 2;
  RefIsON = 1;
  DIRECTSWITCH(5);
  EXPECT_EQ(OldChan, 5) << "the sample takers record device 5 and zero the others";
  EXPECT_EQ(DeviceInUse, 5);
  EXPECT_EQ(SampleValve, 2);
  EXPECT_EQ(RefIsON, 0) << "a digit key ends the reference as the sample key does";
  EXPECT_EQ(port->Written(), "1DSO=0\r2DSO=0\r3DSO=1\r");
}

// A DT500 wired one line per device has lines 1 to 4: a sample device beyond them
// switches every line off, and the sample takers must not record its channel as read.
// A digit key naming such a device (or 9, or 0) switches nothing: the valves stay.
TEST_F(DeviceOutputsTest, ADeviceWithoutALineIsNeverRecordedAsSampled) {
  const struct {
    const char* op;
    void (*run)();
    const char* sent;
    int16_t on;
  } ops[] = {
      {"sample", [] { SWITCHTOSAMPLE(); }, "1DSO=1\r2DSO=1\r3DSO=1\r4DSO=1\r", 0},
      {"cycle", [] { CYCLECHANNELS(); }, "1DSO=1\r2DSO=1\r3DSO=1\r4DSO=1\r", 0},
      {"sample key", [] { KeyboardSampleON(); }, "1DSO=1\r2DSO=1\r3DSO=1\r4DSO=1\r", 0},
      {"digit key 6", [] { EXPECT_FALSE(DIRECTSWITCH(6)); }, "", 2},
      {"digit key 9", [] { EXPECT_FALSE(DIRECTSWITCH(9)); }, "", 2},
      {"digit key 0", [] { EXPECT_FALSE(DIRECTSWITCH(0)); }, "", 2},
  };
  for (const auto& row : ops) {
    auto p = std::make_unique<ScriptedSerialPort>();
    ScriptedSerialPort* fresh = p.get();
    InstallSerialPort(std::move(p));
    Use(ExternalADCode::DT500, SwitchOutputCode::LinePerDevice, 3);
    nChannels = 1;
    ChannelVariables[1][ChanField::Device] = 6;
    SampleValve = 6;
    OldChan = 2;
    row.run();
    EXPECT_EQ(fresh->Written(), row.sent) << row.op;
    EXPECT_EQ(OldChan, row.on) << row.op;
  }
}

// A device is recorded as on only when the command sent switched it: where the coding
// gives group 2 no line of its own, b is never sent and its channels are never stored as
// sampled; a group no channel uses (device 0) gets no line, and the other goes out alone.
TEST_F(DeviceOutputsTest, OnlyTheDevicesTheCommandSwitchedAreRecordedOn) {
  const struct {
    int16_t iface, coding, a, b;
    std::string bytes;
    int16_t on1, on2;
  } rows[] = {
      {ExternalADCode::SableUI3, 1, 2, 6, "o\x01\r"s, 2, 0},
      {ExternalADCode::SableUI3, 0, 2, 6, "o\x22\r"s, 2, 6},
      {ExternalADCode::SableUI3, 0, 2, 0, "o\x02\r"s, 2, 0},
      {ExternalADCode::SableUI3, 0, 0, 6, "o\x20\r"s, 0, 6},
      {ExternalADCode::DT500, 0, 2, 6, "1DSO=1\r2DSO=0\r3DSO=1\r4DSO=1\r", 2, 0},
      {ExternalADCode::DT800, 1, 3, 7, "1DSO=0\r2DSO=1\r3DSO=0\r", 3, 0},
      {ExternalADCode::DT800, 0, 0, 7, "1DSO=0\r2DSO=0\r3DSO=0\r4DSO=0\r5DSO=0\r6DSO=0\r7DSO=1\r8DSO=0\r", 0,
       7},
      {ExternalADCode::ADAM, 0, 3, 6, "#020005\r", 3, 0},
      {ExternalADCode::ADC1, 1, 2, 5, "\x52", 2, 5},
      {ExternalADCode::ADC1, 1, 0, 5, "\x50", 0, 5},
  };
  for (const auto& row : rows) {
    auto p = std::make_unique<ScriptedSerialPort>();
    ScriptedSerialPort* fresh = p.get();
    InstallSerialPort(std::move(p));
    Use(row.iface, row.coding, 6);
    fresh->ReplyNext("k");
    SampleValve = row.a;
    SampleValve2 = row.b;
    OldChan = OldChan2 = 9;
    SWITCHTOSAMPLE();
    const std::string what = std::to_string(row.iface) + " coding " + std::to_string(row.coding) + ", " +
                             std::to_string(row.a) + " and " + std::to_string(row.b);
    EXPECT_EQ(fresh->Written(), row.bytes) << what;
    EXPECT_EQ(OldChan, row.on1) << what;
    EXPECT_EQ(OldChan2, row.on2) << what;
  }
}

}  // namespace
}  // namespace mv
