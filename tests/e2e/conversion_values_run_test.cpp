// Every stored value is the conversion its file names, of the volts the instrument
// sent: whole-program recordings against a simulated DataTaker whose three voltage
// channels answer fixed volts, on the real clock (a sample every quarter second). Each
// case sets the channels' conversions and gas-exchange records in a set-up file; the
// saved files are read back by the dump tool and every value is compared, bit for bit,
// with the arithmetic worked here from the volts sent: an overflowing conversion,
// "Display Only" with a flow of 0 and with the flow channel after the gas channel, a
// rate at the first sample and across repeat periods, the last channel averaged
// continuously across repeat periods (each file states the readings its samples
// averaged), and a conversion changed after the run, before the save; and conversions
// with no result (the logarithm of 0 V, the reciprocal of 0 V, a fractional power of a
// negative reading), which are bad readings in every format, as overflows are. Neither
// kind fires a limit alarm.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "common/dump_tool.h"
#include "control/state.h"
#include "conversions/conversions_window.h"
#include "conversions/evaluate.h"
#include "conversions/gas_exchange.h"
#include "devices/line_step.h"
#include "drive/script.h"
#include "e2e/simulated_run_fixture.h"
#include "files/setup_file.h"
#include "files/state.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/needs.h"
#include "setup/state.h"
#include "shell/main_body.h"
#include "sim/sim.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

constexpr int kChannels = 3;
constexpr float kBad = -99999.0f;
// The volts the logger's channels 1 to 3 answer (binary fractions: the millivolt
// text it sends reads back exactly).
constexpr std::array<double, kChannels + 1> kVolts{0, 3.0, 1.5625, 2.0};

struct Conversion {
  float type = 1, a = 0, b = 1, c = 0;
  const char* label = "volts";
};

// A VO2 record (no CO2, flowmeter upstream, ml/min) whose flow is channel 2's value.
GasExchangeRecord VO2FromChannel2(bool save) {
  GasExchangeRecord r{};
  r[GasField::Computation] = GasComputationCode::VO2;
  r[GasField::Case] = 1;
  GasOptionsInput in;
  in.vo2Flow = 2;
  in.rq = 0.85, in.fio2 = 0.2095, in.z = 1, in.temperature = 20;
  ApplyGasOptionsDone(r, in);
  r[GasField::FlowSource] = kFlowFromChannel;
  r[GasField::Units] = 2;
  r[GasField::Save] = save ? 1.0f : 0.0f;
  return r;
}

// The VO2 the recording computes from a converted % O2 difference and a flow, in the
// same single-precision steps.
float VO2(const GasExchangeRecord& r, float percent, float flow) {
  const auto d = static_cast<float>(static_cast<double>(percent) * 0.01);
  return flow * d / (1.0f - (r[GasField::FiO2] - d));
}

