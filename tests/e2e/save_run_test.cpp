// Whole-program saving runs in demonstration mode: a stopped recording saved from
// the options window as a chart file and as a text file, and a recording with
// autorepeat that saves each full period to its own numbered file. The files are
// read back by the dump tool, which decodes them without the program's code.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "acquisition/ticks.h"
#include "common/test_support.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "files/needs.h"
#include "files/save_commands.h"
#include "files/save_names.h"
#include "files/state.h"
#include "kit/rate_rule.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/menus.h"
#include "runtime/sound.h"
#include "runtime/windows.h"
#include "setup/state.h"
#include "shell/control_loop.h"
#include "shell/main_body.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

// A number the dump tool printed, read back as the single it came from (locale-free).
float Single(std::string text) {
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  double d = 0;
  std::from_chars(text.data(), text.data() + text.size(), d);
  return static_cast<float>(d);
}

// The number after "label" on the dump line "label N", or -1.
long DumpedNumber(const std::string& dump, const std::string& label) {
  std::smatch m;
  if (!std::regex_search(dump, m, std::regex(label + R"(\D*(\d+))"))) return -1;
  return std::stol(m[1].str());
}

// The stored sample interval in seconds (from "interval (s): X"), or -1.
double DumpedInterval(const std::string& dump) {
  std::smatch m;
  if (!std::regex_search(dump, m, std::regex(R"(interval \(s\): (\S+))"))) return -1;
  return std::stod(m[1].str());
}

// A file's bytes ("" when it cannot be read).
std::string FileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Launch, Test Mode, chart with one channel and its dialogs, up to the set-up window.
std::string UpToTheSetupWindow() {
  return "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
         "until 310\npick 310 500 1\nclick 310 101\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
         test::ChannelDialogs() + "until 104\n";
}

// The same, then "Setup OK" and its backup-name panel, answered with backupPanel (a
// path or "cancel").
std::string ChartRunWithOneChannel(const std::string& backupPanel = "cancel") {
  return UpToTheSetupWindow() + "click 104 203\ngone 104\npanel " + backupPanel + "\n";
}

// The values the dump tool printed after "label (N values):", as singles.
std::vector<float> DumpedValues(const std::string& dump, const std::string& label) {
  std::vector<float> v;
  const std::size_t at = dump.find(label + " (");
  if (at == std::string::npos) return v;
  const std::size_t from = dump.find("):", at);
  std::istringstream line(dump.substr(from + 2, dump.find('\n', from) - from - 2));
  for (std::string word; line >> word;) v.push_back(Single(word));
  return v;
}

// The cells of the text file's rows the dump tool printed ("row N: '...'", TABs as \x09).
std::vector<std::vector<float>> DumpedRows(const std::string& dump) {
  std::vector<std::vector<float>> rows;
  const std::regex row(R"(row \d+: '([^']*)')");
  for (auto it = std::sregex_iterator(dump.begin(), dump.end(), row); it != std::sregex_iterator(); ++it) {
    std::vector<float> cells;
    std::string text = (*it)[1].str();
    for (std::size_t tab; (tab = text.find("\\x09")) != std::string::npos; text.erase(0, tab + 4))
      cells.push_back(Single(text.substr(0, tab)));
    rows.push_back(cells);
  }
  return rows;
}

class SaveRunE2E : public test::ProgramRunTest {
 protected:
  drive::ScriptResult Run(const std::string& script) {
    drive::ScriptRunner runner(script);
    return runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  }
  std::string Doc(const char* name) const { return (documents_ / name).string(); }
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    ProgramRunTest::TearDown();
  }
};

