// The scope-plus-chart loop and its chart point on the virtual clock: the columns the
// points fill, the gathered mean, the readout of 0, the device zeroing, the reference
// switch, a point with nothing gathered, the time-left text, and the keys.
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "acq_fixture.h"
#include "acquisition/channel_pipeline.h"
#include "acquisition/markers.h"
#include "acquisition/pause_window.h"
#include "acquisition/scope_chart_loop.h"
#include "acquisition/scope_chart_sample.h"
#include "acquisition/scope_loop.h"
#include "acquisition/screen.h"
#include "acquisition/toolbar.h"
#include "common/dump_tool.h"
#include "common/scripted_ui3.h"
#include "common/stored_times.h"
#include "common/window_steps.h"
#include "devices/needs.h"
#include "devices/serial_port.h"
#include "files/state.h"
#include "runtime/qt_bridge.h"

namespace mv::test {
namespace {

namespace fs = std::filesystem;

class ScopeChartTest : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    documents_ = MakeTempDir("scope-chart-documents");
    setenv("MV_DOCUMENTS_DIR", documents_.c_str(), 1);
    RecordingMODE = RecordingModeCode::ScopeChart;
    SetChannels(3);
    FirstChan = 2;
    ScopeMax = 100;
    ScopeIntervalInSeconds = 0.01;
    scopeXfactor = 7.0f;
    ChartView = 1;
    OverRangeVolts = 10;
    fast_scope_hooks::Reset();
    OpenAcquisitionWindow();
  }
  void TearDown() override {
    unsetenv("MV_DOCUMENTS_DIR");
    fs::remove_all(documents_);
    AcqTest::TearDown();
  }
  void Gathered(float sum2, float sum3, int16_t steps) {
    DataCache[2] = sum2;
    DataCache[3] = sum3;
    scope2total = steps;
  }
  int64_t Tick() const { return rt::TickCount(); }
  fs::path documents_;
};

TEST_F(ScopeChartTest, FirstPointIsStoredInColumnOneAsTheMeanOfTheSteps) {
  Gathered(3.0f, 1.5f, 3);
  GETDATA3();
  EXPECT_EQ(Sample, 1);
  EXPECT_FLOAT_EQ(ChartDataArray.Get(2, 1), 1.0f);
  EXPECT_FLOAT_EQ(ChartDataArray.Get(3, 1), 0.5f);
  EXPECT_EQ(ChartDataArray.HighestColumn(2), 1) << "column 0 is not written";
  EXPECT_EQ(DataCache[2], 0.0f);
  EXPECT_EQ(scope2total, 0);
  EXPECT_EQ(LastNsCasx, 1);
  // Channel 2's strip: bottom 252 - 1, 100 pixels for 0..1: 1.0 is drawn at 151.
  EXPECT_FLOAT_EQ(ChannelVariables[2][ChanField::BottomCopy], 151.0f);
  EXPECT_EQ(rt::EditText(ValueReadoutField(3)), StringFormatter(0.5f).str());
}

TEST_F(ScopeChartTest, ValueOfZeroReadsAsPlainZero) {
  Gathered(0.0f, 0.3f, 1);
  GETDATA3();
  EXPECT_EQ(rt::EditText(ValueReadoutField(2)), "    0");
}

TEST_F(ScopeChartTest, TheSampledDeviceIsKeptAndTheIdleOneZeroed) {
  // Channel 2 records device 3; channel 3 has no device. Device numbers are compared,
  // as in the chart: the channel of the device sampled keeps its reading.
  ChannelVariables[2][ChanField::Device] = 3;
  DeviceSwitchZeroValue = 0;
  struct Case {
    int16_t pattern, sampled, referenceOn;
    float channel2;
  };
  const Case cases[] = {{1, 3, 0, 0.8f}, {1, 1, 0, 0.0f}, {3, 3, 0, 0.8f},
                        {3, 1, 0, 0.0f}, {3, 1, 1, 0.8f}, {0, 1, 0, 0.8f}};
  int32_t column = 0;
  for (const Case& c : cases) {
    SwitchingMode = c.pattern;
    OldChan = c.sampled;
    RefIsON = c.referenceOn;
    Gathered(0.8f, 0.4f, 1);
    GETDATA3();
    ++column;
    EXPECT_FLOAT_EQ(ChartDataArray.Get(2, column), c.channel2)
        << "pattern " << c.pattern << ", device " << c.sampled << " sampled, reference " << c.referenceOn;
    EXPECT_FLOAT_EQ(ChartDataArray.Get(3, column), 0.4f) << "channel 3 has no device";
  }
}

