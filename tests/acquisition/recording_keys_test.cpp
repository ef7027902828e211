// The key map decoder, the added time and the next-reference text.
#include "acquisition/recording_keys.h"

#include "acq_fixture.h"

namespace mv::test {
namespace {

// A key map with the given key codes down, built independently of the runtime.
std::array<uint8_t, 16> Keys(std::initializer_list<int> codes) {
  std::array<uint8_t, 16> m{};
  for (int k : codes) m[k / 8] = static_cast<uint8_t>(m[k / 8] | (1u << (k % 8)));
  return m;
}

TEST(ReadKeys, SingleKeys) {
  EXPECT_EQ(READKEYS(Keys({})), 0);
  EXPECT_EQ(READKEYS(Keys({0})), 'a');
  EXPECT_EQ(READKEYS(Keys({11})), 'b');
  EXPECT_EQ(READKEYS(Keys({10})), 0);    // no key there
  EXPECT_EQ(READKEYS(Keys({24})), '+');  // the = key
  EXPECT_EQ(READKEYS(Keys({27})), '-');
  EXPECT_EQ(READKEYS(Keys({22})), '6');
  EXPECT_EQ(READKEYS(Keys({23})), '5');
  EXPECT_EQ(READKEYS(Keys({29})), '0');
  EXPECT_EQ(READKEYS(Keys({31})), 'o');
  EXPECT_EQ(READKEYS(Keys({36})), 13);
  EXPECT_EQ(READKEYS(Keys({46})), 'm');
  EXPECT_EQ(READKEYS(Keys({53})), 27);
  EXPECT_EQ(READKEYS(Keys({87})), '5');  // keypad 5
  EXPECT_EQ(READKEYS(Keys({91})), '8');
  EXPECT_EQ(READKEYS(Keys({92})), '9');
  EXPECT_EQ(READKEYS(Keys({90})), 0);
  EXPECT_EQ(READKEYS(Keys({123})), 28);
  EXPECT_EQ(READKEYS(Keys({124})), 29);
  EXPECT_EQ(READKEYS(Keys({125})), 31);
  EXPECT_EQ(READKEYS(Keys({126})), 30);
}

TEST(ReadKeys, ShiftAndCapsLockMakeCapitalLettersOnly) {
  EXPECT_EQ(READKEYS(Keys({0, 56})), 'A');
  EXPECT_EQ(READKEYS(Keys({38, 57})), 'J');
  EXPECT_EQ(READKEYS(Keys({27, 56})), '-');
  EXPECT_EQ(READKEYS(Keys({18, 56})), '1');
  EXPECT_EQ(READKEYS(Keys({0, 56, 57})), 'a');  // both down: neither alone
}

TEST(ReadKeys, PriorityBetweenWords) {
  EXPECT_EQ(READKEYS(Keys({0, 38})), 'j');     // word 2 over word 0
  EXPECT_EQ(READKEYS(Keys({0, 1})), 0);        // two keys of one word
  EXPECT_EQ(READKEYS(Keys({0, 1, 38})), 'j');  // another word still decides
  EXPECT_EQ(READKEYS(Keys({83, 19})), '1');    // keypad over top row
  EXPECT_EQ(READKEYS(Keys({19, 38})), '2');    // digits over word-2 letters
  EXPECT_EQ(READKEYS(Keys({16, 0})), 'y');     // word 1 letters over word 0
  EXPECT_EQ(READKEYS(Keys({36, 0})), 'a');     // letters over Return
  EXPECT_EQ(READKEYS(Keys({36, 53})), 13);     // Return over Escape
  EXPECT_EQ(READKEYS(Keys({53, 123})), 27);    // Escape over the arrows
  EXPECT_EQ(READKEYS(Keys({38, 36})), 0);      // j and Return share word 2
}

TEST(ReadKeys, HomeKeyGivesTheZeroingCode) {
  EXPECT_EQ(READKEYS(Keys({115})), 1);
}

class AddTimeTest : public AcqTest {};

TEST_F(AddTimeTest, LengthensTheRunByOneScreenUpToTheLimit) {
  MaxSamples = 1'999'500;
  AddSomeTIME();
  EXPECT_EQ(MaxSamples, 2'000'000);
  EXPECT_FLOAT_EQ(donefact, 100.0f / 2'000'000);
  EXPECT_EQ(SegmentsInProgressBar, 790);
  AddSomeTIME();
  EXPECT_EQ(MaxSamples, 2'000'000);
  EXPECT_EQ(Count("ScreenINFO"), 2);
}

TEST_F(AddTimeTest, MovesAClosingReferenceLater) {
  SwitchingMode = SwitchingPatternCode::StartEnd;
  RefOnTime = 10'000;
  RefIsON = 1;
  SampleValve = 2;
  ChartIntervalInSeconds = 0.5;
  AddSomeTIME();
  EXPECT_EQ(RefOnTime, 10'000 + 800 * 30);
  EXPECT_EQ(RefIsON, 0) << "back to the sample device";
  EXPECT_EQ(OldChan, 2);
  EXPECT_EQ(NewScreen, 1);

  SwitchingMode = SwitchingPatternCode::Periodic;
  RefIsON = 1;
  AddSomeTIME();
  EXPECT_EQ(RefOnTime, 10'000 + 800 * 30);
  EXPECT_EQ(RefIsON, 1) << "a periodic pattern keeps its own times";
}

TEST_F(AddTimeTest, ReferenceTimeSaturatesInsteadOfWrapping) {
  SwitchingMode = SwitchingPatternCode::StartEnd;
  RefOnTime = kNeverTick - 100;
  ChartIntervalInSeconds = 30;
  AddSomeTIME();
  EXPECT_EQ(RefOnTime, kNeverTick);
}

TEST_F(AddTimeTest, CapacityBarUsesWideProducts) {
  OpenAcquisitionWindow();
  PrefsArray[PrefsSlot::WindowWidth] = 1500;
  MaxSamples = 1'998'000;
  Sample = 1'990'000;  // segments x samples passes 2^31
  ShowDisplays = 1;
  AddSomeTIME();
  EXPECT_EQ(MaxSamples, 1'999'500);
  EXPECT_EQ(rt::ControlValue(899), static_cast<int>(int64_t{1490} * 1'990'000 / 1'999'500));
}

TEST(NextReference, Texts) {
  EXPECT_EQ(NextReferenceText(1000 + 30 * 60, 1000).str(), "Next reference in 30 seconds");
  EXPECT_EQ(NextReferenceText(1000 + 3 * 3600 * 60, 1000).str(), "Next reference in  3.00 hours");
  EXPECT_EQ(NextReferenceText(1000 + 50 * 3600, 1000).str(), "Next reference in 50.00 minutes");
  EXPECT_EQ(NextReferenceText(1000 + 110 * 3600, 1000).str(), "Next reference in 110.00 minutes");
  EXPECT_EQ(NextReferenceText(1000 + 200 * 3600 * 60, 1000).str(), "Next reference in 200.0 hours");
}

TEST(NextReference, NoReferenceDueSaysSo) {
  EXPECT_EQ(NextReferenceText(kNeverTick, 1000).str(), "no reference scheduled");
  EXPECT_EQ(NextReferenceText(500, 1000).str(), "no reference scheduled");
}

TEST_F(AddTimeTest, NextReferenceWindowOpensOnlyWithATimedReference) {
  SwitchingMode = SwitchingPatternCode::Keyboard;
  TimeNextREF();
  EXPECT_FALSE(rt::WindowExists(kNextReferenceWindow));
  SwitchingMode = SwitchingPatternCode::Periodic;
  RefOnTime = static_cast<int32_t>(rt::TickCount() + 3600);
  TimeNextREF();
  EXPECT_TRUE(rt::WindowExists(kNextReferenceWindow));
  rt::SaveWindowImage(kNextReferenceWindow, (TestOutputDir() / "w300-next-reference.png").string());
}

}  // namespace
}  // namespace mv::test
