// Resting metabolism: the equation table, the units, the temperature and per-mass
// arithmetic and the minimum flow, against values worked out by hand, and the
// window in both forms driven through its lists.
#include "calculators/metabolism.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <cmath>
#include <string>
#include <vector>

#include "calculators/metabolism_calc.h"
#include "calculators/metabolism_table.h"
#include "calculators/number_text.h"
#include "calculators/state.h"
#include "kit/format.h"
#include "kit/state.h"
#include "respirometry_driver.h"

namespace mv::calc {
namespace {

TEST(MetabolismTable, RowsOfEveryListAreTranscribedExactly) {
  auto e = GroupEquation(kBirdList, 1);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->exponent, ".669");
  EXPECT_EQ(e->a, 0.103265f);
  e = GroupEquation(kBirdList, 10);
  EXPECT_EQ(e->baseT, "38.2");
  EXPECT_EQ(e->realT, "40.1");
  e = GroupEquation(kMammalList, 7);
  EXPECT_EQ(e->exponent, ".73");
  EXPECT_EQ(e->a, 0.0548f);
  EXPECT_EQ(e->baseT, "36.2");
  EXPECT_EQ(e->realT, "35");
  EXPECT_EQ(GroupEquation(kMammalList, 12)->exponent, ".70");
  EXPECT_EQ(GroupEquation(kFishList, 7)->exponent, "1.02");
  EXPECT_EQ(GroupEquation(kFishList, 7)->a, 0.0008136f);
  EXPECT_EQ(GroupEquation(kArthropodList, 4)->q10, "2.97");
  EXPECT_EQ(GroupEquation(kAmphibianList, 4)->q10, "2.21");
  EXPECT_EQ(GroupEquation(kReptileList, 6)->q10, "2.44");
  EXPECT_TRUE(GroupEquation(kArthropodList, 1)->q10.empty());
  EXPECT_EQ(DefaultTemperatureOf(kMammalList), "37.5");
  EXPECT_EQ(DefaultTemperatureOf(kReptileList), "30");
  // Separator and return item close every list.
  const int16_t returns[] = {11, 9, 6, 8, 13, 21};
  for (int16_t list = kArthropodList; list <= kMammalList; ++list) {
    EXPECT_EQ(ReturnItemOf(list), returns[list - kArthropodList]);
    EXPECT_FALSE(GroupEquation(list, static_cast<int16_t>(returns[list - kArthropodList] - 1)));
    EXPECT_FALSE(GroupEquation(list, returns[list - kArthropodList]));
  }
  EXPECT_EQ(MainEquation(3)->a, 0.014587f);
  EXPECT_FALSE(MainEquation(2));
}

TEST(MetabolismUnits, FactorsAndPerMassUnits) {
  EXPECT_EQ(UnitFactor(1, 10), 1.0f);
  EXPECT_EQ(UnitFactor(2, 4), 0.25f);
  EXPECT_EQ(UnitFactor(16, 10), 33.5f);
  EXPECT_EQ(UnitFactor(20, 1000), static_cast<float>(28934.35 / 1000.0));
  EXPECT_EQ(UnitFactor(26, 2), static_cast<float>(6912.2 / 2.0));
  EXPECT_EQ(UnitFactor(24, 2), 6.912f);
  EXPECT_EQ(UnitFactor(12, 2), 1.0f);  // a heading
  EXPECT_EQ(UnitFactor(40, 2), 1.0f);
  for (int16_t u : {2, 6, 8, 9, 10, 11, 16, 20, 21, 25, 26}) EXPECT_TRUE(IsPerMassUnit(u)) << u;
  for (int16_t u : {1, 3, 4, 5, 7, 13, 14, 15, 17, 18, 19, 23, 24}) EXPECT_FALSE(IsPerMassUnit(u)) << u;
  EXPECT_EQ(ActivityMultiple(2), 3);
  EXPECT_EQ(ActivityMultiple(6), 100);  // the blank item
  EXPECT_EQ(ActivityMultiple(7), 100);
}

TEST(MetabolismCalc, TemperatureAndMass) {
  EXPECT_FLOAT_EQ(RestingRate(0.002647f, 1, 1, 0.751f, 20, 20, 2.2f), 0.002647f);
  // Ten degrees warmer multiplies by the Q10.
  EXPECT_NEAR(RestingRate(0.103265f, 1, 30, 0.669f, 39, 49, 2.2f), 2.2109046, 1e-6);
  EXPECT_NEAR(RestingRate(0.002647f, 1, 2000, 0.751f, 20, 20, 2.2f), 0.79767764, 1e-7);
  EXPECT_NEAR(RestingRate(0.07633f, 1, 100, 0.71f, 38.2f, 40.1f, 2.2f), 2.3321445, 1e-6);
}

// An exponent is read by its sign: a per-mass unit shows b - 1, and a listed
// whole-animal exponent (all positive, 1.02 included) is still taken as b there.
TEST(MetabolismCalc, ExponentsAreReadByTheirSignAndShownInTheUnitsForm) {
  struct Case {
    int16_t unit;
    float typed, b;
  };
  const Case cases[] = {{1, 0.75f, 0.75f}, {1, -0.25f, 0.75f}, {2, 0.75f, 0.75f},  {2, -0.25f, 0.75f},
                        {2, 1.02f, 1.02f}, {6, 0.02f, 0.02f},  {24, 1.02f, 1.02f}, {26, -0.3f, 0.7f}};
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(WholeAnimalExponent(c.unit, c.typed), c.b) << c.unit << " " << c.typed;
  }
  EXPECT_NEAR(ShownExponent(2, 1.02f), 0.02, 1e-6);
  EXPECT_FLOAT_EQ(ShownExponent(1, 1.02f), 1.02f);
  // Per gram, the coefficient of a * M^(b - 1) is a itself; per gram per hour, 60 a.
  EXPECT_EQ(UnitCoefficientFactor(2), 1.0f);
  EXPECT_EQ(UnitCoefficientFactor(8), 60.0f);
  EXPECT_EQ(UnitCoefficientFactor(3), 60.0f);
}

