// The interval a chart run's files store, measured from the real loop on the
// virtual clock: a run that kept its schedule stores its interval however few its
// samples, a loop slower than its interval stores what it achieved, and the stop's
// lowering of the sample count changes nothing.
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "acq_fixture.h"
#include "common/scripted_ui3.h"
#include "common/stored_times.h"
#include "devices/line_step.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "files/needs.h"
#include "files/save_commands.h"
#include "files/state.h"

namespace mv::test {
namespace {

namespace fs = std::filesystem;

class RunIntervalTest : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    docs = MakeTempDir("run-interval-docs");
    setenv("MV_DOCUMENTS_DIR", docs.c_str(), 1);
    RecordingMODE = RecordingModeCode::Chart;
    ChartSampleInterval = 0.1f;
    SampRateError = 0.001f;  // the tightest tolerance: only an exact measurement keeps 0.1
  }
  void TearDown() override {
    unsetenv("MV_DOCUMENTS_DIR");
    files_hooks::ResetFilesHooks();
    fs::remove_all(docs);
    AcqTest::TearDown();
  }
  // The one quick-save file in the documents folder, removed once read.
  float QuickSavedInterval() {
    EXPECT_TRUE(QuickSAVE());
    float interval = -1;
    int files = 0;
    for (const auto& e : fs::directory_iterator(docs)) {
      interval = StoredChartInterval(e.path());
      fs::remove(e.path());
      ++files;
    }
    EXPECT_EQ(files, 1);
    return interval;
  }
  // Every sample's reads take this long.
  void EverySampleTakes(double seconds) {
    script = [this, seconds, last = int32_t{-1}]() mutable {
      if (Sample != last) {
        last = Sample;
        rt::AdvanceVirtualClock(seconds);
      }
    };
  }
  fs::path docs;
};

TEST_F(RunIntervalTest, ThirtySamplesAtATenthQuickSavedStoreATenth) {
  MaxSamples = 29;
  EXPECT_EQ(Record(), RunEnd::SamplesDone);
  ASSERT_EQ(Sample, 30);
  EXPECT_EQ(QuickSavedInterval(), 0.1f) << "saved with the run's 30 samples";
  Sample -= 1;  // the options window counts one sample less after the stop
  EXPECT_EQ(QuickSavedInterval(), 0.1f) << "saved from the options window";
  EXPECT_EQ(SampleInterval, 0.1f);
}

TEST_F(RunIntervalTest, ALoopSlowerThanItsIntervalStoresEachSampleWhenItWasRead) {
  // Every sample's reads take 0.15 s at an interval of 0.1 s: the run falls half an
  // interval further behind at each sample. The file must still put each sample
  // within an interval of when it was read: its interval and the gaps its pause log
  // records, where the schedule restarted, say when.
  MaxSamples = 40;
  EverySampleTakes(0.15);
  Record();
  EXPECT_GE(ScheduleRestarts(dues, 0.1).size(), 5u);
  const float stored = QuickSavedInterval();
  ExpectStoredWhenRead(taken_, dues.front(), stored, GapsInPauseLog(CumulativePauseContainer));
}

// An interface steadily slower than the interval for long enough to fall far behind:
// the grid follows its pace, so the file stores the pace it kept (its true spacing)
// and every sample stands when it was read; only the start, before the pace is known,
// may be a gap.
TEST_F(RunIntervalTest, AnInterfaceSlowerThanTheIntervalIsStoredAtThePaceItKept) {
  MaxSamples = 120;
  EverySampleTakes(0.15);
  Record();
  EXPECT_NEAR(taken_.back() - dues.front(), 120 * 0.15, 0.2) << "the schedule fell far behind";
  const std::vector<LoggedGap> gaps = GapsInPauseLog(CumulativePauseContainer);
  EXPECT_LE(gaps.size(), 1u);
  for (const LoggedGap& g : gaps) EXPECT_LE(g.before, 2) << "a gap only before the pace is known";
  const float spacing = static_cast<float>((taken_.back() - taken_.front()) / (taken_.size() - 1));
  const float stored = QuickSavedInterval();
  EXPECT_NEAR(stored, spacing, 0.01f * spacing);
  ExpectStoredWhenRead(taken_, dues.front(), stored, gaps, 1e-4);
}

TEST_F(RunIntervalTest, TheNextRunIsMeasuredFromItsOwnFirstSample) {
  MaxSamples = 5;
  Record();
  rt::AdvanceVirtualClock(40.0);  // the options window stays open a while
  ResetRunCounters();
  StartChartSchedule();
  MaxSamples = 10;
  Record();
  EXPECT_EQ(ChartTiming.samples, 11);
  EXPECT_EQ(QuickSavedInterval(), 0.1f);
}

