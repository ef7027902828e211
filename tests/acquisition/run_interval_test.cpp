// The interval a chart run's files store, measured from the real loop on the
// virtual clock: a run that kept its schedule stores its interval however few its
// samples, a loop slower than its interval stores what it achieved, and the stop's
// lowering of the sample count changes nothing.
#include <cstdlib>
#include <filesystem>

#include "acq_fixture.h"
#include "files/entry_points.h"
#include "files/save_commands.h"
#include "files/state.h"
#include "shell/kit/rate_rule.h"

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

TEST_F(RunIntervalTest, ALoopSlowerThanItsIntervalStoresTheIntervalItAchieved) {
  // Every sample's reads take 0.15 s at an interval of 0.1 s: the run falls behind
  // and stays behind, and its files must say so.
  MaxSamples = 20;
  int32_t last = -1;
  script = [&] {
    if (Sample != last) {
      last = Sample;
      rt::AdvanceVirtualClock(0.15);
    }
  };
  Record();
  const RateDecision d = MeasureChartRun(ChartTiming, ChartSampleInterval, SampRateError);
  EXPECT_NEAR(d.measured, 0.15f, 0.0051f);
  EXPECT_NEAR(QuickSavedInterval(), 0.15f, 0.0051f);
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

}  // namespace
}  // namespace mv::test