// A point with no scope step since the one before reads its channels itself: it never
// stores a copy of an older point (nor divides by no steps).
TEST_F(ScopeChartTest, PointWithNoScopeStepReadsItsChannelsInsteadOfRepeatingTheLastPoint) {
  Gathered(1.2f, 0.6f, 2);
  GETDATA3();
  Gathered(0.0f, 0.0f, 0);
  GETDATA3();
  for (int16_t ch : {2, 3}) {
    const float v = ChartDataArray.Get(ch, 2);
    EXPECT_NE(v, ChartDataArray.Get(ch, 1)) << ch;
    EXPECT_GE(v, 0.0f) << ch;  // a demonstration reading of this point
    EXPECT_LT(v, 0.1f) << ch;
  }
}

TEST_F(ScopeChartTest, TimeLeftTurnsToHoursAbove7200Seconds) {
  EXPECT_EQ(ScopeChartTimeLeftText(7'200).str(), " 120.00 min left");
  EXPECT_EQ(ScopeChartTimeLeftText(7'201).str(), "   2.00 hr left");
  EXPECT_EQ(ScopeChartTimeLeftText(100'000).str(), "  27.78 hr left") << "no days in this mode";
  EXPECT_EQ(ScopeChartTimeLeftText(180).str(), " 180.00 sec left");
}

TEST_F(ScopeChartTest, RunOfTenFillsColumnsOneToElevenWithGatheredMeans) {
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  EXPECT_EQ(Sample, 11);
  EXPECT_GT(TotScopeSample, 50) << "scope points between the chart points";
  for (int col = 1; col <= 11; ++col) {
    for (int ch = 2; ch <= 3; ++ch) {
      // Each step adds 1..400 / 4096: a mean lies within those bounds.
      EXPECT_GE(ChartDataArray.Get(ch, col), 1.0f / 4096) << ch << " " << col;
      EXPECT_LE(ChartDataArray.Get(ch, col), 400.0f / 4096) << ch << " " << col;
    }
  }
  EXPECT_EQ(ChartDataArray.Get(2, 0), 0.0f);
  EXPECT_EQ(ChartDataArray.HighestColumn(3), 11);
}

TEST_F(ScopeChartTest, TheReferenceIsSwitchedOnOnceWhenItsTimeHasCome) {
  // Pattern 3 with the reference due from the start: one switch and one "R" marker,
  // not one on every pass of the loop.
  SwitchingMode = 3;
  RefChan = 1;
  RefIsON = 0;
  RefOnTime = 0;
  RefOffTime = std::numeric_limits<int32_t>::max();
  PrefsArray[PrefsSlot::MarkerAtSwitch] = 1;
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  EXPECT_EQ(RefIsON, 1);
  int references = 0;
  for (int m = 1; m <= Nmarkers; ++m) references += MarkersArray[m].code == 'R';
  EXPECT_EQ(references, 1);
}

TEST_F(ScopeChartTest, OutputScriptsStepWithNoKeyPressed) {
  AO1on = 1;
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  EXPECT_GT(Count("checkAOscript"), 10) << "on every pass of the loop";
}

TEST_F(ScopeChartTest, ANoteTypedDuringTheRunIsStoredWithAllItsCharacters) {
  // The note icon opens the note window; the text is typed key by key and OK stores it.
  services::HandleNotes = [] { HandleNotes(); };
  MaxSamples = 100;
  const std::string text = "note in scope plus chart";
  const int64_t begin = Tick();
  std::size_t typed = 0;
  script = [&] {
    const int64_t t = Tick() - begin;
    if (t == 3) GetFileNote();
    if (t > 5 && typed < text.size() && rt::WindowExists(kNoteWindow)) {
      QWidget* field = rt::bridge::EditFieldWidget(kNoteWindow, kNoteField);
      const QString c(QChar(text[typed++]));
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, c);
      QApplication::sendEvent(field, &press);
    }
    if (t == 60) qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(kNoteWindow, 1))->click();
    if (t == 70) Hold({rt::key::Escape});
  };
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  ASSERT_EQ(NumberOfNotes, 1);
  EXPECT_EQ(fileRemarks[1].text.str(), text);
  EXPECT_FALSE(rt::WindowExists(kNoteWindow));
}

TEST_F(ScopeChartTest, TheNoteIconLeavesACaretMarkerAsItOpensTheNoteWindow) {
  services::HandleNotes = [] { HandleNotes(); };
  MaxSamples = 30;
  bool clicked = false;
  script = [&] {
    if (!clicked && Sample >= 5) {
      clicked = true;
      ApplyToolbarClick(130, 20);  // the note icon
    }
  };
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  EXPECT_TRUE(rt::WindowExists(kNoteWindow)) << "the note is still being written";
  ASSERT_EQ(Nmarkers, 1);
  EXPECT_EQ(MarkersArray[1].code, '^');
  EXPECT_TRUE(rt::SaveWindowImage(1, (TestOutputDir() / "w1-scope-chart-note-marker.png").string()));
  rt::CloseWindow(kNoteWindow);
  NoteWindowIsOpen = 0;
}

class ScopeChartPauseTest : public ScopeChartTest, public WindowSteps {
 protected:
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    if (rt::WindowExists(kPauseWindow)) rt::CloseWindow(kPauseWindow);
    ScopeChartTest::TearDown();
  }
};

TEST_F(ScopeChartPauseTest, APauseLeavesItsMarkerAndNoBurstOfScopePoints) {
  // Paused for 5 s with Command-P: the scope goes on from the resume, not with the
  // 500 points the pause would owe at 0.01 s, and the pause marker 166 is stored.
  MaxSamples = 30;
  setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
  double pausedFor = 0;
  acq_hooks::PAUSE = [&] {
    ReleaseAll();
    const double before = GetCurrentTimeInSeconds();
    PAUSE();
    pausedFor = GetCurrentTimeInSeconds() - before;
  };
  const double start = GetCurrentTimeInSeconds();
  bool pressed = false;
  script = [&] {
    if (!pressed && Sample >= 5) {
      pressed = true;
      Hold({rt::key::Command, rt::key::P});
    }
  };
  Drive({Until(kPauseWindow), Do([] { rt::AdvanceVirtualClock(5.0); }), Click(kPauseWindow, 51)});
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  unsetenv("MV_RESOURCES_DIR");
  ASSERT_GT(pausedFor, 4.9);
  const double sampling = GetCurrentTimeInSeconds() - start - pausedFor;
  EXPECT_LT(TotScopeSample, sampling / ScopeIntervalInSeconds + 20) << "no points for the paused time";
  int pauseMarkers = 0;
  for (int m = 1; m <= Nmarkers; ++m) pauseMarkers += MarkersArray[m].code == kPauseMarkerCode;
  EXPECT_EQ(pauseMarkers, 1);
}

// A stall longer than both limits (0.1 s for the chart, 50 ms for the 0.01 s scope):
// neither schedule takes what it owes. No chart point is taken more than an interval
// after its due time, no scope point more than 50 ms after, and the chart records the
// gap: one pause marker and one pause-log line, every point stored when it was read.
TEST_F(ScopeChartTest, AStallRestartsBothSchedulesAndMarksTheGap) {
  for (const double stall : {0.5, 3.0}) {
    SCOPED_TRACE(stall);
    ResetRunCounters();
    StartChartSchedule();
    dues.clear();
    taken_.clear();
    Nmarkers = 0;
    totalPauseDuration = 0;
    CumulativePauseContainer.clear();
    MaxSamples = 60;
    std::vector<double> scopeLate;
    SetScopeTimingTap([&](double due, double taken) { scopeLate.push_back(taken - due); });
    SetSampleTimingTap([&](double due, double taken) {
      dues.push_back(due);
      taken_.push_back(taken);
      if (dues.size() == 5) rt::AdvanceVirtualClock(stall);
    });
    EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
    SetScopeTimingTap(nullptr);
    for (const double l : scopeLate) EXPECT_LE(l, 0.05 + 1e-9);
    int gaps = 0;
    for (int m = 1; m <= Nmarkers; ++m) gaps += MarkersArray[m].code == kPauseMarkerCode;
    EXPECT_EQ(gaps, 1);
    const std::vector<LoggedGap> logged = GapsInPauseLog(CumulativePauseContainer);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].before, 5);
    ExpectStoredWhenRead(taken_, dues.front(), 0.1, logged);
    EXPECT_LE(LongestBurst(dues, taken_), 2);
  }
}

// A UI3 silent for 20 s of a scope-plus-chart run: the scope's readings hold the loop
// while the instrument is silent, so the chart points leave one gap for the whole
// silence, with one pause marker and one pause-log line (never one a time-out), and
// every point stored is stored when it was taken.
TEST_F(ScopeChartTest, ASilenceIsOneGapOfTheChartPoints) {
  ResetRunCounters();
  DemonstrationMODE = 0;
  External_AD = ExternalADCode::SableUI3;
  const double start = GetCurrentTimeInSeconds();
  InstallSerialPort(std::make_unique<ScriptedUI3>([start] {
    const double t = GetCurrentTimeInSeconds() - start;
    return t >= 3 && t < 23;
  }));
  StartChartSchedule();
  Nmarkers = 0;
  totalPauseDuration = 0;
  CumulativePauseContainer.clear();
  MaxSamples = 120;
  SetSampleTimingTap([&](double due, double taken) {
    dues.push_back(due);
    taken_.push_back(taken);
  });
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  CloseSerialPort();
  int gaps = 0;
  for (int m = 1; m <= Nmarkers; ++m) gaps += MarkersArray[m].code == kPauseMarkerCode;
  EXPECT_EQ(gaps, 1);
  const std::vector<LoggedGap> logged = GapsInPauseLog(CumulativePauseContainer);
  EXPECT_EQ(logged.size(), 1u);
  ExpectStoredWhenRead(taken_, dues.front(), 0.1, logged);
  EXPECT_LE(LongestBurst(dues, taken_), 2);
}

TEST_F(ScopeChartPauseTest, APauseInsideASweepLeavesTheSavedSweepsIntervalAsAsked) {
  // A 1/60 s scope of 100 points paused for 5 s in its first sweep, and saved with Tab
  // once that sweep has wrapped: the sweep took 100 ticks of sampling, so the file
  // keeps 1/60 s, not the 100 points over 400 ticks the pause would make of it.
  ScopeIntervalInSeconds = 1.0 / 60;
  MaxSamples = 300;
  setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
  acq_hooks::PAUSE = [] {
    ReleaseAll();
    PAUSE();
  };
  enum class Stage { Sweeping, Paused, Saving, Stopping } stage = Stage::Sweeping;
  script = [&] {
    if (stage == Stage::Sweeping && ScSample >= 40) {
      stage = Stage::Paused;
      Hold({rt::key::Command, rt::key::P});
    } else if (stage == Stage::Paused && TotScopeSample > ScopeMax + 10) {
      stage = Stage::Saving;
      Hold({rt::key::Tab});
    } else if (stage == Stage::Saving && ScopeCount == 1) {
      stage = Stage::Stopping;
      Hold({rt::key::Escape});
    }
  };
  Drive({Until(kPauseWindow), Do([] { rt::AdvanceVirtualClock(5.0); }), Click(kPauseWindow, 51)});
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  unsetenv("MV_RESOURCES_DIR");
  ReleaseAll();
  ASSERT_EQ(stage, Stage::Stopping);
  EXPECT_NEAR(LastScopeDur, ScopeMax, 2) << "the sweep's ticks, the pause left out";

  std::vector<fs::path> saved;
  for (const auto& e : fs::directory_iterator(documents_)) saved.push_back(e.path());
  ASSERT_EQ(saved.size(), 1u);
  const std::string dump = DumpDataFile(saved[0], "--scope ");
  const std::string key = "interval (s): ";
  const std::size_t at = dump.find(key);
  ASSERT_NE(at, std::string::npos) << dump;
  EXPECT_NEAR(std::stod(dump.substr(at + key.size())), 1.0 / 60, 1e-7) << dump;
}

class ScopeChartNoteTest : public ScopeChartTest, public WindowSteps {
 protected:
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    ReleaseAll();
    if (rt::WindowExists(kNoteWindow)) rt::CloseWindow(kNoteWindow);
    NoteWindowIsOpen = 0;
    ScopeChartTest::TearDown();
  }
};

