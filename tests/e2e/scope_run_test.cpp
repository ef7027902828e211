// Whole-program scope recordings in demonstration mode: an oscilloscope recording and
// a scope-plus-chart recording, each on the real acquisition screen, each saving its
// sweep with Tab to a numbered scope file that the dump tool decodes, each stopped
// with Escape; then Quit.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "drive/script.h"
#include "e2e/program_run_fixture.h"
#include "files/needs.h"
#include "files/state.h"
#include "kit/state.h"
#include "runtime/events.h"
#include "setup/state.h"
#include "shell/control_loop.h"
#include "shell/main_body.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

class ScopeRunE2E : public test::ProgramRunTest {
 protected:
  void SetUp() override {
    ProgramRunTest::SetUp();
    SetControlLoopTap([this](const std::string& step) {
      log_.push_back(step);
      // Numbered files carry their extension, so the sweep is "<root><n>.kssc".
      if (step == "run preparation") PrefsArray[PrefsSlot::AddExtensions] = 1;
      // The recording runs on the virtual clock, far ahead of the script's wait: the
      // key comes up as the sweep is saved, as a short press would.
      if (step == "run" && !wrapped_) {
        wrapped_ = true;
        auto show = files_hooks::ShowOnAcquisitionScreen;
        files_hooks::ShowOnAcquisitionScreen = [show](int16_t field, const std::string& text, bool failed) {
          rt::SetKeyDown(rt::key::Tab, false);
          show(field, text, failed);
        };
      }
      if (step == "options") {
        modes_.push_back(RecordingMODE);
        sweeps_.push_back(TotScopeSample);
        chartPoints_.push_back(Sample);
        firstMarkers_.push_back(Nmarkers > 0 ? MarkersArray[1].code : 0);
      }
    });
  }
  std::string Doc(const char* name) const { return (documents_ / name).string(); }
  std::vector<fs::path> ScopeFiles() const {
    std::vector<fs::path> v;
    for (const auto& e : fs::directory_iterator(documents_))
      if (e.path().extension() == ".kssc") v.push_back(e.path());
    return v;
  }
  void TearDown() override {
    files_hooks::ResetFilesHooks();
    ProgramRunTest::TearDown();
  }
  bool wrapped_ = false;
  std::vector<int16_t> modes_;
  std::vector<int32_t> sweeps_, chartPoints_, firstMarkers_;
};

// The channels' dialogs: input (11); conversions (10) and scaling (111) for chart
// channels only (the demonstration's scope channel is shown in volts over its range).
const std::string kInput = "until 11\nclick 11 130\n";
const std::string kConversions = "until 10\nclick 10 15\n";
const std::string kScaling = "until 111\nclick 111 1\n";

// The root of the numbered scope files, then the file information window.
std::string ScopeRoot(const std::string& path) {
  return "panel " + path + "\nuntil 15\nclick 15 11\ngone 15\n";
}

// Saves the sweep with Tab as soon as the recording screen is up (within the first
// sweep), records on and stops with Escape.
std::string RecordSaveAndStop(const std::string& shot) {
  return "until 1\nhold Tab\nwait 0.1\nrelease Tab\nwait 0.3\nshot 1 " + shot +
         "\n"
         "hold Escape\nuntil 112\nrelease Escape\n";
}

