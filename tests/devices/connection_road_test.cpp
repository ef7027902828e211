// The connection road of every interface against a scripted instrument on the virtual
// clock: what goes on the wire (openings, rates, bytes, closings), what is decided from
// the replies, and the Connection Error window when nothing answers.
#include <gtest/gtest.h>

#include <algorithm>

#include "connection_test_support.h"
#include "devices/connection.h"
#include "devices/state.h"
#include "kit/needs.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/system.h"

namespace mv {
namespace {

using test::OpenMark;

// The lists, written out by hand.
const std::string kDT800List =
    "RESET\rLOGOFF\rP11=60\rP46=80\rP60=50\rP32=7\r/R\r/k\r/h\r/e\r/o\r/k\r/y\r/u\r/c\r/n\r/m\r/v\r/z\r"
    "1DSO=0\r2DSO=0\r3DSO=0\r4DSO=0\r5DSO=0\r6DSO=0\r7DSO=0\r8DSO=0\rP47=5\r1SSPWR=1\r";
const std::string kDT500List = "CLEAR\r/u/n/e\r1DSO=1\r2DSO=1\r3DSO=1\r4DSO=1\r";

class RoadTest : public test::ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    port = std::make_shared<ScriptedSerialPort>();
    test::UseScriptedLine(port, &wire);
    ActiveSerialPort = -1;
  }
  bool Printed(const std::string& text) const {
    const auto& lines = LastConnection().lines;
    return std::find(lines.begin(), lines.end(), text) != lines.end();
  }

  std::shared_ptr<ScriptedSerialPort> port;
  std::string wire;
};

TEST_F(RoadTest, UI3IsAskedTwiceAtItsOwnRateAndShowsItsFirmware) {
  External_AD = ExternalADCode::SableUI3;
  baudrate = 9600;  // a UI3 works at 115,200 whatever was chosen
  port->ReplyNext("301\r\n", 2);
  port->ReplyNext("301\r\n", 2);
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(115200) + "ee");
  EXPECT_TRUE(LastConnection().confirmed);
  EXPECT_EQ(LastConnection().firmware, "301");
  EXPECT_TRUE(Printed("connection seems OK"));
  EXPECT_TRUE(Printed("\xA5   Sable firmware version 301"));
  EXPECT_EQ(PrefsArray[PrefsSlot::Range512], 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::SerialPortOpen], 1);
  EXPECT_TRUE(rt::WindowExists(kProgressWindow));
  EXPECT_TRUE(LastConnection().errorName.empty());
}

TEST_F(RoadTest, OnlyTheSecondFirmwareAnswerDecides) {
  External_AD = ExternalADCode::SableUI3;
  port->ReplyNext("");  // the first "e" finds the interface asleep
  port->ReplyNext("302\r\n", 3);
  SetUpSerialPort();
  EXPECT_TRUE(LastConnection().confirmed);
  EXPECT_EQ(LastConnection().firmware, "302");
}

TEST_F(RoadTest, SilentUI3EndsInTheConnectionErrorWindowWithinTwoWaits) {
  External_AD = ExternalADCode::SableUI3;
  test::WindowAnswer retry(kConnectionErrorWindow, 3);
  const uint32_t start = rt::TickCount();
  SetUpSerialPort();
  ASSERT_TRUE(retry.Clicked());
  EXPECT_LE(retry.SeenAtTick() - start, 2u * 60 + 4) << "two 60-tick waits and three short pauses";
  EXPECT_EQ(LastConnection().errorName, "UI2, UI3");
  EXPECT_FALSE(LastConnection().confirmed);
  EXPECT_EQ(PrefsArray[PrefsSlot::RedoInterface], 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::SerialPortOpen], 0) << "retry closes the port";
  EXPECT_FALSE(SerialLine().IsOpen());
  EXPECT_FALSE(rt::WindowExists(kProgressWindow));
  EXPECT_FALSE(rt::WindowExists(kConnectionErrorWindow));
  EXPECT_EQ(External_AD, ExternalADCode::SableUI3);
}

TEST_F(RoadTest, ConnectionErrorOffersDemonstrationMode) {
  External_AD = ExternalADCode::SableUI3;
  PrefsArray[PrefsSlot::RedoInterface] = 1;
  test::WindowAnswer demo(kConnectionErrorWindow, 1);
  SetUpSerialPort();
  ASSERT_TRUE(demo.Clicked());
  EXPECT_EQ(External_AD, ExternalADCode::Demonstration);
  EXPECT_EQ(DemonstrationMODE, 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::RedoInterface], 0);
}

TEST_F(RoadTest, ConnectionErrorQuitsThroughTheProgramsQuit) {
  int quits = 0;
  services::Quit = [&quits] {
    ++quits;
    rt::ExitProgram(0);
  };
  test::WindowAnswer quit(kConnectionErrorWindow, 2);
  EXPECT_THROW(ConnectionERROR("DT800"), rt::ProgramExit);
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(LastConnection().errorName, "DT800");
}

