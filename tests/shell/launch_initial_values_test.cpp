// Program-wide values at launch: the display test, the preference slots, one
// value of each kind the start-up sets, and the preferences file read after them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "acquisition/state.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/prefs_file.h"
#include "files/state.h"
#include "kit/prefs_slots.h"
#include "kit/state.h"
#include "runtime/system.h"
#include "setup/state.h"
#include "shell/initial_values.h"
#include "shell/startup.h"
#include "shell_test_support.h"

namespace mv {
namespace {

// Each test starts and ends without a preferences file: one a test saves is not left
// for the next.
class InitialValuesTest : public test::LaunchTest {
 protected:
  void SetUp() override {
    LaunchTest::SetUp();
    std::filesystem::remove(PreferencesFilePath());
  }
  void TearDown() override {
    std::filesystem::remove(PreferencesFilePath());
    LaunchTest::TearDown();
  }
  // Saves the values as they are, with the weird sounds chosen, as the preferences file.
  static void SavePreferencesWithWeirdSounds() {
    PrefsArray[PrefsSlot::WeirdSounds] = 1;
    const FileResult saved = SavePreferencesFile();
    ASSERT_TRUE(saved) << saved.reason;
  }
};

// Values the start-up sets, spoiled first so that a value the start-up forgets shows.
void SpoilValues() {
  PrefsArray.fill(7);
  MaximumChans = 3;
  ScopeIntervalInSeconds = 9;
  TimedSaveINTERVAL = 1;
  MaximumSamples = MaxSamples = 1;
  conversionsArray.fill(-1);
  for (auto& row : BreakpointArray) row.fill(-1);
  ChannelVariables[0].fill(-1);
  prefix = "spoilt";
  ActiveSerialPort = 4;
  for (int c = 1; c <= 16; ++c) DataTakerChannels[c][DataTakerWord::Kind] = 0;
  RecordingMODE = 3;
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
  SavePreferencesWithWeirdSounds();
  UseDisplay("1280x479");
  testing::internal::CaptureStderr();
  const int status = test::ExitStatusOf(SetInitialVariableValues);
  EXPECT_NE(status, -1) << "the program went on";
  EXPECT_NE(status, 0) << "a refusal is not reported as success";
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("480 pixels"), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line";
  EXPECT_EQ(PrefsArray[PrefsSlot::WeirdSounds], kPrefsInitialValues[PrefsSlot::WeirdSounds])
      << "the preferences file is not read";
}

TEST_F(InitialValuesTest, PreferenceSlotsStartAsTheirTableSaysExceptTheWindowSize) {
  SpoilValues();
  SetInitialVariableValues();
  for (int s = 0; s < kPrefsSlots; ++s) {
    if (s != PrefsSlot::WindowWidth && s != PrefsSlot::WindowHeight) {
      EXPECT_EQ(PrefsArray[s], kPrefsInitialValues[s]) << "slot " << s;
    }
  }
}

TEST_F(InitialValuesTest, ThePreferencesFileOverridesTheDefaultsButNotTheWindowSize) {
  SetInitialVariableValues();
  PrefsArray[PrefsSlot::WindowWidth] = 640;
  Max_Display_Speed = -1;
  conversionsArray[9 * 3 + 1] = 42;
  SavePreferencesWithWeirdSounds();
  SpoilValues();
  SetInitialVariableValues();
  EXPECT_EQ(PrefsArray[PrefsSlot::WeirdSounds], 1);
  EXPECT_EQ(Max_Display_Speed, -1);
  EXPECT_EQ(conversionsArray[9 * 3 + 1], 42.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 1024) << "the window size follows the display";
}

// One example of each kind of value the start-up sets.
TEST_F(InitialValuesTest, EveryKindOfProgramWideValueIsSetAtStart) {
  SpoilValues();
  SetInitialVariableValues();
  // Custom button n (1 to 8) is row n + 2 of nine values: a, b, c, minimum, maximum at 1-5, type at 8.
  for (int b = 1; b <= 8; ++b) EXPECT_EQ(conversionsArray[9 * (b + 2) + 8], 2.0f) << "button " << b;
  EXPECT_EQ(conversionsArray[9 * 3 + 1], 19.0f);
  EXPECT_EQ(buttonlbls.size(), 225u);
  EXPECT_EQ(BreakpointArray[22][0], 1.0f);
  EXPECT_EQ(BreakpointArray[1][3], 0.0f) << "the equation switches start off";
  EXPECT_EQ(prefix.str().substr(140, 20), "device 8            ");
  EXPECT_EQ(ScopeIntervalInSeconds, 0.0166667);
  EXPECT_EQ(TimedSaveINTERVAL, 108000);
  EXPECT_EQ(MaximumSamples, 2000000);
  for (int c = 1; c <= 16; ++c) {
    EXPECT_EQ(ChannelVariables[0][c], 1.0f) << "conversion type of channel " << c;
    EXPECT_EQ(DataTakerChannels[c][DataTakerWord::Kind], 1) << "channel " << c << " reads volts";
  }
  EXPECT_EQ(RecordingMODE, 1);
  EXPECT_EQ(ActiveSerialPort, -1);
}

}  // namespace
}  // namespace mv