TEST_F(ScopeRunE2E, OscilloscopeAndScopePlusChartRecordingsSaveSweepsWithTab) {
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 2\nclick 310 23\ngone 310\n"
      "until 9\nclick 9 14\n" +  // the scope interval
      kInput +
      "until 104\nclick 104 203\ngone 104\n" + ScopeRoot(Doc("scope 1.kssc")) +
      RecordSaveAndStop(Shot("w1-scope-recording.png")) +
      "click 112 5\n"  // change mode: a scope recording leaves no chart to lose
      "until 310\npick 310 500 3\nclick 310 102\nclick 310 23\ngone 310\n"
      "until 9\nclick 9 14\n"    // the scope interval
      "until 9\nclick 9 14\n" +  // the chart interval
      kInput +
      kInput + kConversions + kScaling +
      "until 104\nclick 104 203\ngone 104\npanel cancel\n" +  // no timed backup file
      ScopeRoot(Doc("both 1.kssc")) + RecordSaveAndStop(Shot("w1-scope-chart-recording.png")) +
      "click 112 6\nuntil 1776\nclick 1776 2\nexpect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_EQ(result.exitStatus, 0);

  ASSERT_EQ(modes_, (std::vector<int16_t>{RecordingModeCode::Scope, RecordingModeCode::ScopeChart}));
  EXPECT_GT(sweeps_[0], 0) << "the oscilloscope took points";
  EXPECT_GT(sweeps_[1], 0) << "the scope of scope-plus-chart took points";
  EXPECT_GT(chartPoints_[1], 1) << "and its chart took points";
  // The options window's fix-up of the start columns leaves the first chart point (the
  // file's sample 0) its own reading: the demonstration's averaged draws never repeat.
  EXPECT_NE(ChartDataArray.Get(2, 1), ChartDataArray.Get(2, 2)) << "the first chart point is no copy of the second";
  EXPECT_EQ(firstMarkers_[1], '1') << "the saved sweep's automatic marker on the chart";

  const auto files = ScopeFiles();
  std::string names;
  for (const fs::path& f : files) names += f.filename().string() + "; ";
  ASSERT_EQ(files.size(), 2u) << "one sweep saved per Tab in each recording: " << names;
  for (const fs::path& f : files) {
    const std::string name = f.filename().string();
    EXPECT_TRUE(name == "scope 1.kssc" || name == "both 1.kssc") << name;
    const std::string dump = test::DumpDataFile(f, "--values 1024 ");
    EXPECT_EQ(dump.find("the file ends early"), std::string::npos) << dump;
    EXPECT_NE(dump.find("count: 1024\n"), std::string::npos) << "the whole sweep: " << dump;
    // The demonstration's scope readings are 1.001 to 1.600 V. The first sweep may not
    // be full when Tab comes: positions this run has not read are bad readings, never a
    // value, and being the oldest they come first.
    std::smatch m;
    ASSERT_TRUE(std::regex_search(dump, m, std::regex(R"(\(1024 values\):((?: \S+)+))"))) << dump;
    std::istringstream values(m[1].str());
    int readings = 0, unread = 0;
    for (std::string v; values >> v;) {
      ASSERT_NE(v, "...") << "every value shown";
      if (std::stod(v) == -99999) {
        EXPECT_EQ(readings, 0) << "an unread position after a reading: " << dump;
        ++unread;
        continue;
      }
      ++readings;
      EXPECT_GE(std::stod(v), 1.0) << dump;
      EXPECT_LE(std::stod(v), 1.6001) << dump;
    }
    EXPECT_GT(readings, 0) << dump;
    EXPECT_EQ(readings + unread, 1024);
    std::printf("%s: %d positions read, %d not yet read (-99999)\n", name.c_str(), readings, unread);
  }
  for (const char* shot : {"w1-scope-recording.png", "w1-scope-chart-recording.png"})
    EXPECT_TRUE(fs::exists(test::TestOutputDir() / shot)) << shot;
}

// Sample Averaging "all channels" chosen before a scope-plus-chart run: the chart
// recording alone scans continuously, so the chart file's chart channel keeps the count of
// readings the run stood on, never the scan average (0) of a run that took no scans.
TEST_F(ScopeRunE2E, ScopePlusChartChartFileIgnoresContinuousScanning) {
  const fs::path chart = documents_ / "both.kstr";
  const std::string script =
      "start\nuntil 5\nmouse 5 270 150\ngone 15\nuntil 9\nclick-label 9 Test Mode\ngone 9\n"
      "until 310\npick 310 500 3\nclick 310 102\nclick 310 23\ngone 310\n"
      "until 9\nclick 9 14\nuntil 9\nclick 9 14\n" +
      kInput + kInput + kConversions + kScaling +
      "until 104\nmenu 110 3\nclick 104 203\ngone 104\npanel cancel\n" + ScopeRoot(Doc("both 1.kssc")) +
      "until 1\nwait 0.5\nhold Escape\nuntil 112\nrelease Escape\npanel " + chart.string() +
      "\nclick 112 2\nuntil 15\nclick 15 11\ngone 15\nuntil 2\nclick 112 6\nexpect-exit 0\n";
  drive::ScriptRunner runner(script);
  const auto result = runner.Run([](int argc, char** argv) { MainBody(argc, argv); });
  ASSERT_TRUE(result.ok) << drive::FormatFailure(result);
  ASSERT_EQ(modes_, (std::vector<int16_t>{RecordingModeCode::ScopeChart}));
  ASSERT_GT(chartPoints_[0], 2);
  const std::string dump = test::DumpDataFile(chart);
  std::smatch m;
  int blocks = 0;
  for (auto at = dump.cbegin(); std::regex_search(at, dump.cend(), m, std::regex(R"(channel block (\d+):.* averaged (\S+))"));
       at = m[0].second, ++blocks)
    EXPECT_NE(std::stod(m[2].str()), 0.0) << "channel " << m[1] << ": " << dump;
  EXPECT_EQ(blocks, 1) << "the chart channel: " << dump;
}

}  // namespace
}  // namespace mv