struct UI2Case {
  const char* reply;
  bool confirmed;
  int16_t range512;  // slot 34 afterwards, starting from 1
};

class UI2Test : public RoadTest, public ::testing::WithParamInterface<UI2Case> {};

TEST_P(UI2Test, FirmwareReplyDecidesConfirmationAndRange) {
  External_AD = ExternalADCode::SableUI2;
  baudrate = 115200;
  PrefsArray[PrefsSlot::Range512] = 1;  // as an earlier UI3 left it
  port->ReplyNext("");                  // "f": the UI2 switches without a word
  port->ReplyNext(GetParam().reply, 2);
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(115200) + "f[close]" + OpenMark(115200) + "e");
  EXPECT_EQ(LastConnection().confirmed, GetParam().confirmed);
  EXPECT_EQ(Printed("connection seems OK"), GetParam().confirmed);
  EXPECT_EQ(PrefsArray[PrefsSlot::Range512], GetParam().range512);
  EXPECT_TRUE(LastConnection().errorName.empty()) << "a low version is not an error";
}

INSTANTIATE_TEST_SUITE_P(Versions, UI2Test,
                         ::testing::Values(UI2Case{"205\r", true, 1}, UI2Case{"150\r", true, 0},
                                           UI2Case{"85\r", false, 1}));

TEST_F(RoadTest, UI2WithoutTheWideRangeClearsTheRangeAnEarlierUI3Left) {
  External_AD = ExternalADCode::SableUI2;
  baudrate = 115200;
  PrefsArray[PrefsSlot::Range512] = 1;
  port->ReplyNext("");
  port->ReplyNext("150\r", 2);
  SetUpSerialPort();
  EXPECT_EQ(PrefsArray[PrefsSlot::Range512], 0) << "readings would be scaled by 5.12 V instead of 5 V";
}

TEST_F(RoadTest, UI2AtAnotherRateIsOpenedButNotContacted) {
  External_AD = ExternalADCode::SableUI2;
  baudrate = 9600;
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(9600));
  EXPECT_FALSE(LastConnection().confirmed);
}

TEST_F(RoadTest, DT800SwitchesTo115200ThenSendsItsList) {
  External_AD = ExternalADCode::DT800;
  baudrate = 0;
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(57600) + "PH=115200\r[close]" + OpenMark(115200) + kDT800List);
  EXPECT_EQ(PrefsArray[PrefsSlot::SerialPortOpen], 1);
}

TEST_F(RoadTest, DT85StartsAtTheChosenRate) {
  External_AD = ExternalADCode::DT85;
  baudrate = 19200;
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(19200) + "PH=115200\r[close]" + OpenMark(115200) + kDT800List);
}

TEST_F(RoadTest, DT500FamilyGetsItsListAtItsRateAndTheDAMenuGoesOff) {
  rt::NewMenu(5, "D-A");
  External_AD = ExternalADCode::DT500;
  baudrate = 9600;
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(4800) + kDT500List);
  EXPECT_FALSE(rt::MenuItemEnabled(5, 0));

  wire.clear();
  External_AD = ExternalADCode::DT50;
  baudrate = 0;
  SetUpSerialPort();
  EXPECT_EQ(wire, "[close]" + OpenMark(4800) + kDT500List) << "the earlier opening is closed first";
}

TEST_F(RoadTest, AdamModulesAtTheThreeAddressesAreIdentified) {
  External_AD = ExternalADCode::ADAM;
  baudrate = 9600;
  for (const char* reply : {"!014019\r", "!01A1.05\r", "!024050\r", "!02B2.00\r", "!034017\r", "!03A1.05\r"})
    port->ReplyNext(reply, 3);
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(9600) + "$01M\r$01F\r$02M\r$02F\r$03M\r$03F\r");
  EXPECT_EQ(ADAM4050present, 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::Adam16Inputs], 13);
  EXPECT_TRUE(Printed("ADAM module ID:    4019 at address 01"));
  EXPECT_TRUE(Printed("Firmware version:   A1.05"));
  EXPECT_TRUE(Printed("*** ADAM-4050 located at address 02"));
  EXPECT_TRUE(Printed("*** ADAM-4017 located at address 03"));
}

TEST_F(RoadTest, AdamWithOneModuleClearsTheSecondModuleCode) {
  External_AD = ExternalADCode::ADAM;
  PrefsArray[PrefsSlot::Adam16Inputs] = 14;
  port->ReplyNext("!014019\r", 3);
  port->ReplyNext("!01A1.05\r", 3);
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(9600) + "$01M\r$01F\r$02M\r$03M\r");
  EXPECT_EQ(ADAM4050present, 0);
  EXPECT_EQ(PrefsArray[PrefsSlot::Adam16Inputs], 0);
}

TEST_F(RoadTest, SecondAdam4019AtAddress3) {
  External_AD = ExternalADCode::ADAM;
  for (const char* reply : {"!014019\r", "!01A1.05\r", "", "!034019\r", "!03A1.05\r"})
    port->ReplyNext(reply, 3);
  SetUpSerialPort();
  EXPECT_EQ(PrefsArray[PrefsSlot::Adam16Inputs], 14);
}

