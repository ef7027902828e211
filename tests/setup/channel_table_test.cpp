// The channel table's rules: strip layout, hardware input counts,
// clearing and the heading text. Expected values are worked out by hand from the
// layout rules (usable height, equal share, one-pixel gaps).
#include "setup/channel_table.h"

#include <limits>
#include <string>

#include "devices/state.h"
#include "files/state.h"
#include "kit/state.h"
#include "setup/state.h"
#include "setup_fixture.h"

namespace mv {
namespace {

using ChannelTableTest = test::SetupTest;

float Bottom(int c) {
  return ChannelVariables[c][ChanField::StripBottom];
}
float Top(int c) {
  return ChannelVariables[c][ChanField::StripTop];
}
float Height(int c) {
  return ChannelVariables[c][ChanField::StripHeight];
}

TEST_F(ChannelTableTest, EqualLayoutOfFourChannelsFillsTheDefaultWindow) {
  nChannels = 4;
  SetChanParams(0, 0);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 768);
  const float bottoms[] = {223, 400, 577, 754}, tops[] = {46, 223, 400, 577};
  for (int c = 1; c <= 4; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(Height(c), 177.0f);
    EXPECT_EQ(Bottom(c), bottoms[c - 1]);
    EXPECT_EQ(Top(c), tops[c - 1]);
    EXPECT_EQ(ChannelVariables[c][ChanField::BottomLess2], bottoms[c - 1] - 2);
    EXPECT_EQ(ChannelVariables[c][ChanField::BottomCopy], bottoms[c - 1]);
  }
  EXPECT_EQ(Height(5), 0.0f) << "rows above the count are not laid out";
  EXPECT_EQ(Count("CLEARARRAY"), 1) << "the scope rows are cleared after every layout";
}

TEST_F(ChannelTableTest, EqualLayoutSharesTheStoredHeightWhenAnOldHeightIsGiven) {
  nChannels = 3;
  PrefsArray[PrefsSlot::WindowHeight] = 600;
  SetChanParams(600, 0);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 600);
  EXPECT_EQ(Height(1), 180.0f);
  EXPECT_EQ(Bottom(1), 226.0f);
  EXPECT_EQ(Bottom(2), 406.0f);
  EXPECT_EQ(Bottom(3), 586.0f);
  EXPECT_EQ(Top(3), 406.0f);

  nChannels = 5;  // 708 / 5 is no whole number: the strips still end at 46 + 708
  SetChanParams(0, 0);
  EXPECT_NEAR(Height(1), 141.6, 1e-4);
  EXPECT_NEAR(Bottom(1), 187.6, 1e-3);
  EXPECT_NEAR(Bottom(5), 754.0, 1e-3);
}

TEST_F(ChannelTableTest, NoChannelsLaysNothingOutButStillSetsTheDefaultHeight) {
  nChannels = 0;
  SetChanParams(0, 0);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 768);
  EXPECT_EQ(Height(1), 0.0f);
}

TEST_F(ChannelTableTest, RescaleKeepsRelativeHeightsWithOnePixelGaps) {
  nChannels = 4;
  SetChanParams(0, 0);
  PrefsArray[PrefsSlot::WindowHeight] = 600;
  SetChanParams(768, 1);  // factor 540 / 708
  const float bottoms[] = {182, 318, 454, 590};
  for (int c = 1; c <= 4; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(Height(c), 135.0f);
    EXPECT_EQ(Bottom(c), bottoms[c - 1]);
    EXPECT_EQ(ChannelVariables[c][ChanField::BottomLess2], bottoms[c - 1] - 2);
    EXPECT_EQ(ChannelVariables[c][ChanField::BottomCopy], bottoms[c - 1]);
  }
  EXPECT_EQ(Top(2), 183.0f);
  EXPECT_EQ(Top(3), 319.0f);
  EXPECT_EQ(Top(4), 455.0f);
  EXPECT_EQ(Top(1), 46.0f) << "the first strip's top is never rewritten by a rescale";
}

TEST_F(ChannelTableTest, RescaleOutsideChartModeStacksFromY35) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  nChannels = 4;
  SetChanParams(0, 0);
  PrefsArray[PrefsSlot::WindowHeight] = 600;
  SetChanParams(768, 1);
  EXPECT_EQ(Bottom(1), 170.0f);
  EXPECT_EQ(Bottom(4), 578.0f);
}

TEST_F(ChannelTableTest, RescaleFromAnUnsetHeightDoesNotDivideByZero) {
  nChannels = 4;
  PrefsArray[PrefsSlot::WindowHeight] = 600;  // the new height; the old one was never set
  SetChanParams(0, 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 600) << "the new height is kept";
  EXPECT_EQ(Height(1), 135.0f);
  EXPECT_EQ(Bottom(1), 181.0f);
  EXPECT_EQ(Bottom(4), 586.0f);

  SetChanParams(60, 1);  // an old height with no strip area
  EXPECT_EQ(Bottom(4), 586.0f);

  PrefsArray[PrefsSlot::WindowHeight] = 0;  // nothing to stretch to either
  SetChanParams(768, 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 768);
  EXPECT_EQ(Bottom(4), 754.0f);
  for (int c = 1; c <= 4; ++c) EXPECT_GT(Height(c), 0.0f) << "never a negative strip";
}

