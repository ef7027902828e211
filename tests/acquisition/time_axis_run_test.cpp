// Every stored sample stands where it was read, whatever held the schedule: the real
// chart and scope-plus-chart loops on the virtual clock against an interface whose every
// reading is the time it was taken (a ramp), so a stored value tells when it was read.
// Each run is saved and read back with the dump tool, and its file alone must place
// every sample, by its own rule as the dump tool times it (the intervals the file and
// its pause log give, plus the pauses and gaps the log records at or before the
// sample), within max(the interval in force, 50 ms) of its last good reading; all its
// readings are later than the sample before it; each gap has one pause marker and one
// pause-log line at the same sample; a silence stores at most its first failed sample;
// the file stores the interval asked for (or the one set in a pause) unless the
// interface was slower than it from the start; each period file holds only its own gaps
// and starts when its first sample is due.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "acq_fixture.h"
#include "acquisition/key_commands.h"
#include "acquisition/pause_window.h"
#include "acquisition/scope_chart_loop.h"
#include "common/dump_tool.h"
#include "common/stored_times.h"
#include "common/window_steps.h"
#include "control/state.h"
#include "devices/line_step.h"
#include "devices/needs.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "files/needs.h"
#include "files/save_commands.h"
#include "files/state.h"
#include "kit/rate_rule.h"

