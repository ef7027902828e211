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
                               " 20.89999962\t 8.589934592e+09\t 0\t\r"
                               " 20.5\t 25.5\t 1\t\r"
                               " 0.1000000015\t 26\t 2\t\r"
                               "-99999\t 9.765625e-04\t 3\t\r"
                               " 20.75\t-3\t 4\t\r";
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), test::SmallFacts()), expected);
}

TEST(TextFile, ElapsedTimeIsTheSinglePrecisionProduct) {
  DataFileFacts f = test::SmallFacts();
  f.timeColumn = true;
  f.nChannels = 1;
  f.samples = 3;
  f.sampleInterval = 0.1f;
  // The first sample's line is at one interval, the time the sample was taken after the start.
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), f), "Time (sec)\t" + Cell(test::kLabel1) +
                                                           "\r"
                                                           " 0.1000000015\t 20.89999962\t\r"
                                                           " 0.200000003\t 20.5\t\r"
                                                           " 0.3000000119\t 0.1000000015\t\r");
}

TEST(TextFile, NoSamplesGivesTheHeadingOnly) {
  DataFileFacts f = test::SmallFacts();
  f.samples = 0;
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), f), kHeading);
}

TEST(TextFile, ScopePlusChartWithThreeChannelsHasTwoColumns) {
  DataFileFacts f = test::SmallFacts();
  f.firstChan = 2;
  f.firstColumn = 1;  // the mode's chart points fill columns 1 to n
  f.samples = 1;
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), f),
            Cell(test::kLabel2) + "\t" + Cell(test::kLabel3) + "\r 25.5\t 1\t\r");
}

TEST(TextFile, KeepsTheFirstSampleAndWritesNoColumnAfterTheLast) {
  DataFileFacts f = test::SmallFacts();
  f.samples = 2;
  f.nChannels = 1;
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), f), Cell(test::kLabel1) + "\r 20.89999962\t\r 20.5\t\r");
}

}  // namespace
}  // namespace mv