TEST_F(SaveRunE2E, StoppedRecordingSavedAsChartAndTextFilesWithItsInterval) {
  const std::string script =
      ChartRunWithOneChannel() +
      "until 1\nwait 0.15\nhold Escape\nuntil 112\nrelease Escape\n"
      "panel " +
      Doc("run.kstr") +
      "\n"
      "click 112 2\n"
      "until 15\n"
      "type 15 1 gerbil run seven\n"
      "shot 15 " +
      Shot("w15-save-file-info.png") +
      "\n"
      "click 15 11\n"
      "gone 15\n"
      "until 2\n"   // the saved notice: the options window takes commands again
      "menu 1 4\n"  // ASCII Text Format, chosen while the options window is open
      "panel " +
      Doc("run.txt") +
      "\n"
      "click 112 2\n"
      "until 3\n"
      "shot 3 " +
      Shot("w3-save-text-caution.png") +
      "\n"
      "click 3 1\n"
      "gone 3\n"
      "wait 0.2\n"     // the text file's progress window takes the events sent while it writes
      "click 112 6\n"  // both saves succeeded: quitting does not ask
      "expect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_EQ(result.exitStatus, 0);
  ASSERT_GT(nSamples, 1);

  // Every sample taken is saved: the chart count is the last index, one less.
  const std::string chart = test::DumpDataFile(documents_ / "run.kstr");
  EXPECT_EQ(DumpedNumber(chart, "count:"), nSamples - 1) << chart;
  EXPECT_EQ(DumpedNumber(chart, "samples of channel block 1 \\("), nSamples) << chart;
  EXPECT_EQ(DumpedNumber(chart, "channels:"), 1) << chart;
  EXPECT_NE(chart.find("gerbil run seven"), std::string::npos) << chart;
  EXPECT_EQ(chart.find("the file ends early"), std::string::npos) << chart;
  // The rate check after the run chose the interval the file stores, never 0.
  EXPECT_FLOAT_EQ(static_cast<float>(DumpedInterval(chart)), ChartSampleInterval) << chart;

  const std::string text = test::DumpDataFile(documents_ / "run.txt");
  EXPECT_EQ(DumpedNumber(text, "rows:"), nSamples) << text;
  EXPECT_EQ(PrefsArray[PrefsSlot::LastRunSaved], 1);
  for (const char* shot : {"w15-save-file-info.png", "w3-save-text-caution.png"})
    EXPECT_TRUE(fs::exists(test::TestOutputDir() / shot)) << shot;
}

// One run saved as a chart file, a text file and a Sable export, besides the backup
// made at the stop: each holds the same twelve values, the first and the last taken
// among them, whatever each format's count convention.
TEST_F(SaveRunE2E, EveryFormatAndTheBackupHoldEveryRecordedSample) {
  SetSampleTimingTap([](double, double) {
    if (Sample == 12) rt::SetKeyDown(rt::key::Escape, true);
  });
  const auto save = [this](const char* name, const std::string& then) {
    return "panel " + Doc(name) + "\nclick 112 2\n" + then;
  };
  const std::string comments = "until 15\nclick 15 11\ngone 15\nwait 0.3\n";
  const std::string script = ChartRunWithOneChannel(Doc("backup.kstr")) + "until 112\nrelease Escape\n" +
                             save("run.kstr", comments) + "menu 1 4\n" +
                             save("run.txt", "until 3\nclick 3 2\nclick 3 1\ngone 3\nwait 0.3\n") +
                             "menu 1 5\n" + save("run.KSSable", comments) + "click 112 6\nexpect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_EQ(nSamples, 12) << "the run stopped after its twelfth sample";

  std::vector<float> taken(12);
  ChartDataArray.CopyRow(1, 0, 12, taken.data());
  const std::string backup = test::DumpDataFile(documents_ / "backup.kstr", "--values 20 ");
  const std::string chart = test::DumpDataFile(documents_ / "run.kstr", "--values 20 ");
  const std::string sable = test::DumpDataFile(documents_ / "run.KSSable", "--values 20 ");
  const std::string text = test::DumpDataFile(documents_ / "run.txt", "--values 20 ");
  for (const std::string* binary : {&backup, &chart}) {
    EXPECT_NE(binary->find("count meaning: the last sample index, 12 values per channel"), std::string::npos)
        << *binary;
    EXPECT_EQ(DumpedValues(*binary, "samples of channel block 1"), taken) << *binary;
  }
  EXPECT_NE(sable.find("last sample index: 11\n"), std::string::npos) << sable;
  EXPECT_EQ(DumpedValues(sable, "channel 1"), taken) << sable;

  const auto rows = DumpedRows(text);
  ASSERT_EQ(rows.size(), 12u) << text;
  const float interval = static_cast<float>(DumpedInterval(chart));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 2u) << "time and value: " << text;
    // Sample i stands i intervals after the file's start, as the chart file places it.
    EXPECT_FLOAT_EQ(rows[i][0], static_cast<float>(i) * interval) << "row " << i + 1 << " at its own time";
    EXPECT_EQ(rows[i][1], taken[i]) << "row " << i + 1;
  }
}

