// Demonstration readings: their ranges and steps, and the chart taker's own spike rule.
#include "devices/demonstration.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/test_support.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/system.h"

namespace mv {
namespace {

class DemonstrationTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
  }
};

// Whole thousandths from lo to hi.
void ExpectThousandths(float v, double lo, double hi) {
  EXPECT_GE(v, lo - 1e-6);
  EXPECT_LE(v, hi + 1e-6);
  double k = v * 1000.0;
  EXPECT_NEAR(k, std::round(k), 1e-3) << v;
}

TEST_F(DemonstrationTest, ReadingsStayInTheirRanges) {
  bool sawLow = false, sawHigh = false, sawFive = false;
  for (int i = 0; i < 4000; ++i) {
    float chart = DemonstrationReading();
    EXPECT_EQ(volts, chart);
    ExpectThousandths(chart, 0.201, 1.000);
    sawLow |= chart < 0.21f;
    sawHigh |= chart > 0.99f;
    ExpectThousandths(DemonstrationScopeReading(), 1.001, 1.600);
    ExpectThousandths(DemonstrationPauseReading(), 0.301, 1.100);
    float trigger = DemonstrationTriggerReading();
    if (trigger == 5.0f)
      sawFive = true;
    else
      ExpectThousandths(trigger, 0.001, 0.795);
  }
  EXPECT_TRUE(sawLow && sawHigh && sawFive);
}

TEST_F(DemonstrationTest, FarReadingDrawsASecondOneThatBecomesTheReference) {
  SpikeFilterArray[1] = 1.5f;
  LastVoltageArray[1 + 17] = 10.0f;  // every first reading is more than 1.5 away
  rt::SeedRandom(99);
  const float first = static_cast<float>(rt::Rnd(800) * 0.001 + 0.2);
  const float second = static_cast<float>(rt::Rnd(800) * 0.001 + 0.2);
  rt::SeedRandom(99);
  DemonstrationReadingFiltered(1);
  ASSERT_NE(first, second);
  EXPECT_FLOAT_EQ(volts, second) << "the second reading lies nearer the first than the reference";
  EXPECT_FLOAT_EQ(LastVoltageArray[1 + 17], second);
  EXPECT_EQ(voltagespikes[1], 0);
}

TEST_F(DemonstrationTest, SpikeKeepsTheReferenceAndCounts) {
  // Find a seed whose first draw is low and second high, so that a reference of 1.35 is
  // more than the ratio from the first and nearer the second than the first is.
  uint32_t seed = 1;
  for (;; ++seed) {
    rt::SeedRandom(seed);
    int a = rt::Rnd(800), b = rt::Rnd(800);
    if (a < 100 && b > 700) break;
  }
  SpikeFilterArray[2] = 1.01f;
  LastVoltageArray[2 + 17] = 1.35f;
  rt::SeedRandom(seed);
  DemonstrationReadingFiltered(2);
  EXPECT_FLOAT_EQ(volts, 1.35f);
  EXPECT_EQ(voltagespikes[2], 1);
  EXPECT_FLOAT_EQ(LastVoltageArray[2 + 17], 1.35f);
}

TEST_F(DemonstrationTest, WithTheFilterSwitchedOffNoSecondReadingIsDrawn) {
  PrefsArray[PrefsSlot::SpikeFilterOn] = 0;
  SpikeFilterArray[1] = 1.5f;
  LastVoltageArray[1 + 17] = 10.0f;  // every reading is far from it
  rt::SeedRandom(99);
  const float first = static_cast<float>(rt::Rnd(800) * 0.001 + 0.2);
  rt::SeedRandom(99);
  DemonstrationReadingFiltered(1);
  EXPECT_FLOAT_EQ(volts, first);
  EXPECT_FLOAT_EQ(LastVoltageArray[1 + 17], 10.0f);
}

TEST_F(DemonstrationTest, NearReadingLeavesTheReferenceAlone) {
  SpikeFilterArray[3] = 2.0f;
  LastVoltageArray[3 + 17] = 0.5f;
  DemonstrationReadingFiltered(3);
  EXPECT_FLOAT_EQ(LastVoltageArray[3 + 17], 0.5f);
  EXPECT_FLOAT_EQ(SpikeFilterRatio, 2.0f);
}

}  // namespace
}  // namespace mv
