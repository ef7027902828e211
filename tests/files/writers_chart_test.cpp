// The binary chart and scope files against hand-encoded layouts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <locale>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/chart_file.h"
#include "files/data_file_save.h"
#include "files/state.h"
#include "files/store_view.h"
#include "files/text_file.h"
#include "kit/state.h"
#include "setup/state.h"
#include "writers_test_support.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using test::FakeRecording;
using test::Golden;

void HandHeader(Golden& g, const DataFileFacts& f, const std::string& marker, int32_t count, float interval,
                int channels, const std::string& time) {
  g.line(marker);
  if (marker == "-999") g.be16(count); else g.be32(count);
  g.bef(interval);
  g.be16(channels);
  g.text(f.startDate.substr(0, 2) + "-" + f.startDate.substr(3, 2) + "-20" + f.startDate.substr(6, 2));
  g.text(time);
  g.bef(static_cast<float>(f.comment.size()));
  g.text(f.comment);
}

void HandBlock(Golden& g, const DataFileChannel& c) {
  g.bef(c.a); g.bef(c.b); g.bef(c.c); g.bef(c.typeCode); g.bef(c.averaged); g.padded(c.label, 30);
}

void HandConditionsAndThreeWay(Golden& g, const DataFileFacts& f, bool conditions) {
  if (conditions) {
    g.bef(100.0f); g.bef(25.5f); g.bef(760.0f); g.bef(21.0f); g.bef(0.1f);
    return;
  }
  // polyarray row 0 {1,2,3,4,0,5,6} in file order m, p0, p1, p2, p3, K
  g.bef(6.0f); g.bef(1.0f); g.bef(2.0f); g.bef(3.0f); g.bef(4.0f); g.bef(5.0f);
  (void)f;
}

std::string HandChartFile(const FakeRecording& r, const DataFileFacts& f) {
  Golden g;
  HandHeader(g, f, "-999", 4, 0.5f, 3, "10:00:00");
  for (int n = 1; n <= 3; ++n) HandBlock(g, f.channels[n]);
  HandConditionsAndThreeWay(g, f, true);
  g.be16(2);
  g.be16(3); g.be16('A');
  g.be16(5); g.be16(201);
  for (int n = 1; n <= 3; ++n)
    for (int col = 0; col <= 4; ++col) g.bef(r.rows[n][col]);
  g.be16(8);  // UI2
  HandConditionsAndThreeWay(g, f, false);
  g.text(f.comment + "\r" + f.pauseLog + "\r");
  g.line("\xF0");
  g.line(" 1");
  g.line("3");
  g.line("10:00:05");
  g.line("first note");
  g.line("\xFF");
  g.line(" 2"); g.line(" 3"); g.line(" 4");
  return g.b;
}

TEST(ChartFile, ThreeChannelsFiveSamplesMatchTheHandEncodedLayout) {
  const FakeRecording r = test::SmallRecording();
  const DataFileFacts f = test::SmallFacts();
  EXPECT_EQ(EncodeChartFile(r, f), HandChartFile(r, f));
}

TEST(ChartFile, SameBytesUnderADecimalCommaLocale) {
  const FakeRecording r = test::SmallRecording();
  const DataFileFacts f = test::SmallFacts();
  const std::string before = EncodeChartFile(r, f) + EncodeTextFile(r, f);
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
    GTEST_SKIP() << "no decimal-comma locale installed";
  const std::locale oldGlobal = std::locale::global(std::locale(std::setlocale(LC_ALL, nullptr)));
  const std::string after = EncodeChartFile(r, f) + EncodeTextFile(r, f);
  std::locale::global(oldGlobal);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(after, before);
}

// Marker entries sit after the header, the one channel block and the conditions.
struct WidthCase {
  int32_t sample;
  const char* marker;
  std::size_t countAt, markersAt;
};

