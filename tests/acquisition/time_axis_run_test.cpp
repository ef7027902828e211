// Every stored sample stands where it was read, whatever held the schedule: the real
// chart loop on the virtual clock against an interface whose every reading is the
// time it was taken (a ramp), so a stored value tells when it was read. Each run is
// saved and read back with the dump tool, and its file alone must place every sample,
// by its own rule (index x interval plus the pauses and gaps its pause log records at
// or before the sample), within max(one interval, 50 ms) of that time; each gap has
// one pause marker and one pause-log line; a silence stores at most its first failed
// sample; nothing is a copy of an earlier reading; each period file holds only its
// own gaps and starts when its first sample is due.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "acq_fixture.h"
#include "acquisition/pause_window.h"
#include "common/dump_tool.h"
#include "common/stored_times.h"
#include "common/window_steps.h"
#include "devices/needs.h"
#include "files/needs.h"
#include "files/save_commands.h"
#include "files/state.h"
#include "kit/rate_rule.h"

namespace mv::test {
namespace {

namespace fs = std::filesystem;

constexpr float kBad = -99999.0f;

enum class Taker { OneSweep, Averaged5, Continuous };

// What the interface does from `from` for `length` seconds of the run.
struct Episode {
  enum Kind { Silent, Stall, Slow } kind;
  double from, length;
  double seconds = 0;  // Stall: one reading this long; Slow: every sample this long
};

struct AxisRun {
  const char* name;
  double interval;
  Taker taker;
  std::vector<Episode> episodes;
  double stopAt;
  std::vector<double> pausesAt = {};  // each a 1.45 s pause
  double backupEvery = 0;             // seconds; each backup write takes 0.7 s
  int32_t periodSamples = 0;          // automatic repeat: samples of a period
  int maxGaps = 0;                    // gaps the file may record (pauses apart)
};

void PrintTo(const AxisRun& run, std::ostream* out) {
  *out << run.name;
}

// One file's samples by its own rule.
struct FileTimes {
  std::vector<double> values;
  double interval = 0;
  std::vector<LoggedGap> gaps;
  std::vector<int32_t> markers166;
};

FileTimes ReadBack(const fs::path& file) {
  const std::string dump = DumpDataFile(file, "--values 100000 ");

  FileTimes f;
  f.values = DumpedNumbers(dump, "samples of channel block 1");
  const std::size_t at = dump.find("interval (s): ");
  if (at != std::string::npos) f.interval = std::stod(dump.substr(at + 14));
  f.gaps = GapsInDump(dump);
  const std::regex marker(R"(marker \d+: sample\+1 (\d+) code (\d+))");
  for (std::sregex_iterator it(dump.begin(), dump.end(), marker), end; it != end; ++it)
    if (std::stoi((*it)[2].str()) == 166) f.markers166.push_back(std::stoi((*it)[1].str()) - 1);
  return f;
}

class TimeAxisRunTest : public AcqTest, public WindowSteps, public ::testing::WithParamInterface<AxisRun> {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    docs_ = MakeTempDir("time-axis-docs");
    setenv("MV_DOCUMENTS_DIR", docs_.c_str(), 1);
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    OpenAcquisitionWindow();
    const AxisRun& run = GetParam();
    RecordingMODE = RecordingModeCode::Chart;
    SetChannels(1);
    ChannelVariables[1][ChanField::PlotMax] = 1000;
    ChannelVariables[1][ChanField::Averaged] = run.taker == Taker::Averaged5 ? 5 : 1;
    PrefsArray[PrefsSlot::AverageAllChannels] = run.taker == Taker::Continuous ? 1 : 0;
    ChartIntervalInSeconds = run.interval;
    ChartSampleInterval = static_cast<float>(run.interval);
    SampRateError = 0.001f;
    MaxSamples = run.periodSamples > 0 ? run.periodSamples : 100'000;
    External_AD = ExternalADCode::DT500;
    DemonstrationMODE = 0;
    origin_ = GetCurrentTimeInSeconds();
    StartChartSchedule();
    services::ReadDataTaker500 = [this](int16_t, int16_t) { Read(); };
  }
  void TearDown() override {
    unsetenv("MV_DOCUMENTS_DIR");
    unsetenv("MV_RESOURCES_DIR");
    fs::remove_all(docs_);
    if (rt::WindowExists(kPauseWindow)) rt::CloseWindow(kPauseWindow);
    AcqTest::TearDown();
  }

