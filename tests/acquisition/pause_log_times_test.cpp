// A chart file's times as its pause log gives them: the lines the recording writes read
// back, a day-long pause kept to the millisecond, and notes that only look like a line.
#include "files/file_time.h"

#include <gtest/gtest.h>

#include <string>

#include "acquisition/pause_window.h"
#include "acquisition/time_axis.h"
#include "common/test_support.h"

namespace mv {
namespace {

class PauseLogTimes : public test::ProgramTest {};

TEST_F(PauseLogTimes, EveryPauseAndGapLineTheRecordingWritesReadsBack) {
  struct Line {
    bool pause;
    double seconds;
    int32_t sample;
  };
  // Up to a day and a half; the minutes printed keep a millisecond at every length.
  const Line lines[] = {{true, 2.77, 4},         {false, 3.0166667, 9},  {true, 0.004, 9},
                        {false, 86'399.999, 12}, {true, 129'600.001, 40}, {false, 1'234.567, 1'234'567}};
  std::string log;
  for (const Line& l : lines) {
    log += l.pause ? PauseLogEntry({l.seconds / 60, l.sample, "pump off for 5 minutes at case 3", false, 0, 0})
                   : ScheduleGapLogEntry(l.seconds / 60, l.sample);
  }
  log += PauseLogEntry({0.5, 50, "", true, 0.1, 2});  // with the interval caution
  const std::vector<LoggedGap> gaps = GapsInPauseLog(log);
  ASSERT_EQ(gaps.size(), std::size(lines) + 1) << log;
  for (std::size_t i = 0; i < std::size(lines); ++i) {
    EXPECT_EQ(gaps[i].before, lines[i].sample) << i;
    EXPECT_NEAR(gaps[i].seconds, lines[i].seconds, 0.0005) << log;
  }
  EXPECT_EQ(gaps.back().before, 50);
  EXPECT_DOUBLE_EQ(gaps.back().seconds, 30);
}

TEST_F(PauseLogTimes, EachSampleStandsAtItsIndexTimesTheIntervalPlusTheGapsAtOrBeforeIt) {
  StoredSampleTimes times(0.5, {{2, 3.0}, {2, 1.0}, {5, 10.0}});
  const double expected[] = {0, 0.5, 5.0, 5.5, 6.0, 16.5, 17.0};
  for (int32_t k = 0; k < 7; ++k) EXPECT_DOUBLE_EQ(times.At(k), expected[k]) << k;
  EXPECT_TRUE(GapsInPauseLog("").empty());
  EXPECT_TRUE(GapsInPauseLog(" *  Acquisition paused for minutes at case 3\r").empty());
}

}  // namespace
}  // namespace mv
