#include "acquisition/fast_scope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "acquisition/install.h"
#include "acquisition/state.h"
#include "common/test_support.h"
#include "devices/scripted_port.h"
#include "devices/serial_port.h"
#include "devices/state.h"
#include "kit/drawing.h"
#include "kit/state.h"
#include "runtime/clock.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv {
namespace {

TEST(FastScopeCodec, BurstCommandTexts) {
  EXPECT_EQ(BurstCommandText(1, 1, 0, 0.004, 2048), "RX;BURST(8192,2000) 1VNC");
  EXPECT_EQ(BurstCommandText(1, 1, 0, 0.0002, 2048), "RX;BURST(2048,10000) 1VNC");
  EXPECT_EQ(BurstCommandText(1, 1, 0, 0.0001, 2048), "RX;BURST(2048,1000) 1VNC");
  EXPECT_EQ(BurstCommandText(2, 1, 0, 0.0005, 1024), "RX;BURST(1024,4000) 2VNC");
  EXPECT_EQ(BurstCommandText(1, 1, 0, 0.008, 2048), "RX;BURST(16384,2000) 1VNC");
  EXPECT_EQ(BurstCommandText(3, 0, 3, 0.001, 2048), "RX;BURST(2048,2000) 3TK");
  EXPECT_EQ(BurstCommandText(4, 0, 2, 0.002, 100), "RX;BURST(200,2000) 4TJ");
  EXPECT_EQ(BurstCommandText(4, 0, 7, 0.001, 100), "RX;BURST(100,2000) 4TT");
  EXPECT_EQ(BurstCommandText(5, 2, 0, 0.001, 100), "RX;BURST(100,2000) 5R(2W)");
}

TEST(FastScopeCodec, SampleCountsAndBlockSizes) {
  EXPECT_EQ(FastScopeSampleCount(0.008, 2048), 16384);
  EXPECT_EQ(FastScopeSampleCount(0.0002, 2048), 2048);
  EXPECT_EQ(FastScopeSampleCount(0.002, 2001), 4002) << "the burst's count, 2 a point";
  EXPECT_EQ(FastScopeSampleCount(0.008, 4007), 32056);
  EXPECT_EQ(FastScopeSamplesPerPoint(0.008), 8);
  EXPECT_EQ(FastScopeSamplesPerPoint(0.001), 1);
}

TEST(FastScopeCodec, DecodesTextNumbersAndReportsAShortBlock) {
  const FastBlock b = DecodeFastBlock("1.5,-2\r\n+3 x,4", 4);
  EXPECT_TRUE(b.reason.empty());
  EXPECT_EQ(b.values, (std::vector<float>{1.5f, -2.0f, 3.0f, kFastBadNumber}));
  const FastBlock shortBlock = DecodeFastBlock("7,8\r", 3);
  EXPECT_EQ(shortBlock.values, (std::vector<float>{7.0f, 8.0f}));
  EXPECT_EQ(shortBlock.reason, "block ended after 2 of 3 numbers");
}

TEST(FastScopeCodec, AnItemThatIsNotANumberIsTheBadReading) {
  for (const char* item : {"x", "12ab", "", "-", "1e99", "+"})
    EXPECT_EQ(ParseFastNumber(item), kFastBadNumber) << item;
  EXPECT_EQ(ParseFastNumber("+1234.5"), 1234.5f);
  EXPECT_EQ(ParseFastNumber("-0.25"), -0.25f);
}

// A number the input cannot read is none the logger measured: the block it came in
// was garbled or mixed.
TEST(FastScopeCodec, AValueBeyondTheInputsRangeIsNoneOfItsReadings) {
  EXPECT_TRUE(FastValueInRange(-10'000.0f, 1, 0));
  EXPECT_TRUE(FastValueInRange(9'999.5f, 1, 0));
  EXPECT_FALSE(FastValueInRange(10'001.0f, 1, 0));
  EXPECT_FALSE(FastValueInRange(2.4e10f, 1, 0));  // 2.4 x 10^7 V
  EXPECT_TRUE(FastValueInRange(1'300.0f, 0, 3));  // type K
  EXPECT_FALSE(FastValueInRange(1'300.0f, 0, 2));  // type J tops at 1,200 degrees
  EXPECT_FALSE(FastValueInRange(-300.0f, 0, 1));
  EXPECT_TRUE(FastValueInRange(250'000.0f, 2, 0));  // ohms
  EXPECT_EQ(PlacesUnknownText(), "partial block: places unknown");
}

TEST(FastScopeCodec, AveragesTruncateEachPartialSum) {
  // 1.7 + 1.7 + 1.7: partial sums 1, 2, 3; 3 / 3 = 1.
  EXPECT_EQ(FastBlockAverages({1.7f, 1.7f, 1.7f}, 3, 1), (std::vector<float>{1.0f}));
  // Blocks of 2: (10 + 21) / 2 = 15 (whole-number division), (-5 + 8) / 2 = 1.
  EXPECT_EQ(FastBlockAverages({10, 21, -5, 8}, 2, 2), (std::vector<float>{15.0f, 1.0f}));
}

// A reading that scales to exactly 0 is the logger's: it is never replaced by its
// neighbours' mean, inside the sweep or at its ends.
TEST(FastScopeCodec, AZeroReadingIsNotMadeUpFromItsNeighbours) {
  // a = 1, b = 2: 500 mV -> 2.0; -500 mV -> 0; 1000 mV -> 3.0.
  EXPECT_EQ(ScaleFastBlock({500, -500, 1000}, false, 1.0f, 2.0f), (std::vector<float>{2.0f, 0.0f, 3.0f}));
  EXPECT_EQ(ScaleFastBlock({-500, -500}, false, 1.0f, 2.0f), (std::vector<float>{0.0f, 0.0f}));
  EXPECT_EQ(ScaleFastBlock({0, 0, 0}, false, 0.0f, 1.0f), (std::vector<float>{0.0f, 0.0f, 0.0f}));
}

TEST(FastScopeCodec, ThermocoupleSmoothsTheRawAveragesAndScalesOnlyTheOutput) {
  // a = 1, b = 2. Position 1 is its own average: 30 x 2 + 1. Position 2: the running
  // value 30 with the neighbours 30 and 60: 120 x 0.3333333, shown x 2 + 1. The last
  // position keeps the running value. The scaled value never feeds the running one.
  const auto v = ScaleFastBlock({30, 99, 60}, true, 1.0f, 2.0f);
  const double t2 = (30.0 + 30.0 + 60.0) * 0.3333333;
  EXPECT_FLOAT_EQ(v[0], 61.0f);
  EXPECT_FLOAT_EQ(v[1], static_cast<float>(t2 * 2 + 1));
  EXPECT_FLOAT_EQ(v[2], v[1]);
  // Four points: the third smooths from the second's running value, not its output.
  const auto w = ScaleFastBlock({30, 99, 60, 90}, true, 1.0f, 2.0f);
  EXPECT_FLOAT_EQ(w[2], static_cast<float>((t2 + 99 + 90) * 0.3333333 * 2 + 1));
}

TEST(FastScopeCodec, SweepStepNeverPassesOnePixelAPoint) {
  EXPECT_EQ(FastTraceStep(0.25f), 0.25f);
  EXPECT_EQ(FastTraceStep(0.75f), 0.75f) << "a step of 1 here would draw past the window";
  EXPECT_EQ(FastTraceStep(2.0f), 1.0f);
}

TEST(FastScopeCodec, BlockSizesFromASetupFileAreCappedToTheBuffers) {
  EXPECT_EQ(FastScopePoints(40000), kFastMaxPoints);
  EXPECT_EQ(FastScopePoints(-3), 0);
  EXPECT_EQ(FastScopeSampleCount(0.1, 16384), kFastMaxNumbers);
  EXPECT_EQ(FastScopeSampleCount(0.015, 16384), 245760);
  EXPECT_EQ(FastRecordingTicks(300, 0.004), 72u);
  EXPECT_EQ(FastDemoDownloadTicks(300, 0.004), 200u);
  EXPECT_EQ(FastDemoDownloadTicks(300, 0.0005), 50u);
}

TEST(FastScopeCodec, TraceYKeepsToThePlot) {
  // bottom 200, height 100, range 0..10: 5 -> 150; 20 -> -50 -> 0; -3 -> 230 -> 200.
  EXPECT_EQ(FastTraceY(5, 0, 100, 10, 200), 150);
  EXPECT_EQ(FastTraceY(20, 0, 100, 10, 200), 0);
  EXPECT_EQ(FastTraceY(-3, 0, 100, 10, 200), 200);
  EXPECT_EQ(FastTraceY(5, 0, 100, 0, 200), 200);  // a zero range never divides
}

class FastScopeTransferTest : public test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    InstallAcquisitionServices();  // the readers keep the events flowing while they wait
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    DemonstrationMODE = 0;
    External_AD = ExternalADCode::DT800;
    ScopeMax = 3;
    ScopeIntervalInSeconds = 0.002;  // 6 numbers, 2 per point
    ChannelVariables[1][1] = 1;
    ChannelVariables[1][2] = 0;  // a
    ChannelVariables[1][3] = 1;  // b
    DataTakerChannels[1] = {1, 0, 0, 0, 0};
  }
  void TearDown() override {
    CloseSerialPort();
    ProgramTest::TearDown();
  }
  ScriptedSerialPort* port = nullptr;
};

TEST_F(FastScopeTransferTest, BurstCommandGoesOutWithCR) {
  BurstCommandString();
  EXPECT_EQ(port->Written(), "RX;BURST(6,2000) 1VNC\r");
  EXPECT_EQ(hardwareADchannel, 1);
}

TEST_F(FastScopeTransferTest, DownloadsAveragesAndScalesOneBlock) {
  port->ReplyNext("1000,3000,2000,2000,500,1500\r\n", 1);
  HIGHSPEEDIO();
  EXPECT_EQ(port->Written(), "X\r");
  EXPECT_EQ(EscapeKeyHit, 0);
  EXPECT_FLOAT_EQ(scopedata[1][1], 2.0f);
  EXPECT_FLOAT_EQ(scopedata[1][2], 2.0f);
  EXPECT_FLOAT_EQ(scopedata[1][3], 1.0f);
  EXPECT_EQ(ScopeBufferArray[1].raw, 0.0f);  // cleared after scaling
  EXPECT_EQ(ScopeBufferArray[2].averaged, 2000.0f);
  EXPECT_EQ(FastScopeCount, 1);
}

TEST_F(FastScopeTransferTest, SilentLoggerDoesNotHangTheRun) {
  const uint32_t start = rt::TickCount();
  HIGHSPEEDIO();
  EXPECT_EQ(EscapeKeyHit, 1);
  EXPECT_LE(rt::TickCount() - start, kFastReplyTicks + 30);
  EXPECT_EQ(FastScopeCount, 1);
  EXPECT_EQ(scopedata[1][1], 0.0f);  // not scaled
}

TEST_F(FastScopeTransferTest, StaleNumbersFromEarlierBurstAreNotTakenAsTheBlock) {
  port->DeliverNow("9999,9999,9999,9999,9999,9999\r\n");
  port->ReplyNext("1000,3000,2000,2000,500,1500\r\n", 1);
  HIGHSPEEDIO();
  EXPECT_FLOAT_EQ(scopedata[1][1], 2.0f);
  EXPECT_FLOAT_EQ(scopedata[1][3], 1.0f);
}

// A logger silent mid-block with no pause before: until the rest comes and makes the
// count, nothing says bytes were not lost where no pause showed, so no point holds a
// number (never a zero, never the previous block's) and the sweep says so.
TEST_F(FastScopeTransferTest, ShortDownloadEndsWithinBoundAndKeepsNoNumberOfUnknownPlace) {
  scopedata[1][3] = 7.0f;  // the previous block's
  port->ReplyNext("1000,3000,2000,", 1);
  const uint32_t start = rt::TickCount();
  HIGHSPEEDIO();
  EXPECT_LE(rt::TickCount() - start, 10 + kFastNumberTicks + 30);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(scopedata[1][i], kFastBadNumber) << i;
  EXPECT_EQ(FastSweepNote.str(), "partial block: places unknown");
  EXPECT_EQ(FastScopeCount, 1);
}

TEST_F(FastScopeTransferTest, DemonstrationBlockIsSimulatedWithoutTheLineAndCountedOnce) {
  DemonstrationMODE = 1;
  HIGHSPEEDIO();
  EXPECT_TRUE(port->Written().empty());
  EXPECT_EQ(FastScopeCount, 1);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_GE(scopedata[1][i], 0.301f);
    EXPECT_LE(scopedata[1][i], 2.1f);
  }
}

TEST_F(FastScopeTransferTest, DrawingFillsThePolylinePoints) {
  ChannelVariables[1][5] = 10;   // plot max
  ChannelVariables[1][6] = 0;    // plot min
  ChannelVariables[1][8] = 100;  // strip height
  ChannelVariables[1][9] = 201;  // strip bottom
  scopeXfactor = 1.0f;
  scopedata[1][1] = 5;
  scopedata[1][2] = 0;
  scopedata[1][3] = 10;
  GETFAST();
  EXPECT_EQ(QuartzPointsArray[1].x, 2.0f);
  EXPECT_EQ(QuartzPointsArray[1].y, 150.0f);
  EXPECT_EQ(QuartzPointsArray[2].y, 200.0f);
  EXPECT_EQ(QuartzPointsArray[3].x, 4.0f);
  EXPECT_EQ(QuartzPointsArray[3].y, 100.0f);
  EXPECT_EQ(ScSample, 3);
}

TEST_F(FastScopeTransferTest, DrawnSweepOnTheAcquisitionWindow) {
  rt::OpenWindow(1, " Acquire Data ", Rect{0, 46, 800, 546}, 6);
  rt::FillWindow(RGBColor{0xFFFF, 0xFFFF, 0xFFFF});
  rt::BringWindowForward(1);
  ScopeMax = 700;
  ChannelVariables[1][5] = 2;
  ChannelVariables[1][6] = -2;
  ChannelVariables[1][8] = 300;
  ChannelVariables[1][9] = 401;
  scopeXfactor = 1.0f;
  for (int i = 1; i <= ScopeMax; ++i) scopedata[1][i] = static_cast<float>(1.5 * std::sin(i / 40.0));
  GETFAST();
  EXPECT_TRUE(rt::SaveWindowImage(1, (test::TestOutputDir() / "w1-fast-scope-sweep.png").string()));
}

}  // namespace
}  // namespace mv
