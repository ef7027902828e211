// The interface picture of the scope Sample Rate window: it keeps to its space
// between the rate column and the trace controls, and a click does not wipe it.
#include "acquisition/state.h"
#include "devices/state.h"
#include "dialog_steps.h"
#include "files/state.h"
#include "kit/builders.h"
#include "kit/state.h"
#include "runtime/windows.h"
#include "setup/needs.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t kWindow = kIntervalWindow;
constexpr int16_t kOK = 14;

// Pixels of the window's canvas in the area that are not the window background.
int InkIn(int left, int top, int right, int bottom) {
  rt::SetOutputWindow(kWindow);
  int ink = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (rt::CanvasPixel(x, y) != kThemeBackground) ++ink;
  return ink;
}

class IntervalPictureTest : public test::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    PrefsArray[PrefsSlot::WindowWidth] = 700;
    OldScopeSpeed = 0.01666667;
    ScopeIntervalInSeconds = OldScopeSpeed;
  }
};

TEST_F(IntervalPictureTest, ThePictureStaysInItsSpaceAndSurvivesAClick) {
  struct Case {
    const char* what;
    int16_t mode, interface, demonstration, channels;
  };
  const Case cases[] = {
      {"UI3, scope", RecordingModeCode::Scope, ExternalADCode::SableUI3, 0, 1},
      {"DT800, scope", RecordingModeCode::Scope, ExternalADCode::DT800, 0, 1},
      {"test mode, scope", RecordingModeCode::Scope, ExternalADCode::Demonstration, 1, 1},
      {"DT800, scope plus chart", RecordingModeCode::ScopeChart, ExternalADCode::DT800, 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingMODE = c.mode;
    External_AD = c.interface;
    DemonstrationMODE = c.demonstration;
    nChannels = c.channels;
    // The space the picture has: below the interval field, left of the trace controls,
    // above the note; the picture's lower half is where a click's caution box goes.
    const auto check = [] {
      EXPECT_GT(InkIn(160, 143, 260, 186), 500) << "the lower half of the picture shows";
      EXPECT_EQ(InkIn(262, 100, 355, 186), 0) << "nothing of the picture reaches the trace controls";
    };
    test::WindowDriver driver;
    driver.WaitFor(kWindow).Check(check).Click(kWindow, 3).Check(check).Click(kWindow, kOK);
    RunVoid(driver, [] { GetSampleINTERVAL("OSCILLOSCOPE"); });
  }
}

}  // namespace
}  // namespace mv
