// The pause: its log entry, the interval change, and a chart run paused for 90 s on the
// virtual clock, with the display-range editor and Refresh driven as a user would.
#include "acquisition/pause_window.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "acq_fixture.h"
#include "common/stored_times.h"
#include "common/window_steps.h"
#include "devices/needs.h"
#include "devices/read_wait.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/stream_reader.h"
#include "files/save_commands.h"
#include "files/state.h"

namespace mv::test {
namespace {

namespace fs = std::filesystem;

constexpr int16_t W = kPauseWindow;

class PauseWindowTest : public AcqTest, public WindowSteps {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    RecordingMODE = RecordingModeCode::Chart;
    datalabel = Str255("O2 analyser                   CO2 analyser                  ");
    OpenAcquisitionWindow();
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    for (int16_t w : {W, int16_t{1}})
      if (rt::WindowExists(w)) rt::CloseWindow(w);
    unsetenv("MV_RESOURCES_DIR");
    AcqTest::TearDown();
  }
  // Waits for the display-range editor's fields.
  static Step RangeFields() {
    return [] {
      rt::SetOutputWindow(W);
      return rt::EditFieldExists(17);
    };
  }
};

TEST_F(PauseWindowTest, LogEntryReadsAsTheUserSeesIt) {
  EXPECT_EQ(PauseLogEntry({1.5f, 37, "", false, 0.1, 0.1}),
            "   ----------\r *  Acquisition paused for 1.5 minutes at case 37\r");
  EXPECT_EQ(PauseLogEntry({0.25f, 4, "pump off", true, 0.1, 2}),
            "   ----------\r *  Acquisition paused for 0.25 minutes at case 4\rpump off\r"
            "        CAUTION:  old sample interval =  0.1 sec\r"
            "                         new sample interval =  2 sec from case 4\r");
  // An interval no shorter text would keep exactly is written whole.
  EXPECT_NE(PauseLogEntry({0.25f, 9, "", true, 1.0 / 60, 0.016667})
                .find("old sample interval =  0.01666666667 sec"),
            std::string::npos);
}

TEST_F(PauseWindowTest, IntervalItemsAndTheDurationAfterAChange) {
  EXPECT_FALSE(PauseIntervalForItem(1).has_value()) << "the title item changes nothing";
  EXPECT_EQ(PauseIntervalForItem(2), 0.002);
  EXPECT_EQ(PauseIntervalForItem(5), 0.016667);
  EXPECT_EQ(PauseIntervalForItem(14), 10.0);
  EXPECT_FALSE(PauseIntervalForItem(15).has_value());
  // 1200 samples of 1 s: 20 minutes on an 800-pixel plot.
  const PauseDuration d = DurationAfterIntervalChange(1.0, 1200, 800);
  EXPECT_FLOAT_EQ(d.traceLength, 20.0f);
  EXPECT_EQ(d.minuteUnits, 1);
  EXPECT_NEAR(d.tfact, 1.0 / 60, 1e-7);
  const PauseDuration s = DurationAfterIntervalChange(0.5, 1000, 800);
  EXPECT_FLOAT_EQ(s.traceLength, 500.0f);
  EXPECT_EQ(s.minuteUnits, 0);
  EXPECT_NEAR(s.tfact, 0.5, 1e-7);
}

TEST_F(PauseWindowTest, NoSampleIsTakenWhilePausedAndNoneIsSkippedAfter) {
  MaxSamples = 20;
  const double start = CurrentTimeInSeconds;
  double pausedAt = 0, resumedAt = 0, dueAtPause = 0;
  int32_t samplesAtPause = 0;
  acq_hooks::PAUSE = [&] {
    ReleaseAll();
    pausedAt = GetCurrentTimeInSeconds();
    dueAtPause = TimeOfNextChartSample;
    samplesAtPause = Sample;
    PAUSE();
    resumedAt = TimeOfNextChartSample;
  };
  bool pressed = false;
  script = [&] {
    if (!pressed && Sample >= 5) {
      pressed = true;
      Hold({rt::key::Command, rt::key::P});
    }
  };
  Drive({Until(W), Do([] { rt::AdvanceVirtualClock(90.0); }), Type(W, 100, "valve check"), Pick(W, 250, 1),
         Shot(W, "w300-pause.png"), Click(W, 51)});
  EXPECT_EQ(Record(), RunEnd::SamplesDone);
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  ASSERT_EQ(dues.size(), 21u) << "every sample of the run is taken";
  ASSERT_GT(resumedAt, pausedAt + 89.9);
  for (std::size_t i = 0; i < dues.size(); ++i) {
    EXPECT_NEAR(taken_[i], dues[i], 1e-6) << "sample " << i << " was caught up after the pause";
    EXPECT_FALSE(dues[i] > pausedAt && dues[i] < resumedAt) << "sample " << i << " fell due while paused";
    if (static_cast<int32_t>(i) < samplesAtPause)
      EXPECT_NEAR(dues[i], start + 0.1 + 0.1 * static_cast<double>(i), 1e-9);
    else
      EXPECT_NEAR(dues[i], resumedAt + 0.1 * static_cast<double>(i - samplesAtPause), 1e-9) << i;
  }
  EXPECT_EQ(HavePaused, 0) << "the run goes on";
  // The pause records the time the schedule skipped: from the later of its start and
  // the next sample's due time.
  const double skipped = resumedAt - std::max(pausedAt, dueAtPause);
  EXPECT_GT(skipped, 89.8);
  EXPECT_NEAR(totalPauseDuration * 60.0, skipped, 1e-3);
  EXPECT_EQ(Nmarkers, 1);
  EXPECT_EQ(MarkersArray[1].code, 166);
  EXPECT_EQ(Count("ScreenINFO"), 1);
  const std::string& log = CumulativePauseContainer;
  EXPECT_EQ(log.rfind("   ----------\r *  Acquisition paused for", 0), 0u) << log;
  ASSERT_EQ(GapsInPauseLog(log).size(), 1u);
  EXPECT_NEAR(GapsInPauseLog(log)[0].seconds, skipped, 0.01);
  EXPECT_NE(log.find(" minutes at case" + NumText(samplesAtPause).str() + "\rvalve check\r"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("old sample interval =  0.1 sec\r"), std::string::npos) << "the title item still counts";
  EXPECT_NE(log.find("new sample interval =  0.1 sec from case" + NumText(samplesAtPause).str() + "\r"),
            std::string::npos);
}

// 90 s of pause in a 2 s run: a backup that counted the pause as sampling time would
// store an interval of about 4.6 s instead of 0.1 s.
TEST_F(PauseWindowTest, APausedRunsBackupStoresTheSamplingInterval) {
  const fs::path folder = MakeTempDir("paused-backup");
  BackupfileCFURL = (folder / "Backup file.kstr").string();
  MaxSamples = 20;
  ChartSampleInterval = 0.1f;
  SampRateError = 0.001f;  // the tightest tolerance: only an exact measurement keeps 0.1
  acq_hooks::PAUSE = [] {
    ReleaseAll();
    PAUSE();
  };
  bool pressed = false;
  script = [&] {
    if (!pressed && Sample >= 5) {
      pressed = true;
      Hold({rt::key::Command, rt::key::P});
    }
  };
  Drive({Until(W), Do([] { rt::AdvanceVirtualClock(90.0); }), Click(W, 51)});
  EXPECT_EQ(Record(), RunEnd::SamplesDone);
  EXPECT_TRUE(ScriptDone());
  AutoTimedBACKUP(0);  // the backup written when the run stops
  EXPECT_EQ(StoredChartInterval(folder / "Backup file.kstr"), 0.1f);
  EXPECT_EQ(SampleInterval, 0.1f);
  fs::remove_all(folder);
}

// A streaming instrument sends a line every tenth of a second, through a 5 s pause too,
// each line naming the tick it was sent at. The lines sent while paused wait at the
// port; the first sample after the resume stands on a line sent after it, and every
// sample on a later line than the one before it.
TEST_F(PauseWindowTest, AStreamSampleAfterAPauseStandsOnALineSentAfterTheResume) {
  auto owned = std::make_unique<ScriptedSerialPort>();
  ScriptedSerialPort* port = owned.get();
  InstallSerialPort(std::move(owned));
  services::ReadSerialStream = [](int16_t mode) { ReadSerialStream(mode); };
  External_AD = ExternalADCode::SerialStream;
  for (int n = 1; n <= 16; ++n) serialArray[n][2] = n <= 2 ? static_cast<float>(n) : 0.0f;
  MaxSamples = 12;
  const auto t0 = static_cast<uint32_t>(rt::TickCount());
  for (uint32_t at = 3; at < 20 * 60; at += 6)
    port->DeliverAt(t0 + at, std::to_string(at) + "," + std::to_string(at) + "\r");
  int32_t samplesAtPause = 0;
  uint32_t resumedAt = 0;
  acq_hooks::PAUSE = [&] {
    ReleaseAll();
    samplesAtPause = Sample;
    PAUSE();
    resumedAt = static_cast<uint32_t>(rt::TickCount()) - t0;
  };
  bool pressed = false;
  script = [&] {
    if (!pressed && Sample >= 5) {
      pressed = true;
      Hold({rt::key::Command, rt::key::P});
    }
  };
  Drive({Until(W), Do([] { rt::AdvanceVirtualClock(5.0); }), Click(W, 51)});
  EXPECT_EQ(Record(), RunEnd::SamplesDone);
  EXPECT_TRUE(ScriptDone());
  ASSERT_EQ(samplesAtPause, 5);
  EXPECT_GT(ChartDataArray.Get(1, samplesAtPause), static_cast<float>(resumedAt))
      << "a line sent while paused (resumed at tick " << resumedAt << ")";
  for (int32_t i = 1; i <= MaxSamples; ++i)
    EXPECT_GT(ChartDataArray.Get(1, i), ChartDataArray.Get(1, i - 1)) << "sample " << i;
  CloseSerialPort();
}

TEST_F(PauseWindowTest, SerialWaitsServeTheToolbarOnlyWhileNotPaused) {
  int toolbar = 0;
  services::ReadControlStrip = [&] { ++toolbar; };
  ScriptedSerialPort silent;  // no reply: each wait runs to its deadline
  const auto toolbarPassesOfAWait = [&] {
    toolbar = 0;
    WaitForBytes(silent, 1, static_cast<uint32_t>(rt::TickCount()) + 2, 1);
    return toolbar;
  };
  // Twice over: once paused, a run must not stay "paused" for the serial readers.
  for (int pause = 1; pause <= 2; ++pause) {
    Drive({Until(W), Do([&] { EXPECT_EQ(toolbarPassesOfAWait(), 0) << "while pause " << pause << " is up"; }),
           Click(W, 51)});
    PAUSE();
    EXPECT_TRUE(ScriptDone());
    EXPECT_GT(toolbarPassesOfAWait(), 0) << "after resuming from pause " << pause;
  }
}

TEST_F(PauseWindowTest, EditedRangesTakeEffectOnResumeButNotByTheCloseBox) {
  Drive({Until(W), Click(W, 52), RangeFields(), Type(W, 1, "-2"), Type(W, 17, "3"),
         Shot(W, "w300-pause-scales.png"), Click(W, 51),
         Do([] { EXPECT_EQ(rt::ControlTitle(51).str(), "Resume"); }), Click(W, 51)});
  PAUSE();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(ChannelVariables[1][ChanField::PlotMin], -2.0f);
  EXPECT_EQ(ChannelVariables[1][ChanField::PlotMax], 3.0f);
  EXPECT_EQ(ChannelVariables[2][ChanField::PlotMax], 1.0f);

  Drive({Until(W), Click(W, 52), RangeFields(), Type(W, 1, "-7"), Click(W, 51), CloseBox(W)});
  PAUSE();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(ChannelVariables[1][ChanField::PlotMin], -2.0f);
}

TEST_F(PauseWindowTest, RefreshTwiceWithinHalfASecondReadsOnce) {
  External_AD = ExternalADCode::SerialStream;
  int lines = 0;
  services::ReadSerialStream = [&](int16_t) { ++lines; };
  serialArray[1] = {0, 0.75f, 1};
  serialArray[2] = {0, 0.25f, 2};
  // One stream line serves both channels of a refresh.
  Drive({Until(W), Click(W, 54), Click(W, 54), Do([&] { EXPECT_EQ(lines, 1); }),
         Do([] { rt::AdvanceVirtualClock(1.1); }), Click(W, 54), Do([&] { EXPECT_EQ(lines, 2); }),
         Do([] { EXPECT_EQ(TextOf(1, 7), " 0.75"); }), Return(W, 100)});
  PAUSE();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(TextOf(1, 8), " 0.25");
}

}  // namespace
}  // namespace mv::test
