// The set-up changed between stopping a run and saving it. A set-up file saved from the
// options window after a recording opens again at the next start on the same display
// without the "Screen Size Mismatch" question, its strips filling the window. Channels
// cut, added or re-arranged after a run against a simulated logger are the next run's:
// the run's file holds every channel it recorded, each with its own input, values,
// conversion and label.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QString>
#include <QTimer>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/recording_keys.h"
#include "acquisition/replay.h"
#include "acquisition/state.h"
#include "common/test_support.h"
#include "control/alarm_log.h"
#include "control/state.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "e2e/simulated_run_fixture.h"
#include "files/setup_file.h"
#include "files/state.h"
#include "kit/channel_labels.h"
#include "kit/format.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "setup/setup_window_rules.h"
#include "setup/state.h"
#include "shell/main_body.h"
#include "sim/sim.h"

namespace mv {
namespace {

class SetupAfterRunE2E : public test::ProgramRunTest {
 protected:
  void TearDown() override {
    SetSampleTimingTap(nullptr);
    ProgramRunTest::TearDown();
  }
};

// Every sample drawn writes its strip's last y into the channel record; the layout
// the set-up stores must not depend on it. The recording screen fits the strips to
// the display for the run; the set-up keeps the layout chosen before it, which fills
// the window of a later start on the same display.
TEST_F(SetupAfterRunE2E, ASetupSavedAfterARecordingReopensWithoutAScreenSizeQuestion) {
  const std::string setup = (documents_ / "after-the-run.MVsetup").string();  // no blank: one argument
  SetSampleTimingTap([](double, double) {
    if (Sample == 40) rt::SetKeyDown(rt::key::Escape, true);
  });
  // Two channels recorded; "Make a set-up file" (button 4) after the run, then Quit.
  const std::string record =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 1\nclick 310 102\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() + test::ChannelDialogs() +
      "until 104\npanel cancel\nclick 104 203\ngone 104\n"
      "until 112\nrelease Escape\n"
      "panel " +
      setup +
      "\nclick 112 4\nwait 0.2\n"
      "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  auto result = drive::ScriptRunner(record).Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_GT(nSamples, 1) << "samples were drawn";

  // The program started again on the same display with the set-up file (as a file
  // manager starts it): the interface choice (window 21) comes next, with no "Screen
  // Size Mismatch" window (11) first.
  test::ProgramTest::TearDown();
  test::ProgramTest::SetUp();
  SetControlLoopTap([this](const std::string& step) { log_.push_back(step); });
  const std::string reopen =
      "start " + setup + "\nuntil 21\nclick-label 21 Test/demonstration\ngone 21\nuntil 104 20\nshot 104 " +
      Shot("w104-setup-reopened-after-run.png") + "\n";
  result = drive::ScriptRunner(reopen).Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_EQ(SetupFileName.str(), "after-the-run.MVsetup");
  const float lastBottom = ChannelVariables[2][ChanField::StripBottom];
  EXPECT_GE(lastBottom, PrefsArray[PrefsSlot::WindowHeight] - 30) << "the strips fill the window";
  EXPECT_FLOAT_EQ(ChannelVariables[1][ChanField::StripHeight], ChannelVariables[2][ChanField::StripHeight]);
}

// A short run (fewer than ten samples) stopped, its set-up opened from the options window
// ("Acquisition parameters") and closed with Setup OK: the options window's menus are
// the user's again, the file formats among them, and the run is saved as text.
TEST_F(SetupAfterRunE2E, TheMenusComeBackWhenTheSetupWindowOpenedAfterARunCloses) {
  const std::string data = (documents_ / "short-run.txt").string();
  SetSampleTimingTap([](double, double) {
    if (Sample == 4) rt::SetKeyDown(rt::key::Escape, true);
  });
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 1\nclick 310 101\nclick 310 23\ngone 310\nuntil 9\nclick 9 14\n" +
      test::ChannelDialogs() +
      "until 104\npanel cancel\nclick 104 203\ngone 104\n"
      "until 112\nrelease Escape\nclick 112 3\nuntil 104\nclick 104 203\ngone 104\nuntil 112\n"
      "menu 1 4\npanel " +
      data +
      "\nclick 112 2\nuntil 3\nclick 3 2\nclick 3 1\ngone 3\nwait 0.3\nmenu 1 3\n"
      "click 112 6\nexpect-exit 0\n";
  const auto result = drive::ScriptRunner(script).Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  EXPECT_LE(nSamples, 9) << "a run short enough that the set-up's OK shuts the menus";
  EXPECT_NE(test::DumpDataFile(data).find("row 1: '"), std::string::npos) << "saved in the text format";
}

// ---- channels changed after the run -------------------------------------------------------------

constexpr int kRunChannels = 4;
// The volts the logger's inputs 1 to 4 answer (binary fractions, read back exactly), and
// each channel's own conversion b: a channel's values are b x its own input's volts.
constexpr std::array<double, kRunChannels + 1> kInputVolts{0, 0.5, 1.25, 2.5, -1.75};
constexpr std::array<float, kRunChannels + 1> kSlope{0, 1, 2, 4, 8};
// Each channel's plot range, its own: a value drawn under another channel's range, or
// another channel's value under its range, stands elsewhere in the strip.
constexpr std::array<std::array<float, 2>, kRunChannels + 1> kPlotRange{
    {{0, 0}, {-1, 1}, {-10, 10}, {0, 40}, {-20, 0}}};

struct ChannelEdit {
  const char* name;
  const char* steps;          // in the set-up window (104), opened from the options window
  int16_t channelsAfter;      // the set-up the next run takes
  bool inSetupWindow = true;  // else from the options window's own menus
};

void PrintTo(const ChannelEdit& e, std::ostream* os) {
  *os << e.name;
}

// The logger's conversion modes (window 100) are confirmed after any change of channels.
const ChannelEdit kEdits[] = {
    // Cut Channels: channel 2 ticked and cut.
    {"CutChannelTwo",
     "click 104 219\nuntil 6\nclick 6 2\nclick 6 23\ngone 6\nuntil 100\nclick 100 17\ngone 100\n", 3},
    // The same from the options window: A-D > Cut Channels.
    {"CutChannelTwoFromTheMenu",
     "menu 4 20\nuntil 6\nclick 6 2\nclick 6 23\ngone 6\nuntil 100\nclick 100 17\ngone 100\n", 3, false},
    // A fifth channel added, its dialogs confirmed as they come.
    {"AddAFifthChannel",
     "click 104 220\nuntil 11\nclick 11 130\nuntil 100\nclick 100 17\ngone 100\nuntil 10\nclick 10 15\n"
     "until 111\nclick 111 1\nuntil 8\nclick 8 1\ngone 8\n",
     5},
    // Edit > Re-arrange: the four channels in the opposite order.
    {"ReverseTheOrder", "menu 2 2\nuntil 6\nclick 6 4\nclick 6 3\nclick 6 2\nclick 6 1\nclick 6 30\ngone 6\n",
     4},
    // A typed chart interval of 0.255 s for the next run, near enough the run's 0.25 s
    // for the rate check to take it as the one the run kept.
    {"TypeAnotherInterval", "click 104 201\nuntil 9\ntype 9 101 0.255\nclick 9 14\ngone 9\n", 4},
};

class ChannelsAfterRunE2E : public test::SimulatedRunTest, public ::testing::WithParamInterface<ChannelEdit> {
 protected:
  // A few seconds of the 4-channel run on the simulated logger, stopped; then the edit
  // in the set-up window opened from the options window, which is closed again.
  std::string RecordThenEdit(const ChannelEdit& edit) {
    sim::Options o;
    o.kind = sim::Kind::DT500;
    for (int k = 1; k <= kRunChannels; ++k) o.values.push_back({k, kInputVolts[k]});
    StartSimulatorWith(o);
    const std::string record =
        "start " + WriteSetup().string() +
        "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 3\nclick-label "
        "21 Selection OK\nuntil 88\n"
        "click-label 88 " +
        link_ +
        "\nclick-label 88 Selection OK\ngone 88\nuntil 104 30\nclick 104 203\ngone 104\n"
        "until 1\nwait 1.2\nhold Escape\nuntil 112\nrelease Escape\n";
    if (!edit.inSetupWindow) return record + edit.steps;
    return record + "click 112 3\nuntil 104\n" + edit.steps + "shot 104 " +
           Shot((std::string("w104-after-run-") + edit.name + ".png").c_str()) +
           "\nclick 104 203\ngone 104\n";
  }

