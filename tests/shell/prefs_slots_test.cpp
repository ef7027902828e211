#include <gtest/gtest.h>

#include "shell/prefs_slots.h"

namespace mv {
namespace {

TEST(PrefsSlots, StartUpValuesOfTheSwitchesThatStartOn) {
  for (int slot : {3, 7, 14, 15, 18, 22, 23, 24, 25, 27, 28, 29, 31, 39, 48, 51})
    EXPECT_EQ(kPrefsInitialValues[slot], 1) << slot;
  EXPECT_EQ(kPrefsInitialValues[PrefsSlot::LabelFont], 2);
  EXPECT_EQ(kPrefsInitialValues[13], 2);
  EXPECT_EQ(kPrefsInitialValues[PrefsSlot::Unread19], 100);
  int on = 0;
  for (int16_t v : kPrefsInitialValues) on += v != 0;
  EXPECT_EQ(on, 19) << "every other slot starts at 0";
}

TEST(PrefsSlots, TheFileKeepsTwentyEightSlots) {
  int stored = 0;
  for (int slot = 0; slot < kPrefsSlots; ++slot) stored += IsStoredInPreferencesFile(slot);
  EXPECT_EQ(stored, 28);
  EXPECT_FALSE(IsStoredInPreferencesFile(PrefsSlot::InterfaceCode)) << "the interface code has its own field";
  EXPECT_FALSE(IsStoredInPreferencesFile(0));
  EXPECT_TRUE(IsStoredInPreferencesFile(PrefsSlot::StartupSounds));
}

}  // namespace
}  // namespace mv
