// Comment cleaning, the spike summary line, the experiment conditions and the
// gathering of a run's facts from the program's state.
#include <gtest/gtest.h>

#include <string>

#include "acquisition/state.h"
#include "common/test_support.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/data_file_model.h"
#include "files/state.h"
#include "kit/channel_labels.h"
#include "kit/state.h"
#include "runtime/macroman.h"
#include "setup/state.h"

namespace mv {
namespace {

TEST(CommentCleaning, ViewTextBecomesMacRomanThroughTheRealCodec) {
  EXPECT_EQ(CleanCommentText("ok"), "ok");
  EXPECT_EQ(CleanCommentText("20 \xC2\xB0" "C"), "20 \xA1" "C");   // degree sign
  EXPECT_EQ(CleanCommentText("caf\xC3\xA9"), "caf\x8E");            // e acute stays e acute
  EXPECT_EQ(CleanCommentText("\xE2\x89\xA5\xE2\x89\xA4\xE2\x88\x86\xCF\x80\xE2\x88\x82\xE2\x88\xAB"),
            "\xB3\xB2\xC6\xB9\xB6\xBA");  // >= <= increment pi partial integral
  EXPECT_EQ(CleanCommentText("\xE2\x80\xA2 item"), "\xA5 item");  // bullet
}

TEST(CommentCleaning, QuoteBecomesABulletButInfinityIsNotTurnedIntoDegree) {
  EXPECT_EQ(CleanCommentText("say \"hi\""), "say \xA5hi\xA5");
  EXPECT_EQ(CleanCommentText("\xE2\x88\x9E"), "\xB0");  // infinity keeps its own byte
  EXPECT_EQ(CleanCommentText("\xE2\x80\xA2x"), "\xA5x") << "the character after a bullet survives";
}

TEST(CommentCleaning, LineEndsBecomeCrAndOtherControlsGo) {
  EXPECT_EQ(CleanCommentText("a\r\nb\nc\rd\xE2\x80\xA9" "e\xE2\x80\xA8" "f"), "a\rb\rc\rd\re\rf");
  EXPECT_EQ(CleanCommentText("t\tab\x01\x1F" "x"), "tabx");
}

TEST(CommentCleaning, RepeatedCleaningDoesNotWearTheTextDown) {
  const std::string once = CleanCommentText("\"q\" \xE2\x80\xA2 20\xC2\xB0 \xE2\x88\x9E caf\xC3\xA9\n2");
  EXPECT_EQ(CleanCommentText(MacRomanToUtf8(once)), once);
}

TEST(SpikeSummary, OneLinePerFilteredChannelInPrintedNumbers) {
  EXPECT_EQ(SpikeSummaryLine(1, 3, 2.0f), "chan 1:   3 spikes removed; filter factor: 2\r");
  DataFileFacts f;
  f.nChannels = 3;
  f.channels[1].spikeRatio = 1.0f;
  f.channels[2].spikeRatio = 1.5f;
  f.channels[2].spikes = 12;
  f.channels[3].spikeRatio = 4.0f;
  EXPECT_EQ(SpikeSummary(f),
            "chan 2:   12 spikes removed; filter factor: 1.5\rchan 3:   0 spikes removed; filter factor: 4\r");
}

class ConditionsTest : public test::ProgramTest {};

TEST_F(ConditionsTest, StartValuesStoreAndStandardConditions) {
  ExperimentConditions c = CurrentExperimentConditions();
  EXPECT_EQ(c.flowrate, 100.0f);
  EXPECT_EQ(c.BarometricPressure, 760.0f);
  c = {250.0f, 30.0f, 700.0f, 22.0f, EffectiveVolumeFromTyped(0)};
  EXPECT_EQ(c.EffectiveVolume, 0.1f);
  EXPECT_EQ(EffectiveVolumeFromTyped(12.5), 12.5f);
  StoreExperimentConditions(WithStandardConditions(c));
  EXPECT_EQ(BarometricPressure, 760.0f);
  EXPECT_EQ(flowtemp, 0.0f);
  EXPECT_EQ(mass, 30.0f);
  EXPECT_EQ(flowrate, 250.0f);
  ResetFilesState();
  EXPECT_EQ(mass, 0.0f);
  EXPECT_EQ(EffectiveVolume, 0.0f);
}

TEST_F(ConditionsTest, GatheredFactsTakeLabelsFromBothLabelStrings) {
  nChannels = 10;
  datalabel = Str255(std::string(30, 'a') + "second");
  datalabel2 = Str255(std::string(30, 'n') + "tenth");
  ChannelVariables[0][2] = 5;
  ChannelVariables[10][ChanField::Input] = 7;
  External_AD = 5;
  const DataFileFacts f = GatherDataFileFacts(RunPhase::Closed);
  EXPECT_EQ(f.channels[1].label, std::string(30, 'a'));
  EXPECT_EQ(f.channels[2].label, "second" + std::string(24, ' '));
  EXPECT_EQ(f.channels[3].label, std::string(30, ' '));
  EXPECT_EQ(f.channels[10].label, "tenth" + std::string(25, ' '));
  EXPECT_EQ(f.channels[2].typeCode, 5.0f);
  EXPECT_EQ(f.channels[10].input, 7.0f);
  EXPECT_EQ(f.externalAD, 5);
  EXPECT_EQ(f.saveTime.size(), 8u);
}

// A stop leaves Sample one less than the samples taken (1 and 0 samples both leave 0),
// so a file written after the stop counts from nSamples; one written while the run is
// open counts Sample. Either way it is every sample the run took.
TEST_F(ConditionsTest, GatheredFactsCountEverySampleTakenBeforeAndAfterTheStop) {
  struct Case {
    RunPhase phase;
    int32_t sample, taken;
    int32_t samples;
  } cases[] = {{RunPhase::Open, 12, 0, 12},
               {RunPhase::Closed, 11, 12, 12},
               {RunPhase::Closed, 0, 1, 1},
               {RunPhase::Closed, 0, 0, 0},
               {RunPhase::Open, 0, 7, 0}};
  for (const Case& c : cases) {
    Sample = c.sample;
    nSamples = c.taken;
    EXPECT_EQ(GatherDataFileFacts(c.phase).samples, c.samples) << c.sample << " " << c.taken;
  }
  FirstChan = 1;
  EXPECT_EQ(GatherDataFileFacts(RunPhase::Closed).firstColumn, 0);
  FirstChan = 2;
  EXPECT_EQ(GatherDataFileFacts(RunPhase::Closed).firstColumn, 1) << "scope-plus-chart points fill 1 to n";
}

// The channel tables move when channels are cut, added or re-arranged after a run; the
// store's rows do not. The run's files used to pair the moved tables with the unmoved
// rows (a cut channel's samples under the next one's input and label): they describe
// the channels the run recorded, as it started, in the store's order.
TEST_F(ConditionsTest, GatheredFactsDescribeTheChannelsTheRunRecorded) {
  nChannels = 3;
  datalabel.clear();
  datalabel2.clear();
  for (int16_t n = 1; n <= 3; ++n) {
    ChannelVariables[0][n] = 1;
    ChannelVariables[n][ChanField::Input] = n;
    ChannelVariables[n][ChanField::B] = n;
    ChannelVariables[n][ChanField::Averaged] = n;
    SetChannelLabel(n, "input " + std::to_string(n));
  }
  ConversionsOfRun = CurrentConversions();
  // After the run: channel 2 cut (channel 3 now second), then a channel added.
  ChannelVariables[2] = ChannelVariables[3];
  SetChannelLabel(2, "input 3");
  ChannelVariables[3] = ChannelVariablesRecord{};
  SetChannelLabel(3, "");
  const DataFileFacts f = GatherDataFileFacts(RunPhase::Closed);
  EXPECT_EQ(f.nChannels, 3);
  for (int n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(f.channels[n].input, static_cast<float>(n));
    EXPECT_EQ(f.channels[n].b, static_cast<float>(n));
    EXPECT_EQ(f.channels[n].averaged, static_cast<float>(n));
    EXPECT_EQ(f.channels[n].label, "input " + std::to_string(n) + std::string(23, ' '));
  }
  nChannels = 5;
  EXPECT_EQ(GatherDataFileFacts(RunPhase::Closed).nChannels, 3) << "an added channel is the next run's";
}

// The header's averaging is the run's: continuous scanning only where the run scanned
// (a chart recording with "all channels"), never a scope-plus-chart run's single readings.
TEST_F(ConditionsTest, GatheredFactsScanContinuouslyOnlyWhereTheRunScanned) {
  const struct {
    int16_t mode;
    float allChannels;
    bool scanned;
  } rows[] = {{RecordingModeCode::Chart, 1, true},
              {RecordingModeCode::Chart, 0, false},
              {RecordingModeCode::ScopeChart, 1, false},
              {RecordingModeCode::Scope, 1, false}};
  for (const auto& row : rows) {
    RecordingMODE = row.mode;
    PrefsArray[PrefsSlot::AverageAllChannels] = row.allChannels;
    ConversionsOfRun = CurrentConversions();
    PrefsArray[PrefsSlot::AverageAllChannels] = 1 - row.allChannels;  // changed after the run
    EXPECT_EQ(GatherDataFileFacts(RunPhase::Closed).continuousScan, row.scanned) << row.mode;
  }
}

}  // namespace
}  // namespace mv
