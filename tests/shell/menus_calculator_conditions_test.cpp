// The condition-changing calculators run from the menu bar while the file
// information window is open: the window ends and keeps what the calculator stored,
// whichever menu handler carried the choice out.
#include <vector>

#include "common/window_steps.h"
#include "files/file_info_window.h"
#include "files/state.h"
#include "menus_test_support.h"
#include "runtime/qt_bridge.h"
#include "runtime/windows.h"
#include "shell/calc_wiring.h"

namespace mv {
namespace {

constexpr int16_t kCalculator = 8;
constexpr int16_t kInfo = kFileInfoWindow;

class CalculatorFromFileInfoTest : public test::MenusTest, public test::WindowSteps {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    InstallCalculators();
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    MenusTest::TearDown();
  }

  void RunFileInfo(std::vector<Step> steps) {
    steps.insert(steps.begin(), Until(kInfo));
    steps.push_back(Gone(kInfo));  // it ends by itself
    Drive(std::move(steps), [] {
      for (int16_t w : {kCalculator, kInfo}) rt::CloseWindow(w);
    });
    GETFILECOMMENTS();
    rt::SetPumpHook(nullptr);
    EXPECT_LE(StepsLeft(), 1u) << "only the wait for the window's own end may be left";
    EXPECT_FALSE(rt::WindowExists(kInfo)) << "the handled menu choice ends the window";
  }
  static Step Choose(int16_t menu, int16_t menuItem) {
    return [menu, menuItem] {
      rt::bridge::ChooseMenuItem(menu, menuItem);
      return true;
    };
  }
};

TEST_F(CalculatorFromFileInfoTest, StoredStpFlowWinsOverTheFieldsShown) {
  rt::SetMenuHandler(DoMENU);  // the file information window is opened from the full menu bar
  flowrate = 100;
  flowtemp = 20;
  RunFileInfo({Type(kInfo, kMassField, "31"), Choose(MenuNumber::Special, 5), Until(kCalculator),
               Type(kCalculator, 117, "0"), Type(kCalculator, 112, "250"), Click(kCalculator, 15),
               Click(kCalculator, 12), Click(kCalculator, 13)});
  EXPECT_EQ(MENUID, 255);
  EXPECT_EQ(flowrate, 250.0f) << "not the 100 the window showed";
  EXPECT_EQ(flowtemp, 0.0f) << "not the 20 the window showed";
  EXPECT_EQ(BarometricPressure, 760.0f);
  EXPECT_EQ(mass, 31.0f) << "what was typed in the window is kept";
}

TEST_F(CalculatorFromFileInfoTest, StoredPressureWinsThroughTheReducedMenuHandler) {
  rt::SetMenuHandler(services::ShortMENU);
  RunFileInfo({Type(kInfo, kFlowRateField, "180"), Choose(MenuNumber::Special, 6), Until(kCalculator),
               Type(kCalculator, 111, "700"), Click(kCalculator, 3), Click(kCalculator, 4)});
  EXPECT_EQ(BarometricPressure, 700.0f);
  EXPECT_EQ(flowrate, 180.0f);
}

TEST_F(CalculatorFromFileInfoTest, OxygenCalculatorsPresetsReachTheConditions) {
  rt::SetMenuHandler(DoMENU);
  RunFileInfo({Choose(MenuNumber::Special, 8), Until(kCalculator), Click(kCalculator, 20)});
  EXPECT_EQ(BarometricPressure, 742.5f);
  flowtemp = 0;
  rt::SetMenuHandler(DoMENU);  // the calculator left its own handlers installed
  RunFileInfo({Choose(MenuNumber::Special, 9), Until(kCalculator), Click(kCalculator, 14)});
  EXPECT_EQ(flowtemp, 10.0f);
}

}  // namespace
}  // namespace mv
