// The conversions window's buttons into windows that are not part of the program yet
// ("Additional Options..." and "Direct Calibration...") are dimmed, so a click on
// them can never pass for a window that opened and closed; once their windows are
// installed, the same buttons are offered.
#include <gtest/gtest.h>

#include "conversions/conversions_window.h"
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

TEST_F(UnbuiltButtonsTest, ButtonsIntoMissingWindowsAreDimmedAndClicksOnThemDoNothing) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(StateOf(kOptions), 0);
        EXPECT_EQ(StateOf(kCalibration), 0);
      })
      .Click(W, kCalibration)
      .Click(W, kOptions)
      .Check([] { EXPECT_TRUE(rt::WindowExists(W)) << "a dimmed button takes no click"; })
      .Shot(W, Shot("w10-conversions-unbuilt-windows.png"))
      .Click(W, kOK);
  Run(driver, [] { CONVERT(2); });
  EXPECT_EQ(ChannelVariables[2][ChanField::B], 1.0f) << "the channel keeps its conversion";
}

TEST_F(UnbuiltButtonsTest, InstalledWindowsAreOffered) {
  conversion_hooks::ConversionOptions = [this](int16_t channel) {
    calls.push_back("options " + std::to_string(channel));
  };
  conversion_hooks::DIRECTCAL = [](int16_t) { Action = ActionCode::CloseBox; };
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(StateOf(kOptions), 1);
        EXPECT_EQ(StateOf(kCalibration), 1);
      })
      .Click(W, kOptions)
      .Click(W, kOK);
  Run(driver, [] { CONVERT(2); });
  EXPECT_EQ(Count("options 2"), 1);
}

}  // namespace
}  // namespace mv