// Backups are on by default: a run whose backup panel was cancelled writes none and
// says "backup off"; the toolbar's backup icon asks for the file again, and once one
// is named the run is backed up (at the click and at the stop).
TEST_F(SaveRunE2E, ACancelledBackupPanelShowsBackupOffAndTheBackupIconAsksAgain) {
  std::vector<std::string> shown;  // the backup indicator's texts, in order
  SetSampleTimingTap([&shown](double, double) {
    const std::string text = rt::EditText(kBackupIndicatorField);
    if (shown.empty() || shown.back() != text) shown.push_back(text);
  });
  const std::string script = ChartRunWithOneChannel("cancel") + "until 1\nwait 0.3\nshot 1 " +
                             Shot("w1-run-backup-off.png") + "\npanel " + Doc("night.kstr") +
                             "\nmouse 1001 300 20\nwait 0.3\n"
                             "hold Escape\nuntil 112\nrelease Escape\n"
                             "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown.front(), " backup off");
  EXPECT_EQ(shown.back(), BackupIndicatorAfter(1).str()) << "the backup made at the icon's click";
  ASSERT_TRUE(fs::exists(documents_ / "night.kstr"));
  const std::string dump = test::DumpDataFile(documents_ / "night.kstr");
  EXPECT_EQ(DumpedNumber(dump, "samples of channel block 1 \\("), nSamples) << "rewritten at the stop";
}

// "Use Automatic Backup" governs the timed backups, whatever the interval: unticked in
// the Preferences before a run, the run asks for no backup file, writes no backup in
// three intervals nor at its stop, and "Timed Data Saves..." is unchecked. Ticked again,
// Restart asks for the file and backs up on the interval that was kept.
TEST_F(SaveRunE2E, AnUntickedAutomaticBackupBoxStopsTimedBackupsUntilTickedAgain) {
  constexpr int32_t kInterval = 30;  // half a second, set once and kept throughout
  const fs::path backup = documents_ / "backup.kstr";
  struct RunSeen {
    uint32_t start = 0;
    bool menuChecked = false;
    bool backupFileAtStart = false;
    int16_t backups = 0;
  };
  std::vector<RunSeen> runs;
  bool stopping = false;
  SetSampleTimingTap([&](double, double) {
    if (Sample == 1) {
      runs.push_back({rt::TickCount(), rt::MenuItemChecked(1, 7), fs::exists(backup), 0});
      stopping = false;
      if (runs.size() == 1) TimedSaveINTERVAL = kInterval, NextSAVEtime = 0;
    }
    if (runs.empty()) return;
    runs.back().backups = NBackUp;
    if (!stopping && rt::TickCount() > runs.back().start + 3 * kInterval + 10) {
      stopping = true;
      rt::SetKeyDown(rt::key::Escape, true);
    }
  });
  const std::string box = "menu 2 21\nuntil 13\npick 13 500 3\nclick 13 8\nclick 13 220\ngone 13\n";
  // No panel line before the first "Setup OK": a backup panel there would wait and fail.
  const std::string script = UpToTheSetupWindow() + box + "click 104 203\ngone 104\nuntil 112\n" +
                             "release Escape\n" + box + "panel " + backup.string() + "\nclick 112 1\n" +
                             "until 1776\nclick 1776 2\ngone 1776\ngone 112\nuntil 112 30\nrelease Escape\n"
                             "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_FALSE(runs[0].menuChecked) << "\"Timed Data Saves...\" unchecked while the box is unticked";
  EXPECT_EQ(runs[0].backups, 0) << "no timed backup in three intervals";
  EXPECT_FALSE(runs[1].backupFileAtStart) << "nor one at the first run's stop";
  EXPECT_EQ(TimedSaveINTERVAL, kInterval) << "the interval is kept while the box is unticked";
  EXPECT_TRUE(runs[1].menuChecked);
  EXPECT_GE(runs[1].backups, 2) << "backups resume on the kept interval";
  EXPECT_TRUE(fs::exists(backup));
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
}

