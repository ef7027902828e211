// The one rule by which readers and windows take a channel's hardware input.
#include "devices/hardware_input.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/test_support.h"
#include "setup/state.h"

namespace mv {
namespace {

class HardwareInputTest : public test::ProgramTest {};

TEST_F(HardwareInputTest, TheInputIsTheFieldTruncatedAndZeroWhenNoInputHasIt) {
  const struct {
    float field;
    int16_t input;
  } cases[] = {
      {3.0f, 3},
      {3.7f, 3},
      {16.0f, 16},
      {15.999f, 15},
      {1.0f, 1},
      {0.5f, 0},
      {0.0f, 0},
      {-3.0f, 0},
      {32767.0f, 32767},
      {40000.0f, 0},
      {std::numeric_limits<float>::quiet_NaN(), 0},
      {std::numeric_limits<float>::infinity(), 0},
  };
  for (const auto& c : cases) {
    ChannelVariables[4][ChanField::Input] = c.field;
    EXPECT_EQ(HardwareInputOf(4), c.input) << c.field;
  }
}

TEST_F(HardwareInputTest, AChannelOutsideTheTableHasNoInput) {
  for (int16_t channel : {int16_t{0}, int16_t{17}, int16_t{-1}})
    EXPECT_EQ(HardwareInputOf(channel), 0) << channel;
}

}  // namespace
}  // namespace mv
