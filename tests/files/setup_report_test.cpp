// The set-up report's text for a small set-up, and the "Setup Data" window driven once.
#include "files/setup_report.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "control/state.h"
#include "conversions/evaluate.h"
#include "conversions/gas_exchange.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "files_test_support.h"
#include "kit/state.h"
#include "runtime/panels.h"
#include "runtime/printing.h"
#include "runtime/system.h"
#include "setup/state.h"

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
    t += "chan.  input  equation    A-value" + Blanks(7) + "B-value" + Blanks(7) + "C-value" + Blanks(7) +
         "averaged  label" + CR;
    t += " 1" + Blanks(5) + " 3" + Blanks(5) + "linear" + Blanks(6) + " 0" + Blanks(12) + " 2.5" +
         Blanks(10) + "     1" + Blanks(8) + " 4" + Blanks(8) + Padded("O2") + CR;
    t += " 2" + Blanks(5) + " 12" + Blanks(4) + "breakpoint equation (coefficients below)" + Blanks(14) +
         " 1" + Blanks(8) + Padded("CO2") + CR;
    t += "\t " + std::string(49, '_') + CR;
    t += "\tBreakpoint equation, channel 2:" + CR;
    t += Blanks(9) + "breakpoint value = 1.5" + CR;
    // Both sides add to the initial value I and take it as their input.
    t += Blanks(9) + "initial conversion is linear,  I = 0 + 1 * volts" + CR;
    t += Blanks(9) + "below breakpoint conversion is polynomial,  = I + (1 + 2 * I + 0.5 * I^2)" + CR;
    t += Blanks(9) + "above breakpoint conversion is power,  = I + (0 + 4 * I^2)" + CR;
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

// The breakpoint block prints the formula the values use: I is the initial value; a
// side adds to it or multiplies it and takes I or the volts as its input; the
// reciprocal always divides the volts, its c of 0 standing for 1.
TEST_F(SetupReportTest, TheBreakpointBlockPrintsTheFormulaTheValuesUse) {
  struct Row {
    const char* what;
    BreakpointRecord record;
    float volts;     // a reading on the side printed
    float value;     // what the conversion gives for it
    const char* initial, *below, *above;
  };
  const Row rows[] = {
      {"reciprocal above, on the volts, c not given",
       {1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1, 9, 3, 2, 0, 0, 0, 0, 0, 0, 1}, 4, 4 + 3.5f,
       "linear,  I = 0 + 1 * volts", "off,  = I", "reciprocal,  = I + (3 + 2/volts)"},
      {"polynomial below multiplying, on I",
       {5, 1, 1, 1, 2, 0, 1, 2, 0, 1, 0.5f, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, 1, 3 * (3 + 0.5f * 9),
       "linear,  I = 1 + 2 * volts", "polynomial,  = I x (0 + 1 * I + 0.5 * I^2)", "off,  = I"},
      {"initial off, power above on the volts",
       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 3, 1, 2, 3, 0, 0, 0, 0, 0, 1}, 2, 17,
       "off,  I = 0", "off,  = I", "power,  = I + (1 + 2 * volts^3)"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    BreakpointArray[2] = r.record;
    EXPECT_FLOAT_EQ(EvaluateBreakpoint(r.record, r.volts), r.value);
    ReportText out;
    PrintBreakpointData(out, 2);
    const std::string& t = out.text();
    EXPECT_NE(t.find("initial conversion is " + std::string(r.initial) + CR), std::string::npos) << t;
    EXPECT_NE(t.find("below breakpoint conversion is " + std::string(r.below) + CR), std::string::npos) << t;
    EXPECT_NE(t.find("above breakpoint conversion is " + std::string(r.above) + CR), std::string::npos) << t;
  }
}

// A channel saving VO2 used to be reported as "linear 0 1", label "volts": the label
// column names the rate, and a block prints the computation behind it.
TEST_F(SetupReportTest, AGasExchangeChannelNamesItsRateAndPrintsItsComputation) {
  datalabel = Padded("volts") + Padded("flow");
  auto& r = SpecialOpsArray[1];
  r[GasField::Computation] = GasComputationCode::VO2;
  r[GasField::Case] = 1;
  r[GasField::FlowSource] = kFlowFromChannel;
  r[GasField::Flow] = 2;
  r[GasField::Units] = 2;
  r[GasField::RQ] = 0.85f;
  r[GasField::FiO2] = 0.2095f;
  r[GasField::FiCO2] = 0;
  r[GasField::Save] = 1;
  const std::string text = SetupReportText({false, false, false, false}, "12/25/26");
  EXPECT_NE(text.find("VO2 ml/min"), std::string::npos) << text;
  EXPECT_EQ(text.find("volts  "), std::string::npos) << "no channel is labelled volts: " << text;
  EXPECT_NE(text.find("Gas exchange, channel 1: VO2 ml/min,  No CO2, Flowmeter Upstream" + CR),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("flow: channel 2;  FiO2 0.2095;  FiCO2 0;  RQ 0.85" + CR), std::string::npos) << text;
  EXPECT_NE(text.find("Display & Save: the data files keep the rate" + CR), std::string::npos) << text;
  // "CO2 Present, Flowmeter Downstream" passes the value on: no rate, no rate's unit.
  r[GasField::Case] = 5;
  const std::string passed = SetupReportText({false, false, false, false}, "12/25/26");
  EXPECT_NE(passed.find("Gas exchange, channel 1: VO2,  CO2 Present, Flowmeter Downstream" + CR), std::string::npos)
      << passed;
  EXPECT_NE(passed.find("this case computes no rate: the data files keep the converted value" + CR),
            std::string::npos)
      << passed;
  EXPECT_EQ(passed.find("ml/min"), std::string::npos) << passed;
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

TEST_F(SetupReportTest, AFailedTextFileSaysWhyAndNamesTheFile) {
  const auto folder = std::filesystem::path(configDir);
  struct Case {
    const char* what;
    std::filesystem::path path;
  };
  std::filesystem::create_directories(folder / "a folder.txt");
  for (const Case& c : {Case{"a folder that is not there", folder / "gone" / "setup data.txt"},
                        Case{"a folder in the way", folder / "a folder.txt"}}) {
    SCOPED_TRACE(c.what);
    notices.clear();
    rt::SetScriptedPanels(true);
    rt::QueuePanelAnswer(c.path.string());
    Drive({Until(17), Click(17, 2), Click(17, 3)});
    PRINTSETUP();
    EXPECT_TRUE(ScriptDone());
    ASSERT_EQ(notices.size(), 1u);
    const std::string start = "The set-up report was not saved: \"" + c.path.filename().string() + "\": ";
    EXPECT_EQ(notices[0].substr(0, start.size()), start);
    EXPECT_GT(notices[0].size(), start.size()) << "the reason";
    EXPECT_TRUE(std::filesystem::is_directory(folder / "a folder.txt")) << "nothing written over";
  }
}

// A print onto a disk without room for the report keeps the report already there and
// says why: the PDF engine itself does not fail when its writes do.
TEST_F(SetupReportTest, APrintThatDoesNotFitKeepsTheOldFileAndSaysWhy) {
  const auto folder = std::filesystem::path(configDir) / "prints";
  std::filesystem::create_directories(folder);
  const auto pdf = folder / "report.pdf";
  const std::string old = "%PDF the report printed before";
  std::ofstream(pdf, std::ios::binary) << old;
  rt::SetScriptedPanels(true);
  rt::QueuePrintAnswer(pdf.string());
  Drive({Until(17), Click(17, 3)});
  {
    const test::FileSizeLimit full(4096);  // the report with its logo takes more
    PRINTSETUP();
  }
  EXPECT_TRUE(ScriptDone());
  ASSERT_EQ(notices.size(), 1u);
  const std::string start = "The set-up report was not printed: \"report.pdf\": ";
  EXPECT_EQ(notices[0].substr(0, start.size()), start) << notices[0];
  EXPECT_GT(notices[0].size(), start.size()) << "the reason";
  EXPECT_EQ(ReadBytes(pdf), old);
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(folder)) left.push_back(e.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"report.pdf"}) << "no part of the new report is left";
}