// The options window's menu commands still work after a window opened from its
// menus has closed: Preferences used to leave its own reduced menu handler behind,
// and the format choice then did nothing.
TEST_F(SaveRunE2E, TheOptionsWindowsMenusWorkAfterPreferencesCloses) {
  const std::string script = ChartRunWithOneChannel() +
                             "until 1\nwait 0.1\nhold Escape\nuntil 112\nrelease Escape\n"
                             "menu 2 21\nuntil 13\nkey Return\ngone 13\n"
                             "menu 1 4\nwait 0.2\n"
                             "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(PrefsArray[PrefsSlot::SaveText], 1) << "the text format was chosen from the options window";
}

TEST_F(SaveRunE2E, AutorepeatSavesEachFullPeriodToANumberedFile) {
  RecordInPeriodsOf(20);
  // Escape goes down five samples into the third period, so the stop always leaves
  // an unsaved partial period (a stop just after a period's save would leave none).
  SetSampleTimingTap([](double, double) {
    if (ScopeCount == 2 && Sample == 5) rt::SetKeyDown(rt::key::Escape, true);
  });
  const std::string script = ChartRunWithOneChannel() + "panel " + Doc("run 1.kssc") +
                             "\n"  // the root of the numbered files
                             "until 15\n"
                             "shot 15 " +
                             Shot("w15-repeat-file-info.png") +
                             "\n"
                             "click 15 11\n"
                             "gone 15\n"
                             "until 112\nrelease Escape\n"
                             "click 112 6\n"  // the last partial period was not saved: the guard asks
                             "until 1776\n"
                             "click 1776 2\n"
                             "expect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_EQ(result.exitStatus, 0);
  EXPECT_EQ(filestrings.rootName, Str255("run"));

  ASSERT_EQ(ScopeCount, 2);
  EXPECT_EQ(nSamples, 5) << "samples of the unsaved third period";
  for (int n = 1; n <= ScopeCount; ++n) {
    const fs::path file = documents_ / ("run " + std::to_string(n) + ".kstr");
    ASSERT_TRUE(fs::exists(file)) << file;
    // A period ends with Sample = MaxSamples: columns 0..19, so the stored last
    // index is 19 and each channel holds 20 values.
    const std::string dump = test::DumpDataFile(file);
    EXPECT_EQ(DumpedNumber(dump, "count:"), 19) << dump;
    EXPECT_EQ(DumpedNumber(dump, "samples of channel block 1 \\("), 20) << dump;
    EXPECT_FLOAT_EQ(static_cast<float>(DumpedInterval(dump)), ChartSampleInterval) << dump;
  }
  EXPECT_FALSE(fs::exists(documents_ / ("run " + std::to_string(ScopeCount + 1) + ".kstr")));
  EXPECT_TRUE(fs::exists(test::TestOutputDir() / "w15-repeat-file-info.png"));
}

// Unattended runs in periods of 10 samples, stopped 5 samples into the fourth, whose
// root panel was cancelled at the start: the cancel chose the base name, and each
// period's end writes its file under it in the documents folder; no panel ever opens
// during the recording, so it never stops to wait for an answer. The backup indicator
// says in every period what is so: "backup off" when the backup panel was cancelled,
// "no backup!" when backups are unticked. A run saved from the options window and
// recorded again keeps its Automatic Repeat: the set-up report says so, and the new run
// goes on in periods, into files of its own, every earlier file as it was.
struct RepeatRoad {
  const char* name;
  bool backupsTicked;     // "Use Automatic Backup"; its panel is cancelled
  const char* indicator;  // what the backup indicator says in every period
  bool savedAndRecordedAgain = false;
};

void PrintTo(const RepeatRoad& road, std::ostream* out) {
  *out << road.name;
}

class RepeatRoadE2E : public SaveRunE2E, public ::testing::WithParamInterface<RepeatRoad> {};

