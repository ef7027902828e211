// Adding a channel and the control loop's channel set-up: the starting values, the
// dialogs in their order, the label slot and the refusals at the mode's limit.
#include "setup/add_channel.h"

#include <string>

#include "conversions/state.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/menus.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/state.h"
#include "setup_fixture.h"

namespace mv {
namespace {

class AddChannelTest : public test::SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    rt::NewMenu(4, "A-D");
    for (int16_t i = 1; i <= 25; ++i) rt::SetMenuItem(4, i, "item");
  }
  // Dialog fakes that answer like the real ones and log their order.
  void InstallAnsweringDialogs() {
    setup_hooks::SELECTCHANNEL = [this](int16_t ch, int16_t store) {
      calls.push_back("input " + std::to_string(ch) + " " + std::to_string(store));
      InputNumber = 7;
      return true;
    };
    setup_hooks::ConversionsWindow = [this](int16_t ch) {
      calls.push_back("conversions " + std::to_string(ch));
      aval = 1.5f, bval = 2.5f, exponent = 3.5f;
      return true;
    };
    setup_hooks::SCALE = [this](int16_t ch) {
      calls.push_back("scale " + std::to_string(ch) + " from " + std::to_string(int(miny)) + " " +
                      std::to_string(int(maxy)));
      miny = -1.0f, maxy = 9.0f;
      return true;
    };
    setup_hooks::MAXAVERAGE = [this] { calls.push_back("maxaverage"); };
    setup_hooks::AVERAGING = [this](int16_t ch) {
      calls.push_back("averaging " + std::to_string(ch));
      SamplesToAverage = 4;
      return true;
    };
  }
  const ChannelVariablesRecord& Row(int c) { return ChannelVariables[c]; }
};

TEST_F(AddChannelTest, WithoutItsDialogsAChannelStartsLinearOverFiveVoltsAveragingOnce) {
  nChannels = 2;
  InputNumber = 3;
  ChannelVariables[0][3] = 5.0f;  // stale type in the row the channel takes
  ASSERT_TRUE(ADD_a_CHANNEL());
  EXPECT_EQ(nChannels, 3);
  EXPECT_EQ(Row(3)[ChanField::Input], 3.0f) << "the current input number";
  EXPECT_EQ(ChannelVariables[0][3], 1.0f) << "linear";
  EXPECT_EQ(Row(3)[ChanField::A], 0.0f);
  EXPECT_EQ(Row(3)[ChanField::B], 1.0f);
  EXPECT_EQ(Row(3)[ChanField::C], 0.0f);
  EXPECT_EQ(Row(3)[ChanField::PlotMax], 5.0f);
  EXPECT_EQ(Row(3)[ChanField::PlotMin], -5.0f);
  EXPECT_EQ(Row(3)[ChanField::Averaged], 1.0f);
  EXPECT_EQ(Row(1)[ChanField::StripHeight], 236.0f) << "the strips are laid out again for three";
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 768);
  EXPECT_TRUE(rt::WindowExists(25)) << "the status strip shows the channel";
}

TEST_F(AddChannelTest, TheRmsAdc1StartsAtPointFourTwoVolts) {
  External_AD = ExternalADCode::ADC1;
  nChannels = 1;
  ASSERT_TRUE(ADD_a_CHANNEL());
  EXPECT_EQ(Row(2)[ChanField::PlotMax], 0.42f);
  EXPECT_EQ(Row(2)[ChanField::PlotMin], -0.42f);
}

TEST_F(AddChannelTest, DialogsRunInOrderAndTheirAnswersAreStored) {
  InstallAnsweringDialogs();
  nChannels = 1;
  ASSERT_TRUE(ADD_a_CHANNEL());
  const std::vector<std::string> expected = {"input 2 1",  "conversions 2", "scale 2 from -5 5",
                                             "maxaverage", "averaging 2",   "CLEARARRAY"};
  std::vector<std::string> dialogs;
  for (const auto& c : calls)
    if (c != "menus on" && c != "menus off") dialogs.push_back(c);
  EXPECT_EQ(dialogs, expected);
  EXPECT_EQ(Row(2)[ChanField::Input], 7.0f);
  EXPECT_EQ(Row(2)[ChanField::A], 1.5f);
  EXPECT_EQ(Row(2)[ChanField::B], 2.5f);
  EXPECT_EQ(Row(2)[ChanField::C], 3.5f);
  EXPECT_EQ(Row(2)[ChanField::PlotMin], -1.0f);
  EXPECT_EQ(Row(2)[ChanField::PlotMax], 9.0f);
  EXPECT_EQ(Row(2)[ChanField::Averaged], 4.0f);
}