struct Case {
  const char* name;
  std::array<Conversion, kChannels + 1> conversions;
  bool gasOnChannel1 = false;  // channel 1 computes VO2 with channel 2's flow
  bool gasSaved = false;       // "Display & Save"
  int32_t period = 0;          // samples a repeat period holds; 0: one file
  // The value each file's channel holds at a sample (file numbered from 1).
  std::function<float(int file, int channel, int sample)> expected;
  bool changeAfterRun = false;  // channel 1 becomes Linear 100 + 1·V before the save
  // Each value marked bad is a failed reading of the run (an overflow, no result).
  bool badIsFailedReading = false;
  // The volts the logger's channels 1 to 3 answer.
  std::array<double, kChannels + 1> volts = kVolts;
  // Channel 1 alarms at or below 0 and at or above 1e30; saved in every format too.
  bool alarmsAndEveryFormat = false;
  // Script lines run in the set-up window before its Setup OK, and texts the windows
  // must have shown on the way.
  std::string inSetupWindow = "";
  std::vector<std::string> shown = {};
  // The last channel averaged continuously ("cont"): each file's header states the
  // readings its samples averaged, each on average.
  bool lastContinuous = false;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

const Conversion kVolts1{};
// 0 + 0·V + 1e38·V² overflows single precision at 3 V.
const Conversion kOverflow{2, 0, 0, 1e38f, "overflow"};
const Conversion kOxygen{1, 0, 1, 0, "% O2 difference"};
const Conversion kFlowZero{1, 0, 0, 0, "flow"};  // flow 0 ml/min whatever the volts
const Conversion kFlow50{1, 0, 50, 0, "flow"};   // 78.125 ml/min at 1.5625 V
const Conversion kCustom{1, -0.5f, 2, 0, "custom two"};

// Coefficients the channel cannot hold, typed before the run into the conversions window
// and the set-up window (whose field opens with its cursor before " 0.5"): each is refused
// with the reason and the window stays (they were stored as 0 or a subnormal); the run
// converts by what was typed next, and the file names it.
const std::string kTypedBeyondAChannel =
    "menu 100 1\nuntil 10\ntype 10 102 1e39\nclick 10 15\nlist 10\ntype 10 102 1e-45\nkey Return\nlist 10\n"
    "type 10 102 2\nclick 10 15\ngone 10\ntype 104 11\nkey Delete\nkey Delete\nkey Delete\nkey Delete\n"
    "type 104 11 1e39\nclick 104 203\nlist 104\ntype 104 11 0.5\n";

const Case kCases[] = {
    {"OverflowIsTheBadReadingMark",
     {Conversion{}, kOverflow, Conversion{1, 1, 2, 0, "linear"}, Conversion{3, 0, 1, 2, "power"}},
     false,
     false,
     0,
     [](int, int channel, int) {
       if (channel == 1) return kBad;
       if (channel == 2) return 1.0f + 2.0f * 1.5625f;
       return 4.0f;  // 2^2
     },
     false,
     true,
     kVolts,
     true},
    // log10 of 0 V, 1 + 2/V at 0 V and V^0.5 of -2 V: none has a value; each used to be
    // stored as 0 (not even a, for the reciprocal).
    {"NoResultIsTheBadReadingMark",
     {Conversion{}, Conversion{8, 1, 1, 0, "log"}, Conversion{9, 1, 2, 0, "reciprocal"},
      Conversion{3, 0, 1, 0.5f, "root"}},
     false,
     false,
     0,
     [](int, int, int) { return kBad; },
     false,
     true,
     {0, 0.0, 0.0, -2.0},
     true},
    {"DisplayOnlyWithAFlowOfZero",
     {Conversion{}, kOxygen, kFlowZero, kVolts1},
     true,
     false,
     0,
     [](int, int channel, int) { return channel == 2 ? 0.0f : static_cast<float>(kVolts[channel]); }},
    {"DisplayOnlyWithTheFlowChannelLater",
     {Conversion{}, kOxygen, kFlow50, kVolts1},
     true,
     false,
     0,
     [](int, int channel, int) {
       return channel == 2 ? 50.0f * 1.5625f : static_cast<float>(kVolts[channel]);
     }},
    {"RateAtTheFirstSampleAndAcrossRepeatPeriods",
     {Conversion{}, kOxygen, kFlow50, kVolts1},
     true,
     true,
     3,
     [](int file, int channel, int sample) {
       if (channel == 2) return 50.0f * 1.5625f;
       if (channel == 3) return 2.0f;
       // No flow read in the run yet at its very first sample; later, the last one read,
       // the previous period's included.
       if (file == 1 && sample == 0) return kBad;
       return VO2(VO2FromChannel2(true), 3.0f, 50.0f * 1.5625f);
     }},
    {"ConversionChangedAfterTheRun",
     {Conversion{}, kCustom, kVolts1, kVolts1},
     false,
     false,
     0,
     [](int, int channel, int) {
       return channel == 1 ? -0.5f + 2.0f * 3.0f : static_cast<float>(kVolts[channel]);
     },
     true},
    {"ValuesAChannelCannotHoldAreRefusedWhereTyped",
     {Conversion{}, Conversion{1, 0, 2, 0, "volts"}, Conversion{1, 0, 0.5f, 0, "volts"}, kVolts1},
     false,
     false,
     0,
     [](int, int channel, int) {
       return std::array{0.0f, 2.0f * 3.0f, 0.5f * 1.5625f, 2.0f}[channel];
     },
     false,
     false,
     kVolts,
     false,
     kTypedBeyondAChannel,
     // As the driver lists them, quotes escaped.
     {R"(b: \"1e39\" is too large for a channel (at most 3.4e38).)",
      R"(b: \"1e-45\" is too near 0 for a channel (at least 1.18e-38, or 0).)",
      R"(Channel 2, b: \"1e39\" is too large for a channel (at most 3.4e38).)"}},
    {"LastChannelAveragedContinuouslyAcrossRepeatPeriods",
     {Conversion{}, kVolts1, kVolts1, kVolts1},
     false,
     false,
     6,
     [](int, int channel, int) { return static_cast<float>(kVolts[channel]); },
     false,
     false,
     kVolts,
     false,
     "",
     {},
     true},
};

// The values of channel k of a Sable export as the dump tool prints them ("channel k
// (N values): v v v").
std::vector<double> SableValues(const std::string& dump, int k) {
  std::smatch m;
  const std::regex re("channel " + std::to_string(k) + R"( \(\d+ values\):([^\n]*))");
  if (!std::regex_search(dump, m, re)) return {};
  std::vector<double> values;
  std::istringstream in(m[1].str());
  for (std::string v; in >> v;) values.push_back(std::stod(v));
  return values;
}

// The cells of each row of a text file as the dump tool prints them ("row N: '...'",
// TABs as \x09).
std::vector<std::vector<double>> TextRows(const std::string& dump) {
  std::vector<std::vector<double>> rows;
  const std::regex row(R"(row \d+: '([^']*)')");
  for (auto it = std::sregex_iterator(dump.begin(), dump.end(), row); it != std::sregex_iterator(); ++it) {
    std::vector<double> cells;
    std::string text = (*it)[1].str();
    while (!text.empty()) {
      const std::size_t tab = text.find("\\x09");
      const std::string cell = text.substr(0, tab);
      if (!cell.empty()) cells.push_back(std::stod(cell));
      text.erase(0, tab == std::string::npos ? text.size() : tab + 4);
    }
    rows.push_back(cells);
  }
  return rows;
}

std::string Padded30(const std::string& s) {
  std::string t = s;
  t.resize(30, ' ');
  return t;
}

class ConversionValuesRunE2E : public test::SimulatedRunTest, public ::testing::WithParamInterface<Case> {
 protected:
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    SimulatedRunTest::TearDown();
  }

