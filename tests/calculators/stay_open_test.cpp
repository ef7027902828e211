// The calculators' shared loop as the user meets it in each of them: every
// calculator stays open with its entries while the user reads the help "?" opened,
// or turns to another window or program (only Done and its close box end it), and
// only Return and Enter stand for the default button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTextBrowser>
#include <QWidget>
#include <cmath>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "calculators/altitude.h"
#include "calculators/altitude_simulation.h"
#include "calculators/closed_system.h"
#include "calculators/day_of_year.h"
#include "calculators/dissolved_o2.h"
#include "calculators/expression_window.h"
#include "calculators/metabolism.h"
#include "calculators/po2.h"
#include "calculators/q10.h"
#include "calculators/regression.h"
#include "calculators/simple_math.h"
#include "calculators/stp_flow.h"
#include "calculators/sun_cycle_window.h"
#include "calculators/unit_conversions.h"
#include "calculators/washout.h"
#include "conditions_driver.h"
#include "kit/protocol.h"
#include "runtime/help.h"

namespace mv::calc {
namespace {

struct Calculator {
  const char* name;
  std::function<void()> open;
  int16_t entry;  // a field the user typed into
  int16_t help;   // its "?" button (0: none)
  int16_t done;
};

const Calculator kCalculators[] = {
    {"simple-math", [] { SIMPLECALC(); }, 111, 40, 41},
    {"stp-flow", [] { STPflowAdjust(); }, 112, 20, 13},
    {"po2", [] { PO2CALC(); }, 111, 21, 20},
    {"unit-conversions", [] { UnitCONVERT(); }, 111, 0, 120},
    {"altitude", [] { ALTITUDE(); }, 111, 15, 4},
    {"altitude-simulation", [] { AltitudeSimulation(); }, 111, 5, 4},
    {"dissolved-o2", [] { DissolvedO2CALC(); }, 104, 13, 14},
    {"q10", [] { Q10adjust(); }, 111, 4, 3},
    {"day-of-year", [] { DayOfTheYear(); }, 111, 0, 20},
    {"closed-system", [] { ClosedSystemRespirometry(); }, 112, 3, 2},
    {"regression", [] { SimpleRegression(); }, 101, 3, 66},
    {"metabolism", [] { METABOLISM(1); }, 112, 334, 3},
    {"sun-cycle", [] { Sunrise(); }, 1, 242, 241},
    {"washout", [] { ChamberWashout(); }, 11, 18, 20},
    {"expression-evaluator", [] { ExpressionEvaluator(); }, 101, 150, 250},
};

void PrintTo(const Calculator& c, std::ostream* os) {
  *os << c.name;
}

class CalculatorStaysOpenTest : public test::ConditionsCalcTest,
                                public ::testing::WithParamInterface<Calculator> {};

// The help browser taken to the front as a click into it would.
QWidget* HelpBrowserWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<QTextBrowser*>(w) && w->isVisible()) return w;
  return nullptr;
}

TEST_P(CalculatorStaysOpenTest, TurningToHelpOrAnotherWindowKeepsItOpenWithItsEntries) {
  const Calculator& c = GetParam();
  std::vector<Step> steps = {Type(c.entry, "12.5")};
  if (c.help != 0) {
    steps.push_back(Click(c.help));
    steps.push_back(WindowSteps::Do([] {
      EXPECT_FALSE(rt::HelpPageShown().empty());
      if (QWidget* help = HelpBrowserWindow()) help->activateWindow();
    }));
  }
  // Window 8 loses the front, another window of the program comes forward, then
  // window 8 comes back.
  steps.push_back(WindowSteps::Do([] { doDIALOG(18, -W); }));
  steps.push_back(WindowSteps::Do([] { doDIALOG(18, 1); }));
  steps.push_back(WindowSteps::Do([] { doDIALOG(18, W); }));
  steps.push_back(Until(W));
  // ("?" in Simple Math rewrites X in its own form: the number is what must stay.)
  steps.push_back(Do([c] { EXPECT_EQ(Value(c.entry), 12.5) << c.name << ": " << Text(c.entry); }));
  steps.push_back(Shot(std::string("w8-stays-open-") + c.name + ".png"));
  steps.push_back(Click(c.done));
  Run(c.open, std::move(steps));
  rt::CloseHelpWindow();
}

// A calculator opened over another window (the options window's menu, a dialog's
// reduced menu) gives that window its four handlers back: its menu bar works again.
TEST_P(CalculatorStaysOpenTest, GivesItsCallerItsHandlersBackWhenItEnds) {
  const Calculator& c = GetParam();
  std::vector<std::string> reached;
  rt::SetWindowHandlers({[&](int16_t, int16_t) { reached.push_back("dialog"); },
                         [&](const std::string&) { reached.push_back("key"); },
                         [&](int16_t, int16_t) { reached.push_back("menu"); },
                         [&](int) { reached.push_back("mouse"); }});
  Run(c.open, {Click(c.done)});
  const rt::WindowHandlers now = rt::CurrentWindowHandlers();
  ASSERT_TRUE(now.dialog && now.editKey && now.menu && now.mouse);
  now.dialog(1, 1);
  now.editKey("x");
  now.menu(6, 1);
  now.mouse(1);
  EXPECT_EQ(reached, (std::vector<std::string>{"dialog", "key", "menu", "mouse"}));
  rt::SetWindowHandlers({});
}

// Return in a field computes the metabolic rate; a letter typed while no field is
// active is no Compute.
TEST_F(CalculatorStaysOpenTest, MetabolismComputesOnReturnButNotOnALetterTypedWithNoFieldActive) {
  std::string before;
  Run([] { METABOLISM(0); },
      {Do([&] { before = Text(117); }), Type(112, "1000"), WindowSteps::Do([] {
         rt::SetOutputWindow(W);
         rt::FocusEditField(0);
         doDIALOG(16, 'x');
       }),
       Do([&] { EXPECT_EQ(Text(117), before); }), Return(112),
       Do([] { EXPECT_NEAR(Value(117), 0.002647 * std::pow(1000.0, 0.751), 1e-4); }), Click(3)});
}

INSTANTIATE_TEST_SUITE_P(EveryCalculator, CalculatorStaysOpenTest, ::testing::ValuesIn(kCalculators),
                         [](const ::testing::TestParamInfo<Calculator>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p; ++p) name += *p == '-' ? '_' : *p;
                           return name;
                         });

}  // namespace
}  // namespace mv::calc