namespace mv::test {
namespace {

namespace fs = std::filesystem;

constexpr float kBad = -99999.0f;

// OneSweep: each channel read once a sample; Averaged5: five readings averaged;
// Continuous: every channel averaged over the interval's scans; LastContinuous: the
// last channel averaged over the scans, the others read at the sample's time.
enum class Taker { OneSweep, Averaged5, Continuous, LastContinuous };

// What the interface does from `from` for `length` seconds of the run.
struct Episode {
  enum Kind { Silent, Stall, Slow } kind;
  double from, length;
  double seconds = 0;   // Silent: each failed reading's time-out (0.3 s when 0); Stall: one
                        // reading this long; Slow: every reading this long
  int16_t channel = 0;  // Silent: only this channel (0: all)
};

struct KeyPress {
  double at;
  int key;
};

struct AxisRun {
  const char* name = "";
  double interval = 0;
  Taker taker = Taker::OneSweep;
  std::vector<Episode> episodes = {};
  double stopAt = 0;
  std::vector<double> pausesAt = {};  // each a 1.45 s pause
  double backupEvery = 0;             // seconds; each backup write takes 0.7 s
  int32_t periodSamples = 0;          // automatic repeat: samples of a period
  int maxGaps = 0;                    // gaps the file may record (pauses apart)
  int16_t channels = 1;               // chart channels
  bool scopeChart = false;            // scope plus chart (a scope channel besides)
  double newInterval = 0;             // set in the first pause's interval popup
  bool primed = false;                // the run's priming sweep times the interface
  bool slowFromStart = false;         // the interface never keeps the interval
  std::vector<KeyPress> keys = {};    // keys pressed (switching by keyboard is on)
  bool markerCap = false;             // gaps enough to fill the marker table
};

void PrintTo(const AxisRun& run, std::ostream* out) {
  *out << run.name;
}

// One file's samples as the dump tool decodes and times them.
struct FileTimes {
  std::vector<std::vector<double>> values;  // per channel block
  std::vector<double> times;                // by the file's rule, from its start
  double interval = 0;
  std::vector<std::pair<int32_t, double>> changes;  // (from sample, interval after)
  std::vector<LoggedGap> gaps;
  std::vector<int32_t> markers166;
  std::vector<std::pair<int32_t, int>> others;  // (sample, code) of every other marker
};

FileTimes ReadBack(const fs::path& file, int channels) {
  const std::string dump = DumpDataFile(file, "--values 100000 ");

  FileTimes f;
  for (int c = 1; c <= channels; ++c)
    f.values.push_back(DumpedNumbers(dump, "samples of channel block " + std::to_string(c)));
  f.times = DumpedNumbers(dump, "sample times (s)");
  const std::size_t at = dump.find("interval (s): ");
  if (at != std::string::npos) f.interval = std::stod(dump.substr(at + 14));
  f.gaps = GapsInDump(dump);
  const std::regex change(R"(interval change: from sample (\d+), \S+ s before, (\S+) s after)");
  for (std::sregex_iterator it(dump.begin(), dump.end(), change), end; it != end; ++it)
    f.changes.emplace_back(std::stoi((*it)[1].str()), std::stod((*it)[2].str()));
  const std::regex marker(R"(marker \d+: sample\+1 (\d+) code (\d+))");
  for (std::sregex_iterator it(dump.begin(), dump.end(), marker), end; it != end; ++it) {
    const int code = std::stoi((*it)[2].str());
    const int32_t sample = std::stoi((*it)[1].str()) - 1;
    if (code == kPauseMarkerCode)
      f.markers166.push_back(sample);
    else
      f.others.emplace_back(sample, code);
  }
  return f;
}

class TimeAxisRunTest : public AcqTest, public WindowSteps, public ::testing::WithParamInterface<AxisRun> {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    docs_ = MakeTempDir("time-axis-docs");
    setenv("MV_DOCUMENTS_DIR", docs_.c_str(), 1);
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    const AxisRun& run = GetParam();
    RecordingMODE = run.scopeChart ? RecordingModeCode::ScopeChart : RecordingModeCode::Chart;
    const int16_t channels = static_cast<int16_t>(run.channels + (run.scopeChart ? 1 : 0));
    SetChannels(channels);
    FirstChan = run.scopeChart ? 2 : 1;
    for (int16_t ch = 1; ch <= channels; ++ch) {
      ChannelVariables[ch][ChanField::PlotMax] = 1000;
      ChannelVariables[ch][ChanField::Averaged] = run.taker == Taker::Averaged5 ? 5 : 1;
    }
    if (run.taker == Taker::LastContinuous) ChannelVariables[channels][ChanField::Averaged] = 0;
    PrefsArray[PrefsSlot::AverageAllChannels] = run.taker == Taker::Continuous ? 1 : 0;
    if (run.scopeChart) {
      ScopeMax = 100;
      ScopeIntervalInSeconds = 0.05;
      scopeXfactor = 7.0f;
      ChartView = 1;
      OverRangeVolts = 1e6f;
    }
    if (!run.keys.empty()) {
      SwitchingMode = SwitchingPatternCode::Keyboard;
      SampleValve = 2;
      PrefsArray[PrefsSlot::MarkerAtSwitch] = 1;
    }
    OpenAcquisitionWindow();
    ChartIntervalInSeconds = run.interval;
    ChartSampleInterval = static_cast<float>(run.interval);
    SampRateError = 0.001f;
    MaxSamples = run.periodSamples > 0 ? run.periodSamples : 100'000;
    External_AD = ExternalADCode::DT500;
    DemonstrationMODE = 0;
    services::ReadDataTaker500 = [this](int16_t ch, int16_t) { Read(ch); };
    // A line to time the priming sweep on (the readings themselves are scripted).
    if (run.primed) InstallSerialPort(std::make_unique<ScriptedSerialPort>());
    origin_ = GetCurrentTimeInSeconds();
    // As a run starts: the priming sweep, then the schedule.
    StartChartSchedule(PrimeChartPace());
    // A line for the keyboard's switches to go out on: a switch is marked once the line
    // has taken it.
    if (!run.keys.empty() && !run.primed) InstallSerialPort(std::make_unique<ScriptedSerialPort>());
  }
  void TearDown() override {
    unsetenv("MV_DOCUMENTS_DIR");
    unsetenv("MV_RESOURCES_DIR");
    fs::remove_all(docs_);
    if (rt::WindowExists(kPauseWindow)) rt::CloseWindow(kPauseWindow);
    CloseSerialPort();
    AcqTest::TearDown();
  }

  double RunTime() const { return GetCurrentTimeInSeconds() - origin_; }

