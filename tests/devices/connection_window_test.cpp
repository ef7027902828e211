// The External A/D Device window and the Serial Port Selection window, run for real under
// the offscreen platform and worked by a user from the event pump; screenshots of each.
#include <gtest/gtest.h>

#include <algorithm>

#include "connection_test_support.h"
#include "conversions/needs.h"
#include "devices/connection.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/help.h"
#include "runtime/menus.h"
#include "runtime/system.h"

namespace mv {
namespace {

constexpr int16_t kDeviceWindow = 21, kPortWindow = 88;

class WindowTest : public test::ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    services::SAVEsettings = [this] { ++saves; };
    services::SetUpMENUs = [this](int16_t state) { menuStates += static_cast<char>('0' + state); };
    Ports({"/dev/ttyUSB0"});
  }
  void Ports(std::vector<std::string> list) {
    SetPortLister([this, list] {
      ++listings;
      return list;
    });
  }
  // Reads a control or field of a window from inside a step.
  static void In(int16_t w) { rt::SetOutputWindow(w); }

  test::UserSteps user;
  int saves = 0, listings = 0;
  std::string menuStates;
  std::string wire;  // the line's transcript, which the port writes until the test ends
};

TEST_F(WindowTest, DeviceWindowChoosesTheInterfaceAndItsRate) {
  PrefsArray[PrefsSlot::InterfaceCode] = 0;
  int16_t okState = -1;
  user.Check(kDeviceWindow,
             [] {
               In(kDeviceWindow);
               EXPECT_EQ(rt::ControlValue(182), 1) << "nothing remembered: the UI2";
               EXPECT_EQ(rt::EditText(2), "115,200 baud");
             })
      .Pick(kDeviceWindow, 182, 5)
      .Check(kDeviceWindow,
             [] {
               In(kDeviceWindow);
               EXPECT_EQ(rt::EditText(2), "initially 57,600 baud");
               EXPECT_EQ(PrefsArray[PrefsSlot::InterfaceCode], 5);
             })
      .Shot(kDeviceWindow, "w21-external-ad-device-dt800.png")
      .Click(kDeviceWindow, 19)
      .Pick(kDeviceWindow, 182, 10)
      .Check(kDeviceWindow,
             [&okState] {
               In(kDeviceWindow);
               okState = rt::ControlState(16);
             })
      .Pick(kDeviceWindow, 182, 7)
      .Click(kDeviceWindow, 16)
      .Check(kPortWindow,
             [] {
               In(kPortWindow);
               EXPECT_EQ(rt::ControlValue(128), 8) << "57,600";
             })
      .Click(kPortWindow, 20)
      .Start();
  ExternalADtype(0);
  EXPECT_TRUE(user.Done());
  EXPECT_EQ(okState, 0) << "the separator dims Selection OK";
  EXPECT_EQ(External_AD, ExternalADCode::DT85);
  EXPECT_EQ(baudrate, 57600);
  EXPECT_EQ(PrefsArray[PrefsSlot::InterfaceCode], 7);
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(DemonstrationMODE, 0);
  EXPECT_EQ(ActiveSerialPort, -1);
  EXPECT_EQ(PrefsArray[PrefsSlot::SetupKnownAtStart], 1);
  EXPECT_EQ(menuStates, "0011") << "off and on again around each window";
  ASSERT_TRUE(rt::WindowExists(kProgressWindow));
  EXPECT_TRUE(
      rt::SaveWindowImage(kProgressWindow, (test::TestOutputDir() / "w251-animation-dt85.png").string()));
}

TEST_F(WindowTest, TestModeAndTheCloseBoxLeaveDemonstrationMode) {
  PrefsArray[PrefsSlot::InterfaceCode] = ExternalADCode::SableUI3;
  user.Click(kDeviceWindow, 17).Start();
  ExternalADtype(0);
  EXPECT_TRUE(user.Done());
  EXPECT_EQ(External_AD, ExternalADCode::Demonstration);
  EXPECT_EQ(DemonstrationMODE, 1);
  EXPECT_EQ(listings, 0) << "no port is chosen";
  EXPECT_FALSE(rt::WindowExists(kProgressWindow));

  DemonstrationMODE = 0;
  test::UserSteps close;
  close.CloseBox(kDeviceWindow).Start();
  ExternalADtype(0);
  EXPECT_TRUE(close.Done());
  EXPECT_EQ(External_AD, ExternalADCode::Demonstration);
  EXPECT_EQ(DemonstrationMODE, 1);
}

