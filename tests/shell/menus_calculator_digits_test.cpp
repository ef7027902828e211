// The digits chosen in View > Significant Digits are the digits a calculator shows:
// the choice goes through the menu handler, the calculator through the Special menu.
#include <charconv>
#include <cmath>
#include <string>

#include "common/window_steps.h"
#include "runtime/windows.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using namespace MenuNumber;

constexpr int16_t kCalculator = 8, kAdjustedValue = 115, kComputeAdjusted = 1, kDone = 3;
constexpr int16_t kQ10Item = 14;

class CalculatorDigitsTest : public test::MenusTest, public test::WindowSteps {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    MainMENU();
    rt::SetMenuHandler(DoMENU);
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    MenusTest::TearDown();
  }
};

// A value from 1 to 10 rounded to n significant digits (n - 1 decimals), trailing
// zeros dropped, with the blank in the sign place.
std::string Rounded(double v, int n) {
  char buf[32];
  std::string text(buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, n - 1).ptr);
  while (text.back() == '0') text.pop_back();
  return " " + text;
}

TEST_F(CalculatorDigitsTest, ACalculatorShowsTheDigitsChosenInTheViewMenu) {
  // The Q10 window's opening entries: 1 * 2.2^((39 - 37)/10) = 1.170804.
  const double adjusted = std::pow(2.2, 0.2);
  struct Case {
    int16_t menuItem;  // "Four", "Five", "Six"
    int digits;
  };
  for (const Case& c : {Case{1, 4}, Case{2, 5}, Case{3, 6}}) {
    SCOPED_TRACE(c.digits);
    rt::bridge::ChooseMenuItem(Digits, c.menuItem);
    rt::PumpEvents(0);
    EXPECT_TRUE(rt::MenuItemChecked(Digits, c.menuItem));
    std::string shown;
    Drive({Until(kCalculator), Click(kCalculator, kComputeAdjusted),
           Do([&] { shown = TextOf(kCalculator, kAdjustedValue); }), Click(kCalculator, kDone)},
          [] { rt::CloseWindow(kCalculator); });
    DoMENU(Special, kQ10Item);
    EXPECT_TRUE(ScriptDone());
    EXPECT_EQ(shown, Rounded(adjusted, c.digits));
  }
}

}  // namespace
}  // namespace mv
