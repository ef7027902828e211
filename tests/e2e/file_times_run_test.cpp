// Whole-program demonstration runs on the virtual clock, checking when a file says its
// samples stand: a triggered recording starts when its first sample is due, not when
// the trigger wait began (the header and the comment's "Recorded ... at" line agree);
// each repeat period file starts when its own first sample is due; and the text file's
// time column gives every row the time the binary file's own rule gives its sample,
// after a gap and a pause.
#include <gtest/gtest.h>

#include <QTimer>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/pause_window.h"
#include "acquisition/state.h"
#include "acquisition/trigger_wait.h"
#include "common/stored_times.h"
#include "control/state.h"
#include "common/test_support.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "files/state.h"
#include "kit/date_text.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/main_body.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

constexpr double kTriggerWaitSeconds = 30;

// Launch, Test Mode, chart with one channel and its dialogs, "Setup OK", the backup
// panel cancelled.
std::string ChartRunWithOneChannel() {
  return "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
         "until 310\npick 310 500 1\nclick 310 101\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
         test::ChannelDialogs() + "until 104\nclick 104 203\ngone 104\npanel cancel\n";
}

// The wall clock's seconds at a time of the program's clock.
double WallAt(double programSeconds) {
  return rt::WallClockSecondsAt(static_cast<uint64_t>(std::llround(programSeconds * 1e6)));
}

// The dumped header's start ("date: MM-dd-yyyy", "time: HH:mm:ss").
struct DumpedStart {
  std::string date, time;
  // Seconds since 1970 of that local date and time.
  double Wall() const {
    std::tm t{};
    t.tm_mon = std::stoi(date.substr(0, 2)) - 1;
    t.tm_mday = std::stoi(date.substr(3, 2));
    t.tm_year = std::stoi(date.substr(6, 4)) - 1900;
    t.tm_hour = std::stoi(time.substr(0, 2));
    t.tm_min = std::stoi(time.substr(3, 2));
    t.tm_sec = std::stoi(time.substr(6, 2));
    t.tm_isdst = -1;
    return static_cast<double>(std::mktime(&t));
  }
};

DumpedStart StartOf(const std::string& dump) {
  std::smatch d, t;
  EXPECT_TRUE(std::regex_search(dump, d, std::regex(R"(\ndate: (\S+))"))) << dump;
  EXPECT_TRUE(std::regex_search(dump, t, std::regex(R"(\ntime: (\S+))"))) << dump;
  return {d.empty() ? "" : d[1].str(), t.empty() ? "" : t[1].str()};
}

// The file's start as the program writes it for a first sample due at `due`.
void ExpectStartsAt(const std::string& dump, double due, const std::string& file) {
  const DumpedStart start = StartOf(dump);
  const std::tm when = LocalTimeAt(WallAt(due));
  char date[16];
  std::strftime(date, sizeof date, "%m-%d-%Y", &when);
  EXPECT_EQ(start.date, date) << file;
  EXPECT_EQ(start.time, TimeText(when).str()) << file;
  EXPECT_NE(dump.find("Recorded " + DateText(when).str() + " at " + start.time), std::string::npos)
      << file << ": the comment's header line says the same start\n"
      << dump;
}

// The time cell of each text row the dump tool printed ("row N: '...'", TABs as \x09).
std::vector<double> RowTimes(const std::string& dump) {
  std::vector<double> times;
  const std::regex row(R"(row \d+: '([^\\']*)\\x09)");
  for (auto it = std::sregex_iterator(dump.begin(), dump.end(), row); it != std::sregex_iterator(); ++it)
    times.push_back(TextToNumber((*it)[1].str()));
  return times;
}

class FileTimesRunE2E : public test::ProgramRunTest {
 protected:
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    rt::ClearKeyMap();
    ProgramRunTest::TearDown();
  }
  drive::ScriptResult Run(const std::string& script) {
    drive::ScriptRunner runner(script);
    return runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  }
  // Runs `act` once the first time window `w` is open, from the event loop the
  // program's waits pump.
  void WhenOpen(int16_t w, std::function<void()> act) {
    auto timer = std::make_shared<QTimer>();
    timers_.push_back(timer);
    QObject::connect(timer.get(), &QTimer::timeout, [w, act, t = timer.get()] {
      if (!rt::WindowExists(w)) return;
      t->stop();
      act();
    });
    timer->start(0);
  }
  std::string Doc(const char* name) const { return (documents_ / name).string(); }
  std::vector<std::shared_ptr<QTimer>> timers_;
};