TEST_F(WindowTest, PortWindowOffersTheUsablePortsAndTheirRate) {
  Ports({"/dev/ttyS0", "/dev/Bluetooth-Incoming-Port", "/dev/USA19H1", "/dev/ttyUSB0", "/dev/modem",
         "/x/Jo-iPhone-"});
  External_AD = ExternalADCode::ADAM;
  baudrate = 9600;
  user.Check(kPortWindow,
             [] {
               In(kPortWindow);
               for (int16_t b : {11, 13, 14}) EXPECT_TRUE(rt::ControlExists(b)) << b;
               for (int16_t b : {12, 15, 16}) EXPECT_FALSE(rt::ControlExists(b)) << b;
               EXPECT_EQ(rt::ControlState(14), 2) << "the last port offered is the default";
               EXPECT_EQ(rt::ControlValue(128), 5) << "9600";
               EXPECT_EQ(rt::WindowTitle(kPortWindow), " Serial Port Selection:  ADAM modules ");
             })
      .Shot(kPortWindow, "w88-serial-port-list.png")
      .Click(kPortWindow, 11)
      .Check(kPortWindow,
             [] {
               In(kPortWindow);
               EXPECT_EQ(rt::ControlState(11), 2);
               EXPECT_EQ(rt::ControlState(14), 1);
             })
      .Pick(kPortWindow, 128, 6)
      .Click(kPortWindow, 20)
      .Start();
  ConfigureSERIALPORT();
  EXPECT_TRUE(user.Done());
  EXPECT_EQ(ActiveSerialPort, -1);
  EXPECT_EQ(baudrate, 19200);
  EXPECT_EQ(PrefsArray[PrefsSlot::SetupKnownAtStart], 1);
  EXPECT_FALSE(rt::WindowExists(kPortWindow));
  EXPECT_EQ(menuStates, "01");
}

TEST_F(WindowTest, UI2IsGiven115200AndAUI3NoRateAtAll) {
  External_AD = ExternalADCode::SableUI2;
  baudrate = 9600;
  user.Click(kPortWindow, 20).Start();
  ConfigureSERIALPORT();
  EXPECT_EQ(baudrate, 115200);

  External_AD = ExternalADCode::SableUI3;
  bool popup = true;
  test::UserSteps ui3;
  ui3.Check(kPortWindow,
            [&popup] {
              In(kPortWindow);
              popup = rt::ControlExists(128);
            })
      .Shot(kPortWindow, "w88-serial-port-ui3.png")
      .Click(kPortWindow, 20)
      .Start();
  ConfigureSERIALPORT();
  EXPECT_FALSE(popup);
}

TEST_F(WindowTest, NoPortsWarnsAndOffersQuit) {
  Ports({});
  Sound_Is_On = 1;
  External_AD = ExternalADCode::SableUI3;
  user.Shot(kPortWindow, "w88-no-ports.png").Click(kPortWindow, 21).Start();
  EXPECT_THROW(ConfigureSERIALPORT(), rt::ProgramExit);
  EXPECT_EQ(ActiveSerialPort, 0);
  EXPECT_EQ(DemonstrationMODE, 1);
  EXPECT_EQ(External_AD, ExternalADCode::Demonstration);
  EXPECT_NE(std::find(sounds.begin(), sounds.end(), "bzot.mp3"), sounds.end());
}

TEST_F(WindowTest, NoPortsKeepsStreamingInputInDemonstrationMode) {
  Ports({});
  Sound_Is_On = 0;
  External_AD = ExternalADCode::SerialStream;
  user.CloseBox(kPortWindow).Start();
  ConfigureSERIALPORT();
  EXPECT_TRUE(user.Done());
  EXPECT_EQ(External_AD, ExternalADCode::SerialStream);
  EXPECT_EQ(DemonstrationMODE, 1);
  EXPECT_EQ(ActiveSerialPort, 0);
  EXPECT_NE(std::find(sounds.begin(), sounds.end(), "AlarmBUZZ.mp3"), sounds.end()) << "sounds off: the buzz";
}

TEST_F(WindowTest, AutomaticChoiceWithoutAPreferredPortAsksTheUser) {
  Ports({"/dev/ttyUSB0", "/dev/ttyUSB1"});
  PrefsArray[PrefsSlot::AutoSerialPort] = 1;
  External_AD = ExternalADCode::DT80;
  user.Click(kPortWindow, 11).Click(kPortWindow, 20).Start();
  ConfigureSERIALPORT();
  EXPECT_TRUE(user.Done()) << "the window was shown";
  EXPECT_EQ(ActiveSerialPort, -1);
}

TEST_F(WindowTest, KeepingTheSamePortLeavesTheLineOpen) {
  auto port = std::make_shared<ScriptedSerialPort>();
  test::UseScriptedLine(port, &wire);
  External_AD = ExternalADCode::SerialStream;
  baudrate = 9600;
  ActiveSerialPort = -1;
  SetUpSerialPort();
  ASSERT_EQ(wire, test::OpenMark(9600));

  user.Click(kPortWindow, 20).Start();
  ReconfigureSerialPort();
  EXPECT_TRUE(user.Done());
  EXPECT_EQ(wire, test::OpenMark(9600)) << "neither closed nor reopened";
  EXPECT_TRUE(SerialLine().IsOpen());
  EXPECT_EQ(PrefsArray[PrefsSlot::SerialPortOpen], 1);

  test::UserSteps faster;
  faster.Pick(kPortWindow, 128, 4).Click(kPortWindow, 20).Start();
  ReconfigureSerialPort();
  EXPECT_EQ(wire, test::OpenMark(9600) + "[close]" + test::OpenMark(4800)) << "a new rate reconnects";
  EXPECT_TRUE(SerialLine().IsOpen());
}

TEST_F(WindowTest, HelpButtonsOpenTheirPages) {
  External_AD = ExternalADCode::DT50;
  user.Click(kPortWindow, 22)
      .Check(kPortWindow, [] { EXPECT_NE(rt::HelpPageShown().find("baudRates.html"), std::string::npos); })
      .Click(kPortWindow, 20)
      .Start();
  ConfigureSERIALPORT();
  EXPECT_TRUE(user.Done());
}

}  // namespace
}  // namespace mv