// Each sampling period is saved with the interval it achieved, measured from its own
// first sample: the time the previous period's save and redraw took is in neither.
TEST_F(RunIntervalTest, EachPeriodFileStoresTheIntervalOfItsOwnPeriod) {
  PrefsArray[PrefsSlot::Autorepeat] = 1;
  PrefsArray[PrefsSlot::AddExtensions] = 1;
  ScopeFileCFURL = (docs / "run 1.kstr").string();
  filestrings.rootName = Str255("run");
  files_hooks::ShowOnAcquisitionScreen = [](int16_t, const std::string&, bool) {};
  files_hooks::NewPeriodScreen = [] { rt::AdvanceVirtualClock(2.0); };  // a slow redraw
  int periods = 0;
  acq_hooks::AUTOSAVE = [&] {
    AUTOSAVE();
    if (++periods == 3) Hold({rt::key::Escape});
  };
  EXPECT_EQ(Record(), RunEnd::StopKey);
  for (int n = 1; n <= 3; ++n) {
    const fs::path file = docs / ("run " + std::to_string(n) + ".kstr");
    EXPECT_EQ(StoredChartInterval(file), 0.1f) << file;
  }
}

// A UI3 silent for 30 s in a 0.1 s recording: each read waits out its time-out, so
// the schedule falls more than an interval behind at the first silent sample. None of
// the slots it missed is taken afterwards: it restarts, as after a pause, and the
// samples in which every reading still fails are no samples, so the whole silence is
// one gap with one pause marker and one pause-log line (not one a time-out, which
// would fill the marker table in a long silence), and every sample is stored within
// an interval of when it was read; the file's interval stays 0.1 s, and after the
// silence the samples come on time again.
// Both ways of taking a sample: one sweep at the due time, and the scans of a whole
// interval averaged (continuous averaging of all channels).
class SilentUI3Test : public RunIntervalTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SilentUI3Test, AUI3SilentFor30SecondsStoresEverySampleWhenItWasRead) {
  PrefsArray[PrefsSlot::AverageAllChannels] = GetParam() ? 1 : 0;
  SetChannels(1);
  MaxSamples = 5000;
  DemonstrationMODE = 0;
  External_AD = ExternalADCode::SableUI3;
  const double start = GetCurrentTimeInSeconds();
  const double silentFrom = start + 5, silentTo = start + 35, stopAt = start + 45;
  InstallSerialPort(std::make_unique<ScriptedUI3>([&] {
    const double now = GetCurrentTimeInSeconds();
    return now >= silentFrom && now < silentTo;
  }));
  script = [&] {
    if (GetCurrentTimeInSeconds() >= stopAt) Hold({rt::key::Escape});
  };
  EXPECT_EQ(Record(), RunEnd::StopKey);
  CloseSerialPort();

  const std::vector<int32_t> restarts = ScheduleRestarts(dues, 0.1);
  ASSERT_EQ(restarts.size(), 1u) << "the whole silence is one gap";
  std::vector<int32_t> marked, logged;
  for (int m = 1; m <= Nmarkers; ++m)
    if (MarkersArray[m].code == kPauseMarkerCode) marked.push_back(MarkersArray[m].sample);
  const std::vector<LoggedGap> gaps = GapsInPauseLog(CumulativePauseContainer);
  for (const LoggedGap& g : gaps) logged.push_back(g.before);
  EXPECT_EQ(marked, restarts) << "one pause marker at the sample after each gap";
  EXPECT_EQ(logged, restarts) << "one pause-log line for each gap";
  ExpectStoredWhenRead(taken_, dues.front(), 0.1, gaps);
  EXPECT_LE(LongestBurst(dues, taken_), 2);
  EXPECT_GT(totalPauseDuration * 60, 25.0f);
  // The silence, and at most the window in which a late reply may still come and a
  // time-out after it.
  EXPECT_LT(totalPauseDuration * 60, 30.0 + std::chrono::duration<double>(kLateReplyWindow).count() + 1.2);
  // (The scans of an interval end a little before its due time.)
  EXPECT_NEAR(taken_.back(), dues.back(), GetParam() ? 0.05 : 1e-6) << "on time again after the silence";
  EXPECT_EQ(QuickSavedInterval(), 0.1f);
}

INSTANTIATE_TEST_SUITE_P(Takers, SilentUI3Test, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "ScanAveraged" : "OneSweep");
                         });

}  // namespace
}  // namespace mv::test
