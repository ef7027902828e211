// The text data file: heading, columns, line ends and the printed-number rule.
#include <gtest/gtest.h>

#include "files/text_file.h"
#include "writers_test_support.h"

namespace mv {
namespace {

std::string Cell(const std::string& label) {
  std::string s = label;
  s.resize(30, ' ');
  return s;
}

const std::string kHeading = Cell(test::kLabel1) + "\t" + Cell(test::kLabel2) + "\t" + Cell(test::kLabel3) + "\r";

TEST(TextFile, LabelsThenTabSeparatedPrintedNumbersEachLineEndingTabCr) {
  const std::string expected = kHeading +
                               " 20.5\t 25.5\t 1\t\r"
                               " 0.1000000015\t 26\t 2\t\r"
                               "-99999\t 9.765625e-04\t 3\t\r"
                               " 20.75\t-3\t 4\t\r"
                               " 21\t 8.589934592e+09\t 5\t\r";
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), test::SmallFacts()), expected);
}

TEST(TextFile, ElapsedTimeIsTheSinglePrecisionProduct) {
  DataFileFacts f = test::SmallFacts();
  f.timeColumn = true;
  f.nChannels = 1;
  f.sample = 3;
  f.sampleInterval = 0.1f;
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), f), "Time (sec)\t" + Cell(test::kLabel1) +
                                                           "\r"
                                                           " 0.1000000015\t 20.5\t\r"
                                                           " 0.200000003\t 0.1000000015\t\r"
                                                           " 0.3000000119\t-99999\t\r");
}

TEST(TextFile, NoSamplesGivesTheHeadingOnly) {
  DataFileFacts f = test::SmallFacts();
  f.sample = 0;
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), f), kHeading);
}

TEST(TextFile, ScopePlusChartWithThreeChannelsHasTwoColumns) {
  DataFileFacts f = test::SmallFacts();
  f.firstChan = 2;
  f.sample = 1;
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), f),
            Cell(test::kLabel2) + "\t" + Cell(test::kLabel3) + "\r 25.5\t 1\t\r");
}

TEST(TextFile, EndOfPeriodSaveDoesNotWriteTheUnfilledColumn) {
  DataFileFacts f = test::SmallFacts();
  f.endOfPeriod = true;
  f.sample = 2;
  f.nChannels = 1;
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), f), Cell(test::kLabel1) + "\r 20.89999962\t\r 20.5\t\r");
}

}  // namespace
}  // namespace mv
