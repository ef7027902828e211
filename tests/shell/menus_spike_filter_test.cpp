// A-D "Spike Filter..." as the program installs it: the real window from the real
// menu, its check mark, and the channel reader following that mark through a new
// set-up, which gives every channel a threshold of 2.
#include <deque>

#include "acquisition/state.h"
#include "common/window_steps.h"
#include "conversions/spike_filter.h"
#include "conversions/state.h"
#include "devices/dispatcher.h"
#include "devices/needs.h"
#include "devices/state.h"
#include "kit/hook.h"
#include "setup/state.h"
#include "shell/startup.h"
#include "shell_test_support.h"

namespace mv {
namespace {

using namespace MenuNumber;
using Steps = test::WindowSteps;
constexpr int16_t W = kSpikeFilterWindow;

class SpikeFilterCommandTest : public test::MenusTest {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    for (HookBase* hook : AllHooks()) hook->Reset();
    SetMainValues();
    External_AD = ExternalADCode::ADAM;
    nChannels = 2;
    MainMENU();
    services::ReadADAM = [this](int16_t, int16_t) {
      ++reads;
      if (!readings.empty()) {
        volts = readings.front();
        readings.pop_front();
      }
    };
  }
  void TearDown() override {
    for (HookBase* hook : AllHooks()) hook->Reset();
    MenusTest::TearDown();
  }
  void Choose(std::vector<Steps::Step> windowSteps) {
    Steps steps;
    steps.Drive(std::move(windowSteps), [] { rt::CloseWindow(W); });
    DoMENU(AD, 12);
    EXPECT_TRUE(steps.ScriptDone());
  }
  // Channel 1 read once a run has two samples, with a first reading far from the last.
  int ReadsOfAFarReading() {
    reads = 0;
    Sample = 5;
    LastVoltageArray[1 + 17] = 0.0f;  // the run's reading before
    SpikeReferenceHeld[1] = true;
    readings = {40.0f, 0.1f};
    ReadExternalADdevice(1, 1);
    return reads;
  }

  int reads = 0;
  std::deque<float> readings;
};

TEST_F(SpikeFilterCommandTest, PresetThenDoneChecksTheMenuAndOffMeansTheReaderNeverReadsAgain) {
  PrefsArray[PrefsSlot::SpikeFilterOn] = 0;
  ASSERT_TRUE(rt::MenuItemEnabled(AD, 12));
  Choose(
      {Steps::Until(W), Steps::Click(W, SpikeControl::FirstPreset + 1), Steps::Click(W, SpikeControl::Done)});
  EXPECT_EQ(SpikeFilterArray[1], 1.5f);
  EXPECT_EQ(SpikeFilterArray[2], 1.5f);
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 1);
  EXPECT_TRUE(rt::MenuItemChecked(AD, 12));
  EXPECT_EQ(ReadsOfAFarReading(), 2) << "a far reading is read again while the filter is on";

  Choose({Steps::Until(W), Steps::Click(W, SpikeControl::AllOff), Steps::Click(W, SpikeControl::Done)});
  EXPECT_EQ(PrefsArray[PrefsSlot::SpikeFilterOn], 0);
  EXPECT_FALSE(rt::MenuItemChecked(AD, 12));
  // A new set-up gives every channel a threshold of 2, and the unchecked filter
  // still reads each channel once.
  ApplyInterfaceRules(false);
  EXPECT_EQ(SpikeFilterArray[1], 2.0f);
  EXPECT_FALSE(rt::MenuItemChecked(AD, 12));
  EXPECT_EQ(ReadsOfAFarReading(), 1);
  EXPECT_EQ(volts, 40.0f);
}

}  // namespace
}  // namespace mv