  double RunTime() const { return GetCurrentTimeInSeconds() - origin_; }

  // One reading: the ramp's value at the moment it is taken, or a failure after a
  // time-out while the interface is silent.
  void Read() {
    const double t = RunTime();
    for (const Episode& e : GetParam().episodes) {
      if (t < e.from || t >= e.from + e.length) continue;
      if (e.kind == Episode::Silent) {
        rt::AdvanceVirtualClock(0.3);
        volts = kBad;
        return;
      }
      if (e.kind == Episode::Stall && !stalled_) {
        stalled_ = true;
        rt::AdvanceVirtualClock(e.seconds);
      }
      if (e.kind == Episode::Slow) rt::AdvanceVirtualClock(e.seconds / (GetParam().taker == Taker::Averaged5 ? 5 : 1));
    }
    rt::AdvanceVirtualClock(0.0005);
    volts = static_cast<float>(RunTime());
  }

  // The loop's services: the stop, the pauses (the real pause window, resumed after
  // 1.45 s), the timed backups (each write 0.7 s) and the period files.
  void InstallServices() {
    const AxisRun& run = GetParam();
    script = [this, &run] {
      const double t = RunTime();
      if (t >= run.stopAt) Hold({rt::key::Escape});
      if (nextPause_ < run.pausesAt.size() && t >= run.pausesAt[nextPause_]) {
        ++nextPause_;
        Hold({rt::key::Command, rt::key::P});
      }
    };
    acq_hooks::PAUSE = [this] {
      ReleaseAll();
      Drive({Until(kPauseWindow), Do([] { rt::AdvanceVirtualClock(1.45); }), Click(kPauseWindow, 51)});
      PAUSE();
    };
    if (run.backupEvery > 0) {
      TimedSaveINTERVAL = static_cast<int32_t>(run.backupEvery * 60);
      NextSAVEtime = static_cast<int32_t>(rt::TickCount() + TimedSaveINTERVAL);
      acq_hooks::AutoTimedBACKUP = [](int16_t) {
        rt::AdvanceVirtualClock(0.7);
        NextSAVEtime = static_cast<int32_t>(rt::TickCount() + TimedSaveINTERVAL);
      };
    }
    if (run.periodSamples > 0) {
      PrefsArray[PrefsSlot::Autorepeat] = 1;
      PrefsArray[PrefsSlot::AddExtensions] = 1;
      ScopeFileCFURL = (docs_ / "period 1.kstr").string();
      filestrings.rootName = Str255("period");
      files_hooks::ShowOnAcquisitionScreen = [](int16_t, const std::string&, bool) {};
      files_hooks::NewPeriodScreen = [] { rt::AdvanceVirtualClock(0.4); };  // a slow redraw
      acq_hooks::AUTOSAVE = [this] {
        periodStarts_.push_back(ChartTiming.firstDue - origin_);
        AUTOSAVE();
      };
    }
  }

  // Every file of the run, in order, with where its first sample is due.
  std::vector<std::pair<fs::path, double>> SaveFiles() {
    std::vector<std::pair<fs::path, double>> files;
    const double lastStart = ChartTiming.firstDue - origin_;
    for (std::size_t n = 1; n <= periodStarts_.size(); ++n)
      files.push_back({docs_ / ("period " + std::to_string(n) + ".kstr"), periodStarts_[n - 1]});
    std::vector<fs::path> before;
    for (const auto& e : fs::directory_iterator(docs_)) before.push_back(e.path());
    nSamples = Sample;  // as the run's end leaves it
    EXPECT_TRUE(QuickSAVE());
    for (const auto& e : fs::directory_iterator(docs_))
      if (std::find(before.begin(), before.end(), e.path()) == before.end()) files.push_back({e.path(), lastStart});
    return files;
  }