TEST_P(RepeatRoadE2E, EveryPeriodIsNamedAndShownAsItIsAndASavedRunRecordsAgainInPeriods) {
  const RepeatRoad& road = GetParam();
  RecordInPeriodsOf(10, [&road] { PrefsArray[PrefsSlot::AutomaticBackup] = road.backupsTicked ? 1 : 0; });
  const auto period = [this](int n) { return documents_ / ("repeat file " + std::to_string(n) + ".kstr"); };
  std::vector<std::string> shown;  // "run R period P: indicator"
  std::vector<std::string> firstRunFiles;
  SetSampleTimingTap([&](double, double) {
    const auto run = std::count(log_.begin(), log_.end(), "run");
    if (Sample == 3) {
      shown.push_back("run " + std::to_string(run) + " period " + std::to_string(ScopeCount + 1) + ": " +
                      rt::EditText(kBackupIndicatorField));
      if (run == 1 && ScopeCount == 1)
        rt::SaveWindowImage(1, Shot((std::string("w1-period-2-") + road.name + ".png").c_str()));
    }
    if (run == 2 && firstRunFiles.empty())
      for (const fs::path& file : {period(1), period(2), period(3), documents_ / "stopped.kstr"})
        firstRunFiles.push_back(FileBytes(file));
    if (Sample == 5 && ScopeCount == (run == 1 ? 3 : 5)) rt::SetKeyDown(rt::key::Escape, true);
  });
  const std::string saveAndRecordAgain =
      "panel " + Doc("stopped.kstr") + "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\nshot 112 " +
      Shot("w112-repeat-run-saved.png") + "\nmenu 1 11\nuntil 17\nclick 17 2\npanel " + Doc("report.txt") +
      "\nclick 17 3\ngone 17\nclick 112 1\ngone 112\nuntil 112 60\nrelease Escape\n";
  // The run's start panels (the backup file, the root) are answered before "Setup OK",
  // so none waits: any wait the driver reports came later.
  const std::string script = UpToTheSetupWindow() + (road.backupsTicked ? "panel cancel\n" : "") +
                             "panel cancel\nclick 104 203\ngone 104\nuntil 15\nclick 15 11\ngone 15\n"
                             "until 112\nrelease Escape\n" +
                             (road.savedAndRecordedAgain ? saveAndRecordAgain : "") +
                             "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(result.output.find("waiting for an answer"), std::string::npos)
      << "a panel opened during the recording: " << result.output;
  EXPECT_EQ(filestrings.rootName, Str255("repeat file"));
  for (const std::string& line : shown) {
    std::printf("%s: %s\n", road.name, line.c_str());
    EXPECT_EQ(line.substr(line.find(": ") + 2), road.indicator) << line;
  }
  ASSERT_GE(shown.size(), 4u) << "every period of the first run was seen";
  if (road.savedAndRecordedAgain) {
    const std::string report = FileBytes(documents_ / "report.txt");
    const std::string said = report.substr(std::min(report.find("Automatic repeat is"), report.size()), 22);
    std::printf("%s: the report after the save: \"%s\"\n", road.name, said.c_str());
    EXPECT_EQ(said, "Automatic repeat is ON") << report;
  }
  const int periods = road.savedAndRecordedAgain ? 5 : 3;
  std::printf("%s: %d period files, the stopped run %d samples\n", road.name, ScopeCount, nSamples);
  ASSERT_EQ(ScopeCount, periods) << "the periods that ended, of both runs";
  EXPECT_EQ(nSamples, 5) << "samples of the unsaved last period";
  for (int n = 1; n <= periods; ++n) {
    ASSERT_TRUE(fs::exists(period(n))) << period(n);
    EXPECT_EQ(DumpedNumber(test::DumpDataFile(period(n)), "samples of channel block 1 \\("), 10) << period(n);
  }
  EXPECT_FALSE(fs::exists(period(periods + 1)));
  if (!road.savedAndRecordedAgain) return;
  ASSERT_EQ(firstRunFiles.size(), 4u);
  const fs::path kept[] = {period(1), period(2), period(3), documents_ / "stopped.kstr"};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(FileBytes(kept[i]), firstRunFiles[i]) << kept[i];
}

