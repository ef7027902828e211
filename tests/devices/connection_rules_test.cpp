// The plain rules of the connection: baud tables, opening rates, the port list and its
// preferred adapter, firmware verdicts, the D-A menu states, the DataTaker lists, and the
// temperature preset a DataTaker choice writes.
#include <gtest/gtest.h>

#include "connection_test_support.h"
#include "conversions/custom_table.h"
#include "conversions/state.h"
#include "devices/connection.h"
#include "devices/datataker_lists.h"
#include "devices/interfaces.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/menus.h"

namespace mv {
namespace {

TEST(BaudTables, PopupItemsAndRates) {
  const int32_t rates[] = {300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
  for (int item = 1; item <= 9; ++item) {
    EXPECT_EQ(BaudForPopupItem(item), rates[item - 1]);
    EXPECT_EQ(PopupItemForBaud(rates[item - 1]), item);
  }
  EXPECT_EQ(BaudForPopupItem(10), 230400);
  EXPECT_EQ(BaudForPopupItem(0), 230400) << "no item chosen";
  EXPECT_EQ(PopupItemForBaud(230400), 10);
  EXPECT_EQ(PopupItemForBaud(14400), 10);
  EXPECT_EQ(PopupItemForBaud(0), 10);
}

TEST(BaudTables, OpeningRateByInterface) {
  EXPECT_EQ(OpeningBaudRate(1, 0), 9600);
  EXPECT_EQ(OpeningBaudRate(1, 115200), 115200);
  EXPECT_EQ(OpeningBaudRate(2, 9600), 115200) << "a UI3 always works at 115,200";
  EXPECT_EQ(OpeningBaudRate(3, 9600), 4800) << "a DT500 always at 4,800";
  EXPECT_EQ(OpeningBaudRate(4, 0), 4800);
  EXPECT_EQ(OpeningBaudRate(4, 9600), 9600);
  for (int16_t code : {5, 6, 7}) {
    EXPECT_EQ(OpeningBaudRate(code, 0), 57600);
    EXPECT_EQ(OpeningBaudRate(code, 19200), 19200);
  }
  for (int16_t code : {0, 8, 9, 11}) EXPECT_EQ(OpeningBaudRate(code, 2400), 2400);
  EXPECT_EQ(OpeningBaudRate(8, 0), 9600) << "0 stands for the interface's default, never a rate";
}

TEST(BaudTables, DefaultRateAndTextWhenChosen) {
  struct Row {
    int16_t code;
    int32_t baud;
    const char* text;
  };
  const Row rows[] = {{1, 115200, "115,200"},
                      {2, 115200, "115,200"},
                      {3, 4800, "4800"},
                      {4, 9600, "9600"},
                      {5, 57600, "initially 57,600"},
                      {6, 57600, "initially 57,600"},
                      {7, 57600, "initially 57,600"},
                      {8, 9600, "9600"},
                      {9, 9600, "9600"},
                      {11, 9600, "9600"},
                      {0, 115200, "115,200"},
                      {12, 115200, "115,200"}};
  for (const Row& r : rows) {
    EXPECT_EQ(InterfaceFor(r.code).defaultBaud, r.baud) << r.code;
    EXPECT_STREQ(InterfaceFor(r.code).baudText, r.text) << r.code;
  }
}

TEST(PortList, HiddenNamesAreNotOffered) {
  for (const char* name : {"Bluetooth-Incoming-Port", "Modem-1", "modem", "Jos-iPhone-"})
    EXPECT_TRUE(PortIsHidden(name));
  for (const char* name : {"ttyUSB0", "usbmodem", "iPhone-Sync", "KeySerial1"})
    EXPECT_FALSE(PortIsHidden(name));
  const PortChoice c = ChoosePorts({"/dev/ttyS0", "/dev/Bluetooth-PDA", "/dev/ttyUSB0", "/dev/modem2"});
  EXPECT_EQ(c.listed, (std::vector<int16_t>{1, 3}));
  EXPECT_EQ(c.last, 3) << "the last port offered is the default";
  EXPECT_EQ(c.preferred, 0);
}

TEST(PortList, ShippedAdapterIsPreferredWhateverTheOrder) {
  EXPECT_EQ(ChoosePorts({"/dev/USA19H1", "/dev/KeySerial"}).preferred, 2);
  EXPECT_EQ(ChoosePorts({"/dev/KeySerial", "/dev/USA19H1"}).preferred, 1);
  EXPECT_EQ(ChoosePorts({"/dev/USA19H1", "/dev/ttyUSB0"}).preferred, 1) << "a USA-19H when nothing better";
  EXPECT_EQ(ChoosePorts({"/dev/USA19H1", "/dev/USA19H2"}).preferred, 1);
  EXPECT_EQ(ChoosePorts({"/dev/KeySerial", "/dev/usbserial-A100JZLWB"}).preferred, 2)
      << "the later one replaces";
  const PortChoice x = ChoosePorts({"/dev/KeySerialX"});
  EXPECT_EQ(x.listed.size(), 1u) << "listed";
  EXPECT_EQ(x.preferred, 0) << "but not preferred";
  auto bySerial = [](const std::string& path) { return path == "/dev/ttyUSB1"; };
  EXPECT_EQ(ChoosePorts({"/dev/USA19H1", "/dev/ttyUSB1", "/dev/ttyUSB2"}, bySerial).preferred, 2)
      << "the FTDI adapter known by its serial number";
}

TEST(PortList, WindowGrowsFromFivePorts) {
  EXPECT_EQ(PortWindowOffset(0), 0);
  EXPECT_EQ(PortWindowOffset(4), 0);
  EXPECT_EQ(PortWindowBottom(4), 273);
  EXPECT_EQ(PortWindowOffset(5), 20);
  EXPECT_EQ(PortWindowBottom(5), 293);
  EXPECT_EQ(PortWindowOffset(8), 80);
  EXPECT_EQ(PortWindowBottom(8), 353);
}

TEST(Replies, SableFirmwareVerdicts) {
  SableFirmware ui2 = JudgeSableFirmware(1, "205\r");
  EXPECT_TRUE(ui2.confirmed);
  EXPECT_TRUE(ui2.range512);
  EXPECT_EQ(ui2.version, "205");
  ui2 = JudgeSableFirmware(1, "150\r");
  EXPECT_TRUE(ui2.confirmed);
  EXPECT_FALSE(ui2.range512);
  ui2 = JudgeSableFirmware(1, "85\r");
  EXPECT_FALSE(ui2.confirmed);
  EXPECT_FALSE(JudgeSableFirmware(1, "90").confirmed) << "above 90 only";
  EXPECT_FALSE(JudgeSableFirmware(1, "199").range512) << "above 199 only";
  const SableFirmware ui3 = JudgeSableFirmware(2, "\n301\r\n");
  EXPECT_EQ(ui3.version, "301") << "an LF left from the last reply is not part of the version";
  EXPECT_TRUE(ui3.confirmed);
  EXPECT_TRUE(ui3.range512);
}

TEST(Replies, SecondAdamModule) {
  EXPECT_EQ(SecondAdamModuleCode("4017"), 13);
  EXPECT_EQ(SecondAdamModuleCode("4017P"), 13);
  EXPECT_EQ(SecondAdamModuleCode("4019"), 14);
  EXPECT_EQ(SecondAdamModuleCode("4050"), 0);
  EXPECT_EQ(SecondAdamModuleCode("40"), 0);
}

TEST(DataTakerLists, LinesByteForByte) {
  ScriptedSerialPort* port = new ScriptedSerialPort;
  InstallSerialPort(std::unique_ptr<SerialPort>(port));
  EXPECT_TRUE(DT500setup());
  EXPECT_EQ(port->Written(), "CLEAR\r/u/n/e\r1DSO=1\r2DSO=1\r3DSO=1\r4DSO=1\r");
  EXPECT_EQ(port->Writes().size(), 6u);
  EXPECT_TRUE(DT800setup());
  EXPECT_EQ(
      port->Written().substr(41),
      "RESET\rLOGOFF\rP11=60\rP46=80\rP60=50\rP32=7\r/R\r/k\r/h\r/e\r/o\r/k\r/y\r/u\r/c\r/n\r/m\r/v\r/z\r"
      "1DSO=0\r2DSO=0\r3DSO=0\r4DSO=0\r5DSO=0\r6DSO=0\r7DSO=0\r8DSO=0\rP47=5\r1SSPWR=1\r");
  EXPECT_EQ(port->Writes().size(), 6u + 29u);
  CloseSerialPort();
  EXPECT_FALSE(DT500setup()) << "a closed line refuses, and says so";
}

// ---- the D-A menu ---------------------------------------------------------------------------------

class MenuTest : public test::ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    rt::NewMenu(5, "D-A");
    for (int16_t i = 1; i <= 8; ++i) rt::SetMenuItem(5, i, "item");
  }
  std::string States() {
    std::string s;
    for (int16_t i = 1; i <= 8; ++i) s += rt::MenuItemEnabled(5, i) ? '1' : '0';
    return s;
  }
  void SetAll(bool on) {
    for (int16_t i = 1; i <= 8; ++i) rt::EnableMenuItem(5, i, on);
  }
};

TEST_F(MenuTest, AOmenuAdjustByInterface) {
  // No analog output (the ADAM's modules and the ADC-1 here have none): nothing offered.
  for (int16_t code : {3, 4, 8, 9, 10, 11}) {
    SetAll(true);
    External_AD = code;
    AOmenuAdjust();
    EXPECT_EQ(States(), "00000000") << code;
  }
  // One analog output: output 2's script (4) and the feedback on output 2 (2 and 5) are
  // dimmed; output 1's items are offered, also after an interface without outputs had
  // dimmed them.
  for (int16_t code : {5, 6, 7}) {
    SetAll(false);
    External_AD = code;
    AOmenuAdjust();
    EXPECT_EQ(States(), "10100111") << code;
  }
  for (int16_t code : {0, 1, 2}) {
    SetAll(false);
    External_AD = code;
    AOmenuAdjust();
    EXPECT_EQ(States(), "11111111") << code;
  }
}

// ---- the interface taken without the window ---------------------------------------------------------

class TakenInterfaceTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    rt::NewMenu(112, "External A-D Device");
    for (int16_t i = 1; i <= 5; ++i) {
      rt::SetMenuItem(112, i, "item");
      rt::EnableMenuItem(112, i, false);
    }
    // The shipped adapter is chosen automatically: no window waits for the user.
    SetPortLister([] { return std::vector<std::string>{"/dev/ttyS0", "/tmp/KeySerial"}; });
    PrefsArray[PrefsSlot::AutoSerialPort] = 1;
    titles = buttonlbls;
    labels = butcomments;
  }
  Str255 titles, labels;
};