  void Start(const Case& c) {
    sim::Options o;
    o.kind = sim::Kind::DT500;
    for (int k = 1; k <= kChannels; ++k) o.values.push_back({k, c.volts[k]});
    StartSimulatorWith(o);
  }

  fs::path WriteSetup(const Case& c) const {
    SetupRecord setup;
    setup.recordingMode = RecordingModeCode::Chart;
    setup.channels = kChannels;
    setup.chartTicks = 15;
    setup.scopeTicks = 1;
    setup.scopeMax = 256;
    setup.maxSamples = 1000;
    for (int k = 1; k <= kChannels; ++k) {
      const Conversion& conversion = c.conversions[k];
      auto& ch = setup.channelTable[k];
      ch[ChanField::Gain] = 2;
      ch[ChanField::Input] = static_cast<float>(k);
      ch[ChanField::A] = conversion.a;
      ch[ChanField::B] = conversion.b;
      ch[ChanField::C] = conversion.c;
      ch[ChanField::PlotMax] = 200;
      ch[ChanField::PlotMin] = -10;
      ch[ChanField::Averaged] = c.lastContinuous && k == kChannels ? 0 : 1;
      setup.channelTable[0][k] = conversion.type;
      setup.labels1 += Padded30(conversion.label);
      setup.dataTaker[k] = {1, 0, 0, 0, 0};
    }
    for (int k = kChannels + 1; k <= 8; ++k) setup.labels1 += Padded30("");
    if (c.gasOnChannel1) setup.gasExchange[1] = VO2FromChannel2(c.gasSaved);
    if (c.alarmsAndEveryFormat) {
      auto& alarm = setup.alarms[1];
      alarm[AlarmField::AnyOn] = alarm[AlarmField::LowerOn] = alarm[AlarmField::UpperOn] = 1;
      alarm[AlarmField::LowerLimit] = 0;
      alarm[AlarmField::UpperLimit] = 1e30f;
    }
    EXPECT_EQ(SetupRecordProblem(setup), "");
    const fs::path file = documents_ / "conversions.MVsetup";
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }

  // Channel 1's conversion chosen again in the options window after the run:
  // Linear, a = 100, b = 1.
  static std::string ChangeAfterRun(const std::string& shot) {
    return "menu 100 1\nuntil 10\nclick 10 18\ntype 10 101 100\ntype 10 102 1\nshot 10 " + shot +
           "\nclick 10 15\ngone 10\n";
  }

  std::string Script(const Case& c, const fs::path& setup, const fs::path& data) const {
    const std::string connect = "start " + setup.string() +
                                "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 3"
                                "\nclick-label 21 Selection OK\nuntil 88\nclick-label 88 " +
                                link_ + "\nclick-label 88 Selection OK\ngone 88\nuntil 104 30\n" +
                                c.inSetupWindow + "click 104 203\ngone 104\n";
    if (c.period > 0) {
      // Numbered period files; the last, unfinished period is left unsaved at Quit.
      return connect + "panel " + (documents_ / "run 1.kssc").string() +
             "\nuntil 15\nclick 15 11\ngone 15\nuntil 112 60\nrelease Escape\n"
             "click 112 6\nexpect-exit 0\n";
    }
    const std::string change = c.changeAfterRun ? ChangeAfterRun(Shot("w10-conversion-after-run.png")) : "";
    // The alarm log, then the text file and the Sable export besides the chart file.
    const std::string alarms = c.alarmsAndEveryFormat
                                   ? "click 112 8\nuntil 5\nshot 5 " +
                                         Shot((std::string("w5-alarm-log-") + c.name + ".png").c_str()) +
                                         "\nclick 5 1\ngone 5\n"
                                   : "";
    const std::string otherFormats =
        c.alarmsAndEveryFormat ? "menu 1 4\npanel " + (documents_ / "run.txt").string() +
                                     "\nclick 112 2\nuntil 3\nclick 3 1\ngone 3\nwait 0.3\nmenu 1 5\npanel " +
                                     (documents_ / "run.KSSable").string() +
                                     "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nwait 0.3\n"
                               : "";
    return connect + "until 1\nwait 1.2\nhold Escape\nuntil 112\nrelease Escape\n" + alarms + change +
           "panel " + data.string() + "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\n" +
           otherFormats + "click 112 6\nexpect-exit 0\n";
  }
};