TEST(MetabolismCalc, MinimumFlowInAirAndWater) {
  EXPECT_FLOAT_EQ(MinimumFlow(1, 1, 0.4f, false, 0, false), 250.0f);
  EXPECT_FLOAT_EQ(MinimumFlow(1, 1, 0.4f, false, 0, true), 0.25f);
  EXPECT_FLOAT_EQ(MinimumFlow(1, 100, 0.4f, false, 0, false), 25000.0f);
  EXPECT_NEAR(WaterOxygenContent(1), 0.010320523, 1e-9);
  EXPECT_NEAR(WaterOxygenContent(35), 0.0081483172, 1e-9);
  EXPECT_NEAR(MinimumFlow(1, 1, 0.4f, true, 1, false), 24223.578, 0.01);
  EXPECT_NEAR(MinimumFlow(1, 1, 0.4f, true, 35, false), 30681.18, 0.01);
  EXPECT_FLOAT_EQ(MinimumFlow(1, 1, 0.4f, true, 0, false), MinimumFlow(1, 1, 0.4f, true, 1, false));
}

class MetabolismWindowTest : public test::CalculatorWindowTest {};
constexpr int16_t W = 8;

TEST_F(MetabolismWindowTest, FlowFormWalksThroughTheListsAndRemembersOnReopening) {
  Drive({Until(W), Do([] {
           EXPECT_TRUE(rt::ControlExists(kMainList));
           EXPECT_EQ(TextOf(W, 113), ".751");
           EXPECT_EQ(TextOf(W, 114), "20");
           EXPECT_EQ(TextOf(W, 115), "20");
           EXPECT_EQ(TextOf(W, 117), " 2.647e-03");  // five digits, no binary error
           EXPECT_NEAR(Shown(W, 109), 0.002647 / 0.004, 1e-3);
         }),
         Pick(W, kMainList, 10), Do([] {  // Birds
           EXPECT_TRUE(rt::ControlExists(kBirdList));
           EXPECT_FALSE(rt::ControlExists(kMainList));
           EXPECT_EQ(TextOf(W, 113), ".669");
           EXPECT_EQ(TextOf(W, 114), "39");
           EXPECT_FLOAT_EQ(ValueOfA, 0.103265f);
         }),
         Pick(W, kBirdList, 10), Do([] {
           EXPECT_EQ(TextOf(W, 114), "38.2");
           EXPECT_EQ(TextOf(W, 115), "40.1");
         }),
         Pick(W, kBirdList, 13), Do([] {  // back to the main list
           EXPECT_TRUE(rt::ControlExists(kMainList));
           EXPECT_EQ(TextOf(W, 113), ".751");
           EXPECT_FLOAT_EQ(ValueOfA, 0.002647f);
         }),
         Pick(W, kMainList, 7), Do([] {  // Fish: water choice appears
           EXPECT_TRUE(rt::ControlExists(kFishList));
           EXPECT_TRUE(rt::ControlExists(666));
           EXPECT_EQ(FishMR, 1);
         }),
         Shot(W, "metabolism-minimum-flow.png"), Pick(W, kFishList, 9), Do([] {
           EXPECT_FALSE(rt::ControlExists(666));
           EXPECT_EQ(FishMR, 0);
         }),
         Pick(W, kMainList, 6), Pick(W, kArthropodList, 2), Type(W, 112, "3"), Type(W, 116, "2.5"),
         Click(W, 3)});
  METABOLISM(1);
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(LastMetabolismMENU, kArthropodList);
  EXPECT_EQ(LastMetabolismSUBMENU, 2);
  Drive({Until(W), Do([] {
           EXPECT_TRUE(rt::ControlExists(kArthropodList));
           EXPECT_EQ(rt::ControlValue(kArthropodList), 2);
           EXPECT_EQ(TextOf(W, 112), " 3");
           EXPECT_EQ(TextOf(W, 116), " 2.5");
           EXPECT_EQ(TextOf(W, 114), " 25");
         }),
         Shot(W, "metabolism-allometry.png"), Click(W, 3)});
  METABOLISM(0);
  EXPECT_TRUE(ScriptDone());
}

