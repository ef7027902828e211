// The acquisition window as drawn: fields, strip frames, the end-of-period bar, the
// run's clocks, the toolbar's flags, the note window, and screenshots of demonstration
// recordings with the screen live.
#include <string>

#include "acq_fixture.h"
#include "acquisition/channel_panel.h"
#include "acquisition/screen.h"
#include "acquisition/screen_install.h"
#include "acquisition/screen_rules.h"
#include "acquisition/ticks.h"
#include "acquisition/toolbar.h"
#include "acquisition/view_preview.h"
#include "common/window_steps.h"
#include "devices/needs.h"
#include "devices/scripted_port.h"
#include "files/needs.h"
#include "files/setup_file.h"
#include "files/state.h"
#include "runtime/sound.h"
#include "runtime/system.h"

namespace mv::test {
namespace {

class ScreenWindow : public AcqTest {
 protected:
  void SetUp() override {
    AcqTest::SetUp();
    SetScreenSizeOverride(1024, 768);
    RecordingMODE = RecordingModeCode::Chart;
    PrefsArray[PrefsSlot::WindowWidth] = 800;
    PrefsArray[PrefsSlot::WindowHeight] = 700;
    PrefsArray[PrefsSlot::ZeroLines] = 1;
    PrefsArray[PrefsSlot::ScaleGrid] = 1;
    Max_Display_Speed = 0;
    NewScreen = 0;
    Layout(2, 700);
  }
  void TearDown() override {
    SetScreenSizeOverride(0, 0);
    for (int16_t w : {1, 1001, 1999, 777})
      if (rt::WindowExists(w)) rt::CloseWindow(w);
    AcqTest::TearDown();
  }

  // n channels in equal strips from y 47 down to `to`, as the strip layout leaves them.
  void Layout(int16_t n, int to) {
    SetChannels(n);
    const int h = (to - 47) / n - 1;
    for (int ch = 1; ch <= n; ++ch) {
      auto& r = ChannelVariables[ch];
      const float bottom = static_cast<float>(47 + ch * (h + 1));
      r[ChanField::StripHeight] = static_cast<float>(h);
      r[ChanField::StripBottom] = bottom;
      r[ChanField::StripTop] = bottom - h;
      r[ChanField::BottomLess2] = bottom - 2;
      r[ChanField::BottomCopy] = bottom;
      r[ChanField::PlotMin] = ch % 2 == 0 ? -1.0f : 0.0f;
    }
  }

