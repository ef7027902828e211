// The one per-pass step, run by the chart loop and by the scope-plus-chart loop on the
// virtual clock in demonstration mode: each loop serves the audible timer, the alarms,
// the pause with its marker, the keys, the output scripts and the timing tap alike.
#include <cstdlib>
#include <string>

#include "acq_fixture.h"
#include "acquisition/scope_chart_loop.h"
#include "acquisition/scope_loop.h"
#include "acquisition/time_axis.h"
#include "control/audible_timer.h"
#include "files/state.h"

namespace mv::test {
namespace {

enum class Loop { Chart, ScopeChart };

std::string Name(Loop loop) {
  return loop == Loop::Chart ? "chart" : "scope-plus-chart";
}

class RecordingPassTest : public AcqTest, public ::testing::WithParamInterface<Loop> {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    documents_ = MakeTempDir("recording-pass-documents");
    setenv("MV_DOCUMENTS_DIR", documents_.c_str(), 1);
    fast_scope_hooks::Reset();
    if (GetParam() == Loop::ScopeChart) {
      RecordingMODE = RecordingModeCode::ScopeChart;
      SetChannels(3);
      FirstChan = 2;
      ScopeMax = 100;
      ScopeIntervalInSeconds = 0.01;
      scopeXfactor = 7.0f;
      ChartView = 1;
      OverRangeVolts = 10;
    }
    OpenAcquisitionWindow();
  }
  void TearDown() override {
    unsetenv("MV_DOCUMENTS_DIR");
    std::filesystem::remove_all(documents_);
    AcqTest::TearDown();
  }
  // Runs the loop under test with the timing tap recording.
  void Run() {
    SetSampleTimingTap([this](double due, double taken) {
      dues.push_back(due);
      taken_.push_back(taken);
    });
    if (GetParam() == Loop::Chart)
      CHARTSCANNING();
    else
      SCOPEPLUSCHARTSCAN();
  }
  int Markers(int32_t code) const {
    int n = 0;
    for (int m = 1; m <= Nmarkers; ++m) n += MarkersArray[m].code == code;
    return n;
  }
  int64_t Tick() const { return rt::TickCount(); }
  std::filesystem::path documents_;
};

TEST_P(RecordingPassTest, TheAudibleTimerAndAnAlarmFire) {
  // The timer's start sound is due 0.6 s into the run; channel 2 (a chart strip in both
  // modes) has an upper alarm below every reading.
  MaxSamples = 20;
  acq_hooks::HandleAlertSounds = [] { HandleAlertSounds(); };
  AlertSOUNDS = 1;
  StartALERT = 1;
  StartAlertMODE = 1;
  StartAlertSound = 6;  // boop.mp3
  StartAlertInt = 0.01f;
  TimeAtStart = static_cast<int32_t>(Tick());
  StartAlertRun();
  AudibleALARM = 1;
  alarmsArray[2][AlarmField::AnyOn] = 1;
  alarmsArray[2][AlarmField::UpperOn] = 1;
  alarmsArray[2][AlarmField::UpperLimit] = -1.0f;
  Run();
  EXPECT_EQ(Played("boop.mp3"), 1) << Name(GetParam());
  EXPECT_GT(alarmsArray[2][AlarmField::UpperCount], 0.0f) << Name(GetParam());
  EXPECT_GT(Played("AlarmBUZZ.mp3"), 0) << Name(GetParam());
}

TEST_P(RecordingPassTest, CommandPPausesAndMarksWhereSamplingResumes) {
  MaxSamples = 40;
  int32_t pausedAt = -1;
  acq_hooks::PAUSE = [&] {
    ReleaseAll();
    pausedAt = Sample;
    const double from = GetCurrentTimeInSeconds();
    rt::AdvanceVirtualClock(1.0);
    HoldChartAxis(from, GetCurrentTimeInSeconds());
  };
  const int64_t begin = Tick() + 20;
  script = [&] {
    if (Tick() == begin) Hold({rt::key::Command, rt::key::P});
  };
  Run();
  ASSERT_EQ(Markers(kPauseMarkerCode), 1) << Name(GetParam());
  EXPECT_EQ(MarkersArray[1].sample, pausedAt) << Name(GetParam());
  EXPECT_EQ(Nmarkers, 1) << "the pause leaves one marker, not a typed one besides";
}

TEST_P(RecordingPassTest, APauseMarkerStandsWhereSamplingResumedBesideATypedOne) {
  // At 1 s, "a" typed and Ctrl-P pressed within one interval: the pause marker stands at
  // the sample where sampling resumed, the case its pause-log line names, beside the
  // typed one (it used to wait for the next sample, and so stood after its line).
  ChartIntervalInSeconds = 1.0;
  MaxSamples = 10;
  acq_hooks::PAUSE = [] {
    ReleaseAll();
    const double from = GetCurrentTimeInSeconds();
    rt::AdvanceVirtualClock(2.0);
    HoldChartAxis(from, GetCurrentTimeInSeconds());
  };
  int64_t typedAt = -1;
  script = [&] {
    if (typedAt < 0 && Sample == 3) {
      typedAt = Tick();
      Hold({rt::key::A});
    }
    if (Tick() == typedAt + 2) ReleaseAll();
    if (Tick() == typedAt + 35) Hold({rt::key::Command, rt::key::P});
  };
  Run();
  ASSERT_EQ(Nmarkers, 2) << Name(GetParam());
  EXPECT_EQ(MarkersArray[1].code, 'a');
  EXPECT_EQ(MarkersArray[2].code, kPauseMarkerCode);
  EXPECT_EQ(MarkersArray[2].sample, MarkersArray[1].sample) << Name(GetParam());
}

TEST_P(RecordingPassTest, KeysScriptsAndEscapeAreServedOnEveryPass) {
  MaxSamples = 400;
  SwitchingMode = SwitchingPatternCode::Keyboard;
  OldChan = 1;
  AO1on = 1;
  DoFeedback = 1;
  const int64_t begin = Tick() + 10;
  script = [&] {
    if (Tick() == begin) Hold({rt::key::A});
    if (Tick() == begin + 2) ReleaseAll();
    if (Tick() == begin + 40) Hold({rt::key::Option, rt::key::N4});
    if (Tick() == begin + 42) ReleaseAll();
    if (Tick() == begin + 80) Hold({rt::key::Escape});
  };
  Run();
  EXPECT_LT(Sample, MaxSamples) << "Escape stopped the run";
  EXPECT_EQ(Markers('a'), 1) << Name(GetParam());
  EXPECT_EQ(OldChan, 4) << "Option-4 switched to device 4: " << Name(GetParam());
  EXPECT_GT(Count("checkAOscript"), 60) << Name(GetParam());
  EXPECT_GT(Count("checkFEEDBACKLoop"), 60) << Name(GetParam());
  EXPECT_GT(Count("PumpAOvolts"), 60) << Name(GetParam()) << ": held-back output volts";
}

TEST_P(RecordingPassTest, EveryChartSampleReachesTheTimingTapOnTime) {
  MaxSamples = 30;
  Run();
  ASSERT_GE(dues.size(), 30u) << Name(GetParam());
  for (std::size_t i = 1; i < dues.size(); ++i) {
    EXPECT_NEAR(dues[i] - dues[i - 1], ChartIntervalInSeconds, 1e-9) << Name(GetParam()) << " " << i;
    EXPECT_LT(taken_[i] - dues[i], 1.0 / 60) << Name(GetParam()) << " " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(BothLoops, RecordingPassTest, ::testing::Values(Loop::Chart, Loop::ScopeChart),
                         [](const auto& info) { return info.param == Loop::Chart ? "Chart" : "ScopeChart"; });

}  // namespace
}  // namespace mv::test