TEST_F(MetabolismWindowTest, PerGramUnitShowsTheSameCoefficientAndTheRateByMass) {
  double wholeAnimal = 0;
  Drive({Until(W), Type(W, 112, "10"), Type(W, 113, ".75"), Click(W, 2),
         Do([&] { wholeAnimal = Shown(W, 117); }), Pick(W, 58, 2), Do([&] {
           EXPECT_NEAR(Shown(W, 113), -0.25, 1e-6);
           EXPECT_NEAR(Shown(W, 111), 0.002647, 1e-6);
           EXPECT_NEAR(Shown(W, 117), wholeAnimal / 10, 1e-7);
         }),
         Pick(W, 58, 1), Do([&] {
           EXPECT_NEAR(Shown(W, 113), 0.75, 1e-6);
           EXPECT_NEAR(Shown(W, 117), wholeAnimal, 1e-6);
         }),
         Click(W, 31), Type(W, 112, "2"), Click(W, 2),  // 2 kg
         Do([] { EXPECT_NEAR(Shown(W, 117), 0.002647 * std::pow(2000.0, 0.75), 1e-5); }), Click(W, 3)});
  METABOLISM(0);
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(LastMetabolismUNIT, 1);
}

// The equation stays a * M^b whatever unit is shown: a new mass in a per-mass unit
// gives the rate at the new mass, and the whole-animal unit gets its equation back.
TEST_F(MetabolismWindowTest, MassChangeInAPerMassUnitKeepsTheEquation) {
  constexpr double a = 0.14587, b = 0.75;  // homeotherms, 39 C
  auto near = [](double shown, double want) { EXPECT_NEAR(shown, want, std::abs(want) * 1e-5) << want; };
  Drive({Until(W), Pick(W, kMainList, 4), Pick(W, 58, 2), Type(W, 112, "100"), Click(W, 2), Do([&] {
           near(Shown(W, 117), a * std::pow(100.0, b - 1));  // 0.046128 ml/min per gram
           near(Shown(W, 111), a);
           near(Shown(W, 113), b - 1);
         }),
         Type(W, 112, "1000"), Click(W, 2), Do([&] {
           near(Shown(W, 117), a * std::pow(1000.0, b - 1));  // 0.025940, not 0.002594
           near(Shown(W, 111), a);
         }),
         Shot(W, "metabolism-per-gram-at-1000-g.png"), Pick(W, 58, 1), Do([&] {
           near(Shown(W, 117), a * std::pow(1000.0, b));  // 25.94 ml/min
           near(Shown(W, 111), a);                        // not 0.014587
           near(Shown(W, 113), b);
         }),
         Click(W, 3)});
  METABOLISM(0);
  EXPECT_TRUE(ScriptDone());
  EXPECT_FLOAT_EQ(ValueOfA, static_cast<float>(a));
  EXPECT_FLOAT_EQ(LastExponent, static_cast<float>(b));
}

