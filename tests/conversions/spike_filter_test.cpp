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
  SpikeFieldTexts fields;
};

TEST_F(SpikeFilterTest, FieldsShowTheStoredRatios) {
  SpikeFilterArray[1] = 1.2f;
  fields = SpikeFieldsFromRatios(2);
  EXPECT_EQ(fields[1], Str255(" 1.2"));
  EXPECT_EQ(fields[2], Str255(" 0"));
  EXPECT_TRUE(SpikeBoxChecked(1));
  EXPECT_FALSE(SpikeBoxChecked(2));
  EXPECT_FALSE(SpikeBoxChecked(0));
}

TEST_F(SpikeFilterTest, CheckingAnOffChannelWithNoUsableRatioStoresTwo) {
  fields[1] = "off";
  fields[2] = "0";
  EXPECT_EQ(ClickSpikeBox(1, fields), SpikeSound::Up);
  EXPECT_EQ(ClickSpikeBox(2, fields), SpikeSound::Up);
  EXPECT_EQ(SpikeFilterArray[1], 2.0f);
  EXPECT_EQ(fields[1], Str255("2"));
  EXPECT_EQ(SpikeFilterArray[2], 2.0f);
  EXPECT_TRUE(LeaveSpikeFilter(2, fields));
  EXPECT_EQ(SpikeFilterArray[1], 2.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 1);
}

TEST_F(SpikeFilterTest, CheckingWithATypedRatioUsesIt) {
  fields[1] = "3";
  EXPECT_EQ(ClickSpikeBox(1, fields), SpikeSound::Up);
  EXPECT_EQ(SpikeFilterArray[1], 3.0f);
  EXPECT_EQ(fields[1], Str255("3"));
}

TEST_F(SpikeFilterTest, UncheckingTurnsTheChannelOff) {
  SpikeFilterArray[4] = 5;
  fields[4] = " 5";
  EXPECT_EQ(ClickSpikeBox(4, fields), SpikeSound::Down);
  EXPECT_EQ(SpikeFilterArray[4], 0.0f);
  EXPECT_EQ(fields[4], Str255("off"));
}

TEST_F(SpikeFilterTest, TypingIntoAnOffChannelWithoutCheckingLeavesItOff) {
  fields[1] = "3";
  EXPECT_FALSE(LeaveSpikeFilter(1, fields));
  EXPECT_EQ(SpikeFilterArray[1], 0.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 0);
}

TEST_F(SpikeFilterTest, TypingARatioOfOneOrLessTurnsAnActiveChannelOff) {
  PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
  SpikeFilterArray[1] = 2;
  SpikeFilterArray[2] = 2;
  fields[1] = "0.5";
  fields[2] = "1";  // exactly 1 is off too
  EXPECT_FALSE(LeaveSpikeFilter(2, fields));
  EXPECT_EQ(SpikeFilterArray[1], 0.0f);
  EXPECT_EQ(SpikeFilterArray[2], 0.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 0);
  EXPECT_EQ(SpikeFilterRatio, 1.0f);  // the last ratio read back
}

TEST_F(SpikeFilterTest, OneChannelOffAnotherStillOn) {
  SpikeFilterArray[1] = 2;
  SpikeFilterArray[2] = 2;
  fields[1] = "0.5";
  fields[2] = "4";
  EXPECT_TRUE(LeaveSpikeFilter(2, fields));
  EXPECT_EQ(SpikeFilterArray[1], 0.0f);
  EXPECT_EQ(SpikeFilterArray[2], 4.0f);
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 1);
  EXPECT_EQ(SpikeFilterRatio, 4.0f);
}

TEST_F(SpikeFilterTest, AllFiltersOffThenDone) {
  for (int n = 1; n <= 3; ++n) SpikeFilterArray[n] = 2;
  PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
  SpikeFiltersOff(3, fields);
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(SpikeFilterArray[n], 0.0f);
    EXPECT_EQ(fields[n], Str255("off"));
  }
  EXPECT_FALSE(LeaveSpikeFilter(3, fields));
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 0);
}

TEST_F(SpikeFilterTest, PresetButtonsSetEveryChannel) {
  EXPECT_EQ(SpikePresetRatio(291), 1.2);
  EXPECT_EQ(SpikePresetRatio(295), 10.0);
  EXPECT_EQ(SpikePresetRatio(290), 0.0);
  SpikeFiltersPreset(SpikePresetRatio(292), 3, fields);
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(SpikeFilterArray[n], 1.5f);
    EXPECT_EQ(fields[n], Str255(" 1.5"));
  }
  EXPECT_EQ(SpikeFilterArray[4], 0.0f);  // not a channel in use
  EXPECT_TRUE(LeaveSpikeFilter(3, fields));
  EXPECT_EQ(SpikeFilterArray[2], 1.5f);
}

TEST_F(SpikeFilterTest, DoubleFiltrationFlips) {
  FlipDoubleFiltration();
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeReread], 1);
  FlipDoubleFiltration();
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeReread], 0);
}

TEST_F(SpikeFilterTest, ChannelsOutsideTheTableAreIgnored) {
  EXPECT_EQ(ClickSpikeBox(0, fields), SpikeSound::None);
  EXPECT_EQ(ClickSpikeBox(17, fields), SpikeSound::None);
  EXPECT_EQ(SpikeFilterArray[0], 0.0f);
  for (int n = 1; n <= 16; ++n) SpikeFilterArray[n] = 2;
  for (int n = 1; n <= 16; ++n) fields[n] = "3";
  EXPECT_TRUE(LeaveSpikeFilter(40, fields));  // a corrupt count reads 16 channels
  EXPECT_EQ(SpikeFilterArray[16], 3.0f);
  SpikeFiltersOff(-2, fields);
  EXPECT_EQ(SpikeFilterArray[1], 3.0f);
}

TEST_F(SpikeFilterTest, RatioBeyondSinglePrecisionTurnsTheFilterOff) {
  SpikeFilterArray[1] = 2;
  fields[1] = "1e60";
  EXPECT_FALSE(LeaveSpikeFilter(1, fields));
  EXPECT_EQ(SpikeFilterArray[1], 0.0f);
}

}  // namespace
}  // namespace mv
