// The External A/D Device window's left half: every interface chosen in the popup
// shows its picture there, clear of the popup and of the button row beneath.
#include <gtest/gtest.h>

#include <string>

#include "connection_test_support.h"
#include "devices/connection.h"
#include "devices/state.h"
#include "kit/builders.h"
#include "kit/state.h"

namespace mv {
namespace {

constexpr int16_t kDeviceWindow = 21, kInterfacePopup = 182, kTestModeButton = 17;

// Canvas pixels in the area that are not the window background (the canvas holds
// what is drawn; the buttons and the popup are widgets above it).
int InkIn(int left, int top, int right, int bottom) {
  rt::SetOutputWindow(kDeviceWindow);
  int ink = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (rt::CanvasPixel(x, y) != kThemeBackground) ++ink;
  return ink;
}

using ExternalADPictureTest = test::ConnectionTest;

TEST_F(ExternalADPictureTest, EveryInterfaceShowsItsPictureInTheLeftHalf) {
  PrefsArray[PrefsSlot::InterfaceCode] = ExternalADCode::SableUI2;
  test::UserSteps user;
  for (const int code : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11}) {
    const std::string name = "interface " + std::to_string(code);
    user.Pick(kDeviceWindow, kInterfacePopup, code)
        .Check(kDeviceWindow,
               [name] {
                 // The picture's space is the window's left part above the buttons.
                 EXPECT_GT(InkIn(1, 1, 228, 209), 8000) << name << ": its picture fills the left half";
                 EXPECT_EQ(InkIn(0, 209, 260, 244), 0) << name << ": nothing of it under the buttons";
                 EXPECT_EQ(InkIn(229, 60, 236, 209), 0) << name << ": nothing of it beside the popup";
               })
        .Shot(kDeviceWindow, "w21-external-ad-device-" + std::to_string(code) + ".png");
  }
  user.Click(kDeviceWindow, kTestModeButton).Start();
  ExternalADtype(0);
  EXPECT_TRUE(user.Done());
}

}  // namespace
}  // namespace mv
