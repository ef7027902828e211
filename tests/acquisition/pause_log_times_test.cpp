// A chart file's times as its pause log gives them: the lines the recording writes read
// back, a day-long pause kept to the millisecond, and notes that only look like a line.
#include <gtest/gtest.h>

#include <string>

#include "acquisition/pause_window.h"
#include "acquisition/time_axis.h"
#include "common/test_support.h"
#include "files/file_time.h"

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

// An interval changed in a pause: the samples before the case the log names keep the old
// interval, sample N stands at N x old, and each later one the new interval after it.
TEST_F(PauseLogTimes, AnIntervalChangeKeepsTheEarlierSamplesOnTheOldInterval) {
  const std::string log = PauseLogEntry({0.05, 4, "", true, 0.25, 1}) + ScheduleGapLogEntry(0.1, 6) +
                          PauseLogEntry({0, 8, "note", true, 1, 1.0 / 60});
  const std::vector<IntervalChange> changes = IntervalChangesInPauseLog(log);
  ASSERT_EQ(changes.size(), 2u) << log;
  EXPECT_EQ(changes[0].from, 4);
  EXPECT_EQ(changes[0].oldInterval, 0.25);
  EXPECT_EQ(changes[0].newInterval, 1);
  EXPECT_EQ(changes[1].newInterval, 0.01666666667) << "ten digits of 1/60 s";
  StoredSampleTimes times(99, log);  // the header's interval holds only where nothing is logged
  const double expected[] = {0,     0.25,      0.5,   0.75,  1 + 3,
                             2 + 3, 3 + 3 + 6, 4 + 9, 5 + 9, 5 + 9 + 0.01666666667};
  for (int32_t k = 0; k < 10; ++k) EXPECT_NEAR(times.At(k), expected[k], 1e-9) << k;
  // The lines of a file recorded before the change was dated are passed over.
  EXPECT_TRUE(IntervalChangesInPauseLog("        CAUTION:  old sample interval =  0.1 sec\r"
                                        "                         new sample interval =  2 sec\r")
                  .empty());
  EXPECT_EQ(IntervalChangeNote(changes),
            "CAUTION: old sample interval = 0.25 sec / new sample interval = 1 sec from case 4\r"
            "CAUTION: old sample interval = 1 sec / new sample interval = 0.01666666667 sec from case 8\r");
}

}  // namespace
}  // namespace mv