TEST_F(ScopeChartNoteTest, AnOkClickAtTheInstantOfTheLastKeystrokeStoresTheNote) {
  // Notes written through the note icon, each typed and its OK clicked in one go,
  // taken by the toolbar's own pass of the event pump rather than the note's: in
  // either recording loop every OK stores its note and closes the window.
  bool inToolbarPass = false;
  services::ReadControlStrip = [&] {
    inToolbarPass = true;
    ReadControlStrip();
    inToolbarPass = false;
  };
  int served = 0;
  services::HandleNotes = [&] {
    ++served;
    HandleNotes();
  };
  constexpr int kNotes = 12;
  struct Loop {
    const char* name;
    int16_t mode;
    std::function<void()> run;
  };
  const Loop loops[] = {{"scope plus chart", RecordingModeCode::ScopeChart, [] { SCOPEPLUSCHARTSCAN(); }},
                        {"chart", RecordingModeCode::Chart, [] { CHARTSCANNING(); }}};
  for (const Loop& loop : loops) {
    RecordingMODE = loop.mode;
    ResetRunCounters();
    StartChartSchedule();
    NumberOfNotes = 0;
    MaxSamples = 2'000;
    int typed = 0;
    std::vector<Step> steps;
    for (int n = 1; n <= kNotes; ++n) {
      const std::string text = "note " + std::to_string(n);
      steps.push_back(Do([&] {
        served = 0;
        ApplyToolbarClick(130, 20);  // the note icon
      }));
      steps.push_back(Until(kNoteWindow));
      steps.push_back([&, text] {
        if (!inToolbarPass || served == 0) return false;  // the note's window has been served once
        Keys(kNoteWindow, kNoteField, text)();
        Click(kNoteWindow, 1)();
        ++typed;
        return true;
      });
      steps.push_back(Gone(kNoteWindow));
    }
    steps.push_back(Do([] { Hold({rt::key::Escape}); }));
    Drive(steps, [] { Hold({rt::key::Escape}); });
    loop.run();
    rt::SetPumpHook(nullptr);
    ReleaseAll();
    EXPECT_EQ(typed, kNotes) << loop.name;
    EXPECT_EQ(NumberOfNotes, kNotes) << loop.name;
    for (int n = 1; n <= std::min<int>(NumberOfNotes, kNotes); ++n)
      EXPECT_EQ(fileRemarks[n].text.str(), "note " + std::to_string(n)) << loop.name;
  }
}

