// The Q10 rule and the chamber washout time: formulas pinned against hand-worked
// values, and both windows driven through their buttons, keys and list.
#include <gtest/gtest.h>

#include <cmath>

#include "calculators/q10.h"
#include "calculators/q10_calc.h"
#include "calculators/washout.h"
#include "calculators/washout_calc.h"
#include "conditions_driver.h"
#include "files/state.h"

namespace mv::calc {
namespace {

TEST(Q10Rule, AdjustsARateAndFindsTheQ10) {
  EXPECT_NEAR(*Q10AdjustedRate(37, 39, 2.2f, 1), std::pow(2.2, 0.2), 1e-6);  // 1.1708
  EXPECT_FLOAT_EQ(*Q10AdjustedRate(37, 27, 2, 5), 2.5f);
  EXPECT_EQ(*Q10AdjustedRate(20, 30, 0, 4), 0.0f);
  EXPECT_FLOAT_EQ(*Q10FromRates(30, 40, 1, 2), 2.0f);
  EXPECT_NEAR(*Q10FromRates(30, 39, 1.25f, 3.5f), std::pow(2.8, 10.0 / 9), 1e-5);
  EXPECT_FLOAT_EQ(*Q10FromRates(37, 27, 5, 10), 0.5f);
}

TEST(Q10Rule, GivesNothingWhereTheRuleHasNoValue) {
  EXPECT_FALSE(Q10AdjustedRate(37, 39, -1, 1));
  EXPECT_FALSE(Q10AdjustedRate(30, 20, 0, 1)) << "0 to a negative power";
  EXPECT_FALSE(Q10FromRates(30, 30, 1, 2));
  EXPECT_FALSE(Q10FromRates(30, 40, 0, 2)) << "a base rate of 0";
  EXPECT_FALSE(Q10FromRates(30, 33, 1, -2)) << "rates of opposite sign";
}

TEST(Washout, ListItemsPercentagesAndTimes) {
  const int16_t expected[] = {67, 33, 50, 67, 75, 90, 95, 99, 67};
  for (int item = 0; item <= 8; ++item) EXPECT_EQ(WashoutPercentOfItem(item), expected[item]) << item;
  EXPECT_NEAR(WashoutMinutes(100, 100, 67), std::log(3.0), 1e-6);
  EXPECT_NEAR(WashoutMinutes(100, 100, 33), std::log(1.5), 1e-6);
  EXPECT_NEAR(WashoutMinutes(100, 100, 50), std::log(2.0), 1e-6);
  EXPECT_NEAR(WashoutMinutes(100, 100, 75), std::log(4.0), 1e-6);
  EXPECT_NEAR(WashoutMinutes(100, 100, 90), std::log(10.0), 1e-6);
  EXPECT_NEAR(WashoutMinutes(100, 100, 95), std::log(20.0), 1e-6);
  EXPECT_NEAR(WashoutMinutes(100, 100, 99), std::log(100.0), 1e-5);
  EXPECT_NEAR(WashoutMinutes(250, 75, 90), 250.0 / 75 * std::log(10.0), 1e-5);
  EXPECT_NEAR(WashoutMinutes(-250, 75, 90), 250.0 / 75 * std::log(10.0), 1e-5) << "always positive";
  EXPECT_FALSE(std::isfinite(WashoutMinutes(100, 0, 67)));
}

class Q10WindowTest : public test::ConditionsCalcTest {
 protected:
  static constexpr int16_t kQ10 = 111, kBaseTemp = 112, kAdjustedTemp = 113, kBaseValue = 114,
                           kAdjustedValue = 115;
  static constexpr int16_t kComputeAdjusted = 1, kComputeQ10 = 2, kDone = 3, kHelp = 4;
};

TEST_F(Q10WindowTest, AdjustsAndComputesTheQ10) {
  Run(Q10adjust,
      {Shot("w8-q10.png"), Do([] {
         EXPECT_EQ(rt::FocusedEditField(), 0);
         EXPECT_EQ(Text(kAdjustedValue), "1.1708");
       }),
       Click(kComputeAdjusted), Do([] { EXPECT_EQ(Text(kAdjustedValue), " 1.1708") << "consistent"; }),
       Type(kAdjustedTemp, "27"), Type(kQ10, "2"), Type(kBaseValue, "5"), Return(kBaseValue),
       Do([] { EXPECT_EQ(Text(kAdjustedValue), " 2.5"); }), Type(kAdjustedValue, "10"), Click(kComputeQ10),
       Do([] { EXPECT_EQ(Text(kQ10), " 0.5"); }), Click(kHelp), Click(kDone)});
  EXPECT_EQ(CountPlayed("bzot.mp3"), 0);
}

TEST_F(Q10WindowTest, UndefinedCasesSayWhyWithTheBuzz) {
  Run(Q10adjust,
      {Type(kAdjustedTemp, "37"), Click(kComputeQ10),
       Do([] { EXPECT_EQ(Text(kQ10), "no result: equal temperatures"); }), Type(kQ10, "-2"),
       Click(kComputeAdjusted), Do([] { EXPECT_EQ(Text(kAdjustedValue), "no result: Q10 below 0"); }),
       Type(kAdjustedTemp, "39"), Type(kBaseValue, "0"), Type(kAdjustedValue, "1"), Type(kQ10, "3"),
       Click(kComputeQ10),
       Do([] { EXPECT_EQ(Text(kQ10), "no result: base value 0") << "no Inf from a base rate of 0"; }),
       Click(kDone)});
  EXPECT_EQ(CountPlayed("bzot.mp3"), 3);
}

TEST_F(Q10WindowTest, TabGoesToTheQ10ThenTheBaseTemperature) {
  Run(Q10adjust,
      {Key(kBaseValue, Qt::Key_Tab, "\t"), Do([] { EXPECT_EQ(rt::FocusedEditField(), kQ10); }),
       Key(kQ10, Qt::Key_Tab, "\t"), Do([] { EXPECT_EQ(rt::FocusedEditField(), kBaseTemp); }),
       Key(kBaseTemp, Qt::Key_Tab, "\t"), Do([] { EXPECT_EQ(rt::FocusedEditField(), kQ10); }), Close()});
  EXPECT_EQ(CountPlayed("click.mp3"), 3);
}

class WashoutWindowTest : public test::ConditionsCalcTest {
 protected:
  static constexpr int16_t kResultLabel = 3, kVolume = 11, kFlow = 12, kTime = 13;
  static constexpr int16_t kPopup = 100, kHelp = 18, kCompute = 19, kDone = 20;
};

TEST_F(WashoutWindowTest, OpensAt67PercentAndFollowsTheList) {
  Run(ChamberWashout, {Shot("w8-washout.png"), Do([] {
                         EXPECT_EQ(Text(kResultLabel), " 67% washout time:   ");
                         EXPECT_EQ(Text(kTime), " 1.0986 min");
                         EXPECT_EQ(Text(kVolume), " 100");
                       }),
                       Pick(kPopup, 7), Do([] {
                         EXPECT_EQ(Text(kResultLabel), " 99% washout time:   ");
                         EXPECT_EQ(Text(kTime), " 4.6052 min");
                       }),
                       Pick(kPopup, 2), Type(kVolume, "250"), Type(kFlow, "75"), Return(kFlow),
                       Do([] { EXPECT_EQ(Text(kTime), " 2.3105 min") << "Return keeps the 50 % chosen"; }),
                       Click(kHelp), Click(kDone)});
}

TEST_F(WashoutWindowTest, NoFlowShowsNoTime) {
  flowrate = 0;
  Run(ChamberWashout,
      {Do([this] {
         EXPECT_EQ(Text(kTime), "no result: the flow rate is 0") << "no Inf in the field";
         EXPECT_EQ(CountPlayed("bzot.mp3"), 1);
       }),
       Type(kFlow, "-50"), Click(kCompute),
       Do([] { EXPECT_EQ(Text(kTime), " 2.1972 min") << "a negative flow still gives a time"; }), Close()});
}

}  // namespace
}  // namespace mv::calc