// The channel table's line of a report, found by its first words.
std::string LineStarting(const std::string& text, const std::string& start) {
  const std::size_t at = text.find(CR + start);
  return at == std::string::npos ? std::string() : text.substr(at + 1, text.find(CR, at + 1) - at - 1);
}

// Fields separated by blanks.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : line + " ") {
    if (c != ' ' && c != '\t') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  return words;
}

TEST_F(SetupReportTest, ChannelTableColumnsNeverRunTogether) {
  nChannels = 3;
  ChannelVariables[0][3] = 9;  // reciprocal, with values as wide as printed numbers get
  ChannelVariables[3][ChanField::Input] = 123;
  ChannelVariables[3][ChanField::A] = -1.234567891e-12f;
  ChannelVariables[3][ChanField::B] = -123456.7891f;
  ChannelVariables[3][ChanField::C] = -9.87654321e+20f;
  ChannelVariables[3][ChanField::Averaged] = 10000;
  datalabel = Padded("O2") + Padded("CO2") + Padded("flow");
  const std::string text = SetupReportText({false, false, false, false}, "12/25/26");
  const std::string head = LineStarting(text, "chan.");
  EXPECT_EQ(Words(head), (std::vector<std::string>{"chan.", "input", "equation", "A-value", "B-value",
                                                   "C-value", "averaged", "label"}));
  const std::string row = LineStarting(text, " 3");
  EXPECT_EQ(Words(row).size(), 8u) << row;  // number, input, name, A, B, C, averaged, label
  // Each heading stands where its column's values start.
  const std::string row1 = LineStarting(text, " 1");
  for (const char* heading : {"input", "A-value", "B-value", "C-value", "averaged"})
    EXPECT_EQ(row1.at(head.find(heading) - 1), ' ') << heading;
  EXPECT_EQ(row1.substr(head.find("label"), 2), "O2");
  EXPECT_EQ(row1.substr(head.find("equation"), 6), "linear");
}

