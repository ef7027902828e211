// The rules of the spike-filter settings.
#include "conversions/spike_filter.h"

#include <gtest/gtest.h>

#include "common/test_support.h"
#include "conversions/state.h"
#include "kit/state.h"

namespace mv {
namespace {

class SpikeFilterTest : public test::ProgramTest {
 protected:
  SpikeWindowState s;
};

// The window shows what the reader will do: a stored threshold counts only while the
// filter is on (a new set-up stores 2 for every channel with the filter off).
TEST_F(SpikeFilterTest, TheWindowOpensShowingWhatTheReaderDoes) {
  SpikeFilterArray[1] = 1.2f;
  SpikeFilterArray[2] = 2.0f;
  s = SpikeWindowAtOpening(3);
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(s.ratios[n], 0.0f) << "off while slot 32 is off: " << n;
  EXPECT_EQ(s.fields[1], Str255(" 0"));
  PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
  s = SpikeWindowAtOpening(3);
  EXPECT_EQ(s.ratios[1], 1.2f);
  EXPECT_EQ(s.fields[1], Str255(" 1.2"));
  EXPECT_EQ(s.ratios[3], 0.0f);
  EXPECT_EQ(s.fields[3], Str255(" 0"));
}

TEST_F(SpikeFilterTest, CheckingAnOffChannelWithNoUsableRatioStoresTwo) {
  s.fields[1] = "off";
  s.fields[2] = "0";
  EXPECT_EQ(ClickSpikeBox(1, s), SpikeSound::Up);
  EXPECT_EQ(ClickSpikeBox(2, s), SpikeSound::Up);
  EXPECT_EQ(s.ratios[1], 2.0f);
  EXPECT_EQ(s.fields[1], Str255("2"));
  EXPECT_EQ(SpikeFilterArray[1], 0.0f) << "stored only on leaving";
  EXPECT_TRUE(LeaveSpikeFilter(2, s));
  EXPECT_EQ(SpikeFilterArray[1], 2.0f);
  EXPECT_EQ(SpikeFilterArray[2], 2.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 1);
}

TEST_F(SpikeFilterTest, CheckingWithATypedRatioUsesIt) {
  s.fields[1] = "3";
  EXPECT_EQ(ClickSpikeBox(1, s), SpikeSound::Up);
  EXPECT_EQ(s.ratios[1], 3.0f);
  EXPECT_EQ(s.fields[1], Str255("3"));
}

TEST_F(SpikeFilterTest, UncheckingTurnsTheChannelOff) {
  s.ratios[4] = 5;
  s.fields[4] = " 5";
  EXPECT_EQ(ClickSpikeBox(4, s), SpikeSound::Down);
  EXPECT_EQ(s.ratios[4], 0.0f);
  EXPECT_EQ(s.fields[4], Str255("off"));
}

TEST_F(SpikeFilterTest, TypingIntoAnOffChannelWithoutCheckingLeavesItOff) {
  s.fields[1] = "3";
  EXPECT_FALSE(LeaveSpikeFilter(1, s));
  EXPECT_EQ(SpikeFilterArray[1], 0.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 0);
}

TEST_F(SpikeFilterTest, TypingARatioOfOneOrLessTurnsAnActiveChannelOff) {
  PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
  SpikeFilterArray[1] = 2;
  SpikeFilterArray[2] = 2;
  s = SpikeWindowAtOpening(2);
  s.fields[1] = "0.5";
  s.fields[2] = "1";  // exactly 1 is off too
  EXPECT_FALSE(LeaveSpikeFilter(2, s));
  EXPECT_EQ(SpikeFilterArray[1], 0.0f);
  EXPECT_EQ(SpikeFilterArray[2], 0.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 0);
  EXPECT_EQ(SpikeFilterRatio, 1.0f);  // the last ratio read back
}

TEST_F(SpikeFilterTest, OneChannelOffAnotherStillOn) {
  PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
  SpikeFilterArray[1] = 2;
  SpikeFilterArray[2] = 2;
  s = SpikeWindowAtOpening(2);
  s.fields[1] = "0.5";
  s.fields[2] = "4";
  EXPECT_TRUE(LeaveSpikeFilter(2, s));
  EXPECT_EQ(SpikeFilterArray[1], 0.0f);
  EXPECT_EQ(SpikeFilterArray[2], 4.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 1);
  EXPECT_EQ(SpikeFilterRatio, 4.0f);
}

// Turning one channel on over a new set-up's stored 2s must not switch the others on
// with it: the reader would filter every channel the window showed unchecked.
TEST_F(SpikeFilterTest, OneChannelTurnedOnLeavesTheOthersOff) {
  for (int n = 1; n <= 3; ++n) SpikeFilterArray[n] = 2;
  s = SpikeWindowAtOpening(3);
  EXPECT_EQ(ClickSpikeBox(2, s), SpikeSound::Up);
  EXPECT_TRUE(LeaveSpikeFilter(3, s));
  EXPECT_EQ(SpikeFilterArray[1], 0.0f);
  EXPECT_EQ(SpikeFilterArray[2], 2.0f);
  EXPECT_EQ(SpikeFilterArray[3], 0.0f);
  for (int16_t n = 1; n <= 3; ++n) EXPECT_EQ(SpikeChannelFiltered(n), n == 2) << n;
}

TEST_F(SpikeFilterTest, AllFiltersOffThenDone) {
  for (int n = 1; n <= 3; ++n) SpikeFilterArray[n] = 2;
  PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
  s = SpikeWindowAtOpening(3);
  SpikeFiltersOff(3, s);
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(s.ratios[n], 0.0f);
    EXPECT_EQ(s.fields[n], Str255("off"));
  }
  EXPECT_FALSE(LeaveSpikeFilter(3, s));
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(SpikeFilterArray[n], 0.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 0);
}

TEST_F(SpikeFilterTest, PresetButtonsSetEveryChannel) {
  EXPECT_EQ(SpikePresetRatio(291), 1.2);
  EXPECT_EQ(SpikePresetRatio(295), 10.0);
  EXPECT_EQ(SpikePresetRatio(290), 0.0);
  SpikeFiltersPreset(SpikePresetRatio(292), 3, s);
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(s.ratios[n], 1.5f);
    EXPECT_EQ(s.fields[n], Str255(" 1.5"));
  }
  EXPECT_EQ(s.ratios[4], 0.0f);  // not a channel in use
  EXPECT_TRUE(LeaveSpikeFilter(3, s));
  EXPECT_EQ(SpikeFilterArray[2], 1.5f);
  EXPECT_EQ(SpikeFilterArray[4], 0.0f);
}