  // One reading of channel ch: the ramp's value at the moment it is taken, or a failure
  // after a time-out while the interface (or the channel) is silent.
  void Read(int16_t ch) {
    const double t = RunTime();
    for (const Episode& e : GetParam().episodes) {
      if (t < e.from || t >= e.from + e.length) continue;
      if (e.kind == Episode::Silent && (e.channel == 0 || e.channel == ch)) {
        // As the readers fail: the bad-reading preference's value, by default the
        // channel's last good reading.
        rt::AdvanceVirtualClock(e.seconds > 0 ? e.seconds : 0.3);
        NoteFailedReading();
        volts = lastGood_[ch];
        return;
      }
      if (e.kind == Episode::Stall && !stalled_) {
        stalled_ = true;
        rt::AdvanceVirtualClock(e.seconds);
      }
      if (e.kind == Episode::Slow) rt::AdvanceVirtualClock(e.seconds / (GetParam().taker == Taker::Averaged5 ? 5 : 1));
    }
    rt::AdvanceVirtualClock(0.0005);
    NoteReadingTaken();  // as a reader's reply is taken
    volts = lastGood_[ch] = static_cast<float>(RunTime());
  }

  // The pause window, resumed after 1.45 s; the first pause sets the new interval when
  // the run names one.
  void Pause() {
    ReleaseAll();
    const double interval = GetParam().newInterval;
    std::vector<Step> steps = {Until(kPauseWindow)};
    if (interval > 0 && pauses_++ == 0)
      for (int item = 2; item <= 14; ++item)
        if (PauseIntervalForItem(item) == interval)
          steps.push_back(Pick(kPauseWindow, kPauseIntervalPopup, item));
    steps.push_back(Do([] { rt::AdvanceVirtualClock(1.45); }));
    steps.push_back(Click(kPauseWindow, 51));
    Drive(steps);
    PAUSE();
  }