TEST_F(ChannelTableTest, HardwareInputCountIsWhatTheInputDialogOffers) {
  struct Row {
    int16_t ad, demo, code, adam, inputs;
  } rows[] = {
      {ExternalADCode::SableUI2, 0, 0, 0, 15},
      {ExternalADCode::SableUI3, 0, 0, 0, 15},
      {ExternalADCode::DT500, 0, 0, 0, 16},
      {ExternalADCode::DT50, 0, 0, 0, 5},
      {ExternalADCode::DT800, 0, 0, 0, 12},
      {ExternalADCode::DT80, 0, 0, 0, 5},
      {ExternalADCode::DT85, 0, 0, 0, 16},
      {ExternalADCode::ADAM, 0, 0, 0, 8},
      {ExternalADCode::ADAM, 0, 0, 13, 16},
      {ExternalADCode::ADC1, 0, 0, 0, 16},
      {ExternalADCode::SerialStream, 0, 0, 0, 16},
      {ExternalADCode::Demonstration, 0, 6, 0, 8},
      {ExternalADCode::Demonstration, 1, 6, 0, 16},
      {ExternalADCode::Demonstration, 0, 80, 0, 16},
      {42, 0, 0, 0, 16},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(::testing::Message() << "interface " << r.ad << " demo " << r.demo << " code " << r.code);
    EXPECT_EQ(HardwareInputCount(r.ad, r.demo, r.code, r.adam), r.inputs);
  }
}

TEST_F(ChannelTableTest, SlotFiftyFollowsTheInterfaceInUse) {
  External_AD = ExternalADCode::SableUI2;
  HowManyHardwareADinputs();
  EXPECT_EQ(PrefsArray[PrefsSlot::HardwareInputs], 15) << "a UI2 channel on input 13 to 15 is valid";
  External_AD = ExternalADCode::DT500;
  HowManyHardwareADinputs();
  EXPECT_EQ(PrefsArray[PrefsSlot::HardwareInputs], 16);
  External_AD = ExternalADCode::ADAM;
  PrefsArray[PrefsSlot::Adam16Inputs] = 14;
  HowManyHardwareADinputs();
  EXPECT_EQ(PrefsArray[PrefsSlot::HardwareInputs], 16);
  External_AD = ExternalADCode::Demonstration;
  AD_Device_Code = 0;
  HowManyHardwareADinputs();
  EXPECT_EQ(PrefsArray[PrefsSlot::HardwareInputs], 8);
}

TEST_F(ChannelTableTest, HeadingTextNamesTheChannelOrTheOscilloscope) {
  EXPECT_EQ(ChannelHeadingText(3, 5, RecordingModeCode::Chart),
            "Channel 3 of 5:  data entry & parameter setup");
  EXPECT_EQ(ChannelHeadingText(12, 16, RecordingModeCode::ScopeChart),
            "Channel 12 of 16:  data entry & parameter setup");
  EXPECT_EQ(ChannelHeadingText(1, 1, RecordingModeCode::Scope),
            "Oscilloscope Mode:  data entry & parameter setup");
}

TEST_F(ChannelTableTest, ANewSetupClearsFieldsOneToSixteenOnly) {
  for (auto& row : ChannelVariables) row.fill(7.0f);
  ClearChannelRecords();
  for (int c = 1; c <= 16; ++c) {
    EXPECT_EQ(ChannelVariables[c][0], 7.0f);
    EXPECT_EQ(ChannelVariables[c][17], 7.0f);
    for (int f = 1; f <= 16; ++f) EXPECT_EQ(ChannelVariables[c][f], 0.0f) << c << "," << f;
  }
  for (int f = 0; f < kChannelFields; ++f) EXPECT_EQ(ChannelVariables[0][f], 7.0f) << "row 0 keeps the types";
}

TEST_F(ChannelTableTest, ChoosingAModeBlanksLabelsUnlessAFileOrTheStreamPanelGaveThem) {
  datalabel = "kept";
  PrepareChannelsForMode(true);
  EXPECT_EQ(ChannelVariables[1][ChanField::PlotMax], 5.0f);
  EXPECT_EQ(datalabel, "kept");
  External_AD = ExternalADCode::SerialStream;
  PrepareChannelsForMode(false);
  EXPECT_EQ(datalabel, "kept");
  External_AD = ExternalADCode::DT800;
  PrepareChannelsForMode(false);
  EXPECT_EQ(datalabel, std::string(240, ' '));
  EXPECT_EQ(datalabel2, std::string(240, ' '));
}

TEST_F(ChannelTableTest, ChannelLimitsOfTheModes) {
  EXPECT_EQ(ChannelLimit(RecordingModeCode::Chart), 16);
  EXPECT_EQ(ChannelLimit(RecordingModeCode::Scope), 1);
  EXPECT_EQ(ChannelLimit(RecordingModeCode::ScopeChart), 5);
  EXPECT_EQ(FirstMovableChannel(RecordingModeCode::ScopeChart), 2);
  EXPECT_EQ(FirstMovableChannel(RecordingModeCode::Chart), 1);
}

TEST(PlotLimits, LimitsThatGiveAStripNoHeightAreWidened) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float min, max, wantMin, wantMax;
  } cases[] = {
      {0, 0, 0, 1},                            // empty fields, or an absent value
      {5, 5, 4.5f, 5.5f},                      // around the value
      {-2, -2, -2.2f, -1.8f}, {10, 0, 0, 10},  // typed the wrong way round
      {-1, 3, -1, 3},                          // a sound range stays
      {nan, nan, 0, 1},       {2, nan, 1.8f, 2.2f},
  };
  for (const Case& c : cases) {
    float min = c.min, max = c.max;
    WidenFlatPlotLimits(min, max);
    EXPECT_FLOAT_EQ(min, c.wantMin) << c.min << " " << c.max;
    EXPECT_FLOAT_EQ(max, c.wantMax) << c.min << " " << c.max;
  }
}

}  // namespace
}  // namespace mv
