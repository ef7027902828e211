// The text data file: heading, columns, line ends and the printed-number rule.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "common/test_support.h"
#include "files/file_io.h"
#include "files/text_file.h"
#include "kit/format.h"
#include "writers_test_support.h"

namespace mv {
namespace {

std::string Cell(const std::string& label) {
  std::string s = label;
  s.resize(30, ' ');
  return s;
}

const std::string kHeading =
    Cell(test::kLabel1) + "\t" + Cell(test::kLabel2) + "\t" + Cell(test::kLabel3) + "\r";

TEST(TextFile, LabelsThenTabSeparatedPrintedNumbersEachLineEndingTabCr) {
  const std::string expected = kHeading +
                               " 20.9\t 8.589935e+09\t 0\t\r"
                               " 20.5\t 25.5\t 1\t\r"
                               " 0.1\t 26\t 2\t\r"
                               "-99999\t 9.765625e-04\t 3\t\r"
                               " 20.75\t-3\t 4\t\r";
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), test::SmallFacts()), expected);
  test::ExpectFuzzSeed("text", expected);
}

// Each row at its sample's time from the file's start, as the binary file places it:
// the index times the interval, plus each pause and gap the pause log records at or
// before the row.
TEST(TextFile, ElapsedTimeIsEachSamplesStoredTimeAfterPausesAndGaps) {
  DataFileFacts f = test::SmallFacts();
  f.timeColumn = true;
  f.nChannels = 1;
  f.samples = 5;
  f.sampleInterval = 0.1f;
  f.pauseLog = "   ----------\r *  Acquisition paused for 0.05 minutes at case 2\rpump off\r"
               "   ----------\r *  Readings failed or lagged for 0.01 minutes at case 4\r";
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), f), "Time (sec)\t" + Cell(test::kLabel1) +
                                                           "\r"
                                                           " 0\t 20.9\t\r"
                                                           " 0.1\t 20.5\t\r"
                                                           " 3.2\t 0.1\t\r"
                                                           " 3.3\t-99999\t\r"
                                                           " 4\t 20.75\t\r");
}

// An interval changed in a pause at case 2: rows 0 and 1 keep the old interval.
TEST(TextFile, ElapsedTimeKeepsTheOldIntervalBeforeAnIntervalChange) {
  DataFileFacts f = test::SmallFacts();
  f.timeColumn = true;
  f.nChannels = 1;
  f.samples = 5;
  f.sampleInterval = 1.0f;  // the header's: the new interval
  f.pauseLog =
      "   ----------\r *  Acquisition paused for 0.05 minutes at case 2\r"
      "        CAUTION:  old sample interval =  0.25 sec\r"
      "                         new sample interval =  1 sec from case 2\r";
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), f), "Time (sec)\t" + Cell(test::kLabel1) +
                                                           "\r"
                                                           " 0\t 20.9\t\r"
                                                           " 0.25\t 20.5\t\r"
                                                           " 3.5\t 0.1\t\r"
                                                           " 4.5\t-99999\t\r"
                                                           " 5.5\t 20.75\t\r");
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
  EXPECT_EQ(EncodeTextFile(test::SmallRecording(), f), Cell(test::kLabel1) + "\r 20.9\t\r 20.5\t\r");
}

// The file gives analysis software the very floats recorded, with no rounding noise:
// each value reads back bit for bit, and the elapsed time of line k reads back as
// k x interval with no single-precision noise.
TEST(TextFile, ValuesReadBackAsTheVeryFloatsRecordedWithoutNoise) {
  const std::vector<std::pair<float, std::string>> hand = {
      {0.06361f, " 0.06361"}, {0.1218099967f, " 0.12181"},
      {0.1106f, " 0.1106"},   {1e-8f, " 1e-08"},
      {3.4e38f, " 3.4e+38"},  {-0.06361f, "-0.06361"},
      {-99999.0f, "-99999"},  {16777216.0f, " 16777216"},
      {-3.0f, "-3"},          {0.0f, " 0"}};
  test::FakeRecording r;
  for (const auto& [value, text] : hand) r.rows[1].push_back(value);
  uint32_t bits = 12345;
  while (r.rows[1].size() < 3'000) {
    bits = bits * 1664525u + 1013904223u;
    float v = 0;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) r.rows[1].push_back(v);
  }
  DataFileFacts f = test::SmallFacts();
  f.nChannels = 1;
  f.timeColumn = true;
  f.sampleInterval = 0.1f;
  f.samples = static_cast<int32_t>(r.rows[1].size());
  const std::string path = (test::MakeTempDir("text-floats") / "run.txt").string();
  ASSERT_TRUE(WriteTextFile(path, r, f).ok);
  const FileBytes file = ReadFileBytes(path, 1u << 20);
  ASSERT_EQ(file.status, ReadStatus::Ok);

  std::vector<std::string> lines;
  for (std::size_t at = file.bytes.find('\r') + 1, end;
       (end = file.bytes.find('\r', at)) != std::string::npos; at = end + 1)
    lines.push_back(file.bytes.substr(at, end - at));
  ASSERT_EQ(lines.size(), r.rows[1].size());
  const auto same = [](float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; };
  const auto field = [](const std::string& line, int k) {  // k = 0 time, 1 the value
    std::size_t at = 0;
    for (int i = 0; i < k; ++i) at = line.find('\t', at) + 1;
    return line.substr(at, line.find('\t', at) - at);
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_NEAR(TextToNumber(field(lines[i], 0)), static_cast<double>(i) * 0.1, 1e-9) << lines[i];
    EXPECT_TRUE(same(static_cast<float>(TextToNumber(field(lines[i], 1))), r.rows[1][i])) << lines[i];
  }
  for (std::size_t k = 0; k < hand.size(); ++k) EXPECT_EQ(field(lines[k], 1), hand[k].second);
  EXPECT_EQ(field(lines[3], 0), " 0.3") << "the time column has no noise either";
}

}  // namespace
}  // namespace mv