  static bool Near(RGBColor a, RGBColor b) {
    const auto d = [](int x, int y) { return std::abs(x - y) <= 0x0400; };
    return d(a.red, b.red) && d(a.green, b.green) && d(a.blue, b.blue);
  }
};

TEST_F(ScreenWindow, ShortRunShowsOneScreenfulAndTheEndOfPeriodBar) {
  MaxSamples = 300;
  DRAWSCREEN(1);
  ASSERT_TRUE(rt::WindowExists(1));
  EXPECT_EQ(rt::WindowTitle(1), kAcquisitionTitle);
  EXPECT_EQ(ScreenCapacity, 801);
  EXPECT_EQ(ShowDisplays, 1);
  EXPECT_FALSE(rt::ControlExists(899));
  EXPECT_EQ(rt::EditText(199), " no backup!");
  EXPECT_TRUE(rt::EditFieldExists(2));
  EXPECT_TRUE(rt::EditFieldExists(7));
  EXPECT_TRUE(rt::EditFieldExists(8));
  EXPECT_EQ(OverRangeVolts, 5.0f);
  rt::SetOutputWindow(1);
  // The bar covers x MaxSamples..MaxSamples + 2 between the strips' top and bottom.
  EXPECT_TRUE(Near(rt::CanvasPixel(301, 200), PlotFrameColor));
  EXPECT_FALSE(Near(rt::CanvasPixel(296, 200), PlotFrameColor));
  // The strip frames: channel 1's top edge and channel 2's bottom edge.
  const int top1 = StripTop(static_cast<int>(ChannelVariables[1][ChanField::StripBottom]),
                            static_cast<int>(ChannelVariables[1][ChanField::StripHeight]));
  EXPECT_TRUE(Near(rt::CanvasPixel(600, top1), PlotFrameColor));
  EXPECT_TRUE(Near(rt::CanvasPixel(600, static_cast<int>(ChannelVariables[2][ChanField::StripBottom])),
                   PlotFrameColor));
  rt::SaveWindowImage(1, (TestOutputDir() / "w1-acquisition-short-run.png").string());
}

// On a display lower than the chosen window the screen fits the strips to it for the
// recording; a set-up saved afterwards keeps the layout the user chose, so on a
// display of the chosen size it reopens without a screen-size question. Once the
// user lays the strips out again, that layout is the one stored.
TEST_F(ScreenWindow, ASetupSavedAfterAFittedScreenStoresTheChosenLayout) {
  files_hooks::SetChanParams = [this](int16_t, int16_t) {
    Layout(2, PrefsArray[PrefsSlot::WindowHeight] - 14);
  };
  Layout(2, 700);
  const auto chosen = ChannelVariables;
  const float chosenBottom = chosen[2][ChanField::StripBottom];
  SetScreenSizeOverride(1024, 600);
  MaxSamples = 300;
  DRAWSCREEN(1);
  ASSERT_EQ(PrefsArray[PrefsSlot::WindowHeight], 542) << "fitted to the display for the recording";
  ASSERT_EQ(ChannelVariables[2][ChanField::StripBottom], 542.0f);
  DRAWSCREEN(0);  // a later screen of the same run changes nothing more

  const SetupRecord stored = CaptureSetup();
  for (int ch = 1; ch <= 2; ++ch)
    for (int f = ChanField::StripHeight; f <= ChanField::BottomCopy; ++f)
      EXPECT_EQ(stored.channelTable[ch][f], chosen[ch][f]) << "channel " << ch << " field " << f;
  EXPECT_GE(chosenBottom, 700 - 30) << "fills a window of the chosen height: no mismatch";

  Layout(2, 500);
  EXPECT_EQ(CaptureSetup().channelTable[2][ChanField::StripBottom],
            ChannelVariables[2][ChanField::StripBottom]);
  ResetHooks("files_hooks::SetChanParams");
}

TEST_F(ScreenWindow, LongRunMakesTheCapacityBarAndCountsTheScreen) {
  MaxSamples = 8'000;
  PrefsArray[PrefsSlot::AutomaticBackup] = 1;
  Max_Display_Speed = 1'000'000;  // displays only from 1 s per sample
  DRAWSCREEN(1);
  EXPECT_EQ(NewScreen, 1);
  EXPECT_EQ(ShowDisplays, 0);
  EXPECT_EQ(rt::EditText(300), "data panel switched off for sampling speed");
  EXPECT_FALSE(rt::EditFieldExists(7));
  ASSERT_TRUE(rt::ControlExists(899));
  EXPECT_EQ(SegmentsInProgressBar, 790);
  EXPECT_EQ(rt::ControlValue(899), 79);
  EXPECT_EQ(rt::EditText(199), " backup off") << "backups chosen, but no backup file named";
}

TEST_F(ScreenWindow, TheBackupIndicatorSaysOnOnlyWhenARunWritesBackups) {
  MaxSamples = 300;
  PrefsArray[PrefsSlot::AutomaticBackup] = 1;
  TimedSaveINTERVAL = 3'600;
  BackupfileCFURL = "/tmp/Backup file.kstr";
  DRAWSCREEN(1);
  EXPECT_EQ(rt::EditText(199), " backup on");
  BackupfileCFURL.clear();  // the backup panel was cancelled
  DRAWSCREEN(1);
  EXPECT_EQ(rt::EditText(199), " backup off");
  rt::SaveWindowImage(1, (TestOutputDir() / "w1-acquisition-backup-off.png").string());
}

TEST_F(ScreenWindow, StartFlagSetsClocksAndNeverForUnusedSchedules) {
  MaxSamples = 2'000'000;
  ChartIntervalInSeconds = 30;
  SwitchingMode = 4;
  refint = 1;
  switchint = 2;
  DRAWSCREEN(1);
  EXPECT_EQ(RefOnTime, kNever);  // 3.6e9 ticks away: never, not a wrapped negative
  EXPECT_GT(RefOffTime, 0);
  EXPECT_EQ(CycleTime, RefOffTime + 7'200);
  SwitchingMode = 0;
  DRAWSCREEN(1);
  EXPECT_EQ(RefOffTime, kNever);
  EXPECT_EQ(CycleTime, kNever);
}

TEST_F(ScreenWindow, RunStartForgetsThePreviousRunsFastScopeBlocks) {
  FastScopeCount = 7;  // blocks of the run before
  DRAWSCREEN(0);
  EXPECT_EQ(FastScopeCount, 7) << "a screen drawn without the start flag";
  DRAWSCREEN(1);
  EXPECT_EQ(FastScopeCount, 0) << "a new run";
}

TEST_F(ScreenWindow, FlagZeroLeavesTheRunClocksAlone) {
  MaxSamples = 300;
  RefOffTime = 1234;
  TimeOfNextChartSample = 99.5;
  DRAWSCREEN(0);
  EXPECT_EQ(RefOffTime, 1234);
  EXPECT_EQ(TimeOfNextChartSample, 99.5);
}

TEST_F(ScreenWindow, EndOfPeriodMarkOnlyWhereThePeriodEndsOnThisScreen) {
  MaxSamples = 1'200;  // one and a half screens
  DRAWSCREEN(1);
  NewScreen = 1;  // the next period of an automatic save: it ends on its second screen
  DRAWSCREEN(0);
  rt::SetOutputWindow(1);
  EXPECT_FALSE(Near(rt::CanvasPixel(401, 200), PlotFrameColor));
  // Two samples per point: a 1000-sample period ends at x 500 of its first screen.
  ChartView = 2;
  MaxSamples = 1'000;
  NewScreen = 0;
  DRAWSCREEN(1);
  rt::SetOutputWindow(1);
  EXPECT_TRUE(Near(rt::CanvasPixel(501, 200), PlotFrameColor));
  EXPECT_FALSE(Near(rt::CanvasPixel(496, 200), PlotFrameColor));
  rt::SaveWindowImage(1, (TestOutputDir() / "w1-acquisition-compressed.png").string());
}

TEST_F(ScreenWindow, TickLabelsCarryTheirPhaseToTheNextScreen) {
  ChartIntervalInSeconds = 1.0;  // 800 s screen: 60 s ticks, 60 points apart
  MaxSamples = 300;
  DRAWSCREEN(1);
  EXPECT_EQ(TicIntervalInSeconds, 60.0f);
  EXPECT_EQ(minute_units, 1);
  EXPECT_EQ(ticgap, 60.0f);
  // Ticks at 0, 60, ..., 780: the next falls 40 points into the next screen.
  EXPECT_FLOAT_EQ(NextTicPosition, 40.0f);
  EXPECT_DOUBLE_EQ(zz, 14 * 60.0);
}

TEST_F(ScreenWindow, RedrawKeepsAThirdAndResetsTheScreenCount) {
  MaxSamples = 5'000;
  PrefsArray[PrefsSlot::ChartRedrawOption] = 2;
  DRAWSCREEN(1);
  Sample = 801;
  NscrnCASEs = 801;
  LastNsCasx = 800;
  REDRAWSCREEN();
  EXPECT_EQ(NscrnCASEs, 266);
  EXPECT_EQ(LastNsCasx, 266);
}

TEST_F(ScreenWindow, NewScreenKeepsTheMarkerLinesOfTheKeptPart) {
  MaxSamples = 5'000;
  PrefsArray[PrefsSlot::ChartRedrawOption] = 2;  // keep 266 of 800 columns
  DRAWSCREEN(1);
  const RGBColor background = rt::CanvasPixel(600, 250);
  Sample = 700;
  NscrnCASEs = 700;
  ASSERT_TRUE(InsertMarker(7, 'a', kKeyMarkerTop));
  const RGBColor line = rt::CanvasPixel(700, 250);
  ASSERT_FALSE(Near(line, background)) << "the marker line is drawn";
  Sample = 801;
  NscrnCASEs = 801;
  LastNsCasx = 800;
  REDRAWSCREEN();
  // The chart moved 534 columns left: the line is now at x 166, its old place is clear.
  EXPECT_TRUE(Near(rt::CanvasPixel(166, 250), line));
  EXPECT_TRUE(Near(rt::CanvasPixel(166, 600), line)) << "in the second strip too";
  EXPECT_TRUE(Near(rt::CanvasPixel(700, 250), background));
  EXPECT_TRUE(Near(rt::CanvasPixel(165, 250), background));
}

TEST_F(ScreenWindow, ToolbarClickRaisesOnlyItsIcon) {
  MakeAcquisitionTOOLBAR(0);
  ASSERT_TRUE(rt::WindowExists(kToolbarWindow));
  EXPECT_EQ(rt::WindowContentRect(kToolbarWindow).width(), 408);
  StopIconClicked = 1;
  ApplyToolbarClick(45, 20);
  EXPECT_EQ(ControlStripClicked, 1);
  EXPECT_EQ(PauseIconClicked, 1);
  EXPECT_EQ(StopIconClicked, 0);  // any click clears the other icons first
  ApplyToolbarClick(40, 20);
  EXPECT_EQ(ControlStripClicked, 1);
  EXPECT_EQ(PauseIconClicked, 0);
  RecordingMODE = RecordingModeCode::Scope;
  ApplyToolbarClick(45, 20);
  EXPECT_EQ(SaveScopeIconClicked, 1);
  EXPECT_EQ(PauseIconClicked, 0);
  rt::SaveWindowImage(kToolbarWindow, (TestOutputDir() / "w1001-toolbar.png").string());
}

TEST_F(ScreenWindow, NoteIconOpensTheNoteWindowAndReturnStoresIt) {
  MaxSamples = 300;
  DRAWSCREEN(1);
  Sample = 42;
  ApplyToolbarClick(130, 20);
  EXPECT_EQ(MarkerIconClicked, 1);
  EXPECT_EQ(ControlStripClicked, 0);
  ASSERT_EQ(NoteWindowIsOpen, 1);
  ASSERT_TRUE(rt::WindowExists(kNoteWindow));
  EXPECT_EQ(NoteSample, 42);
  Sample = 50;  // the note keeps the sample of the moment its window opened
  rt::SetEditText(kNoteField, "gas bottle changed");
  HandleNotes();  // the window's own opening events
  ASSERT_EQ(NoteWindowIsOpen, 1);
  WindowSteps::Return(kNoteWindow, kNoteField)();
  // The recording serves the window once per pass; the window's own activation
  // events may take a pass or two before Return is seen.
  for (int pass = 0; pass < 10 && NoteWindowIsOpen; ++pass) HandleNotes();
  EXPECT_EQ(NoteWindowIsOpen, 0);
  EXPECT_FALSE(rt::WindowExists(kNoteWindow));
  ASSERT_EQ(NumberOfNotes, 1);
  EXPECT_EQ(fileRemarks[1].text, "gas bottle changed");
  EXPECT_EQ(fileRemarks[1].sample, NumText(42));
  EXPECT_EQ(fileRemarks[1].time.size(), 8u);
}

TEST_F(ScreenWindow, CloseBoxAndEmptyNotesStoreNothing) {
  GetFileNote();
  rt::SetEditText(kNoteField, "discard me");
  HandleNotes();
  WindowSteps::CloseBox(kNoteWindow)();
  for (int pass = 0; pass < 10 && NoteWindowIsOpen; ++pass) HandleNotes();
  EXPECT_EQ(NumberOfNotes, 0);
  EXPECT_EQ(NoteWindowIsOpen, 0);
  GetFileNote();
  HandleNotes();
  WindowSteps::Click(kNoteWindow, 1)();  // OK on an empty note
  for (int pass = 0; pass < 10 && NoteWindowIsOpen; ++pass) HandleNotes();
  EXPECT_EQ(NumberOfNotes, 0);
  EXPECT_EQ(NoteWindowIsOpen, 0);
}

TEST_F(ScreenWindow, LongNoteIsCutTo250Characters) {
  GetFileNote();
  rt::SetEditText(kNoteField, std::string(300, 'x'));
  HandleNotes();
  EXPECT_EQ(rt::EditText(kNoteField).size(), 250u);
  EXPECT_EQ(rt::EditText(kNoteCountField), "250");
  EXPECT_EQ(NoteWindowIsOpen, 1);
}

TEST_F(ScreenWindow, TheNoteCountNeverLagsBehindTheText) {
  struct Case {
    const char* what;
    std::string before;  // already in the field
    std::string key;     // typed during the pass
    const char* count;
  };
  const Case cases[] = {{"the first key", "", "O", "1"},
                        {"a key after others", "O2 cal", "b", "7"},
                        {"a key past the limit", std::string(250, 'x'), "y", "250"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GetFileNote();
    HandleNotes();  // the window's own opening events
    rt::SetOutputWindow(kNoteWindow);
    rt::SetEditText(kNoteField, c.before);
    // The key arrives as the pass pumps the events, as a user's key does.
    std::string pending = c.key;
    rt::SetPumpHook([&pending] {
      if (!pending.empty()) WindowSteps::Keys(kNoteWindow, kNoteField, pending)();
      pending.clear();
    });
    HandleNotes();
    rt::SetPumpHook(nullptr);
    ASSERT_EQ(NoteWindowIsOpen, 1);
    rt::SetOutputWindow(kNoteWindow);
    EXPECT_EQ(rt::EditText(kNoteCountField), c.count);
    EXPECT_EQ(std::to_string(rt::EditText(kNoteField).size()), c.count);
    rt::SaveWindowImage(kNoteWindow,
                        (TestOutputDir() / ("w1999-note-" + std::string(c.count) + ".png")).string());
    WindowSteps::CloseBox(kNoteWindow)();
    for (int pass = 0; pass < 10 && NoteWindowIsOpen; ++pass) HandleNotes();
  }
}

TEST_F(ScreenWindow, FiftyFirstNoteOnlySoundsTheRefusal) {
  NoteSample = 1;
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(StoreNote("n"));
  EXPECT_FALSE(StoreNote("one too many"));
  EXPECT_EQ(NumberOfNotes, 50);
  GetFileNote();
  EXPECT_EQ(Played("bzot.mp3"), 1);
  EXPECT_FALSE(rt::WindowExists(kNoteWindow));
  EXPECT_EQ(NoteWindowIsOpen, 0);
}

TEST_F(ScreenWindow, CounterPresetsGoOutForDT500Counters) {
  auto port = std::make_unique<ScriptedSerialPort>();
  ScriptedSerialPort& line = *port;
  InstallSerialPort(std::move(port));
  External_AD = ExternalADCode::DT500;
  Layout(3, 700);
  ChannelVariables[2][ChanField::Input] = 7;
  ChannelVariables[3][ChanField::Input] = 12;
  DataTakerChannels[2][DataTakerWord::Counter] = 1;
  DataTakerChannels[3][DataTakerWord::Counter] = 1;
  counterstart = 250;
  MaxSamples = 300;
  DRAWSCREEN(0);
  EXPECT_EQ(line.Written(), "7HSC= 250\r12HSC= 250\r");
  EXPECT_EQ(OverRangeVolts, 3.5f);
  External_AD = ExternalADCode::DT800;  // other loggers have no such counters
  DRAWSCREEN(0);
  EXPECT_EQ(line.Writes().size(), 2u);
  CloseSerialPort();
}

TEST_F(ScreenWindow, RefusedCounterPresetStopsTheRestOfTheLines) {
  struct RefusingPort : ScriptedSerialPort {
    int attempts = 0;
    bool Write(std::string_view) override { return ++attempts, false; }
  };
  auto port = std::make_unique<RefusingPort>();
  RefusingPort& line = *port;
  InstallSerialPort(std::move(port));
  External_AD = ExternalADCode::DT50;
  for (int ch = 1; ch <= 2; ++ch) DataTakerChannels[ch][DataTakerWord::Counter] = 1;
  MaxSamples = 300;
  DRAWSCREEN(0);
  EXPECT_EQ(line.attempts, 1);
  EXPECT_TRUE(rt::WindowExists(1));
  CloseSerialPort();
}

// A stand-in for the chart view window: the four readouts and room for the preview.
void OpenViewWindow() {
  rt::OpenWindow(60, "view", Rect{20, 60, 520, 260}, 6);
  for (int16_t f = 101; f <= 104; ++f) {
    const auto top = static_cast<int16_t>(20 * (f - 100));
    rt::NewEditField(f, "", Rect{10, top, 200, static_cast<int16_t>(top + 16)}, 5, 0);
  }
}

TEST_F(ScreenWindow, ScreenTimeReadoutsByDurationAndCount) {
  OpenViewWindow();
  SignificantFigures = 5;
  ChartIntervalInSeconds = 0.1;  // an 80 s screen, 5 s ticks, 3 screens
  MaxSamples = 2'400;
  SCREENTIME();
  EXPECT_EQ(rt::EditText(101), " 1x");
  EXPECT_EQ(rt::EditText(102), " 80 sec");
  EXPECT_EQ(rt::EditText(103), "3");
  EXPECT_EQ(rt::EditText(104), " 5");
  MaxSamples = 2'000;            // 2.5 screens
  ChartIntervalInSeconds = 1.0;  // 800 s: minutes, one-minute ticks
  SCREENTIME();
  EXPECT_EQ(rt::EditText(102), " 13.3 min");
  EXPECT_EQ(rt::EditText(103), " 2.50");
  EXPECT_EQ(rt::EditText(104), " 1");
  ChartIntervalInSeconds = 10.0;  // 8000 s: hours, ten-minute ticks
  SCREENTIME();
  EXPECT_EQ(rt::EditText(102), " 2.22 hr");
  EXPECT_FLOAT_EQ(tm, 8000.0f / 3600);
  EXPECT_EQ(rt::EditText(104), " 10");
  rt::CloseWindow(60);
}

TEST_F(ScreenWindow, PreviewBoxDrawsARandomTraceInsideItsFrame) {
  OpenViewWindow();
  rt::SeedRandom(7);
  ChartView = 1;
  DrawFakeChart(0);
  EXPECT_TRUE(Near(rt::CanvasPixel(249, 100), extremelyLightGray));
  EXPECT_TRUE(Near(rt::CanvasPixel(440, 65), RGBColor{0, 0, 0}));
  int traced = 0;
  for (int y = 60; y < 160; ++y) traced += Near(rt::CanvasPixel(350, y), ChartDataColor);
  EXPECT_GT(traced, 0);
  ScopeViewSTEP = 0;  // no density: the box without a trace
  DrawFakeChart(1);
  for (int y = 61; y < 160; ++y) ASSERT_TRUE(Near(rt::CanvasPixel(350, y), ChartBackgroundColor)) << y;
  rt::CloseWindow(60);
}

TEST_F(ScreenWindow, ScopeScreenGeometryAndTicks) {
  RecordingMODE = RecordingModeCode::Scope;
  ScopeMax = 1'000;
  scopeinterval = 0.0005f;  // a 0.5 s trace: ticks every 0.05 s, 80 pixels
  ScopeIntervalInSeconds = 0.0005;
  scopeXfactor = 0.8f;
  ScopeGain = 1;
  scsf = 5;
  ChartIntervalInSeconds = ScopeIntervalInSeconds;  // as the set-up window leaves them
  MaxSamples = 800;
  DRAWSCREEN(1);  // strips of 325 pixels: channel 1 ends at 373
  EXPECT_EQ(ScopeminimumPixels, 371);
  EXPECT_EQ(midPix, 371 - 326 / 2);
  EXPECT_EQ(ScopeBase, midPix);
  EXPECT_EQ(ScopeHite, 333);
  EXPECT_FLOAT_EQ(ScopeCalibrationFactor, 333.0f / 5);
  EXPECT_NEAR(scopeticgap, 80.0f, 0.01f);
  EXPECT_EQ(ShowDisplays, 0);
  EXPECT_FALSE(rt::EditFieldExists(300));
  EXPECT_FALSE(rt::ControlExists(899));
  rt::SetOutputWindow(1);
  // The sweep's first point is drawn at x 0.8 x 3 + 1: the first grid line 80 pixels on.
  EXPECT_TRUE(Near(rt::CanvasPixel(83, 200), ScopeFrameColor)) << "the first scope grid line";
  // Labels from 0, 0.05 s apart, as far as the plot reaches (0.45 s at x 723).
  const std::vector<ScopeTimeLabel> labels = ScopeTimeLabels();
  ASSERT_EQ(labels.size(), 10u);
  EXPECT_EQ(labels.front().text, " 0");
  EXPECT_EQ(labels.back().text, "0.45");
  rt::SaveWindowImage(1, (TestOutputDir() / "w1-acquisition-scope.png").string());
  PrefsArray[PrefsSlot::DT800FastScope] = 1;  // the fast scope always spans 1024 points
  NewScreen = 0;
  DRAWSCREEN(1);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 1024);
  EXPECT_EQ(rt::WindowContentRect(1).width(), 1024);
}

TEST_F(ScreenWindow, ScopePlusChartScreen) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  Layout(3, 700);
  ScopeMax = 800;
  scopeinterval = 0.0025f;  // a 2 s trace
  ScopeIntervalInSeconds = 0.0025;
  scopeXfactor = 1;
  MaxSamples = 600;
  DRAWSCREEN(1);
  EXPECT_EQ(ShowDisplays, 1);
  EXPECT_FALSE(rt::EditFieldExists(7)) << "the scope channel has no readout";
  EXPECT_TRUE(rt::EditFieldExists(8));
  EXPECT_GT(scopeticgap, 0.0f);
  rt::SetOutputWindow(1);
  const int bottom1 = static_cast<int>(ChannelVariables[1][ChanField::StripBottom]);
  EXPECT_TRUE(Near(rt::CanvasPixel(450, bottom1 - 60), ScopeBackgroundColor));
  EXPECT_TRUE(Near(rt::CanvasPixel(450, bottom1 + 60), ChartBackgroundColor));
  EXPECT_TRUE(Near(rt::CanvasPixel(601, bottom1 + 60), PlotFrameColor)) << "end of the period";
  rt::SaveWindowImage(1, (TestOutputDir() / "w1-acquisition-scope-chart.png").string());
}

// A demonstration recording with the screen live: n channels for 120 samples of a
// period shorter than one screen, on a display of the given size.
struct RecordingCase {
  int16_t channels;
  int screenWidth;
  int width;
};

class ScreenRecording : public ScreenWindow, public ::testing::WithParamInterface<RecordingCase> {};

TEST_P(ScreenRecording, StripsAndEndOfPeriodAfterAFewSeconds) {
  const RecordingCase c = GetParam();
  SetScreenSizeOverride(c.screenWidth, 768);
  PrefsArray[PrefsSlot::WindowWidth] = static_cast<int16_t>(c.width);
  Layout(c.channels, 690);
  datalabel2 = datalabel = Str255(std::string(30 * 8, ' '));
  ChartIntervalInSeconds = 0.05;
  MaxSamples = c.width - 150;
  InstallAcquisitionScreen();
  services::ReadControlStrip = [this] {
    if (script) script();
  };
  services::HandleNotes = [] {};
  DRAWSCREEN(1);
  ResetRunCounters();
  StartChartSchedule();
  script = [] {
    if (Sample == 120) Hold({rt::key::Escape});
  };
  EXPECT_EQ(Record(), RunEnd::StopKey);
  ReleaseAll();
  rt::SetOutputWindow(1);
  EXPECT_EQ(rt::WindowContentRect(1).width(), c.width);
  const int n = c.channels;
  const int top1 = StripTop(static_cast<int>(ChannelVariables[1][ChanField::StripBottom]),
                            static_cast<int>(ChannelVariables[1][ChanField::StripHeight]));
  const int bottomN = static_cast<int>(ChannelVariables[n][ChanField::StripBottom]);
  EXPECT_TRUE(Near(rt::CanvasPixel(c.width - 5, top1), PlotFrameColor)) << "channel 1's top edge";
  EXPECT_TRUE(Near(rt::CanvasPixel(c.width - 5, bottomN), PlotFrameColor)) << "the last strip's bottom edge";
  EXPECT_TRUE(Near(rt::CanvasPixel(0, (top1 + bottomN) / 2), PlotFrameColor)) << "the left edge";
  // The bar fills x MaxSamples..MaxSamples + 2 down the strips, and nothing left of it.
  const int y = (top1 + bottomN) / 2 + 3;
  EXPECT_TRUE(Near(rt::CanvasPixel(MaxSamples + 1, y), PlotFrameColor));
  EXPECT_FALSE(Near(rt::CanvasPixel(MaxSamples - 4, y), PlotFrameColor));
  const std::string file =
      "w1-acquisition-" + std::to_string(n) + "ch-" + std::to_string(c.screenWidth) + ".png";
  rt::SaveWindowImage(1, (TestOutputDir() / file).string());
}

// The program's own window on a 1024 display, a wide window on 1366.
INSTANTIATE_TEST_SUITE_P(Displays, ScreenRecording,
                         ::testing::Values(RecordingCase{1, 1024, 1024}, RecordingCase{4, 1024, 1024},
                                           RecordingCase{16, 1024, 1024}, RecordingCase{1, 1366, 1300},
                                           RecordingCase{4, 1366, 1300}, RecordingCase{16, 1366, 1300}));

}  // namespace
}  // namespace mv::test