// An exponent above 1 has a positive per-mass form (1.02 per gram is 0.02): it is
// shown, not converted a second time, and the whole-animal form comes back intact.
TEST_F(MetabolismWindowTest, AnExponentAboveOneSurvivesThePerMassUnit) {
  double q10Factor = 1;
  Drive({Until(W), Pick(W, kMainList, 7), Pick(W, kFishList, 7), Type(W, 112, "100"), Click(W, 2), Do([&] {
           EXPECT_EQ(TextOf(W, 113), "1.02");
           q10Factor = std::pow(Shown(W, 116), (Shown(W, 115) - Shown(W, 114)) * 0.1);
         }),
         Pick(W, 58, 2), Do([] { EXPECT_NEAR(Shown(W, 113), 0.02, 1e-6); }), Type(W, 112, "500"), Click(W, 2),
         Do([&] {
           EXPECT_NEAR(Shown(W, 113), 0.02, 1e-6);
           const double perGram = 0.0008136 * std::pow(500.0, 0.02) * q10Factor;
           EXPECT_NEAR(Shown(W, 117), perGram, perGram * 1e-5);
         }),
         Pick(W, 58, 1), Do([&] {
           EXPECT_NEAR(Shown(W, 113), 1.02, 1e-6);
           EXPECT_NEAR(Shown(W, 111), 0.0008136, 1e-9);
           const double whole = 0.0008136 * std::pow(500.0, 1.02) * q10Factor;
           EXPECT_NEAR(Shown(W, 117), whole, whole * 1e-5);
         }),
         Click(W, 3)});
  METABOLISM(0);
  EXPECT_TRUE(ScriptDone());
}

// A coefficient typed in a per-mass unit is the per-gram coefficient: it becomes the
// equation's a and holds in every unit.
TEST_F(MetabolismWindowTest, ATypedCoefficientBecomesTheEquationsInEveryUnit) {
  Drive({Until(W), Pick(W, kMainList, 4), Pick(W, 58, 8), Type(W, 112, "20"), Type(W, 111, "12"), Click(W, 2),
         Do([] {
           // ml/h per gram: 60 a M^(b - 1), with 60 a = 12.
           EXPECT_NEAR(Shown(W, 117), 12 * std::pow(20.0, -0.25), 1e-4);
         }),
         Pick(W, 58, 1), Do([] {
           EXPECT_NEAR(Shown(W, 111), 0.2, 1e-6);
           EXPECT_NEAR(Shown(W, 117), 0.2 * std::pow(20.0, 0.75), 1e-4);  // five significant digits
         }),
         Click(W, 3)});
  METABOLISM(0);
  EXPECT_TRUE(ScriptDone());
}

// The custom entry starts as 0 and 0: a typed coefficient must give a number, and
// becomes the stored pair.
TEST_F(MetabolismWindowTest, CustomEntryTakesATypedCoefficientInsteadOfDividingByZero) {
  Drive({Until(W), Pick(W, kMainList, 13), Type(W, 111, ".01"), Type(W, 113, ".8"), Type(W, 112, "32"),
         Click(W, 2), Do([] {
           EXPECT_NEAR(Shown(W, 117), 0.01 * std::pow(32.0, 0.8), 1e-6);
           EXPECT_FLOAT_EQ(CustomAllometry[1], 0.01f);
           EXPECT_FLOAT_EQ(CustomAllometry[2], 0.8f);
         }),
         Pick(W, kMainList, 1), Pick(W, kMainList, 13), Do([] {
           EXPECT_NEAR(Shown(W, 111), 0.01, 1e-7);
           EXPECT_NEAR(Shown(W, 113), 0.8, 1e-7);
         }),
         Click(W, 3)});
  METABOLISM(0);
  EXPECT_TRUE(ScriptDone());
}