TEST_F(ScopeChartTest, TabSavesWithADigitMarkerOptionDigitSwitchesAndADigitMarks) {
  MaxSamples = 200;
  SwitchingMode = SwitchingPatternCode::Keyboard;
  OldChan = 1;
  PrefsArray[PrefsSlot::Automarkers] = 1;
  const int64_t begin = Tick();
  script = [&] {
    const int64_t t = Tick() - begin;
    if (t == 5) Hold({rt::key::Tab});
    if (t == 8) ReleaseAll();
    if (t == 30) Hold({rt::key::Option, rt::key::N3});
    if (t == 33) ReleaseAll();
    if (t == 50) Hold({rt::key::N3});
    if (t == 53) ReleaseAll();
    if (t == 70) Hold({rt::key::Escape});
  };
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  EXPECT_EQ(ScopeCount, 1);
  EXPECT_EQ(OldChan, 3) << "Option-3 switched to device 3";
  ASSERT_EQ(Nmarkers, 2);
  EXPECT_EQ(MarkersArray[1].code, '1') << "the sweep's automatic marker";
  EXPECT_EQ(MarkersArray[2].code, '3') << "a typed digit, once";
  EXPECT_EQ(ASCIIvalue, 3);
  EXPECT_LT(Sample, MaxSamples);
}

