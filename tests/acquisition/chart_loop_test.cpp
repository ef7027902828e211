// The chart recording loop on the virtual clock: the run length, the schedule
// (catching up within an interval, restarting after a longer stall), the key throttles, markers, the
// commands and the stop conditions.
#include <cmath>

#include "acq_fixture.h"
#include "acquisition/recording_keys.h"
#include "acquisition/scope_loop.h"
#include "common/stored_times.h"
#include "devices/needs.h"
#include "files/state.h"

namespace mv::test {
namespace {

constexpr double kGridTolerance = 1e-9;

// The due time of sample i of a run anchored at start (first due start + 0.1 s).
double GridTime(double start, int i, double interval) {
  return start + 0.1 + i * interval;
}

class ChartLoopTest : public AcqTest {
 protected:
  double start = 0;
  void SetUp() override {
    AcqTest::SetUp();
    start = CurrentTimeInSeconds;
  }
  int64_t Tick() const { return rt::TickCount(); }
  std::vector<int32_t> MarkerCodes() const {
    std::vector<int32_t> v;
    for (int i = 1; i <= Nmarkers; ++i) v.push_back(MarkersArray[i].code);
    return v;
  }
};

TEST_F(ChartLoopTest, UnstoppedRunOfTenTakesElevenSamplesOnTheGrid) {
  EXPECT_EQ(Record(), RunEnd::SamplesDone);
  EXPECT_EQ(Sample, 11);
  ASSERT_EQ(dues.size(), 11u);
  for (int i = 0; i < 11; ++i) {
    EXPECT_NEAR(dues[i], GridTime(start, i, 0.1), kGridTolerance) << i;
    EXPECT_NEAR(taken_[i], dues[i], 1e-6) << "sample " << i << " was taken late";
    for (int ch = 1; ch <= 2; ++ch) {
      EXPECT_GE(ChartDataArray.Get(ch, i), 0.201f);
      EXPECT_LE(ChartDataArray.Get(ch, i), 1.0f);
    }
  }
  EXPECT_EQ(ChartDataArray.Get(1, 11), 0.0f);
  EXPECT_EQ(ChartDataArray.HighestColumn(2), 10);
}

// A stall (a slow read, a held machine) as sample 4 at 0.1 s is taken. The sample due during it is taken late
// only while that keeps it within an interval of its due time, and the grid is kept. After a longer stall
// the sample due in it stands when it was read, after a gap as long as the time lost, recorded as a pause
// is: one pause marker at the sample after it, its time in the pause log and in the paused time; the
// grid goes on from it, so the samples it owes are not taken back to back.
TEST_F(ChartLoopTest, AStallIsCaughtUpOnlyWithinAnIntervalAndOtherwiseRestartsTheSchedule) {
  OpenAcquisitionWindow();
  struct Case {
    double stall;
    bool restarts;
  };
  for (const Case c :
       {Case{0.15, false}, Case{0.195, false}, Case{0.25, true}, Case{0.53, true}, Case{3.0, true}}) {
    SCOPED_TRACE(c.stall);
    ResetRunCounters();
    StartChartSchedule();
    start = CurrentTimeInSeconds;
    dues.clear();
    taken_.clear();
    totalPauseDuration = 0;
    CumulativePauseContainer.clear();
    MaxSamples = 30;
    double stallEnd = 0;
    SetSampleTimingTap([&](double due, double taken) {
      dues.push_back(due);
      taken_.push_back(taken);
      if (dues.size() == 5) {
        rt::AdvanceVirtualClock(c.stall);
        stallEnd = GetCurrentTimeInSeconds();
      }
    });
    EXPECT_EQ(CHARTSCANNING(), RunEnd::SamplesDone);
    ASSERT_EQ(dues.size(), 31u);
    const std::vector<LoggedGap> gaps = GapsInPauseLog(CumulativePauseContainer);
    ExpectStoredWhenRead(taken_, dues.front(), 0.1, gaps, 1e-4);
    EXPECT_LE(LongestBurst(dues, taken_), 2);
    if (!c.restarts) {
      for (int i = 0; i < 31; ++i) EXPECT_NEAR(dues[i], GridTime(start, i, 0.1), kGridTolerance) << i;
      EXPECT_NEAR(taken_[5], stallEnd, 2e-6) << "the sample due in the stall, taken at its end";
      EXPECT_EQ(Nmarkers, 0);
      EXPECT_EQ(totalPauseDuration, 0.0f);
      continue;
    }
    // The sample due in the stall stands when it was read, after a gap of the time
    // really lost (its lateness), and the grid goes on from it.
    for (int i = 0; i < 31; ++i) {
      const double due = i < 5 ? GridTime(start, i, 0.1) : stallEnd + 0.1 * (i - 5);
      EXPECT_NEAR(dues[i], due, kGridTolerance) << i;
      EXPECT_NEAR(taken_[i], dues[i], 2e-6) << "sample " << i << " taken late";
    }
    ASSERT_EQ(MarkerCodes(), std::vector<int32_t>{kPauseMarkerCode});
    EXPECT_EQ(MarkersArray[1].sample, 5) << "the marker stands at the sample after the gap";
    ASSERT_EQ(gaps.size(), 1u);
    EXPECT_EQ(gaps[0].before, 5);
    EXPECT_NEAR(totalPauseDuration * 60.0, c.stall - 0.1, 1e-3);
  }
}

// Scan averaging reads for the whole interval. When a read hangs and the interval's
// readings end more than an interval after the sample's due time, the sample is stored
// when they ended: the schedule restarts there, the gap marked and logged, and the
// next sample is due an interval later.
TEST_F(ChartLoopTest, AScanIntervalThatEndsLateIsStoredWhenItsReadingsEnded) {
  PrefsArray[PrefsSlot::AverageAllChannels] = 1;
  External_AD = ExternalADCode::DT500;
  ChartIntervalInSeconds = 1.0;
  MaxSamples = 6;
  StartChartSchedule();
  int reads = 0;
  services::ReadDataTaker500 = [&reads](int16_t ch, int16_t) {
    rt::AdvanceVirtualClock(++reads == 25 ? 2.5 : 0.1);
    volts = 0.1f * ch;
  };
  EXPECT_EQ(Record(), RunEnd::SamplesDone);
  const std::vector<int32_t> restarts = ScheduleRestarts(dues, 1.0);
  ASSERT_EQ(restarts.size(), 1u);
  const std::vector<LoggedGap> gaps = GapsInPauseLog(CumulativePauseContainer);
  ASSERT_EQ(gaps.size(), 1u);
  EXPECT_EQ(gaps[0].before, restarts[0]);
  ASSERT_EQ(MarkerCodes(), std::vector<int32_t>{kPauseMarkerCode});
  EXPECT_EQ(MarkersArray[1].sample, restarts[0]);
  ExpectStoredWhenRead(taken_, dues.front(), 1.0, gaps);
  EXPECT_NEAR(dues[restarts[0] + 1] - dues[restarts[0]], 1.0, 1e-9) << "the next an interval later";
}

// A marker typed, then a stall, then Escape: the gap's pause marker stands at the
// sample its pause-log line names, the one read after the stall, beside the typed
// marker there (it used to wait for a sample of its own and so stood after its line).
TEST_F(ChartLoopTest, AGapMarkerStandsAtItsLinesSampleBesideATypedMarker) {
  MaxSamples = 100;
  OpenAcquisitionWindow();
  int step = 0;
  int64_t typedAt = 0;
  script = [&] {
    if (step == 0 && Sample == 3) {
      typedAt = Tick();
      Hold({rt::key::A});
      step = 1;
    } else if (step == 1 && Tick() >= typedAt + 2) {
      ReleaseAll();
      rt::AdvanceVirtualClock(1.0);
      step = 2;
    } else if (step == 2) {
      Hold({rt::key::Escape});
    }
  };
  EXPECT_EQ(Record(), RunEnd::StopKey);
  ASSERT_EQ(MarkerCodes(), (std::vector<int32_t>{'a', kPauseMarkerCode}));
  const std::vector<LoggedGap> gaps = GapsInPauseLog(CumulativePauseContainer);
  ASSERT_EQ(gaps.size(), 1u);
  EXPECT_EQ(MarkersArray[2].sample, MarkersArray[1].sample);
  EXPECT_EQ(MarkersArray[2].sample, gaps[0].before);
}

// A key typed in the pass that took a sampling period's last sample, before the period
// is saved, stands on that last sample in the period's file: no marker is saved beyond
// a period file's last sample, where no reader finds it.
TEST_F(ChartLoopTest, AMarkerTypedAsAPeriodEndsIsSavedOnItsLastSample) {
  MaxSamples = 5;
  PrefsArray[PrefsSlot::Autorepeat] = 1;
  OpenAcquisitionWindow();
  int32_t samplesAtSave = -1;
  std::vector<int32_t> markersAtSave;
  acq_hooks::AUTOSAVE = [&] {
    if (samplesAtSave >= 0) return;
    samplesAtSave = Sample;
    for (int i = 1; i <= Nmarkers; ++i) markersAtSave.push_back(MarkersArray[i].sample);
  };
  bool typed = false;
  script = [&] {
    if (!typed && Sample == MaxSamples) {
      Hold({rt::key::G});
      typed = true;
    } else if (typed) {
      ReleaseAll();
    }
  };
  EXPECT_EQ(Record(), RunEnd::SamplesDone);
  ASSERT_EQ(samplesAtSave, MaxSamples);
  ASSERT_EQ(markersAtSave.size(), 1u) << "the key was typed before the save";
  EXPECT_EQ(markersAtSave[0], samplesAtSave - 1) << "the period's last sample";
}

TEST_F(ChartLoopTest, EscapeStopsARunWhoseReadsAreSlowerThanItsInterval) {
  // An interface that has gone silent: every sample's reads time out after 1.2 s, so
  // at 0.1 s a sample is always due. Escape held from the fourth sample on still
  // stops the run within a sample or two.
  MaxSamples = 200;
  int32_t last = -1;
  script = [&] {
    if (Sample != last) {
      last = Sample;
      rt::AdvanceVirtualClock(1.2);
    }
    if (Sample >= 4) Hold({rt::key::Escape});
  };
  EXPECT_EQ(Record(), RunEnd::StopKey);
  EXPECT_LE(Sample, 7);
}

// A timed backup leaves the schedule to the time axis: one the samples can catch up
// within max(one interval, 50 ms) keeps the grid; a longer one puts the sample read
// after it after a gap of the time lost, and the grid goes on from there.
TEST_F(ChartLoopTest, ATimedBackupKeepsTheGridOrIsAGap) {
  for (const double write : {0.05, 0.25}) {
    SCOPED_TRACE(write);
    ResetRunCounters();
    StartChartSchedule();
    const double begin = CurrentTimeInSeconds;
    dues.clear();
    taken_.clear();
    calls.clear();
    CumulativePauseContainer.clear();
    MaxSamples = 20;
    TimedSaveINTERVAL = 3600;
    PrefsArray[PrefsSlot::AutomaticBackup] = 1;
    NextSAVEtime = static_cast<int32_t>(Tick() + 40);
    BackupFileIndicator = " backup on";
    OpenAcquisitionWindow();
    rt::NewEditField(199, "", Rect{700, 480, 790, 495}, 5, 2);
    double backupEnd = 0;
    acq_hooks::AutoTimedBACKUP = [&](int16_t resetTimer) {
      calls.push_back("AutoTimedBACKUP " + std::to_string(resetTimer));
      rt::AdvanceVirtualClock(write);  // writing the file
      backupEnd = GetCurrentTimeInSeconds();
      NextSAVEtime = timeNow + TimedSaveINTERVAL;
    };
    EXPECT_EQ(Record(), RunEnd::SamplesDone);
    EXPECT_EQ(Count("AutoTimedBACKUP 1"), 1);
    EXPECT_EQ(rt::EditText(199), " backup on");
    ASSERT_EQ(dues.size(), 21u);
    const std::vector<LoggedGap> gaps = GapsInPauseLog(CumulativePauseContainer);
    ExpectStoredWhenRead(taken_, dues.front(), 0.1, gaps, 1e-4);
    EXPECT_LE(LongestBurst(dues, taken_), 2);
    if (write < 0.1) {
      EXPECT_TRUE(gaps.empty());
      for (int i = 0; i < 21; ++i) EXPECT_NEAR(dues[i], GridTime(begin, i, 0.1), kGridTolerance) << i;
      continue;
    }
    ASSERT_EQ(gaps.size(), 1u);
    const int after = gaps[0].before;
    EXPECT_NEAR(dues[after], backupEnd, 2e-6) << "the sample after the backup stands when it was read";
    for (int i = after; i < 21; ++i) EXPECT_NEAR(dues[i], dues[after] + 0.1 * (i - after), kGridTolerance);
  }
}

// A held arrow steps the keyboard value again after each 30-tick throttle; a held "="
// switches once however long it stays down, and a second press switches again.
TEST_F(ChartLoopTest, HeldKeyActsOncePer30TicksAndASwitchingKeyOncePerPress) {
  MaxSamples = 80;
  std::vector<int64_t> at;
  int switches = 0;
  // Each sample switch ends with its tick sound.
  SwitchingMode = SwitchingPatternCode::Keyboard;
  SampleValve = 2;
  Sound_Is_On = 1;
  ChartIntervalInSeconds = 0.25;  // long enough an interval for the switch's tick
  rt::SetSoundSink([&](const std::string& path) {
    if (test::SoundFileName(path) == "tick.mp3") ++switches;
  });
  ASCIIvalue = 0;
  int16_t seen = 0;
  const int64_t begin = Tick() + 10;
  script = [&] {
    if (ASCIIvalue != seen) at.push_back(Tick());
    seen = ASCIIvalue;
    if (Tick() == begin) Hold({rt::key::Up});
    if (Tick() == begin + 120) ReleaseAll();
    if (Tick() == begin + 130) Hold({rt::key::Equal});
    if (Tick() == begin + 250) ReleaseAll();
    if (Tick() == begin + 260) Hold({rt::key::Equal});
    if (Tick() == begin + 263) ReleaseAll();
  };
  Record();
  ASSERT_GE(at.size(), 3u);
  EXPECT_LE(at.size(), 5u);
  for (std::size_t i = 1; i < at.size(); ++i) {
    EXPECT_GE(at[i] - at[i - 1], 31) << "the key was acted on again within 30 ticks";
    EXPECT_LE(at[i] - at[i - 1], 33);
  }
  EXPECT_EQ(switches, 2) << "one switch per press of \"=\"";
}

TEST_F(ChartLoopTest, AddedTimeAtMostOncePer30Ticks) {
  MaxSamples = 30;
  const int64_t begin = Tick() + 10;
  script = [&] {
    if (Tick() == begin) Hold({rt::key::Return});
    if (Tick() == begin + 45) ReleaseAll();
    if (Tick() == begin + 60) Hold({rt::key::Escape});
  };
  EXPECT_EQ(Record(), RunEnd::StopKey);
  EXPECT_EQ(Count("ScreenINFO"), 2);
  EXPECT_EQ(MaxSamples, 30 + 2 * 800);
}

TEST_F(ChartLoopTest, SecondKeyWithinOneIntervalMarksNothing) {
  ChartIntervalInSeconds = 2.0;
  MaxSamples = 2;
  OpenAcquisitionWindow();
  const int64_t begin = Tick() + 20;  // after the first sample (due at +0.1 s)
  script = [&] {
    if (Tick() == begin) Hold({rt::key::A});
    if (Tick() == begin + 2) ReleaseAll();
    if (Tick() == begin + 40) Hold({rt::key::B});
    if (Tick() == begin + 42) ReleaseAll();
  };
  Record();
  EXPECT_EQ(MarkerCodes(), std::vector<int32_t>{'a'});
  EXPECT_EQ(MarkersArray[1].sample, 1);
}

TEST_F(ChartLoopTest, CommandPPausesThenMarksWith166) {
  OpenAcquisitionWindow();
  const int64_t begin = Tick() + 15;
  script = [&] {
    if (Tick() == begin) Hold({rt::key::Command, rt::key::P});
    if (Tick() == begin + 2) ReleaseAll();
  };
  Record();
  EXPECT_EQ(Count("PAUSE"), 1);
  EXPECT_EQ(MarkerCodes(), std::vector<int32_t>{166});
}

TEST_F(ChartLoopTest, CommandQMarksQAndEndsTheRun) {
  MaxSamples = 100;
  OpenAcquisitionWindow();
  const int64_t begin = Tick() + 15;
  script = [&] {
    if (Tick() == begin) Hold({rt::key::Command, rt::key::Q});
  };
  EXPECT_EQ(Record(), RunEnd::CommandQ);
  EXPECT_LT(Sample, 10);
  EXPECT_EQ(MarkerCodes(), std::vector<int32_t>{'Q'});
  EXPECT_EQ(Count("Q_Key_check"), 1);
}

TEST_F(ChartLoopTest, EscapeEndsTheRunAndStopIconToo) {
  MaxSamples = 100;
  const int64_t begin = Tick() + 15;
  script = [&] {
    if (Tick() == begin) Hold({rt::key::Escape});
  };
  EXPECT_EQ(Record(), RunEnd::StopKey);
  EXPECT_LT(Sample, 10);

  ReleaseAll();
  ResetRunCounters();
  StartChartSchedule();
  script = [&] {
    if (Sample >= 3) StopIconClicked = ControlStripClicked = 1;
  };
  EXPECT_EQ(Record(), RunEnd::StopIcon);
  EXPECT_EQ(Sample, 3);
}

TEST_F(ChartLoopTest, NoteWindowTakesTheKeys) {
  OpenAcquisitionWindow();
  NoteWindowIsOpen = 1;
  int notes = 0;
  services::HandleNotes = [&] { ++notes; };
  const int64_t begin = Tick() + 10;
  script = [&] {
    if (Tick() == begin) Hold({rt::key::A});
    if (Tick() == begin + 20) Hold({rt::key::Escape});
  };
  EXPECT_EQ(Record(), RunEnd::SamplesDone);
  EXPECT_EQ(Nmarkers, 0);
  EXPECT_GT(notes, 0);
}

TEST_F(ChartLoopTest, DigitSetsTheKeyboardValueAndOptionDigitSwitches) {
  MaxSamples = 20;
  OpenAcquisitionWindow();
  const int64_t begin = Tick() + 10;
  script = [&] {
    if (Tick() == begin) Hold({rt::key::N3});
    if (Tick() == begin + 2) ReleaseAll();
    if (Tick() == begin + 40) Hold({rt::key::Option, rt::key::N5});
    if (Tick() == begin + 42) ReleaseAll();
  };
  SwitchingMode = SwitchingPatternCode::Keyboard;
  OldChan = 1;
  Record();
  EXPECT_EQ(ASCIIvalue, 3);
  EXPECT_EQ(MarkerCodes(), std::vector<int32_t>{'3'});
  EXPECT_EQ(OldChan, 5) << "Option-5 switched to device 5, and its samples are recorded";
  EXPECT_EQ(DeviceInUse, 5);
}

TEST_F(ChartLoopTest, BackupCommandKeepsTheKeyboardValue) {
  MaxSamples = 20;
  OpenAcquisitionWindow();
  ASCIIvalue = 7;
  const int64_t begin = Tick() + 10;
  script = [&] {
    if (Tick() == begin) Hold({rt::key::Command, rt::key::B});
    if (Tick() == begin + 2) ReleaseAll();
  };
  Record();
  EXPECT_EQ(Count("AutoTimedBACKUP 0"), 1);
  EXPECT_EQ(ASCIIvalue, 7);
  EXPECT_EQ(Nmarkers, 0);
}

TEST_F(ChartLoopTest, HomeKeySetsTheKeyboardValueToZero) {
  ASCIIvalue = 4;
  const int64_t begin = Tick() + 10;
  script = [&] {
    if (Tick() == begin) Hold({rt::key::Home});
    if (Tick() == begin + 2) Hold({rt::key::Up});
    if (Tick() == begin + 40) ReleaseAll();
  };
  Record();
  EXPECT_EQ(ASCIIvalue, 1);  // Home to 0, then up once
}

TEST_F(ChartLoopTest, OptionCClearsThePlotAndCommandCClosesOnlyReplay) {
  MaxSamples = 20;
  replayTheData = 1;
  const int64_t begin = Tick() + 10;
  script = [&] {
    if (Tick() == begin) Hold({rt::key::Option, rt::key::C});
    if (Tick() == begin + 2) ReleaseAll();
    if (Tick() == begin + 40) Hold({rt::key::Command, rt::key::C});
    if (Tick() == begin + 42) ReleaseAll();
  };
  Record();
  EXPECT_EQ(Count("ClearXYPlot"), 1);
  EXPECT_EQ(replayTheData, 0);
}

TEST_F(ChartLoopTest, FullScreenStartsANewScreen) {
  MaxSamples = 12;
  ScreenCapacity = 5;
  Record();
  EXPECT_EQ(Count("REDRAWSCREEN"), 2);
}

TEST_F(ChartLoopTest, RepeatedPeriodsSaveAtTheEnd) {
  PrefsArray[PrefsSlot::Autorepeat] = 1;
  int periods = 0;
  acq_hooks::AUTOSAVE = [&] {
    calls.push_back("AUTOSAVE " + std::to_string(Sample));
    Sample = 0;
    if (++periods == 2) Hold({rt::key::Escape});
  };
  EXPECT_EQ(Record(), RunEnd::StopKey);
  EXPECT_EQ(Count("AUTOSAVE 10"), 2);
}

TEST_F(ChartLoopTest, XYPointIsPlottedOncePerSample) {
  ShowXYPlot = 1;
  XYPlotWindow = 1;
  Record();
  EXPECT_EQ(Count("PlotNewestXYPoint"), 10);  // samples 2 to 11
}

TEST_F(ChartLoopTest, ToolbarAndPumpRunOncePerTickAtTheFastestRate) {
  ChartIntervalInSeconds = 0.002;
  MaxSamples = 600;
  int reads = 0;
  script = [&] { ++reads; };
  const int64_t first = Tick();
  Record();
  const int64_t ticks = Tick() - first;
  EXPECT_EQ(Sample, 601);
  EXPECT_LE(reads, ticks + 1);
  EXPECT_GE(reads, ticks - 1) << "the toolbar must stay live on every tick";
}

TEST_F(ChartLoopTest, EventsArePumpedInTheRoomAfterASampleNotJustBeforeOne) {
  ChartIntervalInSeconds = 0.01;
  MaxSamples = 300;
  int reads = 0, nearlyDue = 0;
  script = [&] {
    ++reads;
    if (TimeOfNextChartSample - GetCurrentTimeInSeconds() < 0.003) ++nearlyDue;
  };
  Record();
  EXPECT_GE(reads, 150) << "the toolbar still reads about once per tick";
  EXPECT_EQ(nearlyDue, 0) << "a paint in the last 3 ms before a sample makes it late";
}

// Painting a new screen and the toolbar's paint each take time, here on the virtual
// clock: a new screen drawn after a sample and a toolbar paint in the same pass would
// together outlast the interval. The toolbar waits for the room after the next
// sample, and a paint waits while the next sample is due sooner than a paint takes
// (which the loop learns over its first paints), so once it has learned that, no
// sample is taken late.
TEST_F(ChartLoopTest, ANewScreenAndItsPaintNeverDelayTheNextSample) {
  ChartIntervalInSeconds = 0.05;
  MaxSamples = 160;
  ScreenCapacity = 50;
  std::size_t toolbarAt = 0, sharedPasses = 0;
  script = [&] {
    toolbarAt = dues.size();
    rt::AdvanceVirtualClock(0.017);  // the toolbar's paint, into the next tick
  };
  acq_hooks::REDRAWSCREEN = [&] {
    calls.push_back("REDRAWSCREEN");
    NscrnCASEs = 0;
    if (toolbarAt == dues.size()) ++sharedPasses;
    rt::AdvanceVirtualClock(0.04);  // a new screen
  };
  EXPECT_EQ(Record(), RunEnd::SamplesDone);
  EXPECT_EQ(Count("REDRAWSCREEN"), 3);
  EXPECT_EQ(sharedPasses, 0u) << "the toolbar painted after the sample that starts a new screen";
  ASSERT_EQ(dues.size(), 161u);
  int late = 0;
  for (std::size_t i = 40; i < dues.size(); ++i) late += taken_[i] - dues[i] > 2e-6;
  EXPECT_EQ(late, 0);
}

TEST_F(ChartLoopTest, IdleLoopSleepsUntilTheNextTickOrSample) {
  ChartIntervalInSeconds = 1.0;
  MaxSamples = 3;
  int passes = 0;
  acq_hooks::HandleAlertSounds = [&] { ++passes; };
  AlertSOUNDS = 1;
  Record();
  // 3.1 s of recording at most one pass per tick plus one per sample.
  EXPECT_LE(passes, static_cast<int>(3.2 * 60) + 8);
}

TEST_F(ChartLoopTest, TimedSwitchingMarksTheSwitches) {
  SwitchingMode = SwitchingPatternCode::StartEnd;
  PrefsArray[PrefsSlot::MarkerAtSwitch] = 1;
  OpenAcquisitionWindow();
  RefOffTime = static_cast<int32_t>(Tick() + 20);
  RefOnTime = static_cast<int32_t>(Tick() + 40);
  RefIsON = 1;
  RefChan = 1;
  SampleValve = 2;
  Record();
  EXPECT_EQ(RefIsON, 1) << "back at the reference at its time";
  EXPECT_EQ(OldChan, 1) << "the reference device is the one recorded on";
  EXPECT_EQ(RefOffTime, kNeverTick) << "one sample period only";
  EXPECT_EQ(MarkerCodes(), (std::vector<int32_t>{'S', 'R'}));
  EXPECT_EQ(MarkersArray[1].code, 'S');
}

TEST_F(ChartLoopTest, StatusTexts) {
  EXPECT_EQ(TimeLeftText(250).str(), "   4.17 min left");
  EXPECT_EQ(TimeLeftText(17'000).str(), "   4.72 hr left");
  EXPECT_EQ(TimeLeftText(20'000).str(), "  0.23 days left");
  EXPECT_EQ(TimeLeftText(1'000'000).str(), "  11.6 days left");
  EXPECT_EQ(TimeLeftText(180).str(), " 180.00 sec left");
  EXPECT_EQ(SampleCountText(25).str(), " Sample 25");
  EXPECT_EQ(SampleCountText(1'000'001).str(), " # 1000001");
  EXPECT_EQ(PercentDoneText(5, 10.0f).str(), " 50.00 % done");
}

TEST_F(ChartLoopTest, StatusFieldsFollowTheRun) {
  MaxSamples = 3000;  // 300 s
  OpenAcquisitionWindow();
  donefact = 100.0f / MaxSamples;
  script = [&] {
    if (Sample >= 3) Hold({rt::key::Escape});
  };
  Record();
  EXPECT_EQ(rt::EditText(2), " Sample 3");
  EXPECT_EQ(rt::EditText(3), "  0.10 % done");
  EXPECT_EQ(rt::EditText(4), "   5.00 min left");  // 299.7 s
}

// A due time the clock never reaches (a set-up of 3e38 ticks gives 5e36 s) or no
// number at all must not hang the loops' waits: each answer takes a few steps.
TEST_F(ChartLoopTest, WaitsForADueTimeAreBoundedWhateverTheTime) {
  const double nan = std::nan("");
  const std::pair<double, uint64_t> cases[] = {
      {nan, 0},          {-1.0, 0},           {0.0, 0},
      {1.0, 1'000'000},  {2.5, 2'500'000},    {kNeverDueSeconds, kNeverDue},
      {5e36, kNeverDue}, {1.8e13, kNeverDue}, {HUGE_VAL, kNeverDue}};
  for (const auto& [t, due] : cases) EXPECT_EQ(DueMicroseconds(t), due) << t;
  // Up to the limit the answer is a microsecond at or just after t.
  for (double t : {0.1, 1234.5678901, 9e9 + 0.1234565}) {
    const uint64_t us = DueMicroseconds(t);
    EXPECT_GE(static_cast<double>(us) * 0.000001, t);
    EXPECT_LT(static_cast<double>(us - 2) * 0.000001, t);
  }

  for (double t : {5e36, HUGE_VAL, nan}) {
    const int64_t before = Tick();
    RestUntil(t);
    EXPECT_LE(Tick() - before, 1) << t << ": the rest ends at the next tick at the latest";
  }
}

}  // namespace
}  // namespace mv::test
