// The old text form of the set-up file: golden files written here field by field
// (not by the program), loaded through the real loader; the defaults of the groups
// a short file lacks; and texts that are no set-up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/needs.h"
#include "files/setup_commands.h"
#include "files/setup_file.h"
#include "files/state.h"
#include "files_test_support.h"
#include "kit/state.h"
#include "setup/state.h"

namespace mv {
namespace {

// A text-form file as lines of decimal fields, each line ended by CR.
struct TextForm {
  std::string s;
  TextForm& line(const std::string& fields) {
    s += fields + "\r";
    return *this;
  }
  TextForm& zeros(int n) {
    std::string t = "0";
    for (int i = 1; i < n; ++i) t += ",0";
    return line(t);
  }
};

std::string Label(const std::string& text) {
  return text + std::string(30 - text.size(), ' ');
}

// Two chart channels at 0.1 s with every group present.
std::string WholeTwoChannelFile() {
  TextForm f;
  f.line("1").line("2").line("6").line("0.06").line("0").line("2.5,0.5,3");
  f.line(Label("O2") + Label("CO2"));
  f.line("1,0,1,0,25,15,4,400,200,200,199,200,2");
  f.line("2, 0.1, 2, 1, 1, 0, 0, 600, 201, 401, 599, 600, 0");  // continuous averaging
  f.line("5,700,1,2,0.3,1,2,800,4,0,0");
  f.line("1,2,3,4,5,6,3,19200,0");
  f.line("1,0,1,2,1,1,1");
  f.line("1,6,1,1,1,1,1,1").line("1,0,1,0,18,22").zeros(6 * 7);
  f.line("3,2,1,1,0.5,1,1,0,2");
  f.line("0,2,3,4").line("0,0,0,0");
  f.line("1,36000");
  f.line("1").zeros(34);
  f.line("2,-1,2").line("1.5,0,0").zeros(19).line("0,0,0,77").line("0");
  return f.s;
}

class SetupTextTest : public test::FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    PrefsArray[PrefsSlot::WindowWidth] = 700;
    ShowXYPlot = 1;  // strips laid out afresh without asking
    files_hooks::SetChanParams = [](int16_t, int16_t) {};
  }
  bool Load(const std::string& text) {
    const auto path = configDir / "old.MVsetup";
    std::ofstream(path, std::ios::binary) << text;
    return LoadSetupFile(path.string());
  }
  std::string LastNotice() const { return notices.empty() ? "" : notices.back(); }
};

TEST_F(SetupTextTest, AWholeFileLoadsEveryGroup) {
  External_AD = ExternalADCode::DT500;
  ActiveSerialPort = 4;
  ASSERT_TRUE(Load(WholeTwoChannelFile())) << LastNotice();
  EXPECT_EQ(RecordingMODE, RecordingModeCode::Chart);
  EXPECT_EQ(nChannels, 2);
  EXPECT_EQ(ChartIntervalInSeconds, 0.1);
  EXPECT_EQ(OldChartSpeedBut, 6);
  EXPECT_EQ(switchint, 2.5f);
  EXPECT_EQ(RefChan, 3);
  EXPECT_EQ(datalabel.str(), Label("O2") + Label("CO2"));
  EXPECT_EQ(ChannelVariables[1][ChanField::PlotMax], 25.0f);
  EXPECT_EQ(ChannelVariables[2][ChanField::A], 0.1f);
  EXPECT_EQ(ChannelVariables[1][ChanField::Device], 2.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::AverageLastChannel], 1) << "the last channel averages no readings";
  EXPECT_EQ(MaxSamples, 700);
  EXPECT_EQ(TriggerChan, 2);
  EXPECT_EQ(triggerval, 0.3f);
  EXPECT_EQ(ChartView, 2.0f);
  EXPECT_EQ(ScopeMax, 800);
  EXPECT_EQ(RefChan2, 4);
  EXPECT_EQ(polyarray[0][6], 6.0f);
  EXPECT_EQ(External_AD, ExternalADCode::DT500) << "the file's interface is not switched to";
  EXPECT_EQ(ActiveSerialPort, 4);
  EXPECT_EQ(AbsoluteValue, 1);
  EXPECT_EQ(ChannelVariables[0][2], 6.0f);
  EXPECT_EQ(alarmsArray[1][AlarmField::LowerLimit], 18.0f);
  EXPECT_EQ(alarmsArray[1][AlarmField::UpperLimit], 22.0f);
  EXPECT_EQ(TriggerSaveCount, 3);
  EXPECT_EQ(CustomTic, 0.5);
  EXPECT_EQ(ScopeViewSTEP, 2);
  EXPECT_EQ(DataTakerChannels[1][4], 4);
  EXPECT_EQ(TimedSaveINTERVAL, 36'000);
  EXPECT_EQ(PrefsArray[PrefsSlot::AutomaticBackup], 1);
  EXPECT_EQ(zerolink[0], 0) << "links on with switching off: no box could show them, so none is set";
  EXPECT_EQ(Digital_Port, 2);
  EXPECT_EQ(Max_Display_Speed, -1);
  EXPECT_EQ(StartAlertInt, 1.5f);
  EXPECT_EQ(nextAlert, 77);
  EXPECT_EQ(SetupFileName.str(), "old.MVsetup");
}