// A Tab held for 40 ticks (well past the 15-tick key throttle) saves one sweep and puts
// one marker; the next press saves the next.
TEST_F(ScopeChartTest, AHeldTabSavesOneSweepAndPutsOneMarkerPerPress) {
  MaxSamples = 200;
  PrefsArray[PrefsSlot::Automarkers] = 1;
  const int64_t begin = Tick();
  script = [&] {
    const int64_t t = Tick() - begin;
    if (t == 5) Hold({rt::key::Tab});
    if (t == 45) ReleaseAll();
    if (t == 60) Hold({rt::key::Tab});
    if (t == 62) ReleaseAll();
    if (t == 80) Hold({rt::key::Escape});
  };
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  ReleaseAll();
  EXPECT_EQ(ScopeCount, 2) << "one sweep saved per press";
  ASSERT_EQ(Nmarkers, 2);
  EXPECT_EQ(MarkersArray[1].code, '1');
  EXPECT_EQ(MarkersArray[2].code, '2');
  EXPECT_NE(MarkersArray[1].sample, MarkersArray[2].sample);
}

TEST_F(ScopeChartTest, EachRunStartsItsAutomaticMarkersAtTheFirstDigit) {
  MaxSamples = 200;
  PrefsArray[PrefsSlot::Automarkers] = 1;
  SetScreenSizeOverride(1024, 768);
  for (int run = 1; run <= 2; ++run) {
    // What a run's preparation does: clear the counts, then draw the screen with the start flag.
    ResetRunCounters();
    DRAWSCREEN(1);
    const int64_t begin = Tick();
    script = [&] {
      const int64_t t = Tick() - begin;
      if (t == 5 || t == 30) Hold({rt::key::Tab});
      if (t == 8 || t == 33) ReleaseAll();
      if (t == 50) Hold({rt::key::Escape});
    };
    EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
    ReleaseAll();
    ASSERT_EQ(Nmarkers, 2) << "run " << run;
    EXPECT_EQ(MarkersArray[1].code, '1') << "run " << run;
    EXPECT_EQ(MarkersArray[2].code, '2') << "run " << run;
  }
  SetScreenSizeOverride(0, 0);
}

