// The one label rule: 30-character slots in two strings, read and written the same
// way by every window, file and display.
#include "kit/channel_labels.h"

#include <string>

#include "common/test_support.h"
#include "kit/state.h"

namespace mv {
// Label texts compared with plain strings in expectations.
inline bool operator==(const Str255& a, const std::string& b) {
  return a.str() == b;
}

namespace {

using ChannelLabels = test::ProgramTest;

TEST_F(ChannelLabels, LabelSlotsSitAtThirtyCharacterSteps) {
  datalabel = std::string(30, 'A') + std::string(30, 'B') + std::string(10, 'C');
  std::string second;
  for (char c = 'a'; c < 'i'; ++c) second += std::string(30, c);
  datalabel2 = second;
  EXPECT_EQ(ChannelLabel(1), std::string(30, 'A'));
  EXPECT_EQ(ChannelLabel(2), std::string(30, 'B'));
  EXPECT_EQ(ChannelLabel(3), std::string(10, 'C')) << "a string ending inside the slot gives what is there";
  EXPECT_EQ(ChannelLabel(4), "") << "and nothing past its end";
  EXPECT_EQ(ChannelLabelField(3), std::string(10, 'C') + std::string(20, ' '));
  EXPECT_EQ(ChannelLabel(9), std::string(30, 'a')) << "channel 9 is characters 1 to 30 of the second string";
  EXPECT_EQ(ChannelLabel(16), std::string(30, 'h')) << "channel 16 is characters 211 to 240";
  EXPECT_EQ(ChannelLabel(0), "");
  EXPECT_EQ(ChannelLabel(17), "");
}

TEST_F(ChannelLabels, WritingALabelPadsCutsAndKeepsTheOtherSlots) {
  datalabel = std::string(30, 'A') + std::string(10, 'B');
  SetChannelLabel(4, "Oxygen");
  EXPECT_EQ(datalabel.size(), 120u);
  EXPECT_EQ(datalabel.str().substr(0, 30), std::string(30, 'A'));
  EXPECT_EQ(datalabel.str().substr(30, 60), std::string(10, 'B') + std::string(50, ' '));
  EXPECT_EQ(ChannelLabel(4), "Oxygen" + std::string(24, ' '));
  SetChannelLabel(1, std::string(40, 'x'));
  EXPECT_EQ(ChannelLabel(1), std::string(30, 'x')) << "a label is at most 30 characters";
  EXPECT_EQ(ChannelLabel(4), "Oxygen" + std::string(24, ' '));
  SetChannelLabel(12, "CO2");
  EXPECT_EQ(datalabel2.size(), 120u);
  EXPECT_EQ(ChannelLabel(12), "CO2" + std::string(27, ' '));
  EXPECT_EQ(LimitLabelString(Str255(std::string(255, 'z'))).size(), 242u);
}

}  // namespace
}  // namespace mv
