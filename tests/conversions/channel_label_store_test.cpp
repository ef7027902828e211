// The conversions window stores channel labels through the program's one label rule.
#include <string>

#include "common/test_support.h"
#include "conversions/conversions_window.h"
#include "kit/channel_labels.h"
#include "kit/state.h"

namespace mv {
// Label texts compared with plain strings in expectations.
inline bool operator==(const Str255& a, const std::string& b) {
  return a.str() == b;
}

namespace {

using ChannelLabels = test::ProgramTest;

// The conversions window writes and reads through the same rule, so a label string
// it stores back keeps the limit every other writer keeps.
TEST_F(ChannelLabels, TheConversionsWindowStoresLabelsByTheSameRule) {
  for (int16_t ch : {1, 8, 9, 16}) {
    datalabel = Str255(std::string(255, 'z'));
    datalabel2 = Str255(std::string(255, 'z'));
    StoreChannelLabel(ch, "VO2 (ml/min)");
    const Str255& written = ch <= 8 ? datalabel : datalabel2;
    EXPECT_EQ(written.size(), 242u) << ch;
    EXPECT_EQ(ChannelLabel(ch), "VO2 (ml/min)" + std::string(18, ' ')) << ch;
    EXPECT_EQ(StoredChannelLabel(ch), ChannelLabelField(ch)) << ch;
  }
  EXPECT_EQ(StoredChannelLabel(0), std::string(30, ' ')) << "no channel has blanks for a label";
}

}  // namespace
}  // namespace mv
