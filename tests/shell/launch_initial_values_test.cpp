// Program-wide values at launch: the display test, the preference slots, the
// limits, intervals, custom conversion buttons, breakpoint rows, device labels,
// colours and special characters, and the hardware-input table.
#include <gtest/gtest.h>

#include <string>

#include "acquisition/state.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "launch_test_support.h"
#include "runtime/system.h"
#include "setup/state.h"
#include "shell/initial_values.h"
#include "shell/kit/services.h"
#include "shell/startup.h"
#include "shell/state.h"

namespace mv {
namespace {

using InitialValuesTest = test::LaunchTest;

std::string Padded(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

// Every program-wide value the start-up sets, spoiled first so that a value the
// start-up forgets shows.
void SpoilValues() {
  PrefsArray.fill(7);
  MaximumChans = 3;
  nChannels = 9;
  ChartIntervalInSeconds = 9;
  OldChartSpeedBut = 1;
  ScopeIntervalInSeconds = 9;
  scopeinterval = 9;
  OldScopeSpeedBut = 9;
  TimedSaveINTERVAL = 1;
  Max_Display_Speed = 1;
  SampRateError = 1;
  MaximumSamples = 1;
  MaximumScopeSamples = 1;
  MaxSamples = 1;
  ChartView = 9;
  conversionsArray.fill(-1);
  for (auto& row : BreakpointArray) row.fill(-1);
  ChannelVariables[0].fill(-1);
  prefix = "spoilt";
  baudrate = 1;
  ActiveSerialPort = 4;
  mainsfrequency = 50;
  SerialWarningBuzz = 0;
  MarkerCounter = 1;
  Digital_Port = 0;
  for (auto& row : AOscript) row.fill(0);
  FeedbackUpdateInterval = 1;
  NegativeFEEDBACK = 0;
  FeedbackEndMode = 0;
  FdBkEndRange = 0;
  FdBkEndSetpoint = 0;
  FdBkEndMaxV = 0;
  StartAlertSound = ContAlertSound = StopAlertSound = 0;
  StartAlertInt = 0;
  BarometricPressure = 1;
  flowrate = 1;
  EFForeColor = EFBackColor = 4;
  WindowFont = 1;
  RecordingMODE = 3;
  ScopeScale = 4;
  GainSet = 3;
  TriggerSequence = TriggerSaveCount = 3;
  for (int c = 1; c <= 16; ++c) DataTakerChannels[c][DataTakerWord::Kind] = 0;
}

TEST_F(InitialValuesTest, WindowSizeAndChannelLimitFollowTheDisplay) {
  struct Case {
    const char* display;
    int16_t width, height, maximumChans;
  };
  const Case cases[] = {{"1280x800", 1024, 750, 16},
                        {"1000x700", 950, 650, 16},
                        {"1920x1200", 1024, 768, 16},
                        {"640x480", 590, 430, 12},
                        {"1024x481", 1024, 431, 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.display);
    UseDisplay(c.display);
    SpoilValues();
    SetInitialVariableValues();
    EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], c.width);
    EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], c.height);
    EXPECT_EQ(MaximumChans, c.maximumChans);
    EXPECT_EQ(MaxSamples, c.width) << "the default recording length is the window width";
  }
}

TEST_F(InitialValuesTest, RecordingWindowNeverRunsPastTheBottomOfAWideLowDisplay) {
  EXPECT_EQ(RecordingWindowSizeForDisplay(1366, 768).height, 718);
  EXPECT_EQ(RecordingWindowSizeForDisplay(1280, 720).height, 670);
  EXPECT_EQ(RecordingWindowSizeForDisplay(1366, 768).width, 1024);
}

TEST_F(InitialValuesTest, ADisplayLowerThan480EndsTheProgramWithAReasonAndAFailureStatus) {
  UseDisplay("1280x479");
  bool preferencesRead = false;
  services::SetInitialColorValues = [&] { preferencesRead = true; };
  testing::internal::CaptureStderr();
  try {
    SetInitialVariableValues();
    ADD_FAILURE() << "the program went on";
  } catch (const rt::ProgramExit& e) {
    EXPECT_NE(e.status, 0) << "a refusal is not reported as success";
  }
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("480 pixels"), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line";
  EXPECT_FALSE(preferencesRead);
}

TEST_F(InitialValuesTest, PreferenceSlotsStartAsTheirTableSays) {
  SpoilValues();
  SetInitialVariableValues();
  const int ones[] = {3, 7, 14, 15, 18, 22, 23, 24, 25, 27, 28, 29, 31, 39, 48, 51};
  std::array<int16_t, kPrefsSlots> expected{};
  for (int s : ones) expected[s] = 1;
  expected[13] = 2;
  expected[35] = 2;
  expected[19] = 100;
  expected[11] = 1024;
  expected[12] = 750;
  for (int s = 0; s < kPrefsSlots; ++s) EXPECT_EQ(PrefsArray[s], expected[s]) << "slot " << s;
}