TEST_F(ScopeChartTest, ARecordingShowsItsGapNoteAndSwitchMarkers) {
  // On the real screen: a reference switch (with its "R" marker), the note icon's "^"
  // with the note stored, and a stall longer than an interval leaving the pause marker where
  // sampling went on; all drawn in the chart strips below the scope.
  MaxSamples = 120;
  SetScreenSizeOverride(1024, 768);
  services::HandleNotes = [] { HandleNotes(); };
  RefChan = 1;
  PrefsArray[PrefsSlot::MarkerAtSwitch] = 1;
  ResetRunCounters();
  DRAWSCREEN(1);
  SwitchingMode = 3;
  RefIsON = 0;
  RefOffTime = std::numeric_limits<int32_t>::max();
  RefOnTime = static_cast<int32_t>(Tick() + 60);
  const int64_t begin = Tick();
  bool stalled = false;
  script = [&] {
    const int64_t t = Tick() - begin;
    if (t == 150) ApplyToolbarClick(130, 20);  // the note icon
    if (t == 170 && rt::WindowExists(kNoteWindow)) {
      QWidget* field = rt::bridge::EditFieldWidget(kNoteWindow, kNoteField);
      for (const char c : std::string("gap next")) {
        const QString text{QChar(c)};
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(field, &press);
      }
      qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(kNoteWindow, 1))->click();
    }
    if (!stalled && t > 300) {
      stalled = true;
      rt::AdvanceVirtualClock(3.0);
    }
  };
  EXPECT_EQ(SCOPEPLUSCHARTSCAN(), 0);
  EXPECT_TRUE(rt::SaveWindowImage(1, (TestOutputDir() / "w1-scope-chart-gap-note-switch.png").string()));
  SetScreenSizeOverride(0, 0);
  std::vector<int32_t> codes;
  for (int m = 1; m <= Nmarkers; ++m) codes.push_back(MarkersArray[m].code);
  EXPECT_EQ(codes, (std::vector<int32_t>{'R', '^', kPauseMarkerCode}));
  EXPECT_EQ(NumberOfNotes, 1);
}

}  // namespace
}  // namespace mv::test