// A mass typed in kilograms is remembered in kilograms: reopened, the window shows
// the mass with its unit and the rate of the same animal (the first mammal
// equation, MR = 0.06361 * M^0.734 for M in grams, both temperatures 37.5).
TEST_F(MetabolismWindowTest, AMassInKilogramsIsNotReadAsGramsOnReopening) {
  const auto equation = GroupEquation(kMammalList, 1);
  ASSERT_TRUE(equation);
  const double a = equation->a, b = TextToNumber(equation->exponent);
  struct Case {
    int16_t unitRadio, otherRadio;
    const char* mass;
    double grams;
  };
  for (const Case& c : {Case{31, 30, "2", 2000}, Case{30, 31, "2", 2}, Case{31, 30, "0.5", 500}}) {
    SCOPED_TRACE(c.grams);
    ResetCalculatorsState();                       // a first opening
    const double rate = a * std::pow(c.grams, b);  // 16.845 ml/min for 2 kg
    Drive({Until(W), Pick(W, kMainList, 11), Click(W, c.unitRadio), Type(W, 112, c.mass), Click(W, 2),
           Do([&] { EXPECT_NEAR(Shown(W, 117), rate, rate * 1e-4); }), Click(W, 3)});
    METABOLISM(0);
    Drive({Until(W), Do([&] {
             EXPECT_EQ(rt::ControlState(c.unitRadio), 2);
             EXPECT_EQ(rt::ControlState(c.otherRadio), 1);
             EXPECT_NEAR(Shown(W, 112), TextToNumber(c.mass), 1e-6);
             EXPECT_NEAR(Shown(W, 117), rate, rate * 1e-4);
           }),
           Click(W, 2), Do([&] { EXPECT_NEAR(Shown(W, 117), rate, rate * 1e-4) << "computed again"; }),
           Click(W, 3)});
    METABOLISM(0);
    EXPECT_TRUE(ScriptDone());
  }
}

// Back on the main list, the window reopens on the main list it showed.
TEST_F(MetabolismWindowTest, ReopensOnTheMainListAfterReturningToIt) {
  Drive({Until(W), Pick(W, kMainList, 10), Pick(W, kBirdList, 13), Pick(W, kMainList, 4), Click(W, 3)});
  METABOLISM(0);
  Drive({Until(W), Do([] {
           EXPECT_TRUE(rt::ControlExists(kMainList));
           EXPECT_FALSE(rt::ControlExists(kBirdList));
           EXPECT_EQ(rt::ControlValue(kMainList), 4);
         }),
         Click(W, 3)});
  METABOLISM(0);
  EXPECT_TRUE(ScriptDone());
}

}  // namespace
}  // namespace mv::calc