TEST_F(AddChannelTest, ScopePlusChartChannelsGetNoAveragingDialog) {
  InstallAnsweringDialogs();
  RecordingMODE = RecordingModeCode::ScopeChart;
  nChannels = 2;
  ASSERT_TRUE(ADD_a_CHANNEL());
  EXPECT_EQ(Count("averaging 3"), 0);
  EXPECT_EQ(Count("maxaverage"), 0);
  EXPECT_EQ(Row(3)[ChanField::Averaged], 1.0f);
}

TEST_F(AddChannelTest, AddingTheNinthChannelStartsTheSecondLabelStringAfresh) {
  BlankChannelLabels();
  for (int16_t c = 1; c <= 8; ++c) SetChannelLabel(c, "label " + std::to_string(c));
  datalabel2 = std::string(240, 'q');
  nChannels = 8;
  ASSERT_TRUE(ADD_a_CHANNEL());
  EXPECT_EQ(datalabel2, std::string(30, ' '));
  EXPECT_EQ(ChannelLabel(8), "label 8" + std::string(23, ' ')) << "the first string is untouched";
}

TEST_F(AddChannelTest, AddingTheThirdChannelDropsTheOldLabelsAfterIt) {
  BlankChannelLabels();
  for (int16_t c = 1; c <= 8; ++c) SetChannelLabel(c, "label " + std::to_string(c));
  nChannels = 2;
  ASSERT_TRUE(ADD_a_CHANNEL());
  EXPECT_EQ(datalabel.size(), 90u);
  EXPECT_EQ(ChannelLabel(2), "label 2" + std::string(23, ' '));
  EXPECT_EQ(ChannelLabel(3), std::string(30, ' '));
  EXPECT_EQ(ChannelLabel(4), "");
}

TEST_F(AddChannelTest, AddingAfterAShortLabelStringKeepsTheNewLabelInItsOwnSlot) {
  datalabel = "Oxygen";  // a set-up file may carry a string shorter than its slots
  nChannels = 3;
  ASSERT_TRUE(ADD_a_CHANNEL());
  EXPECT_EQ(datalabel.size(), 120u);
  EXPECT_EQ(ChannelLabel(1), "Oxygen" + std::string(24, ' '));
  EXPECT_EQ(ChannelLabel(4), std::string(30, ' '));
  SetChannelLabel(4, "Flow");
  EXPECT_EQ(ChannelLabel(1), "Oxygen" + std::string(24, ' ')) << "channel 1 keeps its label";
}

TEST_F(AddChannelTest, ASeventeenthChannelIsRefusedWithTheBuzz) {
  nChannels = 16;
  const auto before = ChannelVariables;
  datalabel2 = std::string(240, 'x');
  EXPECT_FALSE(ADD_a_CHANNEL());
  EXPECT_EQ(nChannels, 16);
  EXPECT_EQ(ChannelVariables, before);
  EXPECT_EQ(datalabel2.size(), 240u) << "the label string never grows past its eight slots";
  EXPECT_EQ(Played("bzot.mp3"), 1);
}

TEST_F(AddChannelTest, ASixthScopePlusChartChannelAndAnyOscilloscopeChannelAreRefused) {
  RecordingMODE = RecordingModeCode::ScopeChart;
  nChannels = 5;
  EXPECT_FALSE(ADD_a_CHANNEL());
  EXPECT_EQ(nChannels, 5);
  RecordingMODE = RecordingModeCode::Scope;
  nChannels = 1;
  EXPECT_FALSE(ADD_a_CHANNEL());
  EXPECT_EQ(nChannels, 1);
  EXPECT_EQ(Played("bzot.mp3"), 2);
}