TEST_F(InitialValuesTest, ThePreferencesFileOverridesTheDefaultsButNotTheWindowSize) {
  services::SetInitialColorValues = [] {
    EXPECT_EQ(PrefsArray[PrefsSlot::ToolbarHelp], 1) << "slots are set before the file is read";
    PrefsArray[PrefsSlot::WeirdSounds] = 1;
    PrefsArray[PrefsSlot::WindowWidth] = 640;
    PrefsArray[PrefsSlot::WindowHeight] = 400;
    PrefsArray[PrefsSlot::InterfaceCode] = 5;
    Digital_Port = 0;
    Max_Display_Speed = -1;
    SampRateError = 0.05f;
    conversionsArray[9 * 3 + 1] = 42;
    ChartFrameColor = RGBColor{1, 2, 3};
  };
  SetInitialVariableValues();
  EXPECT_EQ(PrefsArray[PrefsSlot::WeirdSounds], 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::InterfaceCode], 5);
  EXPECT_EQ(Digital_Port, 0);
  EXPECT_EQ(Max_Display_Speed, -1);
  EXPECT_EQ(SampRateError, 0.05f);
  EXPECT_EQ(conversionsArray[9 * 3 + 1], 42.0f);
  EXPECT_EQ(ChartFrameColor, (RGBColor{1, 2, 3}));
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 1024) << "the window size follows the display";
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 750);
}

TEST_F(InitialValuesTest, CustomConversionButtonsStartWithTheirPresets) {
  SpoilValues();
  SetInitialVariableValues();
  // Button n (1 to 8) is row n + 2 of nine values: a, b, c, minimum, maximum at 1-5, type at 8.
  auto value = [](int button, int k) { return conversionsArray[9 * (button + 2) + k]; };
  EXPECT_EQ(value(1, 1), 19.0f);
  EXPECT_EQ(value(1, 2), 0.5f);
  EXPECT_EQ(value(1, 3), 0.0f);
  EXPECT_EQ(value(1, 4), 19.0f);
  EXPECT_EQ(value(1, 5), 21.5f);
  EXPECT_EQ(value(2, 1), 2.0f);
  EXPECT_EQ(value(2, 2), -0.5f);
  EXPECT_EQ(value(8, 2), 13333.3f);
  EXPECT_EQ(value(8, 5), 50000.0f);
  for (int b = 1; b <= 8; ++b) EXPECT_EQ(value(b, 8), 2.0f) << "button " << b << " is a polynomial";
  const float threeWay[8] = {0, 0.1419f, 0.00001536f, 0.000000001874f, 0.0001f, 10000, 0, 0.3f};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(conversionsArray[100 + k], threeWay[k]) << "value " << 100 + k;

  const std::string titles = buttonlbls.str();
  ASSERT_EQ(titles.size(), 225u);
  EXPECT_EQ(titles.substr(0, 25), Padded("% Oxygen (Sable 19-21.5%)", 25));
  EXPECT_EQ(titles.substr(25, 25), Padded("\xC6 %O2 (Sable 19-21.5%)", 25));
  EXPECT_EQ(titles.substr(50, 25), Padded("\xC6  % Oxygen (S-3A)", 25));
  EXPECT_EQ(titles.substr(200, 25), "%CO2 (Li-Cor), 3-way poly");
  const std::string labels = butcomments.str();
  ASSERT_EQ(labels.size(), 240u);
  EXPECT_EQ(labels.substr(0, 30), Padded("% oxygen  (Sable)", 30));
  EXPECT_EQ(labels.substr(120, 30), Padded("temperature (\xA1"
                                           "C)",
                                           30));
  EXPECT_EQ(labels.substr(210, 30), Padded("helox flow (0-5000 ml/min)", 30));
  EXPECT_EQ(but1lbls.str(), Padded("% CO2 (LiCor)", 30));
}

TEST_F(InitialValuesTest, BreakpointRowsStartAsOnesWithTheEquationSwitchesOff) {
  SpoilValues();
  SetInitialVariableValues();
  for (int row = 1; row <= 22; ++row) {
    for (int k = 0; k < kBreakpointFields; ++k) {
      const bool zero = k == 3 || k == 5 || k == 8 || k == 10 || k == 13 || k == 15 || k == 18 || k == 19;
      EXPECT_EQ(BreakpointArray[row][k], zero ? 0.0f : 1.0f) << "row " << row << " value " << k;
    }
  }
}

