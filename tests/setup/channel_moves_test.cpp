// Deleting and re-ordering channels as table operations. Every per-channel table is
// filled with values unique to each channel (a fingerprint), so a row left behind or
// taken from the wrong channel shows at once.
#include "setup/channel_moves.h"

#include <cmath>
#include <string>

#include "acquisition/state.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "kit/state.h"
#include "setup/channel_table.h"
#include "setup/state.h"
#include "setup_fixture.h"

namespace mv {
namespace {

float V(int channel, int table, int field) {
  return static_cast<float>(channel * 1000 + table * 100 + field);
}

std::string LabelOf(int c) {
  return "label of channel " + std::to_string(c);
}

// Fills every row 1..16 of every per-channel table with values of its channel.
void Fingerprint() {
  BlankChannelLabels();
  for (int c = 1; c <= 16; ++c) {
    for (int f = 0; f < kChannelFields; ++f) ChannelVariables[c][f] = V(c, 1, f);
    ChannelVariables[0][c] = static_cast<float>(c) + 0.25f;
    SetChannelLabel(static_cast<int16_t>(c), LabelOf(c));
    for (int f = 0; f < kAlarmFields; ++f) alarmsArray[c][f] = V(c, 2, f);
    for (int f = 0; f < kGasFields; ++f) SpecialOpsArray[c][f] = V(c, 3, f);
    SpecialOpsArray[c][3] = 1.0f;  // constant flow: no channel reference in field 4
    for (int f = 0; f < kBreakpointFields; ++f) BreakpointArray[c][f] = V(c, 4, f);
    for (int f = 0; f < kThreeWayFields; ++f) polyarray[c][f] = V(c, 5, f);
    SpikeFilterArray[c] = V(c, 6, 0);
    for (int w = 0; w < kDataTakerWords; ++w) DataTakerChannels[c][w] = static_cast<int16_t>(c * 10 + w);
    ADsensorType[c] = static_cast<int16_t>(c * 3);
    zerolink[3 * c + 3] = static_cast<int16_t>(c * 7);  // the spare word travels too
  }
}

// Checks that position p holds everything channel `old` owned. Strip geometry is
// checked only when `withStrips`.
void ExpectChannelAt(int p, int old, bool withStrips = true) {
  SCOPED_TRACE(::testing::Message() << "position " << p << " should hold old channel " << old);
  for (int f = 0; f < kChannelFields; ++f) {
    if (!withStrips && f >= ChanField::StripHeight && f <= ChanField::BottomCopy) continue;
    EXPECT_EQ(ChannelVariables[p][f], V(old, 1, f)) << "channel field " << f;
  }
  EXPECT_EQ(ChannelVariables[0][p], static_cast<float>(old) + 0.25f) << "conversion type";
  EXPECT_EQ(ChannelLabel(static_cast<int16_t>(p)), LabelOf(old) + std::string(30 - LabelOf(old).size(), ' '));
  for (int f = 0; f < kAlarmFields; ++f) EXPECT_EQ(alarmsArray[p][f], V(old, 2, f)) << "alarm field " << f;
  for (int f = 0; f < kGasFields; ++f) {
    if (f == 3) continue;
    EXPECT_EQ(SpecialOpsArray[p][f], V(old, 3, f)) << "gas field " << f;
  }
  for (int f = 0; f < kBreakpointFields; ++f)
    EXPECT_EQ(BreakpointArray[p][f], V(old, 4, f)) << "breakpoint " << f;
  for (int f = 0; f < kThreeWayFields; ++f) EXPECT_EQ(polyarray[p][f], V(old, 5, f)) << "three-way " << f;
  EXPECT_EQ(SpikeFilterArray[p], V(old, 6, 0)) << "spike ratio";
  for (int w = 0; w < kDataTakerWords; ++w)
    EXPECT_EQ(DataTakerChannels[p][w], old * 10 + w) << "DataTaker " << w;
  EXPECT_EQ(ADsensorType[p], old * 3) << "sensor code";
  EXPECT_EQ(zerolink[3 * p + 3], old * 7) << "zero-link row";
}

std::array<int16_t, 17> Marks(std::initializer_list<int> channels) {
  std::array<int16_t, 17> m{};
  for (int c : channels) m[c] = 1;
  return m;
}

std::array<int16_t, 17> Order(std::initializer_list<int> channels) {
  std::array<int16_t, 17> o{};
  int p = 0;
  for (int c : channels) o[++p] = static_cast<int16_t>(c);
  return o;
}

using ChannelMovesTest = test::SetupTest;

TEST_F(ChannelMovesTest, DeletingAChannelMovesEveryTableRowOfTheChannelsAfterIt) {
  Fingerprint();
  nChannels = 4;
  ASSERT_TRUE(DeleteMarkedChannels(Marks({2})).applied);
  EXPECT_EQ(nChannels, 3);
  ExpectChannelAt(1, 1);
  ExpectChannelAt(2, 3);
  ExpectChannelAt(3, 4);
  EXPECT_EQ(ChannelVariables[4][ChanField::Input], 0.0f) << "the gone channel's input is free again";
  EXPECT_EQ(ChannelVariables[4][ChanField::A], V(4, 1, 2)) << "the rest of row 4 is stale";
  EXPECT_EQ(ChannelVariables[5][ChanField::Input], 0.0f);
  EXPECT_EQ(datalabel.size(), 90u) << "the kept labels, one after the other";
}

TEST_F(ChannelMovesTest, DeletingAChannelMovesItsAlarmRecord) {
  nChannels = 3;
  alarmsArray[3][AlarmField::AnyOn] = 1.0f;  // the switch that gates the limit checks
  alarmsArray[3][AlarmField::LowerOn] = 1.0f;
  alarmsArray[3][AlarmField::LowerLimit] = 12.5f;
  ASSERT_TRUE(DeleteMarkedChannels(Marks({1})).applied);
  EXPECT_EQ(alarmsArray[2][AlarmField::AnyOn], 1.0f);
  EXPECT_EQ(alarmsArray[2][AlarmField::LowerLimit], 12.5f);
}

TEST_F(ChannelMovesTest, ReorderingMovesTheBreakpointVoltsThreeWayRecordAndInputKind) {
  nChannels = 2;
  ChannelVariables[0][2] = 5.0f;  // breakpoint channel
  BreakpointArray[2][0] = 1.25f;
  polyarray[2] = {1, 2, 3, 4, 0, 6, 7};
  DataTakerChannels[2][DataTakerWord::Kind] = 0;  // thermocouple
  SpikeFilterArray[2] = 3.0f;
  ChannelVariables[2][ChanField::Gain] = 3.0f;
  ASSERT_TRUE(ReorderChannels(Order({2, 1}), 2).applied);
  EXPECT_EQ(ChannelVariables[0][1], 5.0f);
  EXPECT_EQ(BreakpointArray[1][0], 1.25f);
  EXPECT_EQ(polyarray[1][6], 7.0f);
  EXPECT_EQ(DataTakerChannels[1][DataTakerWord::Kind], 0);
  EXPECT_EQ(DataTakerChannels[2][DataTakerWord::Kind], 1) << "old channel 1 was a voltage input";
  EXPECT_EQ(SpikeFilterArray[1], 3.0f);
  EXPECT_EQ(ChannelVariables[1][ChanField::Gain], 3.0f);
}

TEST_F(ChannelMovesTest, ReorderingMovesEveryTableRowAndNeverCopiesAChannel) {
  Fingerprint();
  nChannels = 5;
  PrefsArray[PrefsSlot::WindowHeight] = 768;
  EXPECT_FALSE(ReorderChannels(Order({5, 2, 2, 1}), 4).applied) << "channel 2 named twice";
  ASSERT_TRUE(ReorderChannels(Order({5, 2, 4, 1, 3}), 5).applied);
  EXPECT_EQ(nChannels, 5);
  ExpectChannelAt(1, 5, false);
  ExpectChannelAt(2, 2, false);
  ExpectChannelAt(3, 4, false);
  ExpectChannelAt(4, 1, false);
  ExpectChannelAt(5, 3, false);
  EXPECT_EQ(datalabel.size(), 240u);
  EXPECT_EQ(ChannelLabel(6), std::string(30, ' ')) << "labels are rebuilt in eight blank slots";
  EXPECT_EQ(Count("CLEARARRAY"), 1);
}

TEST_F(ChannelMovesTest, ReorderingFiveChannelsByClickingFourThenTwoKeepsTheOthersAfterThem) {
  Fingerprint();
  nChannels = 5;
  PrefsArray[PrefsSlot::WindowHeight] = 768;
  ASSERT_TRUE(ReorderChannels(Order({4, 2}), 2).applied);
  EXPECT_EQ(nChannels, 5);
  const int order[] = {4, 2, 1, 3, 5};
  for (int p = 1; p <= 5; ++p) ExpectChannelAt(p, order[p - 1], false);
}

TEST_F(ChannelMovesTest, XYAxesFollowTheirChannels) {
  nChannels = 3;
  XYaxisChannelX = 3;
  XYaxisChannelY = 1;
  ASSERT_TRUE(ReorderChannels(Order({3, 1, 2}), 3).applied);
  EXPECT_EQ(XYaxisChannelX, 1.0f);
  EXPECT_EQ(XYaxisChannelY, 2.0f);
}

TEST_F(ChannelMovesTest, DeletingTheChannelOfAReferenceRenumbersOrResetsIt) {
  nChannels = 4;
  XYaxisChannelX = 2;  // deleted
  XYaxisChannelY = 4;
  TriggerChan = 2;  // deleted
  FeedbackChan = 3;
  serialArray[5][2] = 4;  // stream variable 5 feeds channel 4
  serialArray[6][2] = 2;  // ... and variable 6 fed the deleted channel
  ASSERT_TRUE(DeleteMarkedChannels(Marks({2})).applied);
  EXPECT_EQ(XYaxisChannelX, 1.0f);
  EXPECT_EQ(XYaxisChannelY, 3.0f);
  EXPECT_EQ(TriggerChan, 1);
  EXPECT_EQ(FeedbackChan, 2);
  EXPECT_EQ(serialArray[5][2], 3.0f);
  EXPECT_EQ(serialArray[6][2], 0.0f) << "a variable of a deleted channel is no longer recorded";

  TriggerChan = 3;
  ASSERT_TRUE(DeleteMarkedChannels(Marks({1})).applied);
  EXPECT_EQ(TriggerChan, 2);
}

TEST_F(ChannelMovesTest, TheSwitchedChannelOfSequentialPatternsIsRenumbered) {
  nChannels = 4;
  SwitchingMode = SwitchingPatternCode::SequentialDevices;
  ChannelVariables[0][0] = 4;
  ASSERT_TRUE(DeleteMarkedChannels(Marks({1})).applied);
  EXPECT_EQ(ChannelVariables[0][0], 3.0f);
  ASSERT_TRUE(DeleteMarkedChannels(Marks({3})).applied);
  EXPECT_EQ(ChannelVariables[0][0], 0.0f) << "deleted: none, so the switching set-up asks again";
}

TEST_F(ChannelMovesTest, SequentialPatternsKeepTheDevicePositionsInPlace) {
  nChannels = 4;
  SwitchingMode = SwitchingPatternCode::SequentialFiles;
  const float positions[] = {0, 1, 0, 1, 1};  // positions 1, 3 and 4 used
  for (int r = 1; r <= 4; ++r) ChannelVariables[r][ChanField::Device] = positions[r];
  ASSERT_TRUE(ReorderChannels(Order({4, 3, 2, 1}), 4).applied);
  for (int r = 1; r <= 4; ++r) EXPECT_EQ(ChannelVariables[r][ChanField::Device], positions[r]) << r;

  SwitchingMode = SwitchingPatternCode::Periodic;  // per-channel devices move
  ChannelVariables[1][ChanField::Device] = 6;
  ASSERT_TRUE(ReorderChannels(Order({2, 1}), 2).applied);
  EXPECT_EQ(ChannelVariables[2][ChanField::Device], 6.0f);
}

TEST_F(ChannelMovesTest, ADeletedFlowChannelIsNotReplacedByAnotherChannel) {
  nChannels = 4;
  SpecialOpsArray[4][1] = 1;  // VO2 on channel 4
  SpecialOpsArray[4][3] = 3;  // flow from a channel
  SpecialOpsArray[4][4] = 2;  // ... channel 2, deleted below
  SpecialOpsArray[3][1] = 1;
  SpecialOpsArray[3][3] = 3;
  SpecialOpsArray[3][4] = 1;
  SpecialOpsArray[2][3] = 1;  // constant flow of 2 ml/min: not a channel
  SpecialOpsArray[2][4] = 2;
  const auto outcome = DeleteMarkedChannels(Marks({2}));
  ASSERT_TRUE(outcome.applied);
  EXPECT_EQ(SpecialOpsArray[3][4], 0.0f) << "no flow rather than old channel 3's values";
  EXPECT_EQ(SpecialOpsArray[3][3], 3.0f);
  EXPECT_EQ(outcome.lostFlowChannel, std::vector<int16_t>{3});
  EXPECT_EQ(SpecialOpsArray[2][4], 1.0f) << "old 3's flow channel 1 keeps its number";
}

TEST_F(ChannelMovesTest, AFlowChannelFollowsItsChannelWhenReordered) {
  nChannels = 3;
  SpecialOpsArray[1][3] = 3;
  SpecialOpsArray[1][4] = 3;
  ASSERT_TRUE(ReorderChannels(Order({3, 2, 1}), 3).applied);
  EXPECT_EQ(SpecialOpsArray[3][4], 1.0f);
}

TEST_F(ChannelMovesTest, ZeroLinksFollowTheirChannelsAndLoseDeletedOnes) {
  nChannels = 4;
  zerolink[0] = 1;
  zerolink[3 * 4 + 1] = 3;  // channel 4 zeroed with channel 3
  zerolink[3 * 1 + 1] = 2;  // channel 1 with channel 2 (deleted below)
  RebuildZeroBackLinks();
  ASSERT_TRUE(DeleteMarkedChannels(Marks({2})).applied);
  EXPECT_EQ(zerolink[3 * 3 + 1], 2) << "old 4 is now 3, linked to old 3, now 2";
  EXPECT_EQ(zerolink[3 * 2 + 2], 3) << "the back-link is rebuilt";
  EXPECT_EQ(zerolink[3 * 1 + 1], 0);
  EXPECT_EQ(zerolink[3 * 4 + 1], 0) << "the emptied row keeps no link";
  EXPECT_EQ(zerolink[3 * 4 + 2], 0);
  EXPECT_EQ(zerolink[0], 1);
}

TEST_F(ChannelMovesTest, DeletionKeepsRow16WhileItHoldsTheTriggerInput) {
  nChannels = 3;
  TriggerChan = 17;
  ChannelVariables[16][ChanField::Input] = 9;
  ChannelVariables[15][ChanField::Input] = 4;
  ASSERT_TRUE(DeleteMarkedChannels(Marks({3})).applied);
  EXPECT_EQ(ChannelVariables[16][ChanField::Input], 9.0f);
  EXPECT_EQ(ChannelVariables[15][ChanField::Input], 0.0f);
  EXPECT_GT(TriggerChan, nChannels) << "still the extra input";

  TriggerChan = 0;
  ASSERT_TRUE(DeleteMarkedChannels(Marks({2})).applied);
  EXPECT_EQ(ChannelVariables[16][ChanField::Input], 0.0f);
}

TEST_F(ChannelMovesTest, DeletingEveryDeletableChannelIsRefusedAndChangesNothing) {
  Fingerprint();
  nChannels = 3;
  const auto table = ChannelVariables;
  const auto labels = datalabel;
  EXPECT_TRUE(DeletionRefused(Marks({1, 2, 3}), 3, RecordingModeCode::Chart));
  EXPECT_FALSE(DeleteMarkedChannels(Marks({1, 2, 3})).applied);
  EXPECT_EQ(nChannels, 3);
  EXPECT_EQ(ChannelVariables, table);
  EXPECT_EQ(datalabel, labels);

  RecordingMODE = RecordingModeCode::ScopeChart;
  EXPECT_TRUE(DeletionRefused(Marks({2, 3}), 3, RecordingMODE));
  EXPECT_FALSE(DeleteMarkedChannels(Marks({2, 3})).applied);
  EXPECT_FALSE(DeletionRefused(Marks({1, 2}), 3, RecordingMODE)) << "channel 1 cannot be marked there";

  RecordingMODE = RecordingModeCode::Scope;
  nChannels = 1;
  EXPECT_FALSE(DeleteMarkedChannels(Marks({1})).applied) << "the oscilloscope channel is never deleted";
  EXPECT_EQ(nChannels, 1);
}

TEST_F(ChannelMovesTest, ScopePlusChartDeletionKeepsTheScopeChannel) {
  Fingerprint();
  RecordingMODE = RecordingModeCode::ScopeChart;
  nChannels = 3;
  ASSERT_TRUE(DeleteMarkedChannels(Marks({1, 2})).applied);  // the mark on 1 does not count
  EXPECT_EQ(nChannels, 2);
  ExpectChannelAt(1, 1);
  ExpectChannelAt(2, 3);
}

TEST_F(ChannelMovesTest, ReorderingIsRefusedWithMorePositionsThanChannelsOrAForeignChannel) {
  nChannels = 5;
  RecordingMODE = RecordingModeCode::ScopeChart;
  EXPECT_FALSE(ReorderAccepted(Order({1, 2, 3, 4, 5, 5}), 6)) << "more positions than channels";
  EXPECT_FALSE(ReorderAccepted(Order({2, 1}), 2)) << "the scope channel stays first";
  EXPECT_FALSE(ReorderAccepted(Order({1, 3, 1}), 3)) << "and is not copied into a chart position";
  EXPECT_FALSE(ReorderAccepted(Order({1, 3, 3}), 3)) << "no chart channel is copied either";
  EXPECT_TRUE(ReorderAccepted(Order({1, 5, 4}), 3));
  RecordingMODE = RecordingModeCode::Chart;
  EXPECT_FALSE(ReorderAccepted(Order({6}), 1)) << "no such channel";
  EXPECT_FALSE(ReorderAccepted(Order({}), 0));
  EXPECT_FALSE(ReorderChannels(Order({}), 0).applied);
  EXPECT_EQ(nChannels, 5);
}

TEST_F(ChannelMovesTest, ReorderedStripsKeepTheirSharesOfTheHeight) {
  nChannels = 3;
  PrefsArray[PrefsSlot::WindowHeight] = 600;  // usable 528
  const float heights[] = {0, 300, 100, 200};
  for (int c = 1; c <= 3; ++c) ChannelVariables[c][ChanField::StripHeight] = heights[c];
  ChannelVariables[2][ChanField::StripTop] = 11;
  ASSERT_TRUE(ReorderChannels(Order({2, 3, 1}), 3).applied);  // heights 100, 200, 300; factor 0.88
  EXPECT_NEAR(ChannelVariables[1][ChanField::StripHeight], 88.0, 1e-4);
  EXPECT_NEAR(ChannelVariables[1][ChanField::StripBottom], 135.0, 1e-4);
  EXPECT_NEAR(ChannelVariables[2][ChanField::StripTop], 136.0, 1e-4);
  EXPECT_NEAR(ChannelVariables[2][ChanField::StripBottom], 312.0, 1e-4);
  EXPECT_NEAR(ChannelVariables[3][ChanField::StripTop], 313.0, 1e-4);
  EXPECT_NEAR(ChannelVariables[3][ChanField::StripBottom], 577.0, 1e-4);
  EXPECT_NEAR(ChannelVariables[3][ChanField::BottomLess2], 575.0, 1e-4);
  EXPECT_EQ(ChannelVariables[1][ChanField::StripTop], 11.0f) << "channel 1's top moves with its record only";
}

TEST_F(ChannelMovesTest, ReorderingStripsThatWereNeverLaidOutSharesTheHeightEqually) {
  nChannels = 2;
  PrefsArray[PrefsSlot::WindowHeight] = 600;
  ASSERT_TRUE(ReorderChannels(Order({2, 1}), 2).applied);
  EXPECT_EQ(ChannelVariables[1][ChanField::StripHeight], 270.0f);
  EXPECT_EQ(ChannelVariables[2][ChanField::StripBottom], 586.0f);
  for (int c = 1; c <= 2; ++c) EXPECT_TRUE(std::isfinite(ChannelVariables[c][ChanField::StripBottom]));
}

TEST_F(ChannelMovesTest, AfterDeletionSwitchingStartsAgainAndAsksForDevicesWhenNoneAreLeft) {
  nChannels = 2;
  SwitchingMode = SwitchingPatternCode::StartEnd;
  nGroups = 2;
  PresentChan = 2;
  SampleValve = 3;
  SampleValve2 = 6;
  ChannelVariables[1][ChanField::Device] = 3;
  AdjustSwitchingAfterDeletion();
  EXPECT_EQ(PresentChan, 0);
  EXPECT_EQ(nGroups, 1) << "no device of the second group is left";
  EXPECT_EQ(Count("ExternalDeviceControl"), 0);
  EXPECT_EQ(Count("SELECTNEXTVALVE"), 1);
  EXPECT_EQ(OldChan, 3);
  EXPECT_EQ(OldChan2, 6);

  calls.clear();
  ChannelVariables[1][ChanField::Device] = 0;
  AdjustSwitchingAfterDeletion();
  EXPECT_EQ(calls, (std::vector<std::string>{"ExternalDeviceControl", "SELECTNEXTVALVE"}));

  calls.clear();
  SwitchingMode = SwitchingPatternCode::SequentialFiles;
  PresentChan = 3;
  AdjustSwitchingAfterDeletion();
  EXPECT_EQ(PresentChan, 3) << "pattern 9 goes on with its sequence";

  calls.clear();
  SwitchingMode = SwitchingPatternCode::Off;
  AdjustSwitchingAfterDeletion();
  EXPECT_TRUE(calls.empty());
}

}  // namespace
}  // namespace mv