// A file that ends after its channel table: ten channels with a second label line,
// switching pattern 9 with its line and devices, and the later layout marked by a
// chart interval of 0. Every group after the table takes its defaults.
TEST_F(SetupTextTest, AShortFileTakesTheDefaultsOfTheGroupsItLacks) {
  TextForm f;
  f.line("1").line("10").line("0").line("0").line("0").line("60").line("0.06").line("9").line("0,0,1");
  std::string first, second;
  for (int ch = 1; ch <= 8; ++ch) first += Label("chan " + std::to_string(ch));
  for (int ch = 9; ch <= 10; ++ch) second += Label("chan " + std::to_string(ch));
  f.line(first + "0").line(second);
  for (int ch = 1; ch <= 10; ++ch) f.line("1,0,1,0,5,0,4,50,40,10,38,40,0");
  f.line("7").line("1,2,3,4,5,6,7,8");
  TriggerON = 1;
  ChartView = 4;
  TimedSaveINTERVAL = 3'600;
  alarmsArray[2][AlarmField::SlopeTrendOn] = 1;
  PrefsArray[PrefsSlot::SaveText] = 1;
  ASSERT_TRUE(Load(f.s)) << LastNotice();
  EXPECT_EQ(nChannels, 10);
  EXPECT_EQ(ChartIntervalInSeconds, 1.0);
  EXPECT_EQ(SwitchingMode, SwitchingPatternCode::SequentialFiles);
  EXPECT_EQ(datalabel.str(), first);
  EXPECT_EQ(datalabel2.str(), second);
  EXPECT_EQ(ChannelVariables[0][0], 7.0f);
  EXPECT_EQ(ChannelVariables[8][ChanField::Device], 8.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::AverageLastChannel], 0);
  EXPECT_EQ(TriggerON, 0);
  EXPECT_EQ(ChartView, 1.0f);
  EXPECT_EQ(ScopeMax, 700) << "640 by default, raised to one screen";
  EXPECT_EQ(ChannelVariables[0][9], 1.0f) << "conversion codes default to linear";
  EXPECT_EQ(TimedSaveINTERVAL, 0);
  EXPECT_EQ(PrefsArray[PrefsSlot::AutomaticBackup], 0);
  EXPECT_EQ(PrefsArray[PrefsSlot::TimeGrids], 1);
  EXPECT_EQ(alarmsArray[2][AlarmField::SlopeTrendOn], 0.0f) << "the form has no late alarm fields";
  EXPECT_EQ(PrefsArray[PrefsSlot::SaveText], 0);
}

