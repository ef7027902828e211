// The interval a chart run's files store, measured from the real loop on the
// virtual clock: a run that kept its schedule stores its interval however few its
// samples, a loop slower than its interval stores what it achieved, and the stop's
// lowering of the sample count changes nothing.
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "acq_fixture.h"
#include "acquisition/schedule_gap.h"
#include "devices/line_step.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "files/needs.h"
#include "files/save_commands.h"
#include "files/state.h"
#include "kit/rate_rule.h"

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

TEST_F(RunIntervalTest, ALoopSlowerThanItsIntervalStoresTheIntervalItAchieved) {
  // Every sample's reads take 0.15 s at an interval of 0.1 s: the run falls behind
  // and stays behind, and its files must say so.
  MaxSamples = 20;
  EverySampleTakes(0.15);
  Record();
  const RateDecision d = MeasureChartRun(ChartTiming, ChartSampleInterval, SampRateError);
  EXPECT_NEAR(d.measured, 0.15f, 0.0051f);
  EXPECT_NEAR(QuickSavedInterval(), 0.15f, 0.0051f);
}

// An interface steadily slower than the interval for long enough to fall far behind:
// no sample was missed, so nothing is a pause. The file stores the pace it kept (its
// true spacing), with no pause marker and no pause-log line.
TEST_F(RunIntervalTest, AnInterfaceSlowerThanTheIntervalIsStoredAtThePaceItKept) {
  MaxSamples = 120;
  EverySampleTakes(0.15);
  Record();
  EXPECT_NEAR(taken_.back() - dues.front(), 120 * 0.15, 0.2) << "the schedule fell far behind";
  for (int m = 1; m <= Nmarkers; ++m) EXPECT_NE(MarkersArray[m].code, kPauseMarkerCode);
  EXPECT_EQ(CumulativePauseContainer.find("Readings failed or lagged"), std::string::npos);
  EXPECT_EQ(totalPauseDuration, 0.0f);
  const float spacing = static_cast<float>((taken_.back() - taken_.front()) / (taken_.size() - 1));
  EXPECT_NEAR(QuickSavedInterval(), spacing, 0.01f * spacing);
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

// A UI3 that answers each request at once, except while `silent` says it is silent.
class SilencingUI3 : public ScriptedSerialPort {
 public:
  explicit SilencingUI3(std::function<bool()> silent) : silent_(std::move(silent)) {}
  bool Write(std::string_view bytes) override {
    if (!silent_()) ReplyNext(std::string("\x00\x80", 2));
    return ScriptedSerialPort::Write(bytes);
  }

 private:
  std::function<bool()> silent_;
};

// A UI3 silent for 30 s in a 0.1 s recording: each read waits out its time-out, and
// the schedule falls further behind than 2 s again and again. The recording restarts
// its schedule instead of taking the missed samples back to back afterwards: one gap
// with one pause marker and one pause-log line, the file's interval still 0.1 s, and
// after the gap as many samples as its time allows.
TEST_F(RunIntervalTest, AUI3SilentFor30SecondsLeavesOneMarkedGapAndNoBurst) {
  SetChannels(1);
  MaxSamples = 5000;
  DemonstrationMODE = 0;
  External_AD = ExternalADCode::SableUI3;
  const double start = GetCurrentTimeInSeconds();
  const double silentFrom = start + 5, silentTo = start + 35, stopAt = start + 45;
  InstallSerialPort(std::make_unique<SilencingUI3>([&] {
    const double now = GetCurrentTimeInSeconds();
    return now >= silentFrom && now < silentTo;
  }));
  script = [&] {
    if (GetCurrentTimeInSeconds() >= stopAt) Hold({rt::key::Escape});
  };
  EXPECT_EQ(Record(), RunEnd::StopKey);
  CloseSerialPort();

  int gaps = 0;
  for (int m = 1; m <= Nmarkers; ++m) gaps += MarkersArray[m].code == kPauseMarkerCode;
  EXPECT_EQ(gaps, 1) << "one marker for the whole gap";
  const std::string line = "Readings failed or lagged for";
  const std::size_t at = CumulativePauseContainer.find(line);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(CumulativePauseContainer.find(line, at + 1), std::string::npos) << "one pause-log line";
  EXPECT_GT(totalPauseDuration * 60, 20.0f);
  EXPECT_LT(totalPauseDuration * 60, 30.0f);

  // No burst: the lateness never exceeds the far-behind limit and a read's time-out,
  // and no long run of samples is taken back to back.
  int backToBack = 0, longest = 0;
  for (std::size_t i = 0; i < dues.size(); ++i) {
    EXPECT_LT(taken_[i] - dues[i], FarBehindLimit(0.1) + 1.2) << "sample " << i;
    backToBack = i > 0 && taken_[i] - taken_[i - 1] < 0.001 ? backToBack + 1 : 0;
    longest = std::max(longest, backToBack);
  }
  EXPECT_LE(longest, 20) << "at most the 2 s the rule lets a schedule catch up";

  // After the gap (from the schedule's last restart, within a time-out of the end of
  // the silence, or of the end of the window in which a late reply may still come):
  // every sample its time allows, on time at the end.
  std::size_t restart = 0;
  for (std::size_t i = 1; i < dues.size(); ++i)
    if (dues[i] - dues[i - 1] > 0.1 + 1e-6) restart = i;
  ASSERT_GT(restart, 0u);
  EXPECT_GE(dues[restart], silentTo - 1.2);
  EXPECT_LE(dues[restart], silentTo + std::chrono::duration<double>(kLateReplyWindow).count() + 1.2);
  const double allowed = (taken_.back() - dues[restart]) / 0.1 + 1;
  EXPECT_NEAR(static_cast<double>(dues.size() - restart), allowed, 1.0);
  EXPECT_NEAR(taken_.back(), dues.back(), 1e-6);
  EXPECT_EQ(QuickSavedInterval(), 0.1f);
}

}  // namespace
}  // namespace mv::test