TEST(ChartFile, CountAndMarkerWidthSwitchBetween32760And32761Samples) {
  FakeRecording r;
  r.markers = {{100, 'B'}};
  DataFileFacts f = test::SmallFacts();
  f.nChannels = 1;
  f.comment.clear();
  f.pauseLog.clear();
  for (const WidthCase& c : {WidthCase{32'760, "-999\r", 5, 105}, WidthCase{32'761, "-9999\r", 6, 108}}) {
    f.samples = c.sample;
    const std::string b = EncodeChartFile(r, f);
    const std::string marker = c.marker;
    ASSERT_EQ(b.substr(0, marker.size()), marker);
    Golden count, entries;
    if (c.sample == 32'760) {
      count.be16(32'759);
      entries.be16(1); entries.be16(101); entries.be16('B');
    } else {
      count.be32(32'760);
      entries.be16(1); entries.be32(101); entries.be32('B');
    }
    EXPECT_EQ(b.substr(c.countAt, count.b.size()), count.b) << c.sample;
    EXPECT_EQ(b.substr(c.markersAt, entries.b.size()), entries.b) << c.sample;
    const std::size_t dataAt = c.markersAt + entries.b.size();
    EXPECT_EQ(b.size(), dataAt + 4u * c.sample + 2 + 24 + 1 + 2 + 3) << "N + 1 values, then the tail";
  }
}

TEST(ChartFile, DateCenturyIs20BelowYear70Else19) {
  EXPECT_EQ(FileDateText("09/01/17"), "09-01-2017");
  EXPECT_EQ(FileDateText("12/31/98"), "12-31-1998");
  EXPECT_EQ(FileDateText("01/02/69"), "01-02-2069");
  EXPECT_EQ(FileDateText("01/02/70"), "01-02-1970");
}

TEST(ChartFile, EmptyCommentGivesLengthZeroAndASingleCrTrailerWithoutNotes) {
  FakeRecording r = test::SmallRecording();
  r.notes.clear();
  DataFileFacts f = test::SmallFacts();
  f.comment.clear();
  f.pauseLog = "x";  // under 2 bytes: no pause log
  const std::string b = EncodeChartFile(r, f);
  EXPECT_EQ(b.substr(31, 4), std::string(4, '\0'));
  EXPECT_EQ(b.substr(35, 4), std::string("\x3E\x80\0\0", 4)) << "channel 1's a = 0.25 follows directly";
  Golden tail;
  HandConditionsAndThreeWay(tail, f, false);
  tail.text("\r\xFF\r 2\r 3\r 4\r");
  EXPECT_EQ(b.substr(b.size() - tail.b.size()), tail.b);
}

TEST(ChartFile, ScopePlusChartWritesChannels2And3ButListsEveryInput) {
  const FakeRecording r = test::SmallRecording();
  DataFileFacts f = test::SmallFacts();
  f.firstChan = 2;
  f.firstColumn = 1;  // the mode's chart points fill columns 1 to n
  const std::string b = EncodeChartFile(r, f);
  Golden g;
  HandHeader(g, f, "-999", 4, 0.5f, 2, "10:00:00");
  HandBlock(g, f.channels[2]);
  HandBlock(g, f.channels[3]);
  EXPECT_EQ(b.substr(0, g.b.size()), g.b);
  const std::size_t dataAt = g.b.size() + 20 + 2 + 8;
  Golden data;
  for (int n = 2; n <= 3; ++n)
    for (int col = 1; col <= 5; ++col) data.bef(r.rows[n][col]);
  EXPECT_EQ(b.substr(dataAt, data.b.size()), data.b);
  const std::string inputs = "\r\xFF\r 2\r 3\r 4\r";
  EXPECT_EQ(b.substr(b.size() - inputs.size()), inputs);
}

TEST(ChartFile, AveragedFieldNeverDividesByZeroSamples) {
  const FakeRecording r;
  DataFileFacts f = test::SmallFacts();
  f.nChannels = 1;
  f.continuousScan = true;
  f.channels[1].scannedReadings = 10;
  f.channels[1].scannedSamples = 4;
  const std::size_t averagedAt = 35 + f.comment.size() + 16;
  f.samples = 5;
  Golden g;
  g.bef(2.5f);
  EXPECT_EQ(EncodeChartFile(r, f).substr(averagedAt, 4), g.b) << "10 readings in 4 samples";
  f.channels[1].scannedSamples = 0;
  Golden own;
  own.bef(4.0f);
  EXPECT_EQ(EncodeChartFile(r, f).substr(averagedAt, 4), own.b) << "no sample averaged a reading";
}

TEST(ChartFile, SpikeSummaryGoesIntoThisFilesTrailerNotIntoTheNextFile) {
  FakeRecording r = test::SmallRecording();
  r.notes.clear();
  DataFileFacts f = test::SmallFacts();
  f.spikeFilterOn = true;
  f.repeatSaves = true;
  f.channels[2].spikeRatio = 2.0f;
  f.channels[2].spikes = 3;
  f.channels[3].spikeRatio = 1.0f;  // off
  const std::string b = EncodeChartFile(r, f);
  const std::string trailer = f.comment + "\r" + f.pauseLog + "\rchan 2:   3 spikes removed; filter factor: 2\r\r\xFF\r";
  EXPECT_NE(b.find(trailer), std::string::npos);
  EXPECT_EQ(b.substr(31, 4 + f.comment.size()).substr(4), f.comment) << "the header comment is unchanged";
}

TEST(ChartFile, NoteTextWithLineBreaksDoesNotBreakTheThreeLineNotes) {
  FakeRecording r = test::SmallRecording();
  r.notes = {{"7", "10:00:07", "a\rb\nc"}};
  const std::string b = EncodeChartFile(r, test::SmallFacts());
  EXPECT_NE(b.find("\xF0\r 1\r7\r10:00:07\ra b c\r\xFF\r"), std::string::npos);
}

// ---- scope file ------------------------------------------------------------------------------

std::string HandScopeFile(const DataFileFacts& f, const std::vector<float>& sweep, int16_t code) {
  Golden g;
  HandHeader(g, f, "-999", f.scopeMax, f.scopeInterval, 1, "11:22:33");
  HandBlock(g, f.channels[1]);
  HandConditionsAndThreeWay(g, f, true);
  g.be16(0);
  for (float v : sweep) g.bef(v);
  g.be16(code);
  HandConditionsAndThreeWay(g, f, false);
  g.text(f.comment + "\r");
  return g.b;
}

TEST(ScopeFile, OneSweepOldestFirstMatchesTheHandEncodedLayout) {
  const FakeRecording r = test::SmallRecording();
  const DataFileFacts f = test::SmallFacts();  // S = 4, the newest value at position 3
  EXPECT_EQ(EncodeScopeFile(r, f), HandScopeFile(f, {4, 1, 2, 3}, 8));
}

TEST(ScopeFile, FastScopeWritesPositions0ToS) {
  const FakeRecording r = test::SmallRecording();
  DataFileFacts f = test::SmallFacts();
  f.fastScope = true;
  EXPECT_EQ(EncodeScopeFile(r, f), HandScopeFile(f, {9, 1, 2, 3, 4}, 8));
}

TEST(ScopeFile, IntervalNeverDividesByAZeroSweepDuration) {
  DataFileFacts f = test::SmallFacts();
  f.scopeMax = 100;
  f.scopeInterval = 0.01f;
  f.sampRateError = 0.05f;
  f.lastScopeDur = 0;
  EXPECT_EQ(ScopeFileInterval(f).interval, 0.01f);
  f.lastScopeDur = -5;
  EXPECT_EQ(ScopeFileInterval(f).interval, 0.01f);
}

// Measured from whole samples per second, a slow scope that kept its rate was
// stored with another interval (0.3 s as 0.333 s), and one above 2 s never measured.
TEST(ScopeFile, ASlowScopeThatKeptItsRateStoresItsInterval) {
  DataFileFacts f = test::SmallFacts();
  f.scopeMax = 100;
  f.sampRateError = 0.03f;
  const struct {
    float interval;
    int32_t sweepTicks;
    float stored;
  } rows[] = {{0.3f, 1'800, 0.3f}, {5.0f, 30'000, 5.0f}, {30.0f, 180'000, 30.0f}, {5.0f, 33'000, 5.5f}};
  for (const auto& r : rows) {
    f.scopeInterval = r.interval;
    f.lastScopeDur = r.sweepTicks;
    EXPECT_FLOAT_EQ(ScopeFileInterval(f).interval, r.stored) << r.interval << " s, " << r.sweepTicks << " ticks";
  }
}

TEST(ScopeFile, MeasuredIntervalOnlyWhenOutsideTheTolerance) {
  DataFileFacts f = test::SmallFacts();
  f.scopeMax = 100;
  f.scopeInterval = 0.01f;
  f.sampRateError = 0.05f;
  f.lastScopeDur = 61;  // 0.010167 s a sample: 1.7 % off
  ScopeIntervalChoice c = ScopeFileInterval(f);
  EXPECT_EQ(c.interval, 0.01f);
  EXPECT_NEAR(c.relativeError, 61.0 / 6'000 / 0.01f - 1, 1e-6);
  f.lastScopeDur = 120;  // 50 per second
  c = ScopeFileInterval(f);
  EXPECT_EQ(c.interval, 0.02f);
  EXPECT_NEAR(c.relativeError, 1.0, 1e-6);
  f.fastScope = true;
  EXPECT_EQ(ScopeFileInterval(f).interval, 0.01f);
}

TEST(InterfaceCode, ChartTableAndScopeRuleWithoutTheStaleCode) {
  const int16_t chart[12] = {6, 8, 83, 5, 5, 800, 80, 85, 4119, 4, 6, 6};
  for (int16_t ad = 0; ad <= 11; ++ad) EXPECT_EQ(ChartInterfaceCode(ad), chart[ad]) << ad;
  EXPECT_EQ(ScopeInterfaceCode(8, false), 4119) << "ADAM is not given the last file's code";
  EXPECT_EQ(ScopeInterfaceCode(11, false), 6);
  EXPECT_EQ(ScopeInterfaceCode(8, true), 6);
  EXPECT_EQ(ScopeInterfaceCode(2, true), 83);
}

TEST(ScopeText, IntervalLineThenOneValuePerLineOldestFirst) {
  const FakeRecording r = test::SmallRecording();
  DataFileFacts f = test::SmallFacts();
  f.scopeInterval = 0.25f;
  EXPECT_EQ(EncodeScopeText(r, f), "Time (sec) 0.25\r 4\r 1\r 2\r 3\r");
}

// ---- writing through the program's state ------------------------------------------------------

class ChartSaveTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    dir = test::MakeTempDir("writers-chart");
    nChannels = 1;
    FirstChan = 1;
    nSamples = 4;  // a stopped run of four samples
    Sample = 3;
    SampleInterval = 1.0f;
    External_AD = 6;  // DT80
    for (int c = 0; c <= 3; ++c) ChartDataArray.Set(1, c, 1.5f * c);
    CommentContainer = "keep me \"as is\"";
    PrefsArray[PrefsSlot::SpikeFilterOn] = 1;
    PrefsArray[PrefsSlot::Autorepeat] = 1;
    SpikeFilterArray[1] = 3.0f;
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir, fs::perms::owner_all, ec);
    fs::remove_all(dir, ec);
    ProgramTest::TearDown();
  }
  fs::path dir;
};

