// Rules of the switching set-up window: the pattern list, the group texts, the
// "Setup OK" gate, the timing diagram's slots and the device labels of a sequence.
#include <gtest/gtest.h>

#include <vector>

#include "common/test_support.h"
#include "control/device_outputs.h"
#include "control/sequence_labels.h"
#include "control/state.h"
#include "control/switch_buttons.h"
#include "control/switch_diagram.h"
#include "control/switch_groups.h"
#include "control/switch_window.h"
#include "devices/state.h"
#include "setup/state.h"

namespace mv {
namespace {

constexpr int16_t DT500 = ExternalADCode::DT500, ADC1 = ExternalADCode::ADC1;

TEST(SwitchWindowRules, ListEntriesAndChoicesMatchBothLists) {
  EXPECT_EQ(PatternListEntry(2, false), 3);
  EXPECT_EQ(PatternListEntry(6, false), 5);
  EXPECT_EQ(PatternListEntry(8, false), 6);
  EXPECT_EQ(PatternListEntry(8, true), 5);
  EXPECT_EQ(PatternListEntry(9, false), 8);
  EXPECT_EQ(PatternListEntry(10, false), 10);
  EXPECT_EQ(PatternListEntry(0, false), 1);
  EXPECT_EQ(PatternItemForEntry(2, false), 181);
  EXPECT_EQ(PatternItemForEntry(5, false), 184);
  EXPECT_EQ(PatternItemForEntry(6, false), 180);
  EXPECT_EQ(PatternItemForEntry(7, false), 186);
  EXPECT_EQ(PatternItemForEntry(10, false), 190);
  EXPECT_EQ(PatternItemForEntry(5, true), 180);
}

TEST(SwitchWindowRules, TheGroupBoxMovesAPatternToItsPartner) {
  EXPECT_EQ(PatternAfterGroupToggle(1, false), 2);
  EXPECT_EQ(PatternAfterGroupToggle(7, false), 8);
  EXPECT_EQ(PatternAfterGroupToggle(3, true), 0);
  EXPECT_EQ(PatternAfterGroupToggle(6, false), 5);
  EXPECT_EQ(PatternAfterGroupToggle(6, true), 3);
  EXPECT_EQ(PatternAfterGroupToggle(9, false), 0);
  EXPECT_EQ(PatternAfterGroupToggle(10, false), 10);
}

TEST(SwitchWindowRules, GateNeedsDevicesReferencesAndIntervals) {
  EXPECT_TRUE(SwitchSetupComplete(0, false, 0, 0, 0, 0));
  EXPECT_FALSE(SwitchSetupComplete(3, true, 0, 0, 1, 0)) << "a reference interval of 0";
  EXPECT_TRUE(SwitchSetupComplete(3, true, 2, 0, 1, 0));
  EXPECT_FALSE(SwitchSetupComplete(4, true, 2, 0, 1, 0)) << "the second reference is missing";
  EXPECT_FALSE(SwitchSetupComplete(5, true, 2, 0, 1, 0)) << "no sequence interval";
  EXPECT_TRUE(SwitchSetupComplete(6, true, 2, 1, 1, 5));
  EXPECT_FALSE(SwitchSetupComplete(1, false, 0, 0, 1, 0)) << "no device chosen";
  EXPECT_FALSE(SwitchSetupComplete(11, true, 2, 1, 1, 5));
}

// 1e40 minutes would overflow the tick count of every switching deadline.
TEST(SwitchWindowRules, AnIntervalTooLongForTheTickClockIsRefused) {
  EXPECT_TRUE(IntervalAccepted(0.5));
  EXPECT_TRUE(IntervalAccepted(596'523.0));
  EXPECT_FALSE(IntervalAccepted(596'524.0));
  EXPECT_FALSE(IntervalAccepted(1e40));
  EXPECT_FALSE(IntervalAccepted(0));
  EXPECT_FALSE(IntervalAccepted(-1));
  EXPECT_FALSE(SwitchSetupComplete(3, true, 1e30f, 0, 1, 0));
}

TEST(SwitchWindowRules, GroupTextsFollowTheDeviceAndTheInterface) {
  const auto click = [](int16_t pattern, int16_t device, int16_t count) {
    return GroupText(pattern, device, count, GroupTextStyle::Click);
  };
  EXPECT_EQ(click(2, 3, 8)->str(), "  Group 1");
  EXPECT_EQ(click(2, 6, 8)->str(), "  Group 2");
  EXPECT_EQ(click(4, 4, 6)->str(), "  Group 2") << "RMS ADC-1: group 2 is devices 4 to 6";
  EXPECT_EQ(click(4, 0, 8)->str(), " ");
  EXPECT_EQ(click(3, 2, 8)->str(), "combined");
  EXPECT_FALSE(click(0, 2, 8).has_value());
  EXPECT_EQ(GroupText(6, 7, 8, GroupTextStyle::Opening)->str(), "  Group 2 ");
  EXPECT_EQ(GroupText(8, 1, 8, GroupTextStyle::Relayout)->str(), " Group 1");
  EXPECT_EQ(GroupText(5, 1, 8, GroupTextStyle::Opening)->str(), "Combined");
  EXPECT_EQ(GroupText(2, 7, 6, GroupTextStyle::Opening)->str(), " ") << "beyond the device count";
}

// The reference buttons and the rows offer the devices the interface switches.
TEST(SwitchWindowRules, ReferenceButtonsFitTheInterfaceAndCoding) {
  EXPECT_EQ(SwitchDeviceCount(DT500, 0), 4);
  EXPECT_EQ(SwitchDeviceCount(DT500, 1), 8);
  EXPECT_EQ(SwitchDeviceCount(ADC1, 0), 6);
  EXPECT_EQ(SwitchDeviceCount(ExternalADCode::DT800, 0), 8);
  EXPECT_EQ(SwitchDeviceCount(ADC1, 1), 6) << "the ADC-1 has six devices, with a word coding too";
  // A DT500 or DT50 wired one line per device has four lines: no device 5 to 8.
  EXPECT_EQ(SwitchDeviceCount(DT500, 0), 4);
  EXPECT_EQ(SwitchDeviceCount(ExternalADCode::DT50, 0), 4);
  EXPECT_EQ(SwitchDeviceCount(DT500, 1), 8);
}

// Two groups need one reference in each, as the interface in use splits the devices.
TEST(SwitchWindowRules, TwoGroupsNeedOneReferenceInEachGroupOfTheInterface) {
  const int16_t iface = External_AD, coding = PrefsArray[PrefsSlot::DigitalOutputCoding], pattern = SwitchingMode,
                ref1 = RefChan, ref2 = RefChan2;
  const int16_t UI3 = ExternalADCode::SableUI3;
  const struct {
    int16_t iface, coding, pattern, ref1, ref2;
    const char* said;  // nullptr: no refusal
  } rows[] = {
      {UI3, 0, 6, 1, 5, nullptr},
      {UI3, 0, 6, 1, 4, "Reference devices 1 and 4 are both in group 1: group 1 is devices 1 to 4 and group 2 "
                        "devices 5 to 8 here, one reference each."},
      {ExternalADCode::DT800, 0, 2, 1, 4, "Reference devices 1 and 4 are both in group 1:"},
      {ADC1, 1, 4, 4, 5, "Reference devices 4 and 5 are both in group 2: group 1 is devices 1 to 3 and group 2 "
                         "devices 4 to 6 here, one reference each."},
      {ADC1, 0, 6, 1, 4, nullptr},
      {UI3, 0, 8, 5, 1, "Reference devices 5 and 1 are in each other's group:"},
      {UI3, 0, 6, 1, 0, "One group has no reference device:"},
      {UI3, 0, 5, 1, 4, nullptr},  // one group
      {UI3, 1, 6, 1, 4, nullptr},  // the word gives group 2 no lines: another refusal says so
  };
  for (const auto& row : rows) {
    External_AD = row.iface;
    PrefsArray[PrefsSlot::DigitalOutputCoding] = row.coding;
    SwitchingMode = row.pattern;
    RefChan = row.ref1;
    RefChan2 = row.ref2;
    const auto said = ReferenceGroupRefusal();
    if (!row.said) {
      EXPECT_FALSE(said) << *said;
      continue;
    }
    ASSERT_TRUE(said) << row.said;
    EXPECT_EQ(said->rfind(row.said, 0), 0u) << *said;
    EXPECT_EQ(UnswitchableDevice(), said) << "the set-up window, Device Control and the Preferences name it";
  }
  External_AD = iface;
  PrefsArray[PrefsSlot::DigitalOutputCoding] = coding;
  SwitchingMode = pattern;
  RefChan = ref1;
  RefChan2 = ref2;
}

TEST(SwitchDiagramRules, PeriodicSlotsTakeTurnsToTheColumnEnd) {
  const std::vector<PeriodicSlot> slots = PeriodicSlots(5, {0, 1, 2, 3}, DT500);
  // w = 80 div 4 = 20; blocks 17 wide with the reference strip joining them.
  const std::vector<PeriodicSlot> expected = {{1, 543, 560, 540, 563},
                                              {2, 563, 580, 560, 583},
                                              {3, 583, 600, 580, 603},
                                              {1, 603, 620, 600, 623},
                                              {2, 623, 640, 620, 640}};
  EXPECT_EQ(slots, expected);
}

TEST(SwitchDiagramRules, TwoGroupsSweepSideBySide) {
  const std::vector<PeriodicSlot> slots = PeriodicSlots(6, {0, 2, 5}, ADC1);
  ASSERT_EQ(slots.size(), 6u);
  const int16_t lefts[] = {543, 583, 623};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(slots[static_cast<std::size_t>(i)].row, 1);
    EXPECT_EQ(slots[static_cast<std::size_t>(i)].left, lefts[i]);
    EXPECT_EQ(slots[static_cast<std::size_t>(i + 3)].row, 2);
    EXPECT_EQ(slots[static_cast<std::size_t>(i + 3)].left, lefts[i]);
  }
}

TEST(SwitchDiagramRules, OnlyTheFirstSwitchedChannelOfAGroupIsTimed) {
  EXPECT_EQ(RowLabels(7, {0, 2, 6}, DT500), (std::vector<int16_t>{0, 1, 2}));
  EXPECT_EQ(RowLabels(3, {0, 0, 1, 3}, DT500), (std::vector<int16_t>{0, 0, 1, 2}));
  EXPECT_EQ(RowLabels(4, {0, 1, 6}, DT500), (std::vector<int16_t>{0, 1, 1})) << "one per group";
}

class SequenceLabelRules : public test::ProgramTest {};

TEST_F(SequenceLabelRules, LabelsArePaddedOrCutToTwentyInTheirSlot) {
  const Str255 labels = DefaultDeviceLabels();
  const Str255 empty = WithDeviceLabel(labels, 2, "");
  EXPECT_EQ(empty.mid(21, 20).str(), std::string(20, ' '));
  EXPECT_EQ(empty.mid(1, 20).str(), labels.mid(1, 20).str());
  const Str255 longer = WithDeviceLabel(labels, 8, "chamber eight, the far one");
  EXPECT_EQ(longer.mid(141, 20).str(), "chamber eight, the f");
  EXPECT_EQ(longer.size(), 160u);
}

TEST_F(SequenceLabelRules, PositionsInUseAndTheSwitchedChannelLine) {
  for (int16_t k : {2, 5, 7}) ChannelVariables[k][ChanField::Device] = 1;
  EXPECT_EQ(SequencePositionsInUse(), (std::vector<int16_t>{2, 5, 7}));
  datalabel2 = std::string(90, ' ') + "Chamber 12";
  EXPECT_EQ(SwitchedChannelLine(12).str(), "#12: Chamber 12                    ");
}

}  // namespace
}  // namespace mv