  fs::path docs_;
  double origin_ = 0;
  bool stalled_ = false;
  std::size_t nextPause_ = 0;
  std::vector<double> periodStarts_;
};

TEST_P(TimeAxisRunTest, EveryStoredSampleStandsWhereItWasRead) {
  const AxisRun& run = GetParam();
  InstallServices();
  Record();
  const auto files = SaveFiles();
  ASSERT_FALSE(files.empty());
  int stored = 0, failed = 0, gaps = 0;
  double lastValue = -1;
  for (const auto& [file, start] : files) {
    SCOPED_TRACE(file.filename().string());
    const FileTimes f = ReadBack(file);
    ASSERT_GT(f.interval, 0);
    const double limit = std::max(static_cast<double>(f.interval), 0.05) + 0.002;
    double skipped = 0;
    std::size_t g = 0;
    std::vector<int32_t> logged;
    for (const LoggedGap& gap : f.gaps) logged.push_back(gap.before);
    EXPECT_EQ(f.markers166, logged) << "one pause marker for each pause and gap";
    for (std::size_t k = 0; k < f.values.size(); ++k) {
      for (; g < f.gaps.size() && f.gaps[g].before <= static_cast<int32_t>(k); ++g) skipped += f.gaps[g].seconds;
      const double v = f.values[k];
      if (static_cast<float>(v) == kBad) {
        ++failed;
        continue;
      }
      ++stored;
      EXPECT_GT(v, lastValue) << "sample " << k << " repeats a reading";
      lastValue = v;
      const double at = start + static_cast<double>(k) * f.interval + skipped;
      EXPECT_LE(std::fabs(v - at), limit) << "sample " << k << " read at " << v << " s, stored at " << at << " s";
    }
    gaps += static_cast<int>(f.gaps.size());
  }
  EXPECT_GT(stored, 10);
  int silences = 0, longSilences = 0;
  for (const Episode& e : run.episodes) {
    silences += e.kind == Episode::Silent;
    longSilences += e.kind == Episode::Silent && e.length >= 3 * run.interval;
  }
  EXPECT_LE(failed, silences) << "at most one failed sample stored for each silence";
  EXPECT_LE(gaps, run.maxGaps + static_cast<int>(run.pausesAt.size()));
  EXPECT_GE(gaps, static_cast<int>(run.pausesAt.size()) + longSilences) << "each silence is a gap";
}

const AxisRun kRuns[] = {
    {"TenthSilent3And30", 0.1, Taker::OneSweep, {{Episode::Silent, 5, 3}, {Episode::Silent, 15, 30}}, 55, {}, 0, 0, 2},
    {"HalfSilentAveraged", 0.5, Taker::Averaged5, {{Episode::Silent, 5, 3}, {Episode::Silent, 15, 30}}, 60, {}, 0, 0, 2},
    {"HalfContinuousSilent", 0.5, Taker::Continuous, {{Episode::Silent, 5, 3}, {Episode::Silent, 15, 30}}, 60, {}, 0, 0, 2},
    {"TwoSecondsSilent", 2.0, Taker::OneSweep, {{Episode::Silent, 5, 3}, {Episode::Silent, 15, 30}}, 70, {}, 0, 0, 2},
    {"TwoSecondsContinuousSilent", 2.0, Taker::Continuous, {{Episode::Silent, 9, 30}}, 60, {}, 0, 0, 1},
    {"TenthStall", 0.1, Taker::OneSweep, {{Episode::Stall, 5, 1, 1.3}}, 15, {}, 0, 0, 1},
    {"TenthPaused", 0.1, Taker::OneSweep, {}, 12, {2, 4, 6, 8}, 0, 0, 0},
    {"TwoSecondsPaused", 2.0, Taker::OneSweep, {}, 30, {3, 9, 15, 21}, 0, 0, 0},
    {"HalfContinuousPaused", 0.5, Taker::Continuous, {}, 20, {3.2, 9.7}, 0, 0, 0},
    {"TenthBackups", 0.1, Taker::OneSweep, {}, 40, {}, 5, 0, 8},
    {"FiftiethBackups", 0.02, Taker::OneSweep, {}, 20, {}, 2, 0, 10},
    {"TenthPeriodsWithAGap", 0.1, Taker::OneSweep, {{Episode::Silent, 12, 3}}, 40, {}, 0, 60, 1},
    {"TenthSlowInterface", 0.1, Taker::OneSweep, {{Episode::Slow, 0, 100, 0.15}}, 40, {}, 0, 0, 2},
    {"HundredthSlowInterface", 0.01, Taker::OneSweep, {{Episode::Slow, 0, 100, 0.0123}}, 30, {}, 0, 0, 2},
};

INSTANTIATE_TEST_SUITE_P(Roads, TimeAxisRunTest, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<AxisRun>& info) { return info.param.name; });

}  // namespace
}  // namespace mv::test