  std::filesystem::path WriteSetup() const {
    SetupRecord setup;
    setup.recordingMode = RecordingModeCode::Chart;
    setup.channels = kRunChannels;
    setup.chartTicks = 15;
    setup.scopeTicks = 1;
    setup.scopeMax = 256;
    setup.maxSamples = 1000;
    for (int k = 1; k <= kRunChannels; ++k) {
      auto& ch = setup.channelTable[k];
      ch[ChanField::Gain] = 2;
      ch[ChanField::Input] = static_cast<float>(k);
      ch[ChanField::B] = kSlope[k];
      ch[ChanField::PlotMin] = kPlotRange[k][0];
      ch[ChanField::PlotMax] = kPlotRange[k][1];
      ch[ChanField::Averaged] = 1;
      setup.channelTable[0][k] = 1;
      std::string label = "input " + std::to_string(k);
      label.resize(30, ' ');
      setup.labels1 += label;
      setup.dataTaker[k] = {1, 0, 0, 0, 0};
    }
    for (int k = kRunChannels + 1; k <= 8; ++k) setup.labels1 += std::string(30, ' ');
    EXPECT_EQ(SetupRecordProblem(setup), "");
    const std::filesystem::path file = documents_ / "four-channels.MVsetup";  // no blank: one argument
    std::ofstream(file, std::ios::binary) << EncodeSetup(setup);
    return file;
  }
};

TEST_P(ChannelsAfterRunE2E, TheRunIsSavedAsRecordedWhateverTheSetupBecameAfterIt) {
  const ChannelEdit& edit = GetParam();
  const std::filesystem::path data = documents_ / "run.kstr";
  // The rate check measures the run again before the save.
  const std::string script = RecordThenEdit(edit) + "click 112 10\nuntil 33\nshot 33 " +
                             Shot((std::string("w33-rate-check-after-") + edit.name + ".png").c_str()) +
                             "\npanel " + data.string() +
                             "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\n"
                             // Saved as recorded: Quit asks nothing.
                             "click 112 6\nexpect-exit 0\n";
  ASSERT_FALSE(HasFatalFailure());
  const auto result = drive::ScriptRunner(script).Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();
  EXPECT_EQ(nChannels, edit.channelsAfter) << "the change stands for the next run";

  const std::string dump = test::DumpDataFile(data, "--values 5000 ");
  EXPECT_NE(dump.find("channels: 4\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("interval (s): 0.25\n"), std::string::npos) << dump;
  for (int k = 1; k <= kRunChannels; ++k) {
    SCOPED_TRACE(k);
    std::string label = "input " + std::to_string(k);
    label.resize(30, ' ');
    char head[200];
    std::snprintf(head, sizeof head, "channel block %d: a 0 b %g c 0 type 1 averaged 1 label '%s'", k,
                  kSlope[k], label.c_str());
    EXPECT_NE(dump.find(head), std::string::npos) << head << "\n" << dump;
    EXPECT_NE(dump.find("hardware input of channel " + std::to_string(k) + ":  " + std::to_string(k) + "\n"),
              std::string::npos)
        << dump;
    const std::vector<double> values = test::BlockValues(dump, k);
    ASSERT_GE(values.size(), 2u) << dump;
    const float expected = kSlope[k] * static_cast<float>(kInputVolts[k]);
    int wrong = 0;
    for (double v : values) wrong += static_cast<float>(v) != expected;
    EXPECT_EQ(wrong, 0) << "channel " << k << " holds values of another input or none read:\n" << dump;
  }
}

// Where each strip's trace stands in a replay drawn with user-set scaling, from its
// picture: the strips top to bottom down one pixel column right of their labels, each
// the share of its height from its bottom to its trace (the traces are flat: every input
// answers one value; a line is smoothed over the rows it crosses), or -1 for a strip
// without one or cut off by the window's edge.
std::vector<double> TraceHeightsInStrips(const std::string& png) {
  const QImage image(QString::fromStdString(png));
  std::vector<double> shares;
  if (image.isNull()) return shares;
  const int x = image.width() * 2 / 3;
  const auto is = [&image, x](int y, RGBColor c) {
    const QColor p = image.pixelColor(x, y);
    return std::abs(p.red() - c.red / 257) + std::abs(p.green() - c.green / 257) +
               std::abs(p.blue() - c.blue / 257) <
           12;
  };
  int top = -1, traceRows = 0, stripRows = 0;
  double traceSum = 0;
  for (int y = 0; y < image.height(); ++y) {
    if (is(y, ChartFrameColor)) {
      if (top >= 0 && y - top > 10)
        shares.push_back(traceRows == 0 ? -1.0 : (y - traceSum / traceRows) / (y - top));
      top = y;
      traceRows = stripRows = 0;
      traceSum = 0;
    } else if (top >= 0 && is(y, ChartBackgroundColor)) {
      ++stripRows;
    } else if (top >= 0) {
      ++traceRows;
      traceSum += y;
    }
  }
  if (stripRows > 10) shares.push_back(-1.0);  // a strip running off the window
  return shares;
}

// An upper limit on each channel but the last, which has a lower one: inputs 1, 3 and 4
// pass theirs at every sample, input 2 never.
constexpr std::array<float, kRunChannels + 1> kAlarmLimit{0, 0.25f, 100, 5, -10};

TEST_P(ChannelsAfterRunE2E, TheRunIsReplayedAndItsAlarmsLoggedAsRecordedWhateverTheSetupBecameAfterIt) {
  const ChannelEdit& edit = GetParam();
  // The replay's title, and the alarm log's rows as it shows them (each channel's limit
  // and count), read from the program's own event loop while they are open.
  std::string replayTitle;
  std::vector<std::string> limits, counts;
  auto timer = std::make_shared<QTimer>();
  QObject::connect(timer.get(), &QTimer::timeout, [&replayTitle, &limits, &counts, t = timer.get()] {
    if (rt::WindowExists(kReplayWindow) && replayTitle.empty())
      replayTitle = rt::WindowTitle(kReplayWindow).str();
    if (!rt::WindowExists(kAlarmLogWindow)) return;
    t->stop();
    rt::SetOutputWindow(kAlarmLogWindow);
    for (int16_t n = 1; n <= 16; ++n) {
      const int16_t lower = AlarmLogField(n, 0), upper = AlarmLogField(n, 3);
      if (!rt::EditFieldExists(lower) && !rt::EditFieldExists(upper)) continue;
      const bool isLower = rt::EditFieldExists(lower);
      limits.push_back(rt::EditText(isLower ? lower : upper));
      counts.push_back(rt::EditText(AlarmLogField(n, isLower ? 1 : 4)));
    }
  });
  SetControlLoopTap([this, timer](const std::string& step) {
    log_.push_back(step);
    if (step == "run preparation") {
      for (int k = 1; k <= kRunChannels; ++k) {
        AlarmConditionsRecord& r = alarmsArray[k];
        r[AlarmField::AnyOn] = 1;
        r[k == kRunChannels ? AlarmField::LowerOn : AlarmField::UpperOn] = 1;
        r[k == kRunChannels ? AlarmField::LowerLimit : AlarmField::UpperLimit] = kAlarmLimit[k];
      }
    }
    // Nothing but the frames and the traces down the replay's strips.
    if (step != "options") return;
    for (int slot : {PrefsSlot::ZeroLines, PrefsSlot::ScaleGrid, PrefsSlot::MarkersInReplay})
      PrefsArray[slot] = 0;
    timer->start(0);
  });
  const std::string name = std::string("-after-") + edit.name;
  const std::string userSet = Shot(("w321-replay" + name + ".png").c_str());
  const std::string script = RecordThenEdit(edit) + "click 112 56\nuntil 321\nshot 321 " + userSet +
                             "\nclick 321 1\nwait 0.2\nshot 321 " +
                             Shot(("w321-replay" + name + "-full-range.png").c_str()) +
                             "\nclick 321 2\ngone 321\nuntil 112\n"
                             "click 112 8\nuntil 5\nshot 5 " +
                             Shot(("w5-alarm-log" + name + ".png").c_str()) +
                             "\nclick 5 1\ngone 5\n"
                             // The set-up file switches the data-loss question off.
                             "click 112 6\nexpect-exit 0\n";
  ASSERT_FALSE(HasFatalFailure());
  const auto result = drive::ScriptRunner(script).Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();
  EXPECT_EQ(nChannels, edit.channelsAfter) << "the change stands for the next run";

  // The samples replayed span the time they took at the run's own interval.
  EXPECT_EQ(replayTitle, ReplayTitle(Sample, static_cast<float>(Sample) * 0.25f).str());
  // Strip k shows input k's value, b x its volts, under channel k's own plot range.
  const std::vector<double> shares = TraceHeightsInStrips(userSet);
  ASSERT_EQ(shares.size(), static_cast<std::size_t>(kRunChannels)) << "one strip per channel recorded";
  for (int k = 1; k <= kRunChannels; ++k) {
    const double value = kSlope[k] * kInputVolts[k];
    const double expected = (value - kPlotRange[k][0]) / (kPlotRange[k][1] - kPlotRange[k][0]);
    EXPECT_NEAR(shares[k - 1], expected, 0.02) << "strip " << k;
  }
  // Row k of the log holds channel k's limit and what its own input raised.
  ASSERT_EQ(limits.size(), static_cast<std::size_t>(kRunChannels)) << "one row per channel recorded";
  for (int k = 1; k <= kRunChannels; ++k) {
    EXPECT_EQ(limits[k - 1], NumText(kAlarmLimit[k]).str()) << "row " << k;
    EXPECT_EQ(counts[k - 1] == "   none", k == 2) << "row " << k << ": " << counts[k - 1];
  }
}

INSTANTIATE_TEST_SUITE_P(Edits, ChannelsAfterRunE2E, ::testing::ValuesIn(kEdits),
                         [](const ::testing::TestParamInfo<ChannelEdit>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