TEST_F(AddChannelTest, TheAddItemIsDimmedAtTheModesLimit) {
  nChannels = 14;
  ASSERT_TRUE(ADD_a_CHANNEL());
  EXPECT_TRUE(rt::MenuItemEnabled(4, 21)) << "15 channels: one more may come";
  ASSERT_TRUE(ADD_a_CHANNEL());
  EXPECT_FALSE(rt::MenuItemEnabled(4, 21)) << "16 channels";
  EXPECT_TRUE(rt::MenuItemEnabled(4, 19));

  RecordingMODE = RecordingModeCode::ScopeChart;
  nChannels = 3;
  ASSERT_TRUE(ADD_a_CHANNEL());
  EXPECT_TRUE(rt::MenuItemEnabled(4, 21));
  ASSERT_TRUE(ADD_a_CHANNEL());
  EXPECT_FALSE(rt::MenuItemEnabled(4, 21)) << "5 channels in scope plus chart";
}

TEST_F(AddChannelTest, FirstSetupStartsFromTheInterfacesRange) {
  struct Case {
    int16_t ad;
    float max;
  } rows[] = {{ExternalADCode::ADC1, 0.4f},    {ExternalADCode::DT800, 10.0f}, {ExternalADCode::DT500, 2.5f},
              {ExternalADCode::DT80, 3.0f},    {ExternalADCode::DT85, 3.0f},   {ExternalADCode::DT50, 5.0f},
              {ExternalADCode::SableUI2, 5.0f}};
  for (const Case& r : rows) {
    SCOPED_TRACE(r.ad);
    External_AD = r.ad;
    SetUpChannelRecord(1, ChannelSetupRoute::FirstSetup);
    EXPECT_EQ(Row(1)[ChanField::PlotMax], r.max);
    EXPECT_EQ(Row(1)[ChanField::PlotMin], -r.max);
  }
}

TEST_F(AddChannelTest, FirstSetupWritesTheInputBeforeItsDialogAndKeepsTheLabels) {
  datalabel = std::string(240, 'L');
  nChannels = 2;
  InputNumber = 5;
  float inputSeenByDialog = -1;
  setup_hooks::SELECTCHANNEL = [&](int16_t ch, int16_t) {
    inputSeenByDialog = ChannelVariables[ch][ChanField::Input];
    return false;
  };
  SetUpChannelsOfNewSetup();
  EXPECT_EQ(inputSeenByDialog, 5.0f);
  EXPECT_EQ(datalabel, std::string(240, 'L'));
  EXPECT_EQ(Row(2)[ChanField::Averaged], 1.0f);
}

TEST_F(AddChannelTest, DT800OscilloscopeThermocoupleStartsAtZeroToForty) {
  External_AD = ExternalADCode::DT800;
  RecordingMODE = RecordingModeCode::Scope;
  nChannels = 1;
  DataTakerChannels[1][DataTakerWord::Kind] = 0;
  SetUpChannelsOfNewSetup();
  EXPECT_EQ(Row(1)[ChanField::PlotMin], 0.0f);
  EXPECT_EQ(Row(1)[ChanField::PlotMax], 40.0f);
  DataTakerChannels[1][DataTakerWord::Kind] = 1;  // volts
  SetUpChannelsOfNewSetup();
  EXPECT_EQ(Row(1)[ChanField::PlotMax], 10.0f);
}

TEST_F(AddChannelTest, StreamingInputOpensNoDialogs) {
  InstallAnsweringDialogs();
  External_AD = ExternalADCode::SerialStream;
  nChannels = 3;
  for (int c = 1; c <= 3; ++c) ChannelVariables[c][ChanField::A] = 99.0f;
  SetUpChannelsOfNewSetup();
  EXPECT_TRUE(calls.empty());
  for (int c = 1; c <= 3; ++c) {
    EXPECT_EQ(Row(c)[ChanField::A], 0.0f);
    EXPECT_EQ(Row(c)[ChanField::B], 1.0f);
    EXPECT_EQ(Row(c)[ChanField::C], 0.0f);
    EXPECT_EQ(Row(c)[ChanField::Averaged], 1.0f);
  }
}

}  // namespace
}  // namespace mv