TEST_F(RoadTest, FirmwareWaitAtAddress1IsBounded) {
  External_AD = ExternalADCode::ADAM;
  port->ReplyNext("!014019\r", 3);  // "$01F" then goes unanswered
  const uint32_t start = rt::TickCount();
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(9600) + "$01M\r$01F\r$02M\r$03M\r") << "the road goes on after 30 ticks";
  EXPECT_LT(rt::TickCount() - start, 3u * 60 + 150);
}

TEST_F(RoadTest, SilentAdamIsReportedAsADAM4019) {
  External_AD = ExternalADCode::ADAM;
  test::WindowAnswer retry(kConnectionErrorWindow, 3);
  SetUpSerialPort();
  ASSERT_TRUE(retry.Clicked());
  EXPECT_EQ(LastConnection().errorName, "ADAM-4019");
  EXPECT_EQ(wire, OpenMark(9600) + "$01M\r[close]");
}

TEST_F(RoadTest, ADC1AndStreamingInputSendNothing) {
  External_AD = ExternalADCode::ADC1;
  baudrate = 0;
  SetUpSerialPort();
  EXPECT_EQ(wire, OpenMark(9600));
  EXPECT_EQ(LastConnection().lines.size(), 3u);

  wire.clear();
  External_AD = ExternalADCode::SerialStream;
  baudrate = 38400;
  SetUpSerialPort();
  EXPECT_EQ(wire, "[close]" + OpenMark(38400));
}

TEST_F(RoadTest, UnopenablePortIsReportedAndNeverReadFrom) {
  SetLineOpener([](const std::string& path, int32_t) {
    return SerialOpenResult{false, path + ": permission denied."};
  });
  External_AD = ExternalADCode::SableUI3;
  // The window is photographed, then answered.
  bool shot = false;
  rt::SetPumpHook([&] {
    if (!shot && rt::WindowExists(kConnectionErrorWindow)) {
      const auto path = test::TestOutputDir() / "w1779-port-not-opened.png";
      shot = rt::SaveWindowImage(kConnectionErrorWindow, path.string());
      qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(kConnectionErrorWindow, 1))->click();
    }
  });
  SetUpSerialPort();
  EXPECT_TRUE(shot);
  EXPECT_EQ(LastConnection().errorName, "Sable UI3");
  EXPECT_EQ(LastConnection().openError, "/dev/ttyUSB0: permission denied.");
  EXPECT_EQ(PrefsArray[PrefsSlot::SerialPortOpen], 0);
  EXPECT_FALSE(SerialLine().IsOpen());
  EXPECT_EQ(External_AD, ExternalADCode::Demonstration);
  EXPECT_EQ(DemonstrationMODE, 1);
}

TEST_F(RoadTest, ProgressWindowIsCreatedWhenMissing) {
  External_AD = ExternalADCode::DT80;
  AnimationDoneAlready = 1;
  ASSERT_FALSE(rt::WindowExists(kProgressWindow));
  CHANGE_SERIAL_PORT();
  ASSERT_TRUE(rt::WindowExists(kProgressWindow));
  EXPECT_EQ(rt::WindowTitle(kProgressWindow), " DataTaker Startup... ");
  EXPECT_TRUE(Printed("\xA5   contacting DataTaker at 57.6 Kb..."));
}

TEST_F(RoadTest, ReconnectClosesTheOpenLineFirstAndDoesNothingWithoutAPort) {
  External_AD = ExternalADCode::SerialStream;
  baudrate = 9600;
  SetUpSerialPort();
  ASSERT_EQ(PrefsArray[PrefsSlot::SerialPortOpen], 1);
  wire.clear();
  CHANGE_SERIAL_PORT();
  EXPECT_EQ(wire, "[close]" + OpenMark(9600));
  EXPECT_EQ(rt::WindowTitle(kProgressWindow), " open port ");

  wire.clear();
  ActiveSerialPort = 0;
  CHANGE_SERIAL_PORT();
  EXPECT_EQ(wire, "");
  EXPECT_EQ(PrefsArray[PrefsSlot::SerialPortOpen], 1);
}

TEST_F(RoadTest, PositivePortNumberIsTakenAsTheSamePort) {
  External_AD = ExternalADCode::SerialStream;
  ActiveSerialPort = 1;
  SetUpSerialPort();
  EXPECT_EQ(ActiveSerialPort, -1);
  EXPECT_EQ(PrefsArray[PrefsSlot::SerialPortOpen], 1);

  ActiveSerialPort = -2;  // no longer in the list
  test::WindowAnswer demo(kConnectionErrorWindow, 1);
  SetUpSerialPort();
  EXPECT_EQ(PrefsArray[PrefsSlot::SerialPortOpen], 0);
  EXPECT_FALSE(SerialLine().IsOpen());
  EXPECT_FALSE(LastConnection().openError.empty());
}

}  // namespace
}  // namespace mv
