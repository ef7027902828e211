// The STP flow converter: the correction pinned against values worked out by hand,
// and the window driven through its buttons, the running average and Store.
#include "calculators/stp_flow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "calculators/number_text.h"
#include "calculators/stp_calc.h"
#include "conditions_driver.h"
#include "acquisition/state.h"
#include "files/data_file_save.h"
#include "files/state.h"
#include "kit/state.h"
#include "mvdump/dump.h"
#include "setup/state.h"

namespace mv::calc {
namespace {

// One pound-force per square inch is 6894.757 Pa; one torr is 101325/760 Pa.
constexpr double kTorrPerPsi = 6894.757293 / (101325.0 / 760.0);  // 51.7149

TEST(StpFlow, CorrectsTemperaturePressureAndOverPressure) {
  StpEntries e;
  e.flow = 100;
  e.barometric = 760;
  EXPECT_EQ(StpFlow(e), 100.0f) << "standard conditions change nothing";
  e.meterTemp = 20;
  EXPECT_NEAR(StpFlow(e), 100.0 * 273 / 293, 1e-4);
  // 740 torr plus 2 psi over-pressure, meter at 25 C calibrated for 21 C.
  e = StpEntries{};
  e.flow = 100;
  e.barometric = 740;
  e.internal = 2;
  e.pressureUnit = kStpPSI;
  e.meterTemp = 25;
  e.calibTemp = 21;
  const double stp = (21 + 273.0) * ((740 + 2 * kTorrPerPsi) * 100 / 760) / (25 + 273.0);
  EXPECT_NEAR(StpFlow(e), stp, 1e-3);
  e.litres = true;
  EXPECT_NEAR(StpFlow(e), stp * 0.001, 1e-7);
}

TEST(StpFlow, OverPressureUnitsAndCollectedVolume) {
  EXPECT_FLOAT_EQ(InternalPressureTorr(10, kStpTorr), 10.0f);
  EXPECT_FLOAT_EQ(InternalPressureTorr(10, kStpKPa), 75.002f);
  EXPECT_FLOAT_EQ(InternalPressureTorr(100, kStpMmH2O), 7.6f);
  EXPECT_NEAR(InternalPressureTorr(1, kStpPSI), kTorrPerPsi, 1e-4);
  StpEntries e;
  e.cumulativeVolume = true;
  e.volume = 1000;
  e.seconds = 60;
  e.flow = 5;  // not used in this mode
  e.barometric = 760;
  EXPECT_EQ(StpFlow(e), 1000.0f);
  e.seconds = 30;
  EXPECT_EQ(StpFlow(e), 2000.0f);
}

TEST(StpFlow, UndefinedEntriesGiveNoFiniteFlow) {
  StpEntries e;
  e.barometric = 760;
  e.cumulativeVolume = true;
  e.volume = 1000;
  e.seconds = 0;
  EXPECT_FALSE(std::isfinite(StpFlow(e)));
  e = StpEntries{};
  e.flow = 100;
  e.barometric = 760;
  e.meterTemp = -273;
  EXPECT_FALSE(std::isfinite(StpFlow(e)));
}

class StpWindowTest : public test::ConditionsCalcTest {
 protected:
  static constexpr int16_t kResult = 111, kFlow = 112, kSeconds = 114, kMeterTemp = 117;
  static constexpr int16_t kCumulative = 2, kPSI = 4, kSLPM = 10, kSCCM = 9, kAdd = 14, kAverage = 11,
                           kHelp = 20, kStore = 12, kCompute = 15, kDone = 13;
};

TEST_F(StpWindowTest, OpensWithUsableFieldsAndComputesAtOnceLeavingTheConditionsAlone) {
  flowrate = 0;
  BarometricPressure = -5;
  flowtemp = 20;
  Run(STPflowAdjust,
      {Shot("w8-stp-flow.png"), Do([] {
         EXPECT_EQ(Text(kFlow), StringFormatter(100).str());
         EXPECT_NEAR(Value(kResult), 93.174, 1e-3) << "100 ml/min at 20 C";
         EXPECT_EQ(State(kSCCM), 2);
         EXPECT_EQ(rt::FocusedEditField(), 0);
       }),
       Click(kHelp), Do([] { EXPECT_NEAR(Value(kResult), 93.174, 1e-3) << "help changes nothing"; }),
       Type(kMeterTemp, "0"), Key(kMeterTemp, Qt::Key_Tab, "\t"),
       Do([] { EXPECT_NEAR(Value(kResult), 93.174, 1e-3) << "Tab computes nothing"; }), Return(kMeterTemp),
       Do([] { EXPECT_EQ(Value(kResult), 100); }), Click(kDone)});
  EXPECT_EQ(flowrate, 0.0f) << "only Store changes the conditions";
  EXPECT_EQ(BarometricPressure, -5.0f);
  EXPECT_EQ(flowtemp, 20.0f);
}

TEST_F(StpWindowTest, LitresPerMinuteAreStoredAsMillilitres) {
  flowtemp = 20;
  BarometricPressure = 700;
  Run(STPflowAdjust, {Type(kMeterTemp, "0"), Click(kSLPM), Do([] {
                        EXPECT_NEAR(Value(kResult), 100.0 * 700 / 760 * 0.001, 1e-6);
                        EXPECT_EQ(State(kSLPM), 2);
                        EXPECT_EQ(State(kSCCM), 1);
                      }),
                      Click(kStore), Click(kDone)});
  EXPECT_NEAR(flowrate, 100.0 * 700 / 760, 1e-2);
  EXPECT_EQ(BarometricPressure, 760.0f);
  EXPECT_EQ(flowtemp, 0.0f);
  EXPECT_TRUE(sounds.empty()) << "Store is silent";
}

TEST_F(StpWindowTest, RunningAverageOutlivesSwitchingItOffAndOn) {
  Run(STPflowAdjust,
      {Click(kAverage), Do([] { EXPECT_EQ(Value(kResult), 100) << "nothing added: the value shown"; }),
       Click(kAverage), Type(kFlow, "200"), Click(kCompute), Click(kAdd), Type(kFlow, "300"), Click(kCompute),
       Click(kAdd), Do([] {
         EXPECT_EQ(Value(kResult), 300);
         EXPECT_EQ(State(kAverage), 1);
       }),
       Click(kAverage), Do([] {
         EXPECT_EQ(Value(kResult), 250) << "the two added; the 100 shown at opening never was";
         EXPECT_EQ(State(kAverage), 2);
       }),
       Click(kAverage), Do([] {
         EXPECT_EQ(Value(kResult), 300) << "switched off: computed again";
         EXPECT_EQ(State(kAverage), 1);
       }),
       Click(kSLPM), Click(kAverage),
       Do([] { EXPECT_FLOAT_EQ(Value(kResult), 0.25f) << "the sum is ml/min"; }), Click(kDone)});
}

// The flow rate a chart file saved now carries, read back by the dump tool's decoder:
// what Store leaves for the data file.
double FlowRateInChartFile() {
  nChannels = 1;
  FirstChan = 1;
  nSamples = 3;
  Sample = 2;
  SampleInterval = 1.0f;
  for (int c = 0; c <= 2; ++c) ChartDataArray.Set(1, c, 1.5f * static_cast<float>(c));
  const std::filesystem::path file = test::MakeTempDir("stp-store") / "run.kstr";
  const FileResult saved = SaveChartDataFile(file.string(), RunPhase::Closed);
  EXPECT_TRUE(saved) << saved.reason;
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::FILE* out = std::tmpfile();
  EXPECT_EQ(mvdump::Dump(out, file.string(), bytes, {}), 0) << "the file decodes whole";
  std::rewind(out);
  std::string dump;
  for (int ch = std::fgetc(out); ch != EOF; ch = std::fgetc(out)) dump += static_cast<char>(ch);
  std::fclose(out);
  std::filesystem::remove_all(file.parent_path());
  const std::string label = "flow rate (ml/min): ";
  const std::size_t at = dump.find(label);
  if (at == std::string::npos) {
    ADD_FAILURE() << "no flow rate in the file:\n" << dump;
    return -1;
  }
  return std::stod(dump.substr(at + label.size()));
}

// "show Average" is the mean of the readings added, nothing else: not the reading the
// window opened with, not a "no result" read as 0, not the reading in view. With
// nothing added it shows the reading in view, uncounted; with no reading it says why.
// Store writes what it shows into the next data file as the experiment's flow rate.
// The meter at 0 C and 760 torr: the STP flow is the flow typed.
TEST_F(StpWindowTest, TheAverageIsTheMeanOfTheReadingsAddedAndStoreWritesItIntoTheChartFile) {
  using Steps = std::vector<Step>;
  const auto flow = [](const char* typed) { return Steps{Type(kFlow, typed), Click(kCompute)}; };
  const auto join = [](std::initializer_list<Steps> parts) {
    Steps all;
    for (const Steps& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const Steps noResult{Click(kCumulative), Type(kSeconds, "0"), Click(kCompute)};
  const Steps refused{Click(kAverage), Do([this] {
                        EXPECT_EQ(Text(kResult), "no result: no flow added or shown to average");
                        EXPECT_EQ(State(kAverage), 1) << "the average is not switched on";
                        EXPECT_EQ(CountPlayed("bzot.mp3"), 2) << "the no result, then the refusal";
                      })};
  struct Row {
    const char* what;
    Steps steps;
    double average;  // shown, in the result's unit, and stored in ml/min (x 1000 in SLPM)
    bool litres;
  };
  const Row rows[] = {
      {"at opening, nothing added: the reading shown", {}, 100, false},
      {"at opening, on and off, then two added",
       join({{Click(kAverage), Click(kAverage)}, flow("131.3664"), {Click(kAdd)}, flow("250.864"), {Click(kAdd)}}),
       (131.3664 + 250.864) / 2, false},
      {"after a no result, one added",
       join({noResult, refused, {Type(kSeconds, "60"), Click(kCompute), Click(kAdd)}}),
       1000, false},
      {"after a no result, nothing added", join({noResult, refused, {Type(kSeconds, "30"), Click(kCompute)}}),
       2000, false},
      {"two added, a third in view", join({flow("200"), {Click(kAdd)}, flow("300"), {Click(kAdd)}, flow("999")}), 250,
       false},
      {"added in both units", join({flow("120"), {Click(kAdd), Click(kSLPM)}, flow("180"), {Click(kAdd)}}), 0.15,
       true},
      // A number typed into the result that single precision cannot hold in ml/min is
      // neither stored nor added; nor is a reading that would carry the sum beyond it.
      {"1e39 typed: not stored, not added",
       join({{Type(kResult, "1e39"), Click(kStore), Do([] { EXPECT_EQ(flowrate, 100); }), Click(kAdd)}, flow("200"),
             {Click(kAdd)}}),
       200, false},
      {"1e36 typed in SLPM: not stored, not added",
       join({{Click(kSLPM), Type(kResult, "1e36"), Click(kStore), Do([] { EXPECT_EQ(flowrate, 100); }),
              Click(kAdd)},
             flow("300"), {Click(kAdd)}}),
       0.3, true},
      {"3e38 twice: the second would carry the sum beyond any number",
       {Type(kResult, "3e38"), Click(kAdd), Click(kAdd)}, 3e38, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    flowrate = 100;
    flowtemp = 0;
    BarometricPressure = 760;
    ForgetSounds();
    Steps steps = row.steps;
    steps.push_back(Click(kAverage));
    steps.push_back(Do([&row] {
      EXPECT_NEAR(Value(kResult), row.average, row.average * 5e-5) << "shown to five digits";
      EXPECT_EQ(State(kAverage), 2);
    }));
    steps.push_back(Click(kStore));
    steps.push_back(Click(kDone));
    Run(STPflowAdjust, steps);
    const double stored = row.litres ? row.average * 1000 : row.average;
    EXPECT_NEAR(flowrate, stored, stored * 1e-6);
    EXPECT_NEAR(FlowRateInChartFile(), stored, stored * 1e-6);
  }
}

TEST_F(StpWindowTest, ZeroElapsedTimeShowsNoFlowAndNothingIsAddedOrStored) {
  flowrate = 250;
  Run(STPflowAdjust,
      {Click(kCumulative), Do([] { EXPECT_EQ(Value(kResult), 1000); }), Type(kSeconds, "0"), Click(kCompute),
       Do([this] {
         EXPECT_EQ(Text(kResult), "no result: the elapsed time is 0") << "no Inf or NaN in the field";
         EXPECT_EQ(CountPlayed("bzot.mp3"), 1);
       }),
       Click(kAdd), Click(kStore), Do([this] { EXPECT_EQ(CountPlayed("bzot.mp3"), 3); }),
       Type(kSeconds, "60"), Click(kCompute), Click(kAverage),
       Do([] { EXPECT_EQ(Value(kResult), 1000) << "the refused add did not count"; }), Click(kDone)});
  EXPECT_EQ(flowrate, 250.0f);
}

// Store, "Add to ∑" and the average take the flow computed, not its text
// rounded to the display's digits, in either unit and under Four as under Six: the
// experiment's flow rate goes into the data file. The reference is the correction
// worked in double precision: 141 and 150 ml/min read at 20 C.
TEST_F(StpWindowTest, StoreAndTheAverageTakeTheFlowComputedNotItsRoundedText) {
  const double first = 141.0 * 273 / 293, second = 150.0 * 273 / 293;  // 131.3754, 139.7611
  const double mean = (first + second) / 2;
  for (const int digits : {4, 6}) {
    for (const int16_t unit : {kSCCM, kSLPM}) {
      SCOPED_TRACE(std::to_string(digits) + (unit == kSLPM ? " digits, SLPM" : " digits, SCCM"));
      const double scale = unit == kSLPM ? 0.001 : 1;
      SignificantFigures = static_cast<int16_t>(digits);
      flowrate = 100;
      flowtemp = 20;
      BarometricPressure = 760;
      Run(STPflowAdjust,
          {Type(kFlow, "141"), Click(unit), Do([&] {
             EXPECT_EQ(Text(kResult), ReadoutText(static_cast<float>(first * scale)).str());
             if (digits == 4) {
               EXPECT_GT(std::fabs(Value(kResult) - first * scale), first * scale * 1e-4) << "shown rounded";
             }
           }),
           Click(kStore), Do([&] { EXPECT_NEAR(flowrate, first, first * 1e-6) << "stored as computed"; }),
           Click(kAdd), Type(kFlow, "150"), Click(kCompute), Click(kAdd), Click(kAverage), Do([&] {
             if (digits == 4 && unit == kSLPM) {
               EXPECT_TRUE(rt::SaveWindowImage(
                   W, (test::TestOutputDir() / "w8-stp-average-four-digits.png").string()));
             }
           }),
           Click(kStore),
           Do([&] { EXPECT_NEAR(flowrate, mean, mean * 1e-6) << "the average of the flows computed"; }),
           Click(kDone)});
    }
  }
  SignificantFigures = 5;
}

// A flow rate stored earlier is offered at its full value, not read back from the
// text the entry shows it with.
TEST_F(StpWindowTest, TheStoredFlowOfferedAgainIsNotReadBackRounded) {
  SignificantFigures = 4;
  flowrate = 131.37543f;
  BarometricPressure = 742.123f;
  flowtemp = 0;
  const double expected = 131.37543 * 742.123 / 760;
  Run(STPflowAdjust, {Do([&] {
                        EXPECT_EQ(Text(kFlow), ReadoutText(131.37543f).str());
                        EXPECT_NEAR(Value(kResult), expected, 0.05) << "shown with four digits";
                      }),
                      Click(kStore), Click(kDone)});
  EXPECT_NEAR(flowrate, expected, expected * 1e-6);
  SignificantFigures = 5;
}

TEST_F(StpWindowTest, OverPressureUnitReinterpretsTheEntry) {
  Run(STPflowAdjust, {Type(116, "1"), Click(kPSI), Do([] {
                        EXPECT_EQ(Text(116), "1") << "no field is converted";
                        EXPECT_NEAR(Value(kResult), (760 + 51.7007) * 100 / 760, 0.005)
                            << "106.80 to two decimals";
                        EXPECT_EQ(State(kPSI), 2);
                        EXPECT_EQ(State(3), 1);
                      }),
                      Click(kDone)});
}

}  // namespace
}  // namespace mv::calc
