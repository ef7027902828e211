// The set-up report's text for a small set-up, and the "Setup Data" window driven once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/setup_report.h"
#include "files/state.h"
#include "files_test_support.h"
#include "runtime/panels.h"
#include "runtime/printing.h"
#include "runtime/system.h"
#include "setup/state.h"
#include "shell/state.h"

namespace mv {
namespace {

const std::string CR = "\r";
std::string Blanks(int n) {
  return std::string(static_cast<std::size_t>(n), ' ');
}
std::string Padded(const std::string& s) {
  return s + Blanks(30 - static_cast<int>(s.size()));
}

class SetupReportTest : public test::FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::SableUI2;
    version = "Jan 1 2026";
    SetupFileName = "resp.set";
    ChartIntervalInSeconds = 1;
    MaxSamples = 2'000'000;
    nChannels = 2;
    datalabel = Padded("O2") + Padded("CO2");
    ChannelVariables[0][1] = 1;
    ChannelVariables[1][ChanField::Input] = 3;
    ChannelVariables[1][ChanField::A] = 0;
    ChannelVariables[1][ChanField::B] = 2.5f;
    ChannelVariables[1][ChanField::Averaged] = 4;
    ChannelVariables[0][2] = 5;
    ChannelVariables[2][ChanField::Input] = 12;
    ChannelVariables[2][ChanField::Averaged] = 1;
    BreakpointArray[2] = {1.5f, 1, 1, 0, 1, 0, 1, 2, 1, 2, 0.5f, 1, 3, 0, 4, 2};
    TriggerON = 1;
    TriggerChan = 1;
    TriggerMode = 0;
    triggerval = 2.5f;
    alarmsArray[1][AlarmField::AnyOn] = 1;
    alarmsArray[1][AlarmField::LowerOn] = 1;
    alarmsArray[1][AlarmField::LowerLimit] = 2.5f;
    alarmsArray[1][AlarmField::OverRangeOn] = 1;
  }

  // Worked by hand from the layout rules: a tab moves to the next multiple of 8,
  // a column already passed gets one blank.
  static std::string Expected() {
    const std::string rule(75, '_');
    std::string t;
    t += "Mirevant  acquisition parameters" + CR;
    t += "Chart mode  (12/25/26)" + CR;
    t += "\tMV build date: Jan 1 2026" + CR;
    t += "setup file:  'resp.set'" + CR;
    t += rule + CR;
    t += "\xA5 Basic setup data" + CR;
    t += "     A/D converter:  Sable UI2" + CR;
    t += "     chart sample interval: 1 sec; maximum number of samples: 2000000" + CR;
    t += "     maximum chart recording time: 555.5555556 hours" + CR;
    t += "\t" + rule + CR;
    t += "chan.  inputequation   A-value   B-value   C-value averaged label" + CR;
    t += "\t 1  3  linear   0" + Blanks(8) + " 2.5" + Blanks(6) + "     1   4" + Blanks(7) + Padded("O2") + CR;
    t += "\t 2  12  breakpoint equation (coefficients below)\t\t\t\t  1 " + Padded("CO2") + CR;
    t += "\t " + std::string(49, '_') + CR;
    t += "\tBreakpoint equation, channel 2:" + CR;
    t += Blanks(9) + "breakpoint value = 1.5" + CR;
    t += Blanks(9) + "initial conversion is linear,  = 0 + volts * 1" + CR;
    t += Blanks(9) + "below breakpoint conversion is polynomial,  = 1 +  2 * volts + 0.5 * volts^2" + CR;
    t += Blanks(9) + "above breakpoint conversion is power,  = 0 +  4 * volts^ 2" + CR;
    t += "\t" + rule + CR + CR;
    t += "\t\xA5 Triggering is ON, trigger channel is 1 and the trigger condition is:  >  2.5" + CR + CR;
    t += CR + "\xA5  Alarms are ACTIVATED for the following channel(s) and conditions:" + CR;
    t += "\t\t     channel 1\t   less than 2.5\t   OVERRANGE\t" + CR + CR;
    t += CR;
    return t;
  }
};

TEST_F(SetupReportTest, ReportOfASmallSetupWithTriggerAndAlarmSections) {
  SetupReportSections sections;
  sections.switching = false;
  sections.display = false;
  EXPECT_EQ(SetupReportText(sections, "12/25/26"), Expected());
}

TEST_F(SetupReportTest, WithEverySectionClearedTheReportEndsAfterTheEquationBlocks) {
  const std::string text = SetupReportText({false, false, false, false}, "12/25/26");
  const std::string tail = "\t" + std::string(75, '_') + CR + CR + CR;
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(SetupReportTest, OnlyTheHighestThreeWayChannelGetsItsBlock) {
  nChannels = 3;
  ChannelVariables[0][1] = 6;
  ChannelVariables[0][3] = 6;
  polyarray[3] = {1, 2, 3, 4, 0, 0.5f, 2};
  const std::string text = SetupReportText({false, false, false, false}, "12/25/26");
  EXPECT_EQ(text.find("Three-way polynomial equation, channel 1:"), std::string::npos);
  EXPECT_NE(text.find("\tThree-way polynomial equation, channel 3:" + CR + Blanks(9) +
                      "input voltage conversion: V=volts * 2" + CR + Blanks(9) +
                      "result=  0.5*[ 1 +  2*V +  3*V^2 +  4*V^3 ]" + CR),
            std::string::npos);
  EXPECT_NE(text.find("Breakpoint equation, channel 2:"), std::string::npos);
}

TEST_F(SetupReportTest, NoAlarmOnSaysNotSetAndListsNoChannel) {
  alarmsArray = {};
  const std::string text = SetupReportText({false, false, false, true}, "12/25/26");
  EXPECT_NE(text.find("\xA5  Alarms are NOT SET" + CR + CR), std::string::npos);
  EXPECT_EQ(text.find("channel 1\t"), std::string::npos);
}

TEST_F(SetupReportTest, WindowSendsTheChosenSectionsToATextFile) {
  const auto out = std::filesystem::path(configDir) / "setup data.txt";
  rt::SetScriptedPanels(true);
  rt::QueuePanelAnswer(out.string());
  Drive({Until(17), Click(17, 2), Click(17, 6), Click(17, 7), Shot(17, "w17-setup-data.png"), Click(17, 3)});
  PRINTSETUP();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(17));
  const std::string text = ReadBytes(out);
  EXPECT_NE(text.find("Triggering is ON"), std::string::npos);
  EXPECT_NE(text.find("Alarms are ACTIVATED"), std::string::npos);
  EXPECT_EQ(text.find("Device switching is"), std::string::npos);
  EXPECT_EQ(text.find("Screen display"), std::string::npos);
}

TEST_F(SetupReportTest, PrinterRouteWritesThePdfNamedByTheJob) {
  const auto pdf = std::filesystem::path(rt::DocumentsDir()) / "setup data.pdf";
  std::filesystem::remove(pdf);
  Drive({Until(17), CloseBox(17)});  // closing the window goes on, like OK
  PRINTSETUP();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(rt::PrintJobName(), "setup data.pdf");
  EXPECT_EQ(ReadBytes(pdf).substr(0, 5), "%PDF-");
}

TEST_F(SetupReportTest, CancelWritesNothing) {
  rt::SetScriptedPanels(true);
  Drive({Until(17), Click(17, 4)});
  PRINTSETUP();
  EXPECT_FALSE(rt::WindowExists(17));
  EXPECT_FALSE(rt::HasQueuedPanelAnswer());
}

}  // namespace
}  // namespace mv