// The form carries the conversion codes and alarm fields 0 to 5 of channels 1 to 8
// (1 to 12 beyond 8 channels), or leaves the group out: the channels it does not cover
// keep what they held; those it covers take the file's values or the group's defaults.
TEST_F(SetupTextTest, ChannelsTheFormDoesNotCoverKeepTheirCodesAndAlarms) {
  struct Case {
    const char* what;
    std::string file;
    int lastCovered;
    float coveredCode;  // channel 2's code afterwards
  };
  TextForm tenChannels;
  tenChannels.line("1").line("10").line("60").line("0.06").line("0").line("0,0,1");
  std::string labels;
  for (int ch = 1; ch <= 8; ++ch) labels += Label("chan " + std::to_string(ch));
  tenChannels.line(labels).line(Label("chan 9") + Label("chan 10"));
  for (int ch = 1; ch <= 10; ++ch) tenChannels.line("1,0,1,0,5,0,4,50,40,10,38,40,0");
  for (const Case& c : {Case{"two channels, codes given", WholeTwoChannelFile(), 8, 6.0f},
                        Case{"ten channels, group missing", tenChannels.s, 12, 1.0f}}) {
    SCOPED_TRACE(c.what);
    for (int ch = 1; ch <= 16; ++ch) {
      ChannelVariables[0][ch] = 5.0f;
      for (int f = 0; f < 6; ++f) alarmsArray[ch][f] = 3.0f;
    }
    ASSERT_TRUE(Load(c.file)) << LastNotice();
    EXPECT_EQ(ChannelVariables[0][2], c.coveredCode);
    EXPECT_EQ(alarmsArray[c.lastCovered][AlarmField::UpperLimit], 0.0f);
    for (int ch = c.lastCovered + 1; ch <= 16; ++ch) {
      EXPECT_EQ(ChannelVariables[0][ch], 5.0f) << "channel " << ch;
      for (int f = 0; f < 6; ++f) EXPECT_EQ(alarmsArray[ch][f], 3.0f) << "channel " << ch << " field " << f;
    }
  }
}

TEST_F(SetupTextTest, ScopeIntervalsOfAMillisecondAndLessTakeTheHighSpeedScope) {
  for (const auto& [ticks, fast] : {std::pair{"0.06", 1}, {"0.012", 1}, {"0.48", 0}}) {
    TextForm f;
    f.line("2").line("1").line("6").line(ticks).line("0").line("0,0,0").line(Label("scope"));
    f.line("1,0,1,0,5,-5,1,400,200,200,199,200,0");
    ASSERT_TRUE(Load(f.s)) << ticks << ": " << LastNotice();
    EXPECT_EQ(PrefsArray[PrefsSlot::DT800FastScope], fast) << ticks;
  }
}

// The set-up reader's fuzz target starts from these golden files too.
TEST_F(SetupTextTest, TheFuzzSeedsAreTheGoldenFiles) {
  const auto path = test::SourcePath("tools/fuzz/corpus/setup") / "text-form.MVsetup";
  if (std::getenv("MV_WRITE_FUZZ_SEEDS")) std::ofstream(path, std::ios::binary) << WholeTwoChannelFile();
  EXPECT_EQ(ReadBytes(path), WholeTwoChannelFile());
}

// Anything that is not read whole into usable values is refused and changes nothing.
TEST_F(SetupTextTest, TextsThatAreNoUsableSetupAreRefused) {
  const std::string whole = WholeTwoChannelFile();
  std::string hugeInterval = whole, noNumber = whole, tooMany = whole, tooLarge = whole, tooNear = whole;
  hugeInterval.replace(hugeInterval.find("\r6\r"), 3, "\r3e38\r");
  noNumber.replace(noNumber.find("0.06"), 4, "fast");
  const std::string channel1 = "1,0,1,0,25,15,4,";
  tooMany.replace(tooMany.find(channel1), channel1.size(), "1,0,1,0,25,15,40000,");
  tooLarge.replace(tooLarge.find(channel1), channel1.size(), "1,0,1e39,0,25,15,4,");
  tooNear.replace(tooNear.find(channel1), channel1.size(), "1,0,1e-45,0,25,15,4,");
  const std::pair<std::string, std::string> cases[] = {
      {"Dear colleague,\rthe results are attached.\r", "not a set-up file"},
      {"1\r2\r", "ends early"},
      {whole.substr(0, whole.find("5,700")) + "5,700,1\r", "ends early"},
      {noNumber, "field 4 is not a number"},
      {hugeInterval, "chart interval"},
      {whole + "1,2,3\r", "after its last field"},
      {"1\r40000\r", "whole number"},
      {tooMany, "channel 1 averages 40000 readings: a channel averages at most 32767 readings"},
      {tooLarge, "field 12 is too large for single precision"},
      {tooNear, "channel 1's coefficient b is 1e-45: it is too near 0 for a channel"},
  };
  for (const auto& [text, reason] : cases) {
    nChannels = 5;
    ChartIntervalInSeconds = 2;
    notices.clear();
    EXPECT_FALSE(Load(text)) << reason;
    EXPECT_EQ(nChannels, 5);
    EXPECT_EQ(ChartIntervalInSeconds, 2.0);
    ASSERT_EQ(notices.size(), 1u) << reason;
    EXPECT_NE(notices[0].find(reason), std::string::npos) << notices[0];
  }
}

}  // namespace
}  // namespace mv