TEST_F(ChartSaveTest, SuccessLeavesTheCodeAndTheSavedFlagAndChangesNeitherStoreNorComment) {
  const fs::path p = dir / "run.kstr";
  const FileResult r = SaveChartDataFile(p.string(), RunPhase::Closed);
  ASSERT_TRUE(r) << r.reason;
  EXPECT_EQ(AD_Device_Code, 80);
  EXPECT_EQ(PrefsArray[PrefsSlot::LastRunSaved], 1);
  EXPECT_EQ(CommentContainer, "keep me \"as is\"") << "no spike summary, no cleaning";
  for (int c = 0; c <= 3; ++c) EXPECT_EQ(ChartDataArray.Get(1, c), 1.5f * c) << "store in machine order";
  EXPECT_EQ(test::Slurp(p), EncodeChartFile(StoreRecordingView(), GatherDataFileFacts(RunPhase::Closed)));
}

TEST_F(ChartSaveTest, FailureIsNotReportedAsSuccessAndLeavesTheOldFile) {
  const fs::path folder = dir / "in the way.kstr";
  fs::create_directory(folder);
  FileResult r = SaveChartDataFile(folder.string(), RunPhase::Closed);
  EXPECT_FALSE(r);
  EXPECT_FALSE(r.reason.empty());
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(PrefsArray[PrefsSlot::LastRunSaved], 0);
  EXPECT_EQ(AD_Device_Code, 0);

  r = SaveTextDataFile((dir / "no such folder" / "run.txt").string(), RunPhase::Closed);
  EXPECT_FALSE(r);
  EXPECT_EQ(PrefsArray[PrefsSlot::LastRunSaved], 0);

  if (::geteuid() == 0) return;  // folder permissions do not bind the superuser
  const fs::path p = dir / "old.kstr";
  { std::ofstream(p) << "old"; }
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  r = SaveChartDataFile(p.string(), RunPhase::Closed);
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_FALSE(r);
  EXPECT_EQ(test::Slurp(p), "old");
}

