// The Sable-format export against hand-encoded layouts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "files/sable_file.h"
#include "writers_test_support.h"

namespace mv {
namespace {

using test::FakeRecording;
using test::Golden;

std::string Hex(const std::array<uint8_t, 4>& b) {
  char s[12];
  std::snprintf(s, sizeof s, "%02X %02X %02X %02X", b[0], b[1], b[2], b[3]);
  return s;
}

TEST(SablePutIEEE, LittleEndianSinglesTruncatedTowardZero) {
  EXPECT_EQ(Hex(PutIEEE(0.5)), "00 00 00 3F");
  EXPECT_EQ(Hex(PutIEEE(-2.0)), "00 00 00 C0");
  EXPECT_EQ(Hex(PutIEEE(-0.0)), "00 00 00 00");
  EXPECT_EQ(Hex(PutIEEE(1003.0)), "00 C0 7A 44");
  EXPECT_EQ(Hex(PutIEEE(10.0)), "00 00 20 41");
  EXPECT_EQ(Hex(PutIEEE(1.1)), "CC CC 8C 3F");
  EXPECT_EQ(Hex(PutIEEE(0.1)), "CC CC CC 3D");
  EXPECT_EQ(Hex(PutIEEE(-99999.0)), "80 4F C3 C7");
  EXPECT_EQ(Hex(PutIEEE(-1.1)), "CC CC 8C BF") << "toward zero for negatives too";
}

TEST(SablePutIEEE, EndsForInfinityNaNAndSubnormals) {
  EXPECT_EQ(Hex(PutIEEE(std::numeric_limits<double>::infinity())), "00 00 80 7F");
  EXPECT_EQ(Hex(PutIEEE(-std::numeric_limits<double>::infinity())), "00 00 80 FF");
  EXPECT_EQ(PutIEEE(std::nan(""))[3] & 0x7F, 0x7F);
  EXPECT_EQ(Hex(PutIEEE(1e300)), "FF FF 7F 7F") << "beyond the largest single: the largest single";
  EXPECT_EQ(Hex(PutIEEE(static_cast<double>(std::numeric_limits<float>::denorm_min()))), "01 00 00 00");
}

TEST(SableMarkers, KeepTheLow16BitsOfTheSampleAsTheReaderExpects) {
  EXPECT_EQ(SableMarkerValue(65, 70'000), 65'004'464);
  EXPECT_EQ(SableMarkerValue(65, 40'000), 64'974'464);
  EXPECT_EQ(SableMarkerValue(65, 32'767), 65'032'767);
  EXPECT_EQ(SableMarkerValue(201, 4), 201'000'004);
}

TEST(SableTransformNames, ByTypeCode) {
  EXPECT_EQ(SableTransformName(4), "Exponential Transform");
  EXPECT_EQ(SableTransformName(7), "Keyboard input");
  EXPECT_EQ(SableTransformName(9), "Reciprocal Transform");
  EXPECT_EQ(SableTransformName(0), "");
}

void HandTail(Golden& g, const DataFileFacts& f, const std::vector<int>& channels, int h, int m, int s) {
  for (std::size_t k = 0; k < channels.size(); ++k)
    for (int i = 0; i < 9; ++i) g.le32(0x41200000);  // 10.0
  g.lef(9); g.lef(1); g.lef(17);
  g.lef(static_cast<float>(h)); g.lef(static_cast<float>(m)); g.lef(static_cast<float>(s));
  g.padded(f.comment, 240);
  g.le32(2);
  g.le32(65'000'002);
  g.le32(201'000'004);
  g.text("        ");
  const char* names[4] = {"", "Linear Transform", "Polynomial Transform", "Polynomial Transform"};
  for (int n : channels) {
    const DataFileChannel& c = f.channels[n];
    g.padded(c.label.substr(0, 24), 24);
    g.text(std::string(16, ' '));
    g.text(std::string(32, ' '));
    g.padded(names[n], 32);
    g.text(std::string(32, ' '));
    g.le32(0); g.le32(0);
    g.le32(0);
    g.lef(c.a);
    for (int i = 0; i < 29; ++i) g.lef(c.b);
  }
}

// Five samples of the channels given, from a store column on.
std::string HandSableChart(const FakeRecording& r, const DataFileFacts& f, int firstColumn,
                           const std::vector<int>& channels) {
  Golden g;
  g.text(std::string("\x00\xC0\x7A\x44", 4));
  g.text("\xCC\xCC\x8C\x3F");
  g.lef(static_cast<float>(channels.size()));
  g.lef(4);
  g.lef(0.5f);
  for (int col = firstColumn; col < firstColumn + 5; ++col)
    for (int n : channels) g.lef(r.rows[n][col]);
  HandTail(g, f, channels, 10, 0, 9);
  return g.b;
}

TEST(SableChart, ThreeChannelsFiveSamplesMatchTheHandEncodedLayout) {
  const FakeRecording r = test::SmallRecording();
  const DataFileFacts f = test::SmallFacts();
  const std::string b = EncodeSableChart(r, f);
  EXPECT_EQ(b, HandSableChart(r, f, 0, {1, 2, 3})) << "the first sample taken is the first exported";
  EXPECT_EQ(b.size(), 296u + 4 * 5 * 3 + 304 * 3 + 4 * 2);
}

TEST(SableChart, ScopePlusChartExportsItsPointsFromColumnOne) {
  const FakeRecording r = test::SmallRecording();
  DataFileFacts f = test::SmallFacts();
  f.firstChan = 2;
  f.firstColumn = 1;
  EXPECT_EQ(EncodeSableChart(r, f), HandSableChart(r, f, 1, {2, 3}));
}

TEST(SableChart, CommentCutAt240AndEmptyCommentIs240Blanks) {
  const FakeRecording r = test::SmallRecording();
  DataFileFacts f = test::SmallFacts();
  const std::size_t commentAt = 20 + 60 + 108 + 24;
  f.comment = std::string(300, 'x');
  EXPECT_EQ(EncodeSableChart(r, f).substr(commentAt, 244), std::string(240, 'x') + std::string("\x02\0\0\0", 4));
  f.comment.clear();
  EXPECT_EQ(EncodeSableChart(r, f).substr(commentAt, 240), std::string(240, ' '));
}

// The export holds one interval and no pause log: an interval changed in a pause is
// said first in its comment, where the cut at 240 bytes leaves it, then the pause.
TEST(SableChart, AnIntervalChangedInAPauseIsSaidFirstInTheComment) {
  const FakeRecording r = test::SmallRecording();
  DataFileFacts f = test::SmallFacts();
  const std::size_t commentAt = 20 + 60 + 108 + 24;
  f.comment = std::string(300, 'x');
  f.pauseLog =
      "   ----------\r *  Acquisition paused for 0.05 minutes at case 2\r"
      "        CAUTION:  old sample interval =  0.25 sec\r"
      "                         new sample interval =  1 sec from case 2\r";
  const std::string note =
      "CAUTION: old sample interval = 0.25 sec / new sample interval = 1 sec from case 2\r"
      "CAUTION: 1 pause or gap = 3 sec in all\r 3 sec at case 2\r";
  EXPECT_EQ(EncodeSableChart(r, f).substr(commentAt, 240), note + std::string(240 - note.size(), 'x'));
}

// A pause log of `count` pauses, each changing the interval when `intervals` names the
// next, and of gaps between them.
std::string PausesAndGaps(int count, const std::vector<std::string>& intervals, bool gaps) {
  std::string log;
  for (int k = 1; k <= count; ++k) {
    log += " *  Acquisition paused for 0.0125 minutes at case " + std::to_string(1000 * k) + "\r";
    if (k < static_cast<int>(intervals.size()))
      log += "        CAUTION:  old sample interval =  " + intervals[k - 1] +
             " sec\r                         new sample interval =  " + intervals[k] + " sec from case " +
             std::to_string(1000 * k) + "\r";
    if (gaps) log += " *  no data for 0.01 minutes at case " + std::to_string(1000 * k + 500) + "\r";
  }
  return log;
}

// The comment states every pause, gap and interval change, in whole lines (a number cut
// at byte 240 would be misread): in words while they fit, else one line per case; when
// even that does not fit, the changes first, and its last line says from which case the
// samples cannot be timed, the user's comment giving way.
TEST(SableChart, TheCommentStatesEveryPauseGapAndChangeOrFromWhichCaseItCannotTime) {
  const FakeRecording r = test::SmallRecording();
  DataFileFacts f = test::SmallFacts();
  const std::size_t commentAt = 20 + 60 + 108 + 24;
  f.comment = "mine";
  const std::vector<std::string> thirds = {"0.3333333333", "0.1428571429", "0.7777777778", "0.0909090909"};
  std::vector<std::string> nine;
  for (int k = 1; k <= 10; ++k) nine.push_back(std::to_string(k) + ".5");
  const struct {
    std::string log, comment;
  } rows[] = {
      {" *  Acquisition paused for 0.1 minutes at case 2\r *  no data for 0.05 minutes at case 3\r",
       "CAUTION: 2 pauses and gaps = 9 sec in all\r 6 sec at case 2\r 3 sec at case 3\rmine"},
      // Three changes in pauses: too long in words, whole in the compact form.
      {PausesAndGaps(3, thirds, false),
       "CAUTION: samples 0.3333333333 sec apart, then\r case 1000: +0.75 sec, 0.1428571429 sec apart\r"
       " case 2000: +0.75 sec, 0.7777777778 sec apart\r case 3000: +0.75 sec, 0.0909090909 sec apart\rmine"},
      // Forty gaps: those that fit, then the case of the first left out.
      {PausesAndGaps(40, {}, false),
       "CAUTION: samples 0.5 sec apart, then\r case 1000: +0.75 sec\r case 2000: +0.75 sec\r"
       " case 3000: +0.75 sec\r case 4000: +0.75 sec\r case 5000: +0.75 sec\r case 6000: +0.75 sec\r"
       "CAUTION: no room to time samples from case 7000 on\r"},
      // Nine changes with gaps between: the changes come first, as many as fit.
      {PausesAndGaps(9, nine, true),
       "CAUTION: samples 1.5 sec apart, then\r case 1000: +0.75 sec, 2.5 sec apart\r"
       " case 2000: +0.75 sec, 3.5 sec apart\r case 3000: +0.75 sec, 4.5 sec apart\r"
       " case 4000: +0.75 sec, 5.5 sec apart\rCAUTION: no room to time samples from case 1500 on\r"},
  };
  for (const auto& row : rows) {
    f.pauseLog = row.log;
    ASSERT_LE(row.comment.size(), 240u);
    EXPECT_EQ(EncodeSableChart(r, f).substr(commentAt, 240),
              row.comment + std::string(240 - row.comment.size(), ' '))
        << row.log;
  }
}

TEST(SableSweep, ScopePlusChartSweepIsOneChannelWithTheChartsMarkers) {
  const FakeRecording r = test::SmallRecording();
  DataFileFacts f = test::SmallFacts();
  f.firstChan = 2;
  Golden g;
  g.text(std::string("\x00\xC0\x7A\x44", 4));
  g.text("\xCC\xCC\x8C\x3F");
  g.lef(1); g.lef(3); g.lef(0.02f);
  for (float v : {4.0f, 1.0f, 2.0f, 3.0f}) g.lef(v);  // oldest first: the newest is at position 3
  HandTail(g, f, {1}, 11, 22, 33);
  const std::string b = EncodeSableSweep(r, f, 0.02f);
  EXPECT_EQ(b, g.b);
  EXPECT_EQ(b.size(), 296u + 4 * 4 + 304 + 4 * 2);
}

TEST(SableChart, TheDataFileFuzzSeedIsTheGoldenFile) {
  const FakeRecording r = test::SmallRecording();
  const DataFileFacts f = test::SmallFacts();
  test::ExpectFuzzSeed("sable", HandSableChart(r, f, 0, {1, 2, 3}));
}

}  // namespace
}  // namespace mv
