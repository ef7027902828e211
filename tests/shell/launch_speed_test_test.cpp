// The start-up speed test: the speed figure from the elapsed ticks, the verdicts,
// and a run of the window on the virtual clock.
#include <gtest/gtest.h>

#include "launch_test_support.h"
#include "runtime/clock.h"
#include "runtime/events.h"
#include "runtime/windows.h"
#include "shell/speed_test.h"
#include "shell/state.h"

namespace mv {
namespace {

using SpeedTest = test::LaunchTest;

TEST_F(SpeedTest, SpeedFigureFromTheElapsedTicks) {
  EXPECT_EQ(SpeedFromTicks(23), 1700);
  EXPECT_EQ(SpeedFromTicks(300), 130);
  EXPECT_EQ(SpeedFromTicks(5), 8500);
  EXPECT_EQ(SpeedFromTicks(2300), 17);
  for (int ticks : {4, 3, 1, 0}) EXPECT_EQ(SpeedFromTicks(ticks), 17000) << ticks << " ticks";
  EXPECT_EQ(SpeedFromTicks(65536 + 23), 1700) << "the count is a signed 16-bit value";
  EXPECT_EQ(SpeedFromTicks(40000), 17000) << "a count that reads negative counts as one step";
}

TEST_F(SpeedTest, VerdictsChangeJustAboveTheirLimitsAndTheFastFlag) {
  for (auto [speed, verdict] : {std::pair{150, " sluglike..."},
                                {151, "  kinda slow..."},
                                {220, "  kinda slow..."},
                                {221, "  not too bad..."},
                                {370, "  not too bad..."},
                                {371, "  pretty fast..."},
                                {500, "  pretty fast..."},
                                {501, " REALLY fast..."}})
    EXPECT_EQ(SpeedVerdict(static_cast<int16_t>(speed)).str(), verdict) << speed;
  EXPECT_FALSE(SpeedIsFast(220));
  EXPECT_TRUE(SpeedIsFast(221));
}

TEST_F(SpeedTest, TheTestWindowTimesItsBurstAndCloses) {
  PrefsArray[PrefsSlot::BadReadingKeepsLast] = 1;
  Str255 title;
  int progressMaximum = 0;
  rt::SetPumpHook([&] {
    if (!rt::WindowExists(kSpeedTestWindow) || !title.empty()) return;
    title = rt::WindowTitle(kSpeedTestWindow);
    rt::SetOutputWindow(kSpeedTestWindow);
    progressMaximum = rt::ControlExists(899) ? 1 : 0;
  });
  GetSpeedEstimate();
  rt::SetPumpHook(nullptr);
  // On the virtual clock only the two 100 ms waits take time: 12 ticks.
  EXPECT_EQ(FreeRunSpeed, 3400);
  EXPECT_EQ(CPU_is_Fast, 1);
  EXPECT_EQ(title.str(), " Initializing... ");
  EXPECT_EQ(progressMaximum, 1) << "the progress bar stays until the window closes";
  EXPECT_FALSE(rt::WindowExists(kSpeedTestWindow));
  EXPECT_TRUE(PlayedFile("MVsounds/upvip.mp3"));
}

}  // namespace
}  // namespace mv
