// Closed-system respirometry: the three corrections of VO2 and the two rules of
// VCO2, pinned against values worked out by hand in single precision, and the
// window driven as a user would.
#include "calculators/closed_system.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <cmath>
#include <string>
#include <vector>

#include "calculators/closed_system_calc.h"
#include "kit/format.h"
#include "respirometry_driver.h"
#include "runtime/qt_bridge.h"

namespace mv::calc {
namespace {

TEST(ClosedSystemCompute, InitialEntriesWithCo2AbsorbedGiveTheKnownRates) {
  const ClosedSystemResult r = ClosedSystemCompute({}, true, false);
  EXPECT_FLOAT_EQ(r.minutes, 82.0f);
  EXPECT_NEAR(r.correctedVolume, 931.8104, 1e-3);
  EXPECT_NEAR(r.vo2, 5.856760, 1e-5);
  EXPECT_NEAR(r.vo2PerMinute, 0.07142390, 1e-7);
  EXPECT_NEAR(r.vco2, 4.652574, 1e-5);
  EXPECT_NEAR(r.vco2PerMinute, 0.05673870, 1e-7);
}

TEST(ClosedSystemCompute, MeasuredCo2AndAssumedRqCorrectVo2Differently) {
  const ClosedSystemResult measured = ClosedSystemCompute({}, false, false);
  EXPECT_NEAR(measured.vo2, 4.659052, 1e-5);
  EXPECT_NEAR(measured.vco2, 4.659052, 1e-5);
  const ClosedSystemResult rq = ClosedSystemCompute({}, false, true);
  EXPECT_NEAR(rq.vo2, 4.806491, 1e-5);
  EXPECT_NEAR(rq.vco2, 4.658255, 1e-5);
  // Absorbed wins over the RQ flag.
  EXPECT_NEAR(ClosedSystemCompute({}, true, true).vo2, 5.856760, 1e-5);
}

TEST(ClosedSystemCompute, NoFallOfOxygenLeavesVo2ZeroAndVco2FromTheRq) {
  ClosedSystemInputs in;
  in.deltaO2 = 0;
  const ClosedSystemResult r = ClosedSystemCompute(in, false, true);
  EXPECT_EQ(r.vo2, 0.0f);
  EXPECT_NEAR(r.vco2, 4.654633, 1e-5);
  in.deltaO2 = -0.3f;  // a rise of oxygen counts as none
  EXPECT_EQ(ClosedSystemCompute(in, true, false).vo2, 0.0f);
}

TEST(ClosedSystemCompute, NoRiseOfCo2LeavesVco2ZeroAndSaturatedGasHasNoVolume) {
  ClosedSystemInputs in;
  in.deltaCO2 = 0;
  const ClosedSystemResult r = ClosedSystemCompute(in, true, true);
  EXPECT_EQ(r.vco2, 0.0f);
  EXPECT_NEAR(r.vo2, 5.856760, 1e-5);
  ClosedSystemInputs wet;
  wet.humidity = 100;
  const ClosedSystemResult w = ClosedSystemCompute(wet, true, false);
  EXPECT_EQ(w.correctedVolume, 0.0f);
  EXPECT_EQ(w.vo2, 0.0f);
  EXPECT_EQ(w.vco2, 0.0f);
}

class ClosedSystemWindowTest : public test::CalculatorWindowTest {};

constexpr int16_t W = 8;

TEST_F(ClosedSystemWindowTest, OpensComputedAndFollowsTheMeasuredGases) {
  Drive({Until(W), Do([] {
           EXPECT_NEAR(Shown(W, 212), 5.8568, 1e-4);
           EXPECT_NEAR(Shown(W, 213), 0.071424, 1e-6);
           EXPECT_NEAR(Shown(W, 214), 4.6526, 1e-4);
           EXPECT_NEAR(Shown(W, 215), 0.056739, 1e-6);
           EXPECT_EQ(rt::ControlState(4), 2);
           EXPECT_EQ(rt::ControlState(5), 2);
         }),
         Shot(W, "closed-system-respirometry.png"),
         // Unmark the box and choose the RQ: nothing changes until Calculate.
         Click(W, 4), Click(W, 6), Do([] { EXPECT_NEAR(Shown(W, 212), 5.8568, 1e-4); }), Click(W, 1), Do([] {
           EXPECT_NEAR(Shown(W, 212), 4.8065, 1e-4);
           EXPECT_NEAR(Shown(W, 214), 4.6583, 1e-4);
         }),
         Click(W, 5), Click(W, 1), Do([] { EXPECT_NEAR(Shown(W, 212), 4.6591, 1e-4); }),
         // Without a fall of O2 only the RQ is left; VO2 becomes 0.
         Type(W, 117, ""), Click(W, 1), Do([] {
           EXPECT_EQ(rt::ControlState(6), 2);
           EXPECT_EQ(rt::ControlState(5), 1);
           EXPECT_EQ(Shown(W, 212), 0.0);
           EXPECT_NEAR(Shown(W, 214), 4.6546, 1e-4);
         }),
         // A rise of O2 is no fall either: "Use RQ" stays marked, as VCO2 is computed by it.
         Type(W, 117, "-.3"), Click(W, 1), Do([] {
           EXPECT_EQ(rt::ControlState(6), 2);
           EXPECT_EQ(rt::ControlState(5), 1);
           EXPECT_EQ(Shown(W, 212), 0.0);
           EXPECT_NEAR(Shown(W, 214), 4.6546, 1e-4);
         }),
         // A change beyond any number gives no number, not 0.
         Type(W, 117, ".5"), Type(W, 118, "1e39"), Click(W, 1),
         Do([] { EXPECT_EQ(TextOf(W, 214), "no result: number too large"); }),
         // Without a rise of CO2 the box and "Use [CO2]" are dimmed, the box unmarked as it was.
         Type(W, 118, "0"), Click(W, 1), Do([] {
           EXPECT_TRUE(rt::ControlDimmed(4));
           EXPECT_EQ(rt::ControlState(4), 1);
           EXPECT_TRUE(rt::ControlDimmed(5));
           EXPECT_EQ(rt::ControlState(6), 2);
           EXPECT_FALSE(rt::ControlDimmed(6));
           EXPECT_NEAR(Shown(W, 212), 4.8065, 1e-4) << "by the RQ, the method marked";
           EXPECT_EQ(Shown(W, 214), 0.0);
         }),
         Click(W, 2)});
  ClosedSystemRespirometry();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
}

// Retyping the change of CO2 passes through a field that reads 0 ("0" or "." as the
// first key), which marks "Use RQ" only while it lasts: once the number is there the
// user's own choice is marked again, and Calculate computes by it. The references are
// the two VO2 formulas worked in double precision for the opening entries, box unmarked.
TEST_F(ClosedSystemWindowTest, RetypingTheCo2ChangeKeepsTheMethodTheUserChose) {
  const double vc = 1000 * 273.3 / 293.3, feO2 = (20.95 - 0.5) / 100;
  const double byCO2 = vc * (0.005 - 0.01 * feO2 * 0.6) / (1 - feO2);  // 4.4195
  const double byRQ = vc * 0.005 / (1 - (1 - 0.85) * feO2);            // 4.8065
  struct Case {
    const char* typed;
    bool chooseFirst;  // the radio clicked before the retyping, else after it
    int16_t radio;
    double vo2;
  };
  const Case cases[] = {{"0.6", true, 5, byCO2},
                        {".6", true, 5, byCO2},
                        {"0.6", false, 5, byCO2},
                        {".6", true, 6, byRQ},
                        {"0.6", false, 6, byRQ}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + (c.chooseFirst ? ", chosen first, " : ", chosen after, ") +
                 (c.radio == 5 ? "[CO2]" : "RQ"));
    const int16_t other = c.radio == 5 ? 6 : 5;
    std::vector<Step> steps{Until(W), Click(W, 4), Click(W, other)};
    if (c.chooseFirst) steps.push_back(Click(W, c.radio));
    steps.push_back(Type(W, 118, ""));
    for (const char key : std::string(c.typed)) {
      steps.push_back(Do([] { EXPECT_EQ(rt::ControlState(6), 2) << "only the RQ while the field reads 0"; }));
      steps.push_back(Keys(W, 118, std::string(1, key)));
    }
    if (!c.chooseFirst) steps.push_back(Click(W, c.radio));
    steps.push_back(Do([&c, other] {
      EXPECT_EQ(TextOf(W, 118), c.typed);
      EXPECT_EQ(rt::ControlState(c.radio), 2) << "the choice is marked again";
      EXPECT_EQ(rt::ControlState(other), 1);
      EXPECT_EQ(rt::ControlState(4), 1) << "the box enabled and unmarked";
    }));
    steps.push_back(Click(W, 1));
    steps.push_back(Do([&c] { EXPECT_NEAR(Shown(W, 212), c.vo2, 1e-4) << "computed by the method marked"; }));
    if (c.chooseFirst && c.radio == 5) steps.push_back(Shot(W, "closed-system-co2-retyped.png"));
    steps.push_back(Click(W, 2));
    Drive(steps);
    ClosedSystemRespirometry();
    EXPECT_TRUE(ScriptDone());
  }
}

// While the change of CO2 reads 0 or is empty the box cannot be changed, but it shows
// the mark it keeps, and VO2 follows the rule shown: the absorbed rule while it is
// marked, the RQ (the radio marked) while it is not. Two windows that look alike
// never compute differently. What is shown is read from the buttons on screen.
TEST_F(ClosedSystemWindowTest, WithoutARiseOfCo2TheDimmedBoxShowsTheMarkItComputesBy) {
  const double vc = 1000 * 273.3 / 293.3, feO2 = (20.95 - 0.5) / 100;
  const double absorbed = vc * 0.005 / (1 - feO2);             // 5.8568
  const double byRQ = vc * 0.005 / (1 - (1 - 0.85) * feO2);    // 4.8065
  struct Case {
    const char* co2;
    bool untickFirst;      // the box unticked before the change of CO2 went
    bool clickDimmedBox;   // a click on the dimmed box afterwards
    bool marked;
    double vo2;
  };
  const Case cases[] = {{"0", false, false, true, absorbed},  {"", false, false, true, absorbed},
                        {"0", true, false, false, byRQ},      {"", true, false, false, byRQ},
                        {"0", false, true, true, absorbed},   {"", true, true, false, byRQ},
                        {"-.5", false, false, true, absorbed}, {"-.5", true, false, false, byRQ}};
  const auto shown = [](int16_t button) {
    return qobject_cast<QAbstractButton*>(rt::bridge::ControlWidget(W, button));
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("CO2 change '") + c.co2 + (c.untickFirst ? "', unticked before" : "', ticked") +
                 (c.clickDimmedBox ? ", dimmed box clicked" : ""));
    std::vector<Step> steps{Until(W)};
    if (c.untickFirst) steps.push_back(Click(W, 4));
    steps.push_back(Click(W, 5));  // "Use [CO2]" chosen: only the RQ may stand for it
    steps.push_back(Type(W, 118, c.co2));
    if (c.clickDimmedBox) steps.push_back(Click(W, 4));
    steps.push_back(Click(W, 1));
    steps.push_back(Do([&c, shown] {
      QAbstractButton* box = shown(4);
      ASSERT_NE(box, nullptr);
      EXPECT_FALSE(box->isEnabled()) << "dimmed";
      EXPECT_EQ(box->isChecked(), c.marked) << "the mark it keeps";
      EXPECT_FALSE(shown(5)->isEnabled());
      EXPECT_FALSE(shown(5)->isChecked());
      EXPECT_TRUE(shown(6)->isChecked());
      EXPECT_NEAR(Shown(W, 212), c.vo2, 1e-4) << "computed by the rule shown";
      EXPECT_EQ(Shown(W, 214), 0.0);
    }));
    if (c.marked && !c.clickDimmedBox && c.co2[0] == '0') steps.push_back(Shot(W, "closed-system-no-co2-marked.png"));
    // A rise of CO2 again gives the box back as it was.
    steps.push_back(Type(W, 118, ".5"));
    steps.push_back(Click(W, 1));
    steps.push_back(Do([&c, shown] {
      EXPECT_TRUE(shown(4)->isEnabled());
      EXPECT_EQ(shown(4)->isChecked(), c.marked);
    }));
    steps.push_back(Click(W, 2));
    Drive(steps);
    ClosedSystemRespirometry();
    EXPECT_TRUE(ScriptDone());
  }
}