TEST_F(TakenInterfaceTest, RememberedInterfaceZeroMeansTheUI2At115200) {
  PrefsArray[PrefsSlot::InterfaceCode] = 0;
  ExternalADtype(1);
  EXPECT_EQ(External_AD, ExternalADCode::SableUI2);
  EXPECT_EQ(baudrate, 115200);
  EXPECT_EQ(ActiveSerialPort, -2);
  EXPECT_EQ(DemonstrationMODE, 0);
  EXPECT_EQ(AnimationDoneAlready, 1);
  EXPECT_TRUE(rt::MenuItemEnabled(112, 4)) << "the firmware item of a Sable";
  EXPECT_EQ(rt::WindowTitle(kProgressWindow), " Sable Startup... ");
  EXPECT_FALSE(rt::WindowExists(88));
}

TEST_F(TakenInterfaceTest, DataTakerChoiceWritesTheTemperaturePreset) {
  PrefsArray[PrefsSlot::InterfaceCode] = ExternalADCode::DT800;
  ExternalADtype(1);
  EXPECT_EQ(External_AD, ExternalADCode::DT800);
  EXPECT_EQ(baudrate, 57600);
  // Button 6 of the eight: title from character 126 (25 bytes), label from 151 (30 bytes).
  const std::string title = buttonlbls.str().substr(125, 25);
  const std::string label = butcomments.str().substr(150, 30);
  EXPECT_EQ(title,
            "\xA1"
            "C (Cu-Cn thermocouple)  ");
  EXPECT_EQ(title.size(), 25u);
  EXPECT_EQ(label,
            "\xA1"
            "C                            ");
  EXPECT_EQ(label.size(), 30u);
  EXPECT_EQ(buttonlbls.str().substr(0, 125), titles.str().substr(0, 125)) << "buttons 1 to 5";
  EXPECT_EQ(buttonlbls.str().substr(150), titles.str().substr(150))
      << "buttons 7, 8 and the three-way button";
  EXPECT_EQ(butcomments.str().substr(0, 150), labels.str().substr(0, 150));
  EXPECT_EQ(butcomments.str().substr(180), labels.str().substr(180));
  const CustomButton b = ReadCustomButton(8);
  EXPECT_EQ(b.a, 0.0f);
  EXPECT_EQ(b.b, 1.0f);
  EXPECT_EQ(b.c, 0.0f);
  EXPECT_EQ(b.minimum, 0.0f);
  EXPECT_EQ(b.maximum, 45.0f);
  EXPECT_TRUE(rt::MenuItemEnabled(112, 3)) << "Reset DataTaker";
  EXPECT_TRUE(rt::MenuItemEnabled(112, 4)) << "the DT800's firmware";
  EXPECT_EQ(States().substr(3, 2), "00") << "channel 2's outputs";
  EXPECT_EQ(rt::WindowTitle(kProgressWindow), " DataTaker Startup... ");
}