TEST_P(ConversionValuesRunE2E, EveryStoredValueIsTheConversionTheFileNamesOfTheVoltsSent) {
  const Case& c = GetParam();
  ASSERT_NO_FATAL_FAILURE(Start(c));
  const fs::path setup = WriteSetup(c);
  const fs::path data = documents_ / "run.kstr";
  // At the latest sample of each period (by the files saved before it): what the logger
  // had been asked so far.
  std::map<int32_t, std::string> askedBy;
  if (c.period > 0) {
    RecordInPeriodsOf(c.period);
    SetSampleTimingTap([this, &askedBy](double, double) {
      askedBy[ScopeCount] = sim_->Received();
      if (ScopeCount == 3 && Sample == 1) rt::SetKeyDown(rt::key::Escape, true);
    });
  }
  bool noteDue = false;  // the conversions window opened with a run's data in hand
  if (c.changeAfterRun) {
    auto real = setup_hooks::ConversionsWindow;
    setup_hooks::ConversionsWindow = [real, &noteDue](int16_t ch) {
      noteDue = RunConversionsInHand();
      return real(ch);
    };
  }
  const uint64_t failedBefore = ReadingsFailed();
  drive::ScriptRunner runner(Script(c, setup, data));
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();
  for (const std::string& text : c.shown) EXPECT_NE(result.output.find(text), std::string::npos) << text;
  const uint64_t failed = ReadingsFailed() - failedBefore;

  std::vector<fs::path> files;
  if (c.period > 0) {
    files = {documents_ / "run 1.kstr", documents_ / "run 2.kstr"};
  } else {
    files = {data};
  }
  int checked = 0, wrong = 0, markedBad = 0;
  std::ostringstream table;
  table << "file channel sample stored expected\n";
  for (std::size_t f = 0; f < files.size(); ++f) {
    ASSERT_TRUE(fs::exists(files[f])) << files[f];
    const std::string dump = test::DumpDataFile(files[f], "--values 5000 ");
    for (int k = 1; k <= kChannels; ++k) {
      const std::vector<double> values = test::BlockValues(dump, k);
      ASSERT_GE(values.size(), c.period > 0 ? static_cast<std::size_t>(c.period) : 2u) << dump;
      for (std::size_t i = 0; i < values.size(); ++i) {
        const float stored = static_cast<float>(values[i]);
        const float expected = c.expected(static_cast<int>(f + 1), k, static_cast<int>(i));
        ++checked;
        if (stored == kBad && c.badIsFailedReading) ++markedBad;
        if (stored != expected) {
          ++wrong;
          table << f + 1 << " " << k << " " << i << " " << stored << " " << expected << "\n";
        }
      }
      // The file names the conversion the run used.
      const Conversion& k0 = c.conversions[k];
      // Each channel averaged the one reading the set-up gave it, as its block says; one
      // averaged continuously, the readings the logger was asked for in the file's samples.
      double averaged = 1;
      if (c.lastContinuous && k == kChannels) {
        const std::string asked =
            askedBy[static_cast<int32_t>(f)].substr(f == 0 ? 0 : askedBy[static_cast<int32_t>(f) - 1].size());
        int readings = 0;
        for (std::size_t at = asked.find("3V"); at != std::string::npos; at = asked.find("3V", at + 1))
          ++readings;
        EXPECT_GT(readings, 10 * static_cast<int>(values.size())) << "scanned all through each interval";
        averaged = static_cast<float>(static_cast<double>(readings) / static_cast<double>(values.size()));
      }
      char head[160];
      std::snprintf(head, sizeof head, "channel block %d: a %.9g b %.9g c %.9g type %g averaged %.9g label",
                    k, k0.a, k0.b, k0.c, k0.type, averaged);
      EXPECT_NE(dump.find(head), std::string::npos) << head << "\n" << dump;
      EXPECT_NE(dump.find("label '" + Padded30(k0.label) + "'"), std::string::npos) << dump;
    }
  }
  std::cout << "[ values ] " << c.name << ": " << checked << " stored values checked, " << wrong << " wrong\n";
  EXPECT_EQ(wrong, 0) << table.str();
  // Each overflow or conversion with no result counted as a failed reading, and nothing
  // else failed.
  EXPECT_EQ(failed, static_cast<uint64_t>(markedBad));
  if (c.alarmsAndEveryFormat) {
    // A bad reading lies beyond no limit: the -99999 mark is no value at or below 0.
    const auto& alarm = alarmsArray[1];
    EXPECT_EQ(alarm[AlarmField::LowerCount], 0.0f);
    EXPECT_EQ(alarm[AlarmField::UpperCount], 0.0f);
    // The text file and the Sable export hold the same values as the chart file.
    const std::string chart = test::DumpDataFile(data, "--values 5000 ");
    const std::string sable = test::DumpDataFile(documents_ / "run.KSSable", "--values 5000 ");
    const std::string text = test::DumpDataFile(documents_ / "run.txt", "--values 5000 ");
    const std::vector<std::vector<double>> rows = TextRows(text);
    for (int k = 1; k <= kChannels; ++k) {
      SCOPED_TRACE(k);
      const std::vector<double> values = test::BlockValues(chart, k);
      EXPECT_EQ(SableValues(sable, k), values) << sable;
      ASSERT_EQ(rows.size(), values.size()) << text;
      for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_GE(rows[i].size(), static_cast<std::size_t>(kChannels)) << text;
        EXPECT_EQ(rows[i][rows[i].size() - kChannels + k - 1], values[i]) << "row " << i + 1 << "\n" << text;
      }
    }
  }
  if (c.changeAfterRun) {
    EXPECT_TRUE(noteDue) << "the window says the change is the next run's";
    // The change stands for the next run.
    EXPECT_EQ(ChannelVariables[0][1], 1.0f);
    EXPECT_EQ(ChannelVariables[1][ChanField::A], 100.0f);
    EXPECT_EQ(ChannelVariables[1][ChanField::B], 1.0f);
  }
}

INSTANTIATE_TEST_SUITE_P(Conversions, ConversionValuesRunE2E, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