TEST_F(ChartSaveTest, ScopeSaveLeavesTheMeasuredErrorInKfloat) {
  ScopeMax = 100;
  scopeinterval = 0.01f;
  SampRateError = 0.05f;
  LastScopeDur = 120;
  ASSERT_TRUE(SaveScopeSweepBinary((dir / "run 1.kssc").string()));
  EXPECT_NEAR(Kfloat, 1.0f, 1e-6);
  EXPECT_EQ(AD_Device_Code, 80);
}

// The scope loop stores a new point at ScSample after raising it: after 72 points of a
// 750-point screen the newest value is at 72 and the oldest at 73, from the sweep before.
TEST_F(ChartSaveTest, SweepSavedAfter72PointsOfA750PointScreenStartsWithPoint73) {
  ScopeMax = 750;
  ScSample = 72;
  scopeinterval = 0.25f;
  for (int p = 1; p <= 750; ++p) scopedata[1][p] = static_cast<float>(p);
  std::vector<float> oldestFirst;
  for (int p = 73; p <= 750; ++p) oldestFirst.push_back(static_cast<float>(p));
  for (int p = 1; p <= 72; ++p) oldestFirst.push_back(static_cast<float>(p));
  const auto bytesOf = [&](bool bigEndian) {
    Golden g;
    for (float v : oldestFirst) bigEndian ? g.bef(v) : g.lef(v);
    return g.b;
  };
  ASSERT_TRUE(SaveScopeSweepBinary((dir / "sweep.kssc").string()));
  EXPECT_NE(test::Slurp(dir / "sweep.kssc").find(bytesOf(true)), std::string::npos);
  ASSERT_TRUE(SaveScopeSweepSable((dir / "sweep.KSSable").string()));
  EXPECT_NE(test::Slurp(dir / "sweep.KSSable").find(bytesOf(false)), std::string::npos);
  ASSERT_TRUE(SaveScopeSweepText((dir / "sweep.txt").string()));
  const std::string text = test::Slurp(dir / "sweep.txt");
  EXPECT_EQ(text.substr(0, text.find('\r', text.find('\r') + 1) + 1), "Time (sec) 0.25\r 73\r");
  EXPECT_EQ(text.substr(text.size() - 8), " 71\r 72\r");
}

TEST(ChartFile, TheDataFileFuzzSeedsAreTheGoldenFiles) {
  const FakeRecording r = test::SmallRecording();
  const DataFileFacts f = test::SmallFacts();
  test::ExpectFuzzSeed("chart", HandChartFile(r, f));
  test::ExpectFuzzSeed("scope.kssc", HandScopeFile(f, {4, 1, 2, 3}, 8));
}

}  // namespace
}  // namespace mv
