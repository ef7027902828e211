// The real breakpoint conversion window (window 4): fetching and storing
// conversions, setting equations, its endings and the rules of its rows.
#include "conversions/breakpoint_window.h"

#include <gtest/gtest.h>

#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "kit/state.h"
#include "setup/state.h"
#include "window_fixture.h"

namespace mv {
namespace {

using test::FieldOf;
using test::TypeInto;
using namespace BreakpointControl;
constexpr int16_t W = kBreakpointWindow;

class BreakpointWindowTest : public test::ConversionWindowTest {
 protected:
  void Breakpoint(test::WindowDriver& driver, int16_t channel) {
    Run(driver, [channel] { BREAKPOINT(channel); });
  }
};

BreakpointRecord Distinct(float base) {
  BreakpointRecord r{};
  for (int i = 0; i < kBreakpointFields; ++i) r[i] = base + static_cast<float>(i) * 0.25f;
  r[2] = 2;  // kinds the window offers
  r[7] = 3;
  r[12] = 9;
  return r;
}

TEST_F(BreakpointWindowTest, GetThreeThenDoneGivesExactlyStoredRow19) {
  BreakpointArray[19] = Distinct(0.1f);
  BreakpointArray[19][0] = 1.234567f;
  ChannelVariables[0][2] = 1.0f;
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Click(W, FirstGet + 2)
      .Check([] {
        EXPECT_EQ(FieldOf(W, BreakpointField), " 1.234567");
        EXPECT_EQ(FieldOf(W, 111), "2-way poly");
        EXPECT_EQ(FieldOf(W, 121), "power");
        EXPECT_EQ(FieldOf(W, 131), "reciprocal");
        EXPECT_EQ(rt::ControlState(UseInitial), 2) << "field 1 is non-zero";
      })
      .Click(W, Done);
  Breakpoint(driver, 2);
  EXPECT_EQ(BreakpointArray[2], BreakpointArray[19]);
  EXPECT_EQ(ChannelVariables[0][2], 5.0f);
  EXPECT_EQ(Played("downvip.mp3"), 1);
  EXPECT_FALSE(rt::WindowExists(W));
}

TEST_F(BreakpointWindowTest, PowerThenSetBelowStoresKindThreeAndDoneMakesTypeFive) {
  BreakpointArray[3][6] = 0.0f;  // the below equation off: its Set button is dimmed
  const BreakpointRecord before = BreakpointArray[3];
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] { EXPECT_EQ(rt::ControlState(SetBelow), 0); })
      .Click(W, Power)
      .Check([] { EXPECT_EQ(FieldOf(W, 103), " 0") << "the power panel has its exponent field"; })
      .Then("a", TypeInto(W, 101, "1"))
      .Then("b", TypeInto(W, 102, "2"))
      .Then("c", TypeInto(W, 103, "1e-45"))
      .Click(W, UseBelow)
      .Check([] { EXPECT_EQ(rt::ControlState(SetBelow), 1); })
      .Click(W, SetBelow)
      .Check([&before] {
        EXPECT_EQ(FieldOf(W, 140),
                  "exponent: \"1e-45\" is too near 0 for a channel (at least 1.18e-38, or 0).");
        for (int f = 7; f <= 10; ++f) EXPECT_EQ(BreakpointArray[3][f], before[f]) << "nothing set: " << f;
      })
      .Shot(W, Shot("w4-breakpoint-refused.png"))
      .Then("c", TypeInto(W, 103, "0.5"))
      .Click(W, SetBelow)
      .Check([] {
        EXPECT_EQ(FieldOf(W, 121), "power");
        EXPECT_EQ(FieldOf(W, 124), "0.5") << "the text as typed";
      })
      .Shot(W, Shot("w4-breakpoint.png"))
      .Click(W, Done);
  Breakpoint(driver, 3);
  const BreakpointRecord& r = BreakpointArray[3];
  EXPECT_EQ(r[6], 1.0f);
  EXPECT_EQ(r[7], 3.0f);
  EXPECT_EQ(r[8], 1.0f);
  EXPECT_EQ(r[9], 2.0f);
  EXPECT_EQ(r[10], 0.5f);
  EXPECT_EQ(ChannelVariables[0][3], 5.0f);
}

TEST_F(BreakpointWindowTest, TheCloseBoxKeepsTheEntryType) {
  ChannelVariables[0][1] = 2.0f;
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] { EXPECT_EQ(ChannelVariables[0][1], 1.0f) << "linear while editing"; })
      .Click(W, Reciprocal)
      .Event(4, W);
  Breakpoint(driver, 1);
  EXPECT_EQ(ChannelVariables[0][1], 2.0f);
}

TEST_F(BreakpointWindowTest, ATypedBreakpointIsCommittedBeforeStoreAs) {
  test::WindowDriver driver;
  driver.WaitFor(W).Then("B", TypeInto(W, BreakpointField, "1.25")).Click(W, FirstStoreAs).Click(W, Done);
  Breakpoint(driver, 2);
  EXPECT_EQ(BreakpointArray[17][0], 1.25f);
  EXPECT_EQ(BreakpointArray[17], BreakpointArray[2]);
  EXPECT_EQ(Played("upvip.mp3"), 1);
}

