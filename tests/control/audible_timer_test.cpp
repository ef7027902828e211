// The audible timer's schedule, stepped tick by tick on the virtual clock, its sound
// choices, and its settings window driven as a user would.
#include "control/audible_timer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "common/window_steps.h"
#include "control/audible_timer_window.h"
#include "control/state.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/menus.h"
#include "runtime/sound.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv::test {
namespace {

using Heard = std::vector<std::pair<int, std::string>>;  // ticks into the run, "folder/file"

class AudibleTimerTest : public ProgramTest, public WindowSteps {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(SoundFolderAndFile(path)); });
    start = static_cast<int32_t>(rt::TickCount());
    TimeAtStart = start;
    StartAlertSound = 2;  // "begin"
    ContAlertSound = 4;   // "step"
    StopAlertSound = 3;   // "halt"
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    if (rt::WindowExists(kAudibleTimerWindow)) rt::CloseWindow(kAudibleTimerWindow);
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }

  static void SetTick(int64_t tick) {
    rt::SetVirtualMicroseconds(static_cast<uint64_t>((tick * 50'000 + 2) / 3));
  }
  // A run's first screen, as the acquisition display starts the timer.
  void BeginRun() {
    AlertSOUNDS = 1;
    StopAlertNotDoneYet = 1;
    StartAlertRun();
  }
  // One pass of the recording loop on every tick up to `to` ticks into the run.
  void RunTo(int to) {
    for (int t = at + 1; t <= to; ++t) {
      SetTick(start + t);
      const std::size_t before = sounds.size();
      HandleAlertSounds();
      for (std::size_t i = before; i < sounds.size(); ++i) heard.emplace_back(t, sounds[i]);
    }
    at = to;
  }
  void MarkAt(int t, void (*marker)()) {
    RunTo(t - 1);
    SetTick(start + t);
    const std::size_t before = sounds.size();
    marker();
    for (std::size_t i = before; i < sounds.size(); ++i) heard.emplace_back(t, sounds[i]);
    at = t;
  }
  void StartAfterMinutes(float minutes) {
    StartALERT = 1;
    StartAlertMODE = 1;
    StartAlertInt = minutes;
  }
  void RepeatEveryMinutes(float minutes, int16_t end, int16_t total) {
    ContinueALERT = 1;
    ContAlertMODE = 0;
    ContinueAlertInt = minutes;
    ContAlertEnd = end;
    maxalerts = total;
  }

  int32_t start = 0;
  int at = 0;
  std::vector<std::string> sounds;
  Heard heard;
};

// ---- the schedule ------------------------------------------------------------------------------

TEST_F(AudibleTimerTest, StartAfterAMinuteThenRepeatsAndTheStopSoundInPlaceOfTheLastRepeat) {
  StartAfterMinutes(1);
  RepeatEveryMinutes(2, 0, 3);
  BeginRun();
  RunTo(40'000);
  const Heard expected = {{3'601, "MVsounds/begin.mp3"},
                          {10'802, "MVsounds/step.mp3"},
                          {18'003, "MVsounds/step.mp3"},
                          {25'204, "MVsounds/halt.mp3"}};
  EXPECT_EQ(heard, expected);
  EXPECT_EQ(AlertCount, 3);
}

TEST_F(AudibleTimerTest, RepeatsUntilMarkerXNeverCountAndTheMarkerEndsThemWithTheStopSound) {
  StartAfterMinutes(1);
  RepeatEveryMinutes(1, 1, 2);
  BeginRun();
  MarkAt(15'000, AlertsAtXMarker);
  RunTo(30'000);
  const Heard expected = {{3'601, "MVsounds/begin.mp3"},
                          {7'202, "MVsounds/step.mp3"},
                          {10'803, "MVsounds/step.mp3"},
                          {14'404, "MVsounds/step.mp3"},
                          {15'000, "MVsounds/halt.mp3"}};
  EXPECT_EQ(heard, expected);
}

TEST_F(AudibleTimerTest, ATimedStopThatHasPlayedSilencesTheLastCountedRepeat) {
  StartAfterMinutes(1);
  RepeatEveryMinutes(1, 0, 3);
  StopALERTx = 1;
  StopAlertMODE = 0;
  StopAlertCASE = 0;
  StopAlertInt = 3;
  BeginRun();
  RunTo(20'000);
  const Heard expected = {{3'601, "MVsounds/begin.mp3"},
                          {7'202, "MVsounds/step.mp3"},
                          {10'801, "MVsounds/halt.mp3"},
                          {10'803, "MVsounds/step.mp3"}};
  EXPECT_EQ(heard, expected);
  EXPECT_EQ(AlertCount, 3) << "the third repeat was due at 14,404 but the stop sound had played";
}

TEST_F(AudibleTimerTest, AStopCountedFromTheStartSoundFollowsIt) {
  StartAfterMinutes(2);
  StopALERTx = 1;
  StopAlertMODE = 0;
  StopAlertCASE = 1;
  StopAlertInt = 10;
  BeginRun();
  RunTo(50'000);
  const Heard expected = {{7'201, "MVsounds/begin.mp3"}, {43'202, "MVsounds/halt.mp3"}};  // 12 minutes in
  EXPECT_EQ(heard, expected);
}

TEST_F(AudibleTimerTest, AStartAtTheFirstMarkerWaitsForItAndSoundsOnTheNextPass) {
  StartALERT = 1;
  StartAlertMODE = 3;
  StartAlertInt = 1;  // a set-up may carry a delay along: the marker rules
  BeginRun();
  MarkAt(40'000, AlertsAtFirstMarker);
  RunTo(40'010);
  const Heard expected = {{40'001, "MVsounds/begin.mp3"}};
  EXPECT_EQ(heard, expected);
}

TEST_F(AudibleTimerTest, NoRepeatsPlayWithoutAStartSound) {
  RepeatEveryMinutes(1, 2, 5);
  BeginRun();
  RunTo(20'000);
  EXPECT_TRUE(heard.empty());
}

TEST_F(AudibleTimerTest, AnXMarkerIsSilentWhileTheTimerOrItsStopSoundIsOff) {
  StopAlertMODE = 2;
  ContAlertEnd = 1;
  StopAlertNotDoneYet = 1;
  AlertSOUNDS = 0;
  StopALERTx = 1;
  ContinueALERT = 1;
  AlertsAtXMarker();
  AlertSOUNDS = 1;
  StopALERTx = 0;
  ContinueALERT = 0;
  AlertsAtXMarker();
  EXPECT_TRUE(sounds.empty());
  StopALERTx = 1;
  AlertsAtXMarker();
  AlertsAtXMarker();
  EXPECT_EQ(sounds, std::vector<std::string>{"MVsounds/halt.mp3"}) << "once per recording";
}

TEST_F(AudibleTimerTest, AHugeRepeatIntervalNeverWrapsIntoARepeatOnEveryPass) {
  EXPECT_EQ(AlertTicksAfter(1e6f, 0), kNeverTick);
  EXPECT_EQ(AlertTicksAfter(9e30f, 100), kNeverTick);
  EXPECT_EQ(AlertTicksPlus(2'000'000'000, 500'000'000), kNeverTick);
  EXPECT_EQ(AlertTicksAfter(0.5f, 60), 1'860);
  StartAfterMinutes(0.5f);
  RepeatEveryMinutes(1e7f, 2, 5);
  BeginRun();
  RunTo(4'000);
  const Heard expected = {{1'801, "MVsounds/begin.mp3"}};
  EXPECT_EQ(heard, expected);
}

TEST_F(AudibleTimerTest, ASampleCountedStartFollowsTheIntervalTheRunSamplesAt) {
  StartALERT = 1;
  StartAlertMODE = 2;
  ChartSampleInterval = 0.5f;
  CommitAlertSettings({1, 600, 1, 50, 2, 1, 50});
  EXPECT_FLOAT_EQ(StartAlertInt, 5.0f);
  ChartSampleInterval = 1.0f;  // the interval was changed before the run
  BeginRun();
  EXPECT_EQ(StartAlertTime, start + 36'000);
}

// ---- settings ------------------------------------------------------------------------------------

TEST(AudibleTimerSounds, RecordingAndPreviewFilesFollowThePopupItems) {
  EXPECT_EQ(AlertSoundFile(AlertKind::Start, 1), "start.mp3");
  EXPECT_EQ(AlertSoundFile(AlertKind::Repeat, 2), "next.mp3");
  EXPECT_EQ(AlertSoundFile(AlertKind::Repeat, 3), "go.mp3");
  EXPECT_EQ(AlertSoundFile(AlertKind::Stop, 4), "quit.mp3");
  EXPECT_EQ(AlertSoundFile(AlertKind::Stop, 7), "big click.mp3");
  EXPECT_EQ(AlertSoundFile(AlertKind::Start, 10), "setup.mp3");
  EXPECT_EQ(AlertSoundFile(AlertKind::Repeat, 12), "now.mp3");
  EXPECT_EQ(AlertSoundFile(AlertKind::Stop, 0), "stop.mp3");
  const SoundChoice spoken = AlertPreviewSound(AlertKind::Stop, 12);
  EXPECT_EQ(spoken.file, "bring out your dead.mp3");
  EXPECT_EQ(spoken.folder, "MVtimerSounds");
  EXPECT_EQ(AlertPreviewSound(AlertKind::Start, 1).folder, "MVtimerSounds");
  EXPECT_EQ(AlertPreviewSound(AlertKind::Repeat, 8).folder, "MVsounds");
  EXPECT_EQ(AlertPreviewSound(AlertKind::Repeat, 8).file, "tick.mp3");
  EXPECT_EQ(AlertPreviewSound(AlertKind::Start, 5).file, "") << "a separator plays nothing";
}

TEST_F(AudibleTimerTest, DefaultsReplaceValuesTheWindowCannotUse) {
  MaxSamples = 1'000;
  ChartSampleInterval = 0.5f;
  StartAlertInt = 9e30f;  // left by a start at the first marker
  StartAlertSound = 11;
  maxalerts = 1;
  ApplyAlertDefaults();
  EXPECT_EQ(StartAlertMODE, 1);
  EXPECT_EQ(StartAlertInt, 1.0f);
  EXPECT_EQ(StartAlertCount, 50);
  EXPECT_EQ(ContinueAlertInt, 1.0f);
  EXPECT_EQ(maxalerts, 2);
  EXPECT_FLOAT_EQ(StopAlertInt, 0.625f);  // 7.5 % of 500 s in minutes
  EXPECT_EQ(StopAlertCount, 750);
  EXPECT_EQ(StartAlertSound, 1);
  EXPECT_EQ(StopAlertSound, 3);
}

// The popup's last spoken item is a choice like any other: it is still chosen when the
// window opens again, and a run plays the phrase its preview played.
TEST_F(AudibleTimerTest, TheLastSpokenItemStaysChosenAndARunPlaysItsPreview) {
  StartAlertSound = 12;
  ContAlertSound = 12;
  StopAlertSound = 11;
  ApplyAlertDefaults();
  EXPECT_EQ(StartAlertSound, 12);
  EXPECT_EQ(ContAlertSound, 12);
  EXPECT_EQ(StopAlertSound, 1) << "item 11 is a separator";
  StopAlertSound = 12;
  StartAfterMinutes(1);
  RepeatEveryMinutes(1, 0, 2);
  BeginRun();
  RunTo(12'000);
  const Heard expected = {{3'601, "MVtimerSounds/get on with it.mp3"},
                          {7'202, "MVtimerSounds/ni.mp3"},
                          {10'803, "MVtimerSounds/bring out your dead.mp3"}};
  EXPECT_EQ(heard, expected);
  for (AlertKind kind : {AlertKind::Start, AlertKind::Repeat, AlertKind::Stop}) {
    const SoundChoice run = AlertRunSound(kind, 12), preview = AlertPreviewSound(kind, 12);
    EXPECT_EQ(run.file, preview.file);
    EXPECT_EQ(run.folder, preview.folder);
  }
}

// A repeat interval that truncates to less than a tick still waits a tick: the repeat
// sound never plays on every pass of a loop that passes once a tick.
TEST_F(AudibleTimerTest, ARepeatShorterThanATickNeverPlaysOnEveryPass) {
  StartAfterMinutes(0.5f);
  RepeatEveryMinutes(0.0001f, 0, 1000);  // 0.36 ticks
  BeginRun();
  EXPECT_EQ(ContAlertInt, 1);
  RunTo(1'821);
  ASSERT_GT(heard.size(), 2u);
  for (std::size_t i = 2; i < heard.size(); ++i)
    EXPECT_GE(heard[i].first - heard[i - 1].first, 2)
        << "repeats on consecutive passes at tick " << heard[i].first;
}

TEST_F(AudibleTimerTest, TheWindowSetsUpAStartAtASampleRepeatsAndAStopAtMarkerX) {
  using namespace TimerItem;
  constexpr int16_t W = kAudibleTimerWindow;
  for (int16_t m = 1; m <= 6; ++m) rt::NewMenu(m, "menu");
  ChartSampleInterval = 0.5f;
  MaxSamples = 2'000;
  Drive({Until(W), Do([] {
           EXPECT_EQ(TextOf(W, StartMinutesField), " 1");
           EXPECT_EQ(TextOf(W, TotalField), " 2");
           EXPECT_FALSE(rt::MenuItemEnabled(1, 0));
         }),
         Click(W, StartOn), Click(W, StartAtSample), Type(W, StartSampleField, "600"), Click(W, RepeatOn),
         Click(W, EverySamples), Type(W, RepeatSamplesField, "120.9"), Type(W, TotalField, "4"),
         Pick(W, RepeatSound, 3), Pick(W, StartSound, 12), Click(W, StopOn), Click(W, StopAtX),
         Click(W, FromStartAlert), Do([] {
           EXPECT_EQ(rt::ControlState(StartAtSample), 2);
           EXPECT_EQ(rt::ControlState(StartAfter), 1);
         }),
         Shot(W, "w18-audible-timer.png"), Click(W, Done)});
  AudibleTIMER();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_TRUE(rt::MenuItemEnabled(1, 0));
  EXPECT_EQ(sounds, (std::vector<std::string>{"MVtimerSounds/go.mp3", "MVtimerSounds/get on with it.mp3"}));
  EXPECT_EQ(StartALERT, 1);
  EXPECT_EQ(StartAlertMODE, 2);
  EXPECT_FLOAT_EQ(StartAlertInt, 5.0f);
  EXPECT_EQ(StartAlertTime, start + 18'000);
  EXPECT_EQ(ContAlertCount, 120);
  EXPECT_FLOAT_EQ(ContinueAlertInt, 1.0f);
  EXPECT_EQ(ContAlertInt, 3'600);
  EXPECT_EQ(maxalerts, 4);
  EXPECT_EQ(ContAlertSound, 3);
  EXPECT_EQ(StartAlertSound, 12);
  EXPECT_EQ(StopAlertMODE, 2);
  EXPECT_EQ(StopAlertCASE, 1);
  EXPECT_EQ(DoStopALERT, 1) << "a stop at marker x stays armed whatever it counts from";
  EXPECT_EQ(AlertSOUNDS, 1);
}

TEST_F(AudibleTimerTest, AStartAtTheFirstMarkerIsStoredAsNeverAndShownAsOneNextTime) {
  using namespace TimerItem;
  constexpr int16_t W = kAudibleTimerWindow;
  Drive({Until(W), Click(W, StartAtMarker), Return(W, StartMinutesField)});
  AudibleTIMER();
  EXPECT_EQ(StartAlertInt, 9e30f);
  EXPECT_EQ(StartAlertTime, kNeverTick);
  EXPECT_EQ(AlertSOUNDS, 0) << "no sound was switched on";
  Drive({Until(W), Do([] { EXPECT_EQ(TextOf(W, StartMinutesField), " 1"); }), Click(W, Done)});
  AudibleTIMER();
  EXPECT_TRUE(ScriptDone());
}

}  // namespace
}  // namespace mv::test
