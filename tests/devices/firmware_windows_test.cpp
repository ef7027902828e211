// The firmware check and self-test texts against values worked out by hand, and each
// of their windows driven once over a scripted line with the virtual clock.
#include "devices/firmware_windows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "common/window_steps.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/clock.h"

namespace mv {
namespace {

bool Shows(const std::string& text) {
  for (const std::string& t : LastFirmwareTexts())
    if (t == text) return true;
  return false;
}

class FirmwareTexts : public test::ProgramTest {};

TEST_F(FirmwareTexts, SableRangeFollowsTheUI2Version) {
  const SableFirmwareText hi = SableFirmwareLines(ExternalADCode::SableUI2, "205");
  EXPECT_EQ(hi.headline, "The UI2 firmware version is 205");
  EXPECT_EQ(hi.channels, "\xA5 channels 1-8:  \xB1 5.12 V");
  EXPECT_EQ(hi.temperatures, "\xA5  channels T1-T4:  degrees C, \xBD, or 0-5.12 V");
  const SableFirmwareText lo = SableFirmwareLines(ExternalADCode::SableUI2, "150");
  EXPECT_EQ(lo.channels, "\xA5   channels 1-8:  \xB1 5.00 V");
  EXPECT_EQ(lo.temperatures, "\xA5  channels T1-T4:  degrees C, \xBD, or 0-5.00 V");
  // A UI3 always has the wide ranges, whatever its version.
  EXPECT_EQ(SableFirmwareLines(ExternalADCode::SableUI3, "100").channels, hi.channels);
}

TEST_F(FirmwareTexts, DT800StatusStartsAtItsFirstAAndBreaksAtEachF) {
  EXPECT_EQ(DT800StatusText("\n  abc", true), "firmware:  dabc");
  // "\xA5  da  F1 x F2": the F at 6 turns 4 and 5 into CR TAB, the F at 11 turns 9 and 10.
  EXPECT_EQ(DT800StatusText("xxa  F1 x F2", false), "\xA5  da\r\tF1 \r\tF2");
}

TEST_F(FirmwareTexts, AReplyWithoutAnAIsAnEmptyStatusNotAHang) {
  EXPECT_EQ(DT800StatusText("no letter here", true), "firmware:  d");
  EXPECT_EQ(DT800StatusText("", false), "\xA5  d");
}

TEST_F(FirmwareTexts, SelfTestLines) {
  EXPECT_EQ(SelfTestLine(5, "PASS"), "  5  PASS");
  EXPECT_EQ(SelfTestLine(12, "\nFAIL"), " 12  FAIL");
  EXPECT_EQ(SelfTestLine(9, ""), "  9  ");
  EXPECT_TRUE(SelfTestFailed(" 12  FAIL"));
  EXPECT_FALSE(SelfTestFailed("  5  PASS"));
}

class FirmwareWindowTest : public test::ProgramTest, public test::WindowSteps {
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
  ScriptedSerialPort* port = nullptr;
};

TEST_F(FirmwareWindowTest, UI2WindowShowsVersionAndRanges) {
  External_AD = ExternalADCode::SableUI2;
  port->ReplyNext("205\r", 2);
  Drive({Until(kFirmwareWindow), Shot(kFirmwareWindow, "firmware-ui2.png"), CloseBox(kFirmwareWindow)});
  GetFirmware(0);
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(port->Written(), "e");
  EXPECT_TRUE(Shows("The UI2 firmware version is 205\r"));
  EXPECT_FALSE(rt::WindowExists(kFirmwareWindow));
}

TEST_F(FirmwareWindowTest, DT500SelfTestFailureIsShownInBold) {
  External_AD = ExternalADCode::DT500;
  port->ReplyNext("");                        // /U
  port->ReplyNext("DT500 V3.21 ROM OK\r\n", 5);  // TEST0
  port->ReplyNext("");                        // /u
  port->ReplyNext("");                        // /U of the self-tests
  for (int n = 1; n <= 17; ++n) port->ReplyNext(n == 4 ? "TEST4 FAIL\r\n" : "TEST PASS\r\n", 3);
  Drive({Until(kFirmwareWindow), Click(kFirmwareWindow, kDiagnosticsButton),
         Shot(kFirmwareWindow, "firmware-dt500-tests.png"), CloseBox(kFirmwareWindow)});
  GetFirmware(0);
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(port->Writes().front(), "/U\r");
  EXPECT_EQ(port->Writes()[1], "TEST0\r");
  EXPECT_EQ(port->Writes()[2], "/u\r");
  EXPECT_EQ(port->Writes()[4], "TEST1\r");
  EXPECT_EQ(port->Writes().back(), "/u\r");
  EXPECT_TRUE(Shows("\xA5" "DT500 V3.21 ROM OK"));
  ASSERT_EQ(LastFailedTests().size(), 1u);
  EXPECT_EQ(LastFailedTests()[0], "  4  TEST4 FAIL");
  EXPECT_TRUE(Shows("Tests complete"));
}

TEST_F(FirmwareWindowTest, DT800StatusFromTheMenu) {
  External_AD = ExternalADCode::DT800;
  port->ReplyNext("");
  port->ReplyNext("ok\r", 1);  // too short: the second pass decides
  port->ReplyNext("");
  port->ReplyNext("\r\nab DT800  F1 V6.07  F2 S/N 0123\r", 1);
  Drive({Until(kFirmwareWindow), Shot(kFirmwareWindow, "firmware-dt800.png"), CloseBox(kFirmwareWindow)});
  GetFirmware(0);
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(port->Written(), "/U\rSTATUS1\r/U\rSTATUS1\r/u\r");
  EXPECT_TRUE(Shows("\xA5  dab DT800"));
  EXPECT_TRUE(Shows("    F1 V6.07"));
  EXPECT_TRUE(Shows("    F2 S/N 0123"));
}

// The cold-junction temperature keeps its sign; an error reply shows no temperature.
TEST_F(FirmwareWindowTest, AdamWindowGoesOnWithoutA4050AndShowsTheColdJunction) {
  struct Case {
    const char* reply;  // to the first "$013"; later ones time out
    const char* shown;
    const char* shot;
  };
  const Case cases[] = {{">+0023.4\r", " 23.4", "firmware-adam.png"},
                        {">-0005.0\r", "-5", "firmware-adam-below-zero.png"},
                        {"?01\r", "", "firmware-adam-error-reply.png"}};
  External_AD = ExternalADCode::ADAM;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    port->ReplyNext("!014019\r", 1);
    port->ReplyNext("!01A1.02\r", 1);
    port->ReplyNext("");  // $02M: no output module
    port->ReplyNext("!034017\r", 1);
    port->ReplyNext("!03B2.00\r", 1);
    port->ReplyNext(c.reply, 1);
    std::string shown = "unread";
    // The second "$013" goes out once the first reply has been shown.
    Drive({Until(kFirmwareWindow), [this] { return port->Writes().size() >= 7; },
           Do([&shown] { shown = TextOf(kFirmwareWindow, 1); }), Shot(kFirmwareWindow, c.shot),
           CloseBox(kFirmwareWindow)},
          [] { rt::CloseWindow(kFirmwareWindow); });
    GetFirmware(0);
    EXPECT_TRUE(ScriptDone());
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(port->Writes()[2], "$02M\r");
    EXPECT_EQ(port->Writes()[3], "$03M\r");
    EXPECT_EQ(port->Writes()[5], "$013\r");
    EXPECT_TRUE(Shows("1:  ADAM module ID:    4019"));
    EXPECT_TRUE(Shows(" ** no ADAM 4050 found **"));
    EXPECT_TRUE(Shows("3:  ADAM module ID:    4017"));
    EXPECT_TRUE(Shows("Firmware version:   B2.00"));
  }
}

}  // namespace
}  // namespace mv