const RepeatRoad kRepeatRoads[] = {
    {"BackupAndRootPanelsCancelled", true, " backup off"},
    {"BackupsUnticked", false, " no backup!"},
    {"SavedAndRecordedAgain", false, " no backup!", true},
};

INSTANTIATE_TEST_SUITE_P(Roads, RepeatRoadE2E, ::testing::ValuesIn(kRepeatRoads),
                         [](const ::testing::TestParamInfo<RepeatRoad>& info) { return info.param.name; });

// A backup file named from the mode window's File menu before the set-up is the run's:
// Setup OK does not ask again, and the backups go to it. Every period's screen counts
// its time labels from 0, as its file's times do, however many periods came before.
TEST_F(SaveRunE2E, ABackupNamedBeforeTheSetupIsUsedAndEveryPeriodsLabelsStartAtZero) {
  std::vector<std::vector<std::string>> labels;  // each period's labels as printed
  const auto printed = [] {
    std::vector<std::string> texts;
    for (const ScopeTimeLabel& l : PrintedChartTimeLabels()) texts.push_back(l.text.str());
    return texts;
  };
  RecordInPeriodsOf(10, [&] {
    auto nextScreen = files_hooks::NewPeriodScreen;
    files_hooks::NewPeriodScreen = [&labels, nextScreen, printed] {
      nextScreen();
      labels.push_back(printed());
    };
  });
  SetSampleTimingTap([&](double, double) {
    if (ScopeCount == 0 && Sample == 1) labels.push_back(printed());
    if (ScopeCount == 1 && Sample == 5) NextSAVEtime = 0;  // a timed backup on the next pass
    if (ScopeCount == 4 && Sample == 3) rt::SetKeyDown(rt::key::Escape, true);
  });
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npanel " +
      Doc("first.kstr") +
      "\nmenu 1 8\npick 310 500 1\nclick 310 101\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() + "until 104\npanel " + Doc("run 1.kssc") +
      "\nclick 104 203\ngone 104\nuntil 15\nclick 15 11\ngone 15\nuntil 112\nrelease Escape\n"
      "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(result.output.find("waiting for an answer"), std::string::npos) << result.output;
  EXPECT_EQ(filestrings.rootName, Str255("run")) << "the root panel took the root's answer";
  ASSERT_EQ(ScopeCount, 4);
  ASSERT_TRUE(fs::exists(documents_ / "first.kstr")) << "the backups went to the name given first";
  EXPECT_GE(DumpedNumber(test::DumpDataFile(documents_ / "first.kstr"), "samples of channel block 1 \\("), 3);

  ASSERT_EQ(labels.size(), 5u) << "period 1's screen and the four after it";
  ASSERT_FALSE(labels[0].empty());
  EXPECT_EQ(std::stod(labels[0].front()), 0.0);
  for (const std::size_t period : {2u, 4u}) {
    ASSERT_FALSE(labels[period - 1].empty()) << "period " << period;
    EXPECT_EQ(std::stod(labels[period - 1].front()), 0.0) << "period " << period;
    EXPECT_EQ(labels[period - 1], labels[0]) << "period " << period << " labelled as period 1";
  }
}

// The width and height of a PNG file, from its header.
std::pair<int, int> PngSize(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char b[24] = {};
  in.read(reinterpret_cast<char*>(b), sizeof b);
  const auto be32 = [&](int at) { return b[at] << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]; };
  return {be32(16), be32(20)};
}