TEST_F(BreakpointWindowTest, StoreValuesSavesAndTheRebuildKeepsTheTypedBreakpoint) {
  ChannelVariables[0][4] = 9.0f;
  nChannels = 4;
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Then("B", TypeInto(W, BreakpointField, "2.5"))
      .Click(W, StoreValues)
      .Check([this] { EXPECT_EQ(Count("SAVEsettings"), 1); })
      .WaitFor(W)
      .Check([] {
        EXPECT_EQ(FieldOf(W, BreakpointField), " 2.5");
        EXPECT_EQ(ChannelVariables[0][4], 1.0f) << "linear again while editing";
        EXPECT_EQ(MENUID, 0);
      })
      .Event(4, W);
  Breakpoint(driver, 4);
  EXPECT_EQ(BreakpointArray[4][0], 2.5f);
  EXPECT_EQ(ChannelVariables[0][4], 9.0f) << "the code remembered on entry survives the rebuild";
}

// "Breakpoint Conversion..." then Done without an edit once recorded twice the
// reading; a fresh channel's record records the reading itself.
TEST_F(BreakpointWindowTest, DoneWithoutEditsRecordsTheReadingNotTwiceIt) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] {
        EXPECT_EQ(rt::ControlState(UseInitial), 2);
        EXPECT_EQ(rt::ControlState(UseBelow), 1);
        EXPECT_EQ(rt::ControlState(UseAbove), 1);
        EXPECT_EQ(rt::ControlState(BelowAdd), 2);
        EXPECT_EQ(rt::ControlState(AboveAdd), 2);
        EXPECT_EQ(rt::ControlState(BelowInitial), 2);
        EXPECT_EQ(rt::ControlState(AboveInitial), 2);
        EXPECT_EQ(FieldOf(W, 111), "linear");
        EXPECT_EQ(FieldOf(W, 121), "") << "a side with no equation yet";
      })
      .Click(W, Done);
  Breakpoint(driver, 1);
  ASSERT_EQ(ChannelVariables[0][1], 5.0f);
  LoadWorkingCoefficients(1);
  for (float V : {0.25f, 1.0f, 3.5f}) EXPECT_FLOAT_EQ(EvaluateConversion(1, V, 0), V) << V;
}

TEST_F(BreakpointWindowTest, RadioPairsWriteTheOperatorAndInputFields) {
  test::WindowDriver driver;
  driver.WaitFor(W)
      .Check([] { EXPECT_EQ(FieldOf(W, 114), " ") << "a linear row shows no c"; })
      .Click(W, BelowMultiply)
      .Click(W, BelowVolts)
      .Click(W, UseInitial)
      .Check([] {
        EXPECT_EQ(rt::ControlState(BelowMultiply), 2);
        EXPECT_EQ(rt::ControlState(BelowAdd), 1);
        EXPECT_EQ(rt::ControlState(BelowVolts), 2);
        EXPECT_EQ(rt::ControlState(AboveInitial), 2);
        EXPECT_EQ(rt::ControlState(SetInitial), 0);
      })
      .Click(W, Done);
  Breakpoint(driver, 1);
  const BreakpointRecord& r = BreakpointArray[1];
  EXPECT_EQ(r[18], 1.0f);
  EXPECT_EQ(r[19], 0.0f);
  EXPECT_EQ(r[20], 1.0f);
  EXPECT_EQ(r[21], 0.0f);
  EXPECT_EQ(r[1], 0.0f);
}

TEST(BreakpointRules, RowTextsAndRadios) {
  BreakpointRecord r{};
  r[2] = 1;
  r[3] = 0.5f;
  r[4] = 2;
  r[5] = 7;
  r[7] = 4;  // not offered: no name
  r[12] = 9;
  r[15] = 3;
  EXPECT_EQ(BreakpointRowTextsOf(r, 0).kind, "linear");
  EXPECT_EQ(BreakpointRowTextsOf(r, 0).a, " 0.5");
  EXPECT_EQ(BreakpointRowTextsOf(r, 0).c, " ");
  EXPECT_EQ(BreakpointRowTextsOf(r, 1).kind, "");
  EXPECT_EQ(BreakpointRowTextsOf(r, 2).kind, "reciprocal");
  EXPECT_EQ(BreakpointRowTextsOf(r, 2).c, " 3");
  r[18] = 0.5f;
  r[21] = 1;
  const BreakpointRadios sel = RadioSelection(r);
  EXPECT_EQ(sel.belowOperator, BelowMultiply);
  EXPECT_EQ(sel.aboveOperator, AboveAdd);
  EXPECT_EQ(sel.belowInput, BelowInitial);
  EXPECT_EQ(sel.aboveInput, AboveVolts);
  EXPECT_FALSE(ApplyRadioClick(r, 19));
  EXPECT_EQ(KindOfButton(Reciprocal), 9);
  EXPECT_EQ(KindOfButton(Power), 3);
}

}  // namespace
}  // namespace mv