namespace mv::calc {
namespace {

// A press of the mouse at the middle of a control's rectangle, as the window system
// delivers it.
test::WindowSteps::Step MouseAt(int16_t window, int16_t control) {
  return [=] {
    QWidget* c = rt::bridge::ControlWidget(window, control);
    EXPECT_NE(c, nullptr);
    if (!c) return true;
    const QPointF local(c->width() / 2.0, c->height() / 2.0), global = c->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    // The pointer goes back where it was: the next test may read it.
    rt::SetOutputWindow(window);
    const Point before = rt::GetMouse();
    const QPointF back = rt::bridge::WindowWidget(window)->mapToGlobal(QPointF(before.h, before.v));
    QApplication::sendEvent(c, &press);
    QApplication::sendEvent(c, &release);
    QMouseEvent move(QEvent::MouseMove, c->mapFromGlobal(back), back, Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(c, &move);
    return true;
  };
}

// Both mass radios act on every click, whichever was chosen before and in whichever
// opening, by the mouse anywhere on the control: the mass is read in the unit marked
// (the first mammal equation, both temperatures 37.5, MR = a * M^b for M in grams).
TEST_F(MetabolismWindowTest, BothMassRadiosActOnEveryClickAndAfterReopening) {
  const auto equation = GroupEquation(kMammalList, 1);
  ASSERT_TRUE(equation);
  const double a = equation->a, b = TextToNumber(equation->exponent);
  auto rateOf = [&](double grams) { return a * std::pow(grams, b); };
  struct Click2 {
    int16_t radio;
    const char* mass;
    double grams;
  };
  // g after Kg and Kg after g, with a mass typed in each unit.
  const std::vector<Click2> clicks = {{31, "1", 1000}, {30, "200", 200}, {30, "1", 1},
                                      {31, "2", 2000}, {30, "2", 2},     {31, "0.5", 500}};
  ResetCalculatorsState();
  for (int opening = 0; opening < 2; ++opening) {
    SCOPED_TRACE(opening);
    std::vector<Step> steps{Until(W)};
    if (opening == 0) steps.push_back(Pick(W, kMainList, 11));
    for (const Click2& c : clicks) {
      steps.push_back(Type(W, 112, c.mass));
      steps.push_back(MouseAt(W, c.radio));
      steps.push_back(Do([&, c] {
        EXPECT_EQ(rt::ControlState(c.radio), 2) << c.mass;
        EXPECT_EQ(rt::ControlState(c.radio == 30 ? 31 : 30), 1) << c.mass;
        EXPECT_NEAR(Shown(W, 117), rateOf(c.grams), rateOf(c.grams) * 1e-4) << c.mass << " clicked";
      }));
      steps.push_back(Click(W, 2));
      steps.push_back(Do([&, c] {
        EXPECT_NEAR(Shown(W, 117), rateOf(c.grams), rateOf(c.grams) * 1e-4) << c.mass << " computed";
      }));
    }
    steps.push_back(Click(W, 3));
    Drive(steps);
    METABOLISM(opening);
    EXPECT_TRUE(ScriptDone());
  }
}

// A reopened window computes from the values remembered, not from their texts
// rounded to the display's digits, under Four as under any setting.
TEST_F(MetabolismWindowTest, ReopenedUnderFourDigitsTheRateIsTheOneOfTheValuesTyped) {
  struct Case {
    int16_t radio;
    const char *mass, *base, *real, *q10, *exponent;
    double grams;
  };
  const Case cases[] = {{31, "1.23456", "20.123", "30.456", "2.3456", ".751234", 1234.56},
                        {30, "123.4567", "36.789", "37.654", "2.2", ".73333", 123.4567}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mass);
    ResetCalculatorsState();
    SignificantFigures = 5;
    const double b = std::stod(c.exponent);
    const double rate = 0.002647 * std::pow(c.grams, b) *
                        std::pow(std::stod(c.q10), (std::stod(c.real) - std::stod(c.base)) * 0.1);
    Drive({Until(W), Click(W, c.radio), Type(W, 112, c.mass), Type(W, 114, c.base), Type(W, 115, c.real),
           Type(W, 116, c.q10), Type(W, 113, c.exponent), Click(W, 2),
           Do([&] { EXPECT_NEAR(Shown(W, 117), rate, rate * 1e-4); }), Click(W, 3)});
    METABOLISM(0);
    SignificantFigures = 4;
    Drive({Until(W), Do([&] {
             EXPECT_EQ(TextOf(W, 112), NumberText(std::stod(c.mass), 4).str()) << "shown with four digits";
             EXPECT_NEAR(Shown(W, 117), rate, rate * 1e-3);
             SignificantFigures = 7;  // the rate to read, computed from the fields as they stand
           }),
           Click(W, 2), Do([&] { EXPECT_NEAR(Shown(W, 117), rate, rate * 1e-5) << "computed again"; }),
           Click(W, 3)});
    METABOLISM(0);
    EXPECT_TRUE(ScriptDone());
    const float remembered[] = {LastBodyMass, LastBaseTb, LastRealTB, LastQ10, LastExponent};
    const char* typed[] = {c.mass, c.base, c.real, c.q10, c.exponent};
    for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(remembered[i], std::stof(typed[i])) << "remembered as typed";
  }
  SignificantFigures = 5;
}

}  // namespace
}  // namespace mv::calc
