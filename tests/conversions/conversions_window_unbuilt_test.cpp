// The conversions window's button into a window that is not part of the program yet
// ("Direct Calibration...") is dimmed, so a click on it can never pass for a window
// that opened and closed; once its window is installed, the button is offered.
// "Additional Options..." opens this floor's own window and is always offered.
#include <gtest/gtest.h>

#include "conversions/conversions_window.h"
#include "conversions/needs.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "setup/state.h"
#include "window_fixture.h"

namespace mv {
namespace {

constexpr int16_t W = kConversionsWindow;
constexpr int16_t kOptions = ConversionsButton::Options, kCalibration = ConversionsButton::DirectCalibration;
constexpr int16_t kOK = ConversionsButton::SelectionOK;

class UnbuiltButtonsTest : public test::ConversionWindowTest {
 protected:
  void SetUp() override {
    ConversionWindowTest::SetUp();
    RecordingMODE = RecordingModeCode::Chart;
    External_AD = ExternalADCode::SableUI2;
    nChannels = 2;
    datalabel = Str255(std::string(240, ' '));
    datalabel2 = datalabel;
    for (int16_t c = 1; c <= 2; ++c) {
      ChannelVariables[c][ChanField::Input] = c;
      ChannelVariables[c][ChanField::B] = 1.0f;
      ChannelVariables[0][c] = 1.0f;
    }
    rt::NewMenu(100, "Conversion Equations");
    rt::NewMenu(120, "Conversion Options");
  }
  static int16_t StateOf(int16_t button) {
    rt::SetOutputWindow(W);
    return rt::ControlState(button);
  }
};

TEST_F(UnbuiltButtonsTest, AButtonIntoAMissingWindowIsDimmedAndAClickOnItDoesNothing) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(StateOf(kOptions), 1);
        EXPECT_EQ(StateOf(kCalibration), 0);
      })
      .Click(W, kCalibration)
      .Check([] { EXPECT_TRUE(rt::WindowExists(W)) << "a dimmed button takes no click"; })
      .Shot(W, Shot("w10-conversions-unbuilt-windows.png"))
      .Click(W, kOK);
  Run(driver, [] { CONVERT(2); });
  EXPECT_EQ(ChannelVariables[2][ChanField::B], 1.0f) << "the channel keeps its conversion";
}

TEST_F(UnbuiltButtonsTest, AnInstalledCalibrationWindowIsOffered) {
  conversion_hooks::DIRECTCAL = [this](int16_t channel) {
    calls.push_back("calibration " + std::to_string(channel));
    Action = ActionCode::CloseBox;
  };
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(StateOf(kOptions), 1);
        EXPECT_EQ(StateOf(kCalibration), 1);
      })
      .Click(W, kCalibration)
      .WaitFor(W)
      .Click(W, kOK);
  Run(driver, [] { CONVERT(2); });
  EXPECT_EQ(Count("calibration 2"), 1);
}

}  // namespace
}  // namespace mv
