// Closed-system respirometry: the three corrections of VO2 and the two rules of
// VCO2, pinned against values worked out by hand in single precision, and the
// window driven as a user would.
#include "calculators/closed_system.h"

#include <gtest/gtest.h>

#include <cmath>

#include "calculators/closed_system_calc.h"
#include "kit/format.h"
#include "respirometry_driver.h"

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
         // Without a rise of CO2 the box and "Use [CO2]" are dimmed.
         Type(W, 117, ".5"), Type(W, 118, "0"), Click(W, 1), Do([] {
           EXPECT_EQ(rt::ControlState(4), 0);
           EXPECT_EQ(rt::ControlState(5), 0);
           EXPECT_EQ(rt::ControlState(6), 2);
           EXPECT_EQ(Shown(W, 214), 0.0);
         }),
         Click(W, 2)});
  ClosedSystemRespirometry();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
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
