// The whole program in demonstration mode with a gas-exchange channel: a one-channel
// chart set-up, then from the set-up window the A-D menu's "Conversion Options" item
// for channel 1, where the user turns VO2 on with the usual incurrent air and a
// constant flow; the recording that follows stores oxygen consumption, not % O2, and
// its file labels the channel with the rate. "CO2 Present, Flowmeter Downstream"
// computes nothing: the channel's % O2 is stored under the channel's own label.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <regex>
#include <string>

#include "acquisition/state.h"
#include "conversions/gas_exchange.h"
#include "conversions/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "kit/channel_labels.h"
#include "kit/state.h"
#include "setup/state.h"
#include "shell/main_body.h"

namespace mv {
namespace {

struct GasRun {
  const char* name;
  int caseItem;  // of the VO2 case popup
  bool rate;     // the case computes VO2
};

void PrintTo(const GasRun& run, std::ostream* out) {
  *out << run.name;
}

const GasRun kGasRuns[] = {
    {"NoCO2Upstream", 1, true},
    {"CO2PresentDownstream", 5, false},
};

class GasExchangeRunE2E : public test::ProgramRunTest, public ::testing::WithParamInterface<GasRun> {};

TEST_P(GasExchangeRunE2E, OptionsFromTheMenuMakeTheRecordingStoreVO2) {
  const GasRun& run = GetParam();
  const std::filesystem::path data = documents_ / "gas.kstr";
  const std::string script =
      "start\n"
      "until 5\n"
      "mouse 5 270 150\n"
      "gone 15\n"
      "until 9\n"
      "click-label 9 Test Mode\n"
      "gone 9\n"
      "until 310\n"
      "click 310 101\n"  // one channel
      "click 310 23\n"
      "gone 310\n"
      "until 9\n"
      "click 9 14\n" +
      test::ChannelDialogs() +
      "until 104\n"
      "menu 120 1\n"  // Conversion Options, channel 1
      "until 14\n"
      "click 14 10\n"      // Compute VO2
      "pick 14 140 " + std::to_string(run.caseItem) + "\n"
      "pick 14 143 1\n"    // microlitres per minute
      "type 14 102 100\n"  // constant flow, ml/min
      "type 14 112 0.0004\n"
      "click 14 3\n"  // Display & Save
      "shot 14 " +
      Shot("w14-run-gas-options.png") +
      "\n"
      "click 14 40\n"
      "gone 14\n"
      "click 104 203\n"  // Setup OK
      "gone 104\n"
      "panel cancel\n"
      "until 1\n"
      "wait 0.5\n"
      "hold Escape\n"
      "until 112\n"
      "release Escape\n"
      "panel " + data.string() + "\n"
      "click 112 2\n"  // Save Data
      "until 15\nclick 15 11\ngone 15\nuntil 2\n"
      "click 112 6\n"  // quit
      "expect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);

  const GasExchangeRecord& r = SpecialOpsArray[1];
  EXPECT_EQ(r[GasField::Computation], 1.0f);
  EXPECT_EQ(r[GasField::Case], static_cast<float>(run.caseItem));
  EXPECT_EQ(r[GasField::Flow], 100.0f);
  EXPECT_EQ(r[GasField::Units], 1.0f);
  EXPECT_EQ(r[GasField::Save], 1.0f);
  EXPECT_FLOAT_EQ(r[GasField::RQ], 0.85f) << "shown, and kept by Done";
  EXPECT_FLOAT_EQ(r[GasField::FiO2], 0.2095f);
  EXPECT_FLOAT_EQ(r[GasField::FiCO2], 0.0004f);
  EXPECT_NEAR(r[GasField::OneMinusFiO2], 0.7905, 1e-7);
  EXPECT_NEAR(r[GasField::VO2Divisor], 0.968575, 1e-7);
  EXPECT_NEAR(r[GasField::VCO2Factor], 1.0000706, 1e-7);
  EXPECT_NEAR(r[GasField::VCO2Divisor], 0.9991294, 1e-7);

  // Each stored value is F·d/(1 − (FiO2 − d)) µl/min for a demonstration reading of
  // 0.201 to 1 % O2 (d = reading/100): 254 to 1249. Solved back for the reading,
  // every column must give one the demonstration can produce. A case that computes
  // nothing stores the reading itself.
  ASSERT_GT(nSamples, 0);
  for (int32_t i = 0; i < nSamples; ++i) {
    double percent = ChartDataArray.Get(1, i);
    if (run.rate) {
      const double vo2 = percent / 1000.0;
      percent = 100.0 * vo2 * (1.0 - 0.2095) / (100.0 - vo2);
    }
    EXPECT_GE(percent, 0.2009) << "column " << i << ": " << ChartDataArray.Get(1, i);
    EXPECT_LE(percent, 1.0001) << "column " << i << ": " << ChartDataArray.Get(1, i);
  }
  const std::string dump = test::DumpDataFile(data);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(dump, m, std::regex("channel block 1: [^\n]* label '([^']*)'"))) << dump;
  const std::string stored = m[1].str(), own = ChannelLabelField(1).str();
  if (run.rate) {
    EXPECT_EQ(stored.substr(0, 13), "VO2 \\xB5l/min") << dump;
  } else {
    EXPECT_EQ(stored, own) << "the channel's own label: " << dump;
    EXPECT_EQ(stored.find("VO2"), std::string::npos) << dump;
  }
  EXPECT_TRUE(std::filesystem::exists(test::TestOutputDir() / "w14-run-gas-options.png"));
}

INSTANTIATE_TEST_SUITE_P(Cases, GasExchangeRunE2E, ::testing::ValuesIn(kGasRuns),
                         [](const ::testing::TestParamInfo<GasRun>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