TEST_F(SpikeFilterTest, DoubleFiltrationFlips) {
  FlipDoubleFiltration();
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeReread], 1);
  FlipDoubleFiltration();
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeReread], 0);
}

TEST_F(SpikeFilterTest, ChannelsOutsideTheTableAreIgnored) {
  EXPECT_EQ(ClickSpikeBox(0, s), SpikeSound::None);
  EXPECT_EQ(ClickSpikeBox(17, s), SpikeSound::None);
  EXPECT_EQ(s.ratios[0], 0.0f);
  for (int n = 1; n <= 16; ++n) s.ratios[n] = 2;
  for (int n = 1; n <= 16; ++n) s.fields[n] = "3";
  EXPECT_TRUE(LeaveSpikeFilter(40, s));  // a corrupt count reads 16 channels
  EXPECT_EQ(SpikeFilterArray[16], 3.0f);
  SpikeFiltersOff(-2, s);
  EXPECT_EQ(s.ratios[1], 2.0f);
  EXPECT_FALSE(SpikeChannelFiltered(0));
  EXPECT_FALSE(SpikeChannelFiltered(17));
}

TEST_F(SpikeFilterTest, RatioBeyondSinglePrecisionTurnsTheFilterOff) {
  s.ratios[1] = 2;
  s.fields[1] = "1e60";
  EXPECT_FALSE(LeaveSpikeFilter(1, s));
  EXPECT_EQ(SpikeFilterArray[1], 0.0f);
}

}  // namespace
}  // namespace mv