  // The loop's services: the stop, the pauses, the keys, the timed backups (each write
  // 0.7 s) and the period files.
  void InstallServices() {
    const AxisRun& run = GetParam();
    script = [this, &run] {
      const double t = RunTime();
      if (keyHeld_) {
        ReleaseAll();
        keyHeld_ = false;
      }
      if (t >= run.stopAt) Hold({rt::key::Escape});
      if (nextPause_ < run.pausesAt.size() && t >= run.pausesAt[nextPause_]) {
        ++nextPause_;
        Hold({rt::key::Command, rt::key::P});
      } else if (nextKey_ < run.keys.size() && t >= run.keys[nextKey_].at) {
        Hold({run.keys[nextKey_++].key});
        keyHeld_ = true;
      }
    };
    acq_hooks::PAUSE = [this] { Pause(); };
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

  void RunTheLoop() {
    if (GetParam().scopeChart) {
      SetSampleTimingTap([](double, double) {});
      SCOPEPLUSCHARTSCAN();
    } else {
      Record();
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
  bool stalled_ = false, keyHeld_ = false;
  std::size_t nextPause_ = 0, nextKey_ = 0;
  int pauses_ = 0;
  std::vector<double> periodStarts_;
  std::array<float, 17> lastGood_ = MakeBad();
  static std::array<float, 17> MakeBad() {
    std::array<float, 17> a{};
    a.fill(kBad);
    return a;
  }
};

// The interval sample k stands on, by the changes the file records.
double IntervalAt(const FileTimes& f, std::size_t k) {
  double interval = f.interval;
  for (const auto& [from, after] : f.changes)
    if (static_cast<std::size_t>(from) <= k) interval = after;
  return interval;
}

TEST_P(TimeAxisRunTest, EveryStoredSampleStandsWhereItWasRead) {
  const AxisRun& run = GetParam();
  InstallServices();
  RunTheLoop();
  const auto files = SaveFiles();
  ASSERT_FALSE(files.empty());
  int stored = 0, failed = 0, gaps = 0;
  double lastRead = -1;  // the latest reading of the sample before
  double widest = 0;     // the widest spread of one stored sample's readings
  for (const auto& [file, start] : files) {
    SCOPED_TRACE(file.filename().string());
    const FileTimes f = ReadBack(file, run.channels);
    ASSERT_GT(f.interval, 0);
    ASSERT_EQ(f.times.size(), f.values.front().size()) << "the dump tool times every sample";
    if (run.newInterval > 0) {
      EXPECT_FLOAT_EQ(static_cast<float>(f.interval), static_cast<float>(run.newInterval))
          << "the header stores the new interval";
      EXPECT_EQ(f.changes.size(), 1u) << "the change is recorded";
    } else if (!run.slowFromStart) {
      EXPECT_FLOAT_EQ(static_cast<float>(f.interval), static_cast<float>(run.interval))
          << "the interval asked for";
    }
    std::vector<int32_t> logged;
    for (const LoggedGap& gap : f.gaps) logged.push_back(gap.before);
    if (!run.markerCap) {
      EXPECT_EQ(f.markers166, logged) << "one pause marker for each pause and gap, at its line's sample";
    } else {
      // Gap markers stop before the table is full; their lines go on.
      EXPECT_EQ(f.markers166.size(), static_cast<std::size_t>(kGapMarkerPlaces));
      EXPECT_GT(logged.size(), f.markers166.size());
      EXPECT_TRUE(std::equal(f.markers166.begin(), f.markers166.end(), logged.begin()));
    }
    // A channel's failed reading holds the bad-reading mark or, by the preference, a copy
    // of its last value: neither tells when the sample was read. The copy stands only for
    // the first failed reading of the channel's silence.
    std::vector<double> held(f.values.size(), kBad);
    std::vector<bool> copied(f.values.size(), false);
    const std::size_t scannedFrom = run.taker == Taker::Continuous       ? 0
                                    : run.taker == Taker::LastContinuous ? f.values.size() - 1
                                                                         : f.values.size();
    for (std::size_t k = 0; k < f.times.size(); ++k) {
      double first = 1e300, last = -1e300;
      for (std::size_t c = 0; c < f.values.size(); ++c) {
        const double v = f.values[c][k];
        if (static_cast<float>(v) == kBad) continue;
        if (v == held[c]) {
          EXPECT_LT(c, scannedFrom) << "sample " << k
                                    << ": a channel averaged over the interval holds a value of "
                                    << "another interval";
          EXPECT_FALSE(copied[c]) << "sample " << k << ": channel " << c + 1
                                  << " holds its last value again while it stays silent";
          copied[c] = true;
          continue;
        }
        held[c] = v;
        copied[c] = false;
        first = std::min(first, v);
        last = std::max(last, v);
      }
      if (last < first) {
        ++failed;
        continue;
      }
      ++stored;
      widest = std::max(widest, last - first);
      EXPECT_GT(first, lastRead) << "sample " << k << " holds a reading of an earlier sample";
      lastRead = last;
      const double at = start + f.times[k];
      const double limit = std::max(IntervalAt(f, k), 0.05) + 0.002;
      EXPECT_LE(std::fabs(last - at), limit)
          << "sample " << k << " read at " << last << " s, stored at " << at << " s";
    }
    gaps += static_cast<int>(f.gaps.size());
    for (const KeyPress& key : run.keys) {
      const int code = key.key == rt::key::N7 ? '7' : 'S';
      const auto m =
          std::find_if(f.others.begin(), f.others.end(), [&](const auto& o) { return o.second == code; });
      ASSERT_NE(m, f.others.end()) << "the user's marker is kept";
      // The switch was made inside the gap: its marker shares the gap's sample.
      if (code == 'S') {
        EXPECT_NE(std::find(logged.begin(), logged.end(), m->first), logged.end());
      }
    }
  }
  std::printf("%s: %d stored, %d failed, %d gaps\n", run.name, stored, failed, gaps);
  EXPECT_GT(stored, 10);
  // A slow spell in mid-run spreads a sample's readings up to one sweep of the channels,
  // beyond the interval when the sweep is longer: each reading stands where its reply came.
  for (const Episode& e : run.episodes) {
    if (e.kind != Episode::Slow || run.slowFromStart || run.taker != Taker::OneSweep) continue;
    const double spread = (run.channels - 1) * (e.seconds + 0.0005);
    EXPECT_NEAR(widest, spread, 0.002) << "the slow spell spread a sample's readings over its sweep";
    EXPECT_LE(widest, run.channels * (e.seconds + 0.0005) + 0.002) << "no wider than one sweep";
  }
  int silences = 0, longSilences = 0;
  for (const Episode& e : run.episodes) {
    if (e.kind != Episode::Silent || e.channel != 0) continue;
    ++silences;
    longSilences += e.length >= 3 * run.interval;
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
    // One channel silent for 10 s while the other answers: the samples stay on time, the
    // silent channel's copy of its last value stands once, then -99999.
    {"HalfOneChannelSilent", 0.5, Taker::OneSweep, {{Episode::Silent, 5, 10, 0.05, 2}}, 25, {}, 0, 0, 0, 2},
    {"TenthStall", 0.1, Taker::OneSweep, {{Episode::Stall, 5, 1, 1.3}}, 15, {}, 0, 0, 1},
    {"TenthPaused", 0.1, Taker::OneSweep, {}, 12, {2, 4, 6, 8}, 0, 0, 0},
    {"TwoSecondsPaused", 2.0, Taker::OneSweep, {}, 30, {3, 9, 15, 21}, 0, 0, 0},
    {"HalfContinuousPaused", 0.5, Taker::Continuous, {}, 20, {3.2, 9.7}, 0, 0, 0},
    {"TenthBackups", 0.1, Taker::OneSweep, {}, 40, {}, 5, 0, 8},
    {"FiftiethBackups", 0.02, Taker::OneSweep, {}, 20, {}, 2, 0, 10},
    {"TenthPeriodsWithAGap", 0.1, Taker::OneSweep, {{Episode::Silent, 12, 3}}, 40, {}, 0, 60, 1},
    {.name = "TenthSlowInterface",
     .interval = 0.1,
     .taker = Taker::OneSweep,
     .episodes = {{Episode::Slow, 0, 100, 0.15}},
     .stopAt = 40,
     .maxGaps = 2,
     .slowFromStart = true},
    {.name = "HundredthSlowInterface",
     .interval = 0.01,
     .taker = Taker::OneSweep,
     .episodes = {{Episode::Slow, 0, 100, 0.0123}},
     .stopAt = 30,
     .maxGaps = 2,
     .slowFromStart = true},
    // An interface slower than the interval from its priming sweep on: nothing failed
    // and nothing was skipped, so no gap, at sample 0 or later.
    {.name = "TenthSlowInterfacePrimed",
     .interval = 0.1,
     .taker = Taker::OneSweep,
     .episodes = {{Episode::Slow, 0, 100, 0.15}},
     .stopAt = 40,
     .maxGaps = 0,
     .primed = true,
     .slowFromStart = true},
    {.name = "TwentiethSixteenChannelsPrimed",
     .interval = 0.05,
     .taker = Taker::OneSweep,
     .episodes = {{Episode::Slow, 0, 100, 0.01}},
     .stopAt = 20,
     .maxGaps = 0,
     .channels = 16,
     .primed = true,
     .slowFromStart = true},
    // An interval changed in the pause window: the samples before keep the old one.
    {.name = "QuarterToOneInAPause",
     .interval = 0.25,
     .taker = Taker::OneSweep,
     .stopAt = 30,
     .pausesAt = {10.2},
     .newInterval = 1},
    {.name = "QuarterToTenthInAPause",
     .interval = 0.25,
     .taker = Taker::OneSweep,
     .stopAt = 25,
     .pausesAt = {10.2},
     .newInterval = 0.1},
    {.name = "ScopeChartQuarterToOneInAPause",
     .interval = 0.25,
     .taker = Taker::OneSweep,
     .stopAt = 30,
     .pausesAt = {10.2},
     .scopeChart = true,
     .newInterval = 1},
    {.name = "ScopeChartQuarterToTenthInAPause",
     .interval = 0.25,
     .taker = Taker::OneSweep,
     .stopAt = 25,
     .pausesAt = {10.2},
     .scopeChart = true,
     .newInterval = 0.1},
    // A slow spell in mid-run (12 s of replies 0.3 s late): gaps, and the grid asked for.
    {.name = "TwentiethSlowSpell",
     .interval = 0.05,
     .taker = Taker::OneSweep,
     .episodes = {{Episode::Slow, 5, 12, 0.3}},
     .stopAt = 25,
     .maxGaps = 45,
     .channels = 2},
    {.name = "QuarterSlowSpell",
     .interval = 0.25,
     .taker = Taker::OneSweep,
     .episodes = {{Episode::Slow, 5, 12, 0.3}},
     .stopAt = 25,
     .maxGaps = 45,
     .channels = 2},
    {.name = "HalfSlowSpell",
     .interval = 0.5,
     .taker = Taker::OneSweep,
     .episodes = {{Episode::Slow, 5, 12, 0.3}},
     .stopAt = 25,
     .maxGaps = 45,
     .channels = 2},
    // A sampling period that starts inside a slow spell (each sweep a fifth longer than
    // the interval): the spell is gaps in that period too, and its file stores the
    // interval asked for, not the spell's pace.
    {.name = "QuarterSlowSpellAcrossAPeriod",
     .interval = 0.25,
     .taker = Taker::OneSweep,
     .episodes = {{Episode::Slow, 5, 12, 0.15}},
     .stopAt = 25,
     .periodSamples = 30,
     .maxGaps = 45,
     .channels = 2},
    // Continuous averaging through a silence: one gap, and no sample holds readings of
    // another interval.
    {.name = "QuarterLastContinuousSilent",
     .interval = 0.25,
     .taker = Taker::LastContinuous,
     .episodes = {{Episode::Silent, 5, 2}},
     .stopAt = 15,
     .maxGaps = 1,
     .channels = 2},
    {.name = "OneLastContinuousSilent",
     .interval = 1,
     .taker = Taker::LastContinuous,
     .episodes = {{Episode::Silent, 5.3, 2.5}},
     .stopAt = 20,
     .maxGaps = 1,
     .channels = 2},
    {.name = "TwoLastContinuousSilent",
     .interval = 2,
     .taker = Taker::LastContinuous,
     .episodes = {{Episode::Silent, 9.2, 4.5}},
     .stopAt = 30,
     .maxGaps = 1,
     .channels = 2},
    {.name = "FiveLastContinuousSilent",
     .interval = 5,
     .taker = Taker::LastContinuous,
     .episodes = {{Episode::Silent, 12.5, 9}},
     .stopAt = 70,
     .maxGaps = 1,
     .channels = 2},
    {.name = "QuarterContinuousSilent",
     .interval = 0.25,
     .taker = Taker::Continuous,
     .episodes = {{Episode::Silent, 5, 2}},
     .stopAt = 15,
     .maxGaps = 1,
     .channels = 2},
    {.name = "OneContinuousSilent",
     .interval = 1,
     .taker = Taker::Continuous,
     .episodes = {{Episode::Silent, 5.3, 2.5}},
     .stopAt = 20,
     .maxGaps = 1,
     .channels = 2},
    {.name = "FiveContinuousSilent",
     .interval = 5,
     .taker = Taker::Continuous,
     .episodes = {{Episode::Silent, 12.5, 9}},
     .stopAt = 70,
     .maxGaps = 1,
     .channels = 2},
    // A sweep cut by a time-out: the sample stands when its last good reading was taken.
    {.name = "HalfSweepCutByATimeOut",
     .interval = 0.5,
     .taker = Taker::OneSweep,
     .episodes = {{Episode::Silent, 5, 6, 1.0, 4}},
     .stopAt = 20,
     .maxGaps = 12,
     .channels = 4},
    // Scope plus chart: every point its own reading, sample 0 too.
    {.name = "ScopeChartOne",
     .interval = 1,
     .taker = Taker::OneSweep,
     .stopAt = 20,
     .pausesAt = {7.3},
     .scopeChart = true},
    {.name = "ScopeChartFive", .interval = 5, .taker = Taker::OneSweep, .stopAt = 70, .scopeChart = true},
    // A switch inside a gap: the gap's marker still stands at its line's sample.
    {.name = "TenthSwitchInsideAGap",
     .interval = 0.1,
     .taker = Taker::OneSweep,
     .episodes = {{Episode::Silent, 5, 3}},
     .stopAt = 12,
     .maxGaps = 1,
     .keys = {{6.5, rt::key::Equal}}},
    // Slow replies at 1/60 s for five minutes: thousands of gaps, and the user's "7"
    // typed at the end is still kept.
    {.name = "SixtiethSlowRepliesFillTheMarkers",
     .interval = 1.0 / 60,
     .taker = Taker::OneSweep,
     .episodes = {{Episode::Slow, 2, 400, 0.08}},
     .stopAt = 300,
     .maxGaps = 4000,
     .keys = {{297, rt::key::N7}},
     .markerCap = true},
};

INSTANTIATE_TEST_SUITE_P(Roads, TimeAxisRunTest, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<AxisRun>& info) { return info.param.name; });

}  // namespace
}  // namespace mv::test