TEST_F(TakenInterfaceTest, SableAndAdamChoicesLeaveThePresetAlone) {
  for (int16_t code : {ExternalADCode::SableUI3, ExternalADCode::ADAM}) {
    PrefsArray[PrefsSlot::InterfaceCode] = code;
    ExternalADtype(1);
    EXPECT_EQ(External_AD, code);
    EXPECT_EQ(buttonlbls, titles) << code;
    EXPECT_EQ(butcomments, labels) << code;
    EXPECT_FALSE(rt::MenuItemEnabled(112, 3)) << code;
  }
}

TEST_F(TakenInterfaceTest, AnimationPlaysOncePerRun) {
  PrefsArray[PrefsSlot::InterfaceCode] = ExternalADCode::DT50;
  ExternalADtype(1);
  ASSERT_TRUE(rt::WindowExists(kProgressWindow));
  rt::CloseWindow(kProgressWindow);
  PrefsArray[PrefsSlot::InterfaceCode] = ExternalADCode::ADC1;
  ExternalADtype(1);
  EXPECT_FALSE(rt::WindowExists(kProgressWindow)) << "no second animation";
  AnimationDoneAlready = 0;  // the start-up's redo
  ExternalADtype(1);
  EXPECT_EQ(rt::WindowTitle(kProgressWindow), " ADC-1 Startup... ");
}

TEST_F(TakenInterfaceTest, DemonstrationModeEndsWhenAnInterfaceIsTaken) {
  DemonstrationMODE = 1;
  PrefsArray[PrefsSlot::InterfaceCode] = ExternalADCode::SableUI3;
  ExternalADtype(1);
  EXPECT_EQ(DemonstrationMODE, 0);
  EXPECT_EQ(ActiveSerialPort, -2) << "the port was chosen, not skipped";
}

}  // namespace
}  // namespace mv