// Coefficients and limits are single-precision values: the report shows the numbers
// the user typed, not the rounding noise of their binary values.
TEST_F(SetupReportTest, CoefficientsAndLimitsShowTheirOwnDigitsWithoutNoise) {
  ChannelVariables[1][ChanField::A] = 0.06361f;
  ChannelVariables[1][ChanField::B] = 0.1106f;
  triggerval = 0.1218099967f;
  alarmsArray[1][AlarmField::LowerLimit] = 1e-8f;
  const std::string text = SetupReportText({true, false, false, true}, "12/25/26");
  EXPECT_EQ(Words(LineStarting(text, " 1")),
            (std::vector<std::string>{"1", "3", "linear", "0.06361", "0.1106", "1", "4", "O2"}));
  EXPECT_NE(text.find("the trigger condition is:  >  0.12181" + CR), std::string::npos) << text;
  EXPECT_NE(text.find("less than 1e-08\t"), std::string::npos) << text;
}

TEST_F(SetupReportTest, ZeroLinesAndSlopeTrendsReportTheirSettings) {
  struct Case {
    int16_t zeroLines;
    int16_t slopeChannel;  // the channel whose slope trend is on, 0 for none
    const char* zeroText;
    const char* slopeText;
  };
  for (const Case& c : {Case{0, 0, "Zero lines are NOT SHOWN;", "Slope trends are OFF"},
                        Case{1, 2, "Zero lines are SHOWN;", "Slope trends are ON"},
                        Case{1, 3, "Zero lines are SHOWN;", "Slope trends are OFF"}}) {  // 3 is not recorded
    PrefsArray[PrefsSlot::ZeroLines] = c.zeroLines;
    for (int n = 1; n <= 16; ++n) alarmsArray[n][AlarmField::SlopeTrendOn] = n == c.slopeChannel ? 1 : 0;
    const std::string text = SetupReportText({false, false, true, false}, "12/25/26");
    EXPECT_NE(text.find(std::string("     ") + c.zeroText), std::string::npos) << c.zeroText;
    EXPECT_NE(text.find(std::string("     ") + c.slopeText + CR), std::string::npos) << c.slopeText;
  }
}

TEST_F(SetupReportTest, PrinterRoutePrintsTheReportThroughThePrintDialog) {
  const auto pdf = std::filesystem::path(configDir) / "printed setup.pdf";
  const auto documents = std::filesystem::path(configDir) / "documents";
  setenv("MV_DOCUMENTS_DIR", documents.c_str(), 1);
  rt::SetScriptedPanels(true);
  rt::QueuePrintAnswer(pdf.string());
  Drive({Until(17), CloseBox(17)});  // closing the window goes on, like OK
  PRINTSETUP();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(rt::PrintJobName(), "setup data.pdf");
  EXPECT_TRUE(notices.empty());
  // Nothing written behind the user's back into the documents folder.
  EXPECT_FALSE(std::filesystem::exists(documents / "setup data.pdf"));
  unsetenv("MV_DOCUMENTS_DIR");
  std::error_code ec;  // kept for a reviewer to look at
  std::filesystem::copy_file(pdf, test::TestOutputDir() / "setup-report.pdf",
                             std::filesystem::copy_options::overwrite_existing, ec);
  const auto text = test::PdfText(pdf);
  ASSERT_TRUE(text.has_value()) << "not a PDF";
  if (*text == "%PDF") GTEST_SKIP() << "pdftotext is not installed: the text is not checked";
  for (const char* line :
       {"Mirevant acquisition parameters", "MV build date: Jan 1 2026", "setup file: 'resp.set'",
        "Basic setup data", "A/D converter: Sable UI2", "maximum chart recording time: 555.5555556 hours",
        "chan. input equation A-value B-value C-value averaged label", " 2 12 breakpoint equation",
        "Breakpoint equation, channel 2:", "Triggering is ON, trigger channel is 1", "Alarms are ACTIVATED"})
    EXPECT_NE(text->find(line), std::string::npos) << line;
}

TEST_F(SetupReportTest, CancelledPrintDialogPrintsNothing) {
  rt::SetScriptedPanels(true);
  rt::QueuePrintAnswer(std::nullopt);
  Drive({Until(17), Click(17, 3)});
  PRINTSETUP();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(17));
  EXPECT_FALSE(rt::HasQueuedPrintAnswer());
  EXPECT_TRUE(notices.empty());
}

TEST_F(SetupReportTest, CancelWritesNothing) {
  rt::SetScriptedPanels(true);
  rt::QueuePrintAnswer(std::nullopt);
  Drive({Until(17), Click(17, 4)});
  PRINTSETUP();
  EXPECT_FALSE(rt::WindowExists(17));
  EXPECT_FALSE(rt::HasQueuedPanelAnswer());
  EXPECT_TRUE(rt::HasQueuedPrintAnswer());  // no dialog was asked
}

}  // namespace
}  // namespace mv