TEST_F(InitialValuesTest, DeviceLabelsIntervalsLimitsAndOtherDefaults) {
  SpoilValues();
  SetInitialVariableValues();
  std::string labels;
  for (int k = 1; k <= 8; ++k) labels += Padded("device " + std::to_string(k), 20);
  EXPECT_EQ(prefix.str(), labels);

  EXPECT_EQ(ChartIntervalInSeconds, 1.0);
  EXPECT_EQ(OldChartSpeed, 1.0);
  EXPECT_EQ(OldChartSpeedBut, 9);
  EXPECT_EQ(ScopeIntervalInSeconds, 0.0166667);
  EXPECT_EQ(OldScopeSpeed, 0.0166667);
  EXPECT_EQ(scopeinterval, 0.0166667f);
  EXPECT_EQ(OldScopeSpeedBut, 2);
  EXPECT_EQ(ChartView, 1.0f);
  EXPECT_EQ(TimedSaveINTERVAL, 108000);
  EXPECT_EQ(Max_Display_Speed, 10000);
  EXPECT_EQ(SampRateError, 0.03f);
  EXPECT_EQ(MaximumSamples, 2000000);
  EXPECT_EQ(MaximumScopeSamples, 16384);

  EXPECT_EQ(nChannels, 0);
  for (int c = 1; c <= 16; ++c) {
    EXPECT_EQ(ChannelVariables[0][c], 1.0f) << "conversion type of channel " << c;
    EXPECT_EQ(DataTakerChannels[c][DataTakerWord::Kind], 1) << "channel " << c << " reads volts";
  }
  EXPECT_EQ(RecordingMODE, 1);
  EXPECT_EQ(ScopeScale, 1);
  EXPECT_EQ(baudrate, 9600);
  EXPECT_EQ(ActiveSerialPort, -1);
  EXPECT_EQ(Digital_Port, 2);
  EXPECT_EQ(mainsfrequency, 60);
  EXPECT_EQ(SerialWarningBuzz, 1);
  EXPECT_EQ(MarkerCounter, 201);
  EXPECT_EQ(GainSet, 1);
  EXPECT_EQ(TriggerSequence, 1);
  EXPECT_EQ(TriggerSaveCount, 1);
  for (int row = 7; row <= 10; ++row) EXPECT_EQ(AOscript[row][0], 1.0f) << "script row " << row;
  EXPECT_EQ(FeedbackUpdateInterval, 60);
  EXPECT_EQ(NegativeFEEDBACK, 1);
  EXPECT_EQ(FeedbackEndMode, 1);
  EXPECT_EQ(FdBkEndRange, 1.0f);
  EXPECT_EQ(FdBkEndSetpoint, 20.0f);
  EXPECT_EQ(FdBkEndMaxV, 5.0f);
  EXPECT_EQ(StartAlertSound + ContAlertSound + StopAlertSound, 3);
  EXPECT_EQ(StartAlertInt, 1.0f);
  EXPECT_EQ(BarometricPressure, 760.0f);
  EXPECT_EQ(flowrate, 100.0f);
  EXPECT_EQ(EFForeColor, 1);
  EXPECT_EQ(EFBackColor, 1);
  EXPECT_EQ(WindowFont, 8);
}

TEST_F(InitialValuesTest, ColoursAndSpecialCharactersOfTheStart) {
  degrees = bullet = "x";
  Aqua = blueGray = ScopeFrameColor = FastScopeBackground = RGBColor{1, 1, 1};
  version = "";
  SetMainValues();
  EXPECT_EQ(ScopeFrameColor, (RGBColor{577, 43860, 60159})) << "main's own value";
  SetInitialVariableValues();
  EXPECT_EQ(FastScopeBackground, (RGBColor{56680, 2242, 1698}));
  EXPECT_EQ(ScopeBackgroundColor, (RGBColor{0, 0, 54272}));
  EXPECT_EQ(ScopeFrameColor, (RGBColor{64512, 62333, 1327})) << "the defaults replace main's value";
  EXPECT_EQ(ChartBackgroundColor, (RGBColor{577, 43860, 60159}));
  EXPECT_EQ(PlotFrameColor, (RGBColor{0, 0, 54272}));
  EXPECT_EQ(B_red, (RGBColor{65530, 0, 0}));
  EXPECT_EQ(Aqua, (RGBColor{0, 55700, 65535}));
  EXPECT_EQ(blueGray, (RGBColor{26000, 34000, 42400}));
  EXPECT_EQ(manila, (RGBColor{65535, 65399, 50461}));

  EXPECT_EQ(degrees.str(), "\xA1");
  EXPECT_EQ(degC.str(),
            "\xA1"
            "C");
  EXPECT_EQ(delta.str(), "\xC6");
  EXPECT_EQ(bullet.str(), "\xA5");
  EXPECT_EQ(piValue.str(), "\xB9");
  EXPECT_EQ(divideBy.str(), "\xD6");
  EXPECT_EQ(copyrightSign.str(), "\xA9");
  EXPECT_EQ(version.str(), "1 September 2017");
}

}  // namespace
}  // namespace mv