// No elapsed time gives no rate: the rate fields say so with one refusal buzz,
// never " Inf"; the volumes are still shown.
TEST_F(ClosedSystemWindowTest, ZeroElapsedTimeShowsNoInfinityButSaysWhyThereIsNoRate) {
  Drive({Until(W), Type(W, 115, "0"), Type(W, 116, ""), Click(W, 1), Do([this] {
           EXPECT_NEAR(Shown(W, 212), 5.8568, 1e-4);
           EXPECT_NEAR(Shown(W, 214), 4.6526, 1e-4);
           EXPECT_EQ(TextOf(W, 213), "no result: no elapsed time");
           EXPECT_EQ(TextOf(W, 215), "no result: no elapsed time");
           EXPECT_EQ(CountPlayed("bzot.mp3"), 1);
         }),
         Shot(W, "closed-system-no-elapsed-time.png"), Type(W, 116, "30"), Click(W, 1), Do([this] {
           EXPECT_NEAR(Shown(W, 213), 5.85676 / 30, 1e-5);
           EXPECT_EQ(CountPlayed("bzot.mp3"), 1);
         }),
         Do([] { rt::CloseWindow(W); })});
  ClosedSystemRespirometry();
  EXPECT_FALSE(rt::WindowExists(W));
}

}  // namespace
}  // namespace mv::calc
