// The set-up changed between stopping a run and saving it. A set-up file saved from the
// options window after a recording opens again at the next start on the same display
// without the "Screen Size Mismatch" question, its strips filling the window. Channels
// cut, added or re-arranged after a run against a simulated logger are the next run's:
// the run's file holds every channel it recorded, each with its own input, values,
// conversion and label.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "acquisition/chart_loop.h"
#include "acquisition/state.h"
#include "common/test_support.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "e2e/simulated_run_fixture.h"
#include "files/setup_file.h"
#include "files/state.h"
#include "kit/channel_labels.h"
#include "kit/state.h"
#include "runtime/events.h"
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

struct ChannelEdit {
  const char* name;
  const char* steps;      // in the set-up window (104), opened from the options window
  int16_t channelsAfter;  // the set-up the next run takes
};

void PrintTo(const ChannelEdit& e, std::ostream* os) {
  *os << e.name;
}

// The logger's conversion modes (window 100) are confirmed after any change of channels.
const ChannelEdit kEdits[] = {
    // Cut Channels: channel 2 ticked and cut.
    {"CutChannelTwo",
     "click 104 219\nuntil 6\nclick 6 2\nclick 6 23\ngone 6\nuntil 100\nclick 100 17\ngone 100\n", 3},
    // A fifth channel added, its dialogs confirmed as they come.
    {"AddAFifthChannel",
     "click 104 220\nuntil 11\nclick 11 130\nuntil 100\nclick 100 17\ngone 100\nuntil 10\nclick 10 15\n"
     "until 111\nclick 111 1\nuntil 8\nclick 8 1\ngone 8\n",
     5},
    // Edit > Re-arrange: the four channels in the opposite order.
    {"ReverseTheOrder", "menu 2 2\nuntil 6\nclick 6 4\nclick 6 3\nclick 6 2\nclick 6 1\nclick 6 30\ngone 6\n",
     4},
};

class ChannelsAfterRunE2E : public test::SimulatedRunTest, public ::testing::WithParamInterface<ChannelEdit> {
 protected:
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
      ch[ChanField::PlotMax] = 20;
      ch[ChanField::PlotMin] = -20;
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
  sim::Options o;
  o.kind = sim::Kind::DT500;
  for (int k = 1; k <= kRunChannels; ++k) o.values.push_back({k, kInputVolts[k]});
  ASSERT_NO_FATAL_FAILURE(StartSimulatorWith(o));
  const std::filesystem::path data = documents_ / "run.kstr";
  const std::string script = "start " + WriteSetup().string() +
                             "\nuntil 11 20\nclick-label 11 Reset\nuntil 21 20\npick 21 182 3\nclick-label "
                             "21 Selection OK\nuntil 88\n"
                             "click-label 88 " +
                             link_ +
                             "\nclick-label 88 Selection OK\ngone 88\nuntil 104 30\nclick 104 203\ngone 104\n"
                             "until 1\nwait 1.2\nhold Escape\nuntil 112\nrelease Escape\n"
                             "click 112 3\nuntil 104\n" +
                             edit.steps + "shot 104 " +
                             Shot((std::string("w104-after-run-") + edit.name + ".png").c_str()) +
                             "\nclick 104 203\ngone 104\n"
                             "panel " +
                             data.string() +
                             "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\n"
                             // Saved as recorded: Quit asks nothing.
                             "click 112 6\nexpect-exit 0\n";
  const auto result = drive::ScriptRunner(script).Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result) << "\nreceived: " << sim_->Received();
  EXPECT_EQ(nChannels, edit.channelsAfter) << "the change stands for the next run";

  const std::string dump = test::DumpDataFile(data, "--values 5000 ");
  EXPECT_NE(dump.find("channels: 4\n"), std::string::npos) << dump;
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

INSTANTIATE_TEST_SUITE_P(Edits, ChannelsAfterRunE2E, ::testing::ValuesIn(kEdits),
                         [](const ::testing::TestParamInfo<ChannelEdit>& info) { return info.param.name; });

}  // namespace
}  // namespace mv