// A demonstration run at 0.1 s kept its schedule, so the rate check after it measures
// 0.1 s (no caution page, no buzz) and a quick save from the options window stores
// 0.1 s. The program's clock runs up to 1000 times faster than the script's waits: the
// first run ends at its last sample by itself (an Escape typed after it would reach the
// options window, which takes any key as "Save").
TEST_F(SaveRunE2E, AThreeSecondRunAtATenthMeasuresATenthAndItsQuickSaveStoresIt) {
  std::vector<std::string> sounds;
  rt::SetSoundSink([&sounds](const std::string& path) { sounds.push_back(test::SoundFileName(path)); });
  // What the first run left for its rate check, and the sounds until the quick save
  // starts the next run.
  RateDecision firstRun;
  int32_t firstRunSamples = 0;
  long buzzesOfTheFirstRun = -1;
  SetControlLoopTap([&](const std::string& step) {
    log_.push_back(step);
    if (step == "run preparation") {
      ChartSampleInterval = 0.1f;
      ChartIntervalInSeconds = 0.1;
      MaxSamples = 10'000;
    } else if (step == "options" && firstRunSamples == 0) {
      firstRun = MeasureChartRun(ChartTiming, 0.1f, 0.03f);
      firstRunSamples = ChartTiming.samples;
    } else if (step == "run" && firstRunSamples > 0 && buzzesOfTheFirstRun < 0) {
      buzzesOfTheFirstRun = std::count(sounds.begin(), sounds.end(), "bzot.mp3");
    }
  });
  const std::string script = ChartRunWithOneChannel() +
                             "until 1\nuntil 112 20\n"
                             "until 33\n"
                             "shot 33 " +
                             Shot("w33-recording-check-demonstration.png") +
                             "\n"
                             "click 112 12\n"  // Quick Save, and the next run starts
                             "until 1\nwait 0.3\nhold Escape\nuntil 112\nrelease Escape\n"
                             "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_GE(firstRunSamples, 25);

  EXPECT_NEAR(firstRun.measured, 0.1f, 0.0025f) << "over " << firstRunSamples << " samples";
  EXPECT_EQ(firstRun.interval, 0.1f);
  EXPECT_EQ(buzzesOfTheFirstRun, 0) << "no buzz";
  EXPECT_EQ(PngSize(test::TestOutputDir() / "w33-recording-check-demonstration.png").second, 70)
      << "the plain check window, not the caution page";

  int quickSaves = 0;
  for (const auto& e : fs::directory_iterator(documents_)) {
    if (e.path().filename().string().rfind("QuickSave ", 0) != 0) continue;
    ++quickSaves;
    const std::string dump = test::DumpDataFile(e.path());
    EXPECT_FLOAT_EQ(static_cast<float>(DumpedInterval(dump)), 0.1f) << dump;
  }
  EXPECT_EQ(quickSaves, 1);
}

// Quick-save names go by the second. Two quick saves within one second (runs of three
// samples at a hundredth of a second) used to write the second over the first; now
// each run has its file, the second named with " (2)".
TEST_F(SaveRunE2E, TwoQuickSavesInOneSecondMakeTwoFiles) {
  bool aligned = false;
  SetControlLoopTap([&](const std::string& step) {
    log_.push_back(step);
    if (step == "run preparation") {
      ChartSampleInterval = 0.01f;
      ChartIntervalInSeconds = 0.01;
      MaxSamples = 10'000;
    } else if (step == "options" && !aligned) {
      // The program's clock to just past a whole second, so both saves fall in it.
      const double wall = rt::WallClockSecondsAt(rt::Microseconds());
      rt::AdvanceVirtualClock(1.001 - (wall - std::floor(wall)));
      aligned = true;
    }
  });
  SetSampleTimingTap([](double, double) {
    if (Sample == 3) rt::SetKeyDown(rt::key::Escape, true);
  });
  const std::string stopped = "until 112 30\nrelease Escape\n";
  const std::string script = ChartRunWithOneChannel() + stopped + "click 112 12\n" + stopped +
                             "click 112 12\n" + stopped +
                             "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  const auto result = Run(script);
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(documents_)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("QuickSave ", 0) == 0) names.push_back(name);
  }
  ASSERT_EQ(names.size(), 2u) << "each quick save kept its own file";
  // The shorter name is the first save's: "QuickSave 09-01-17-14h05m42s.kstr" and then
  // "QuickSave 09-01-17-14h05m42s (2).kstr".
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
  const fs::path first(names[0]);
  EXPECT_EQ(names[1], first.stem().string() + " (2)" + first.extension().string())
      << "the second save of the second takes the next free name";
  for (const std::string& name : names)
    EXPECT_EQ(DumpedNumber(test::DumpDataFile(documents_ / name), "samples of channel block 1 \\("), 3)
        << name;
}

}  // namespace
}  // namespace mv