// A trigger that fires 30 s after its wait began; a stall of over two intervals at the
// fifth sample (a gap) and a pause at the twelfth; saved as a chart file and a text file with its time
// column.
TEST_F(FileTimesRunE2E, TriggeredStartIsTheFirstDueSampleAndTextTimesFollowThePauseLog) {
  double waitBegan = -1, waitEnded = -1;
  SetControlLoopTap([&](const std::string& step) {
    log_.push_back(step);
    if (step != "run preparation") return;
    TriggerON = 1;
    TriggerChan = 1;
    TriggerMode = 0;
    triggerval = 1e9f;  // never reached: the wait ends when the strip closes
    PrefsArray[PrefsSlot::TimeColumn] = 1;
    WhenOpen(kTriggerStripWindow, [&] {
      waitBegan = GetCurrentTimeInSeconds();
      rt::AdvanceVirtualClock(kTriggerWaitSeconds);
      waitEnded = GetCurrentTimeInSeconds();
      rt::CloseWindow(kTriggerStripWindow);
    });
  });
  std::vector<double> dues;
  SetSampleTimingTap([&](double due, double) {
    dues.push_back(due);
    if (dues.size() == 5) rt::AdvanceVirtualClock(3 + 2 * ChartIntervalInSeconds);  // a gap at any interval
    if (dues.size() == 12) {
      rt::SetKeyDown(rt::key::Command, true);
      rt::SetKeyDown(rt::key::P, true);
      WhenOpen(kPauseWindow, [] {
        rt::ClearKeyMap();
        rt::AdvanceVirtualClock(2.5);
      });
    }
    if (dues.size() == 20) rt::SetKeyDown(rt::key::Escape, true);
  });
  const std::string script = ChartRunWithOneChannel() + "until 300\nwait 0.1\nclick 300 51\ngone 300\n" +
                             "until 112\nrelease Escape\npanel " + Doc("run.kstr") +
                             "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\n"
                             "menu 1 4\npanel " +
                             Doc("run.txt") +
                             "\nclick 112 2\nuntil 3\nclick 3 1\ngone 3\nwait 0.2\nclick 112 6\nexpect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_GE(waitEnded, 0) << "the trigger wait ran";
  ASSERT_FALSE(dues.empty());
  EXPECT_GE(dues.front(), waitEnded) << "the schedule starts after the wait";

  const std::string chart = test::DumpDataFile(documents_ / "run.kstr", "--values 100000 ");
  ExpectStartsAt(chart, dues.front(), "run.kstr");
  EXPECT_GE(StartOf(chart).Wall(), std::floor(WallAt(waitBegan)) + kTriggerWaitSeconds - 1)
      << "not the moment the wait began";

  // The binary file's rule: sample k at k intervals plus the gaps its pause log
  // records at or before k. The text file's time column gives the same.
  const std::vector<test::LoggedGap> gaps = test::GapsInDump(chart);
  ASSERT_EQ(gaps.size(), 2u) << "the stall's gap and the pause\n" << chart;
  const std::size_t at = chart.find("interval (s): ");
  ASSERT_NE(at, std::string::npos);
  const double interval = ShortestDecimal(std::stof(chart.substr(at + 14)));
  const std::vector<double> rows = RowTimes(test::DumpDataFile(documents_ / "run.txt", "--values 100000 "));
  ASSERT_EQ(rows.size(), dues.size());
  for (std::size_t k = 0; k < rows.size(); ++k) {
    double expected = static_cast<double>(k) * interval;
    for (const test::LoggedGap& g : gaps)
      if (g.before <= static_cast<int32_t>(k)) expected += g.seconds;
    EXPECT_NEAR(rows[k], expected, 1e-6 * std::max(1.0, expected)) << "row " << k;
  }
}

// Periods of eight samples: each file starts when its own first sample is due, so the
// second does not start before the first's last sample.
TEST_F(FileTimesRunE2E, EachRepeatPeriodFileStartsWhenItsFirstSampleIsDue) {
  RecordInPeriodsOf(8);
  std::vector<std::pair<int32_t, double>> dues;  // files saved before, due time
  SetSampleTimingTap([&](double due, double) {
    dues.emplace_back(ScopeCount, due);
    if (ScopeCount == 2 && Sample == 3) rt::SetKeyDown(rt::key::Escape, true);
  });
  const std::string script = ChartRunWithOneChannel() + "panel " + Doc("run 1.kssc") +
                             "\nuntil 15\nclick 15 11\ngone 15\nuntil 112\nrelease Escape\n"
                             "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_EQ(ScopeCount, 2);
  const auto firstDue = [&](int32_t before) {
    for (const auto& [saved, due] : dues)
      if (saved == before) return due;
    return -1.0;
  };
  double lastDueOfFirst = -1;
  for (const auto& [saved, due] : dues)
    if (saved == 0) lastDueOfFirst = due;
  std::vector<DumpedStart> starts;
  for (int n = 1; n <= 2; ++n) {
    const std::string name = "run " + std::to_string(n) + ".kstr";
    const std::string dump = test::DumpDataFile(documents_ / name);
    ExpectStartsAt(dump, firstDue(n - 1), name);
    starts.push_back(StartOf(dump));
  }
  EXPECT_GE(starts[1].Wall(), std::floor(WallAt(lastDueOfFirst)))
      << "file 2 starts after file 1's last sample";
}

}  // namespace
}  // namespace mv
