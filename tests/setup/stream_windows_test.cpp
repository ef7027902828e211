// The streaming serial panel and the Sable temperature and serial instrument windows,
// each driven once as a user would, with the instrument on a scripted port.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "common/window_steps.h"
#include "devices/sable_temp_windows.h"
#include "devices/scripted_port.h"
#include "devices/state.h"
#include "devices/stream_reader.h"
#include "kit/state.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/serial_instrument_windows.h"
#include "setup/state.h"
#include "setup/stream_panel.h"
#include "setup_fixture.h"

namespace mv {
namespace {

class StreamWindowsTest : public test::SetupTest, public test::WindowSteps {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    setenv("MV_CONFIG_DIR", test::MakeTempDir("stream-db").c_str(), 1);
    auto p = std::make_unique<ScriptedSerialPort>();
    port = p.get();
    InstallSerialPort(std::move(p));
    ResetStreamReader();
    rt::SeedRandom(7);
  }
  void TearDown() override {
    CloseSerialPort();
    SetupTest::TearDown();
  }
  ScriptedSerialPort* port = nullptr;
};

TEST(StreamPanelRules, PlotLimitsAndValueTexts) {
  EXPECT_FLOAT_EQ(StreamPlotLimit(10.0f), 13.0f);  // 12 + 1
  EXPECT_FLOAT_EQ(StreamPlotLimit(-5.0f), -5.0f);  // -6 + 1
  EXPECT_FLOAT_EQ(StreamPlotLimit(0.5f), 0.6f);
  EXPECT_FLOAT_EQ(StreamPlotLimit(0.1234f), 0.15f);  // 0.14808 to hundredths
  EXPECT_EQ(StreamValueText(-99999.0f).str(), "--");
  std::string labels[17];
  for (auto& l : labels) l = "< enter label  > ";
  EXPECT_EQ(StreamRowsShown(false, labels), 16);
  EXPECT_EQ(StreamRowsShown(true, labels), 7);
  labels[10] = "flow";
  EXPECT_EQ(StreamRowsShown(true, labels), 10);
}

TEST_F(StreamWindowsTest, DemoPanelMakesAChannelAndRemembersTheInstrument) {
  DemonstrationMODE = 1;
  External_AD = ExternalADCode::SerialStream;
  port->DeliverNow("!!!:Probe:1\r");
  const int16_t W = kStreamPanelWindow;
  MaxSamples = 0;
  Drive({Until(W), [] { return TextOf(kStreamPanelWindow, 101) == " 5"; },
         Do([] { EXPECT_FALSE(rt::EditFieldExists(108)); }),  // unlabelled rows 8..16 removed
         Click(W, 3), [] { return TextOf(kStreamPanelWindow, 143) == " 1"; }, Type(W, 123, "O2 percent"),
         Shot(W, "w12-streaming-panel.png"), Click(W, 62), Until(kInstrumentNameWindow),
         Type(kInstrumentNameWindow, 1, "Oxygen probe"),
         Shot(kInstrumentNameWindow, "w999-instrument-name.png"), Click(kInstrumentNameWindow, 2),
         Gone(kInstrumentNameWindow), Click(W, 20)});
  StreamingSerialChannels();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(W));
  EXPECT_EQ(nChannels, 1);
  EXPECT_FLOAT_EQ(serialArray[3][2], 1.0f);
  EXPECT_FLOAT_EQ(ChannelVariables[1][ChanField::Input], 3.0f);
  EXPECT_FLOAT_EQ(ChannelVariables[1][ChanField::B], 1.0f);
  EXPECT_FLOAT_EQ(ChannelVariables[0][1], 1.0f);
  EXPECT_EQ(ChannelLabelField(1).str(), "O2 percent" + std::string(20, ' '));
  EXPECT_EQ(RecordingMODE, 1);
  EXPECT_EQ(MaxSamples, PrefsArray[PrefsSlot::WindowWidth]);

  // Variables 1..12 were valid: count 11 and the labels of variables 3..13.
  std::ifstream in(InstrumentDatabasePath(), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "\rProbe,  11, Oxygen probe, O2 percent,,,,,,,,,,\r");

  // The next time the panel opens for this instrument it shows the name and label.
  port->DeliverNow("!!!:Probe:1\r");
  Drive({Until(W), Do([] { EXPECT_EQ(TextOf(kStreamPanelWindow, 123), "O2 percent"); }),
         Do([] { EXPECT_EQ(TextOf(kStreamPanelWindow, 143), " 1"); }),
         Shot(W, "w12-streaming-panel-known.png"), Click(W, 20)});
  StreamingSerialChannels();
  EXPECT_TRUE(ScriptDone());
}

TEST_F(StreamWindowsTest, UnnamedStreamShowsAllRowsAndBadFieldsAsDashes) {
  External_AD = ExternalADCode::SerialStream;
  const int16_t W = kStreamPanelWindow;
  ScriptedSerialPort* p = port;
  Drive({Until(W), Do([] { EXPECT_TRUE(rt::EditFieldExists(116)); }),
         Do([p] { p->DeliverNow("1.5,abc,7\r"); }), [] { return TextOf(kStreamPanelWindow, 101) == " 1.5"; },
         Do([] { EXPECT_EQ(TextOf(kStreamPanelWindow, 102), "--"); }), Click(W, 1),
         [] { return rt::ControlState(20) == 1; }, Click(W, 20)});
  StreamingSerialChannels();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(nChannels, 1);
  EXPECT_FLOAT_EQ(ChannelVariables[1][ChanField::PlotMax], 3.0f);  // 1.8 + 1, rounded
}

TEST_F(StreamWindowsTest, AbsentAndNearZeroVariablesGetAPlotRangeWithAHeight) {
  External_AD = ExternalADCode::SerialStream;
  const int16_t W = kStreamPanelWindow;
  ScriptedSerialPort* p = port;
  // Variable 1 is 0, 2 absent ("--"), 3 a small negative and 4 a small positive value.
  Drive({Until(W), Do([p] { p->DeliverNow("0,abc,-0.003,0.002\r"); }),
         [] { return TextOf(kStreamPanelWindow, 102) == "--"; }, Click(W, 1), Click(W, 2), Click(W, 3),
         Click(W, 4), [] { return rt::ControlState(20) == 1; }, Click(W, 20)});
  StreamingSerialChannels();
  EXPECT_TRUE(ScriptDone());
  ASSERT_EQ(nChannels, 4);
  const float want[5][2] = {{}, {0, 1}, {0, 1}, {-1, 0}, {0, 1}};
  for (int k = 1; k <= 4; ++k) {
    EXPECT_FLOAT_EQ(ChannelVariables[k][ChanField::PlotMin], want[k][0]) << k;
    EXPECT_FLOAT_EQ(ChannelVariables[k][ChanField::PlotMax], want[k][1]) << k;
  }
}

TEST_F(StreamWindowsTest, TemperatureModesOfAUI3) {
  External_AD = ExternalADCode::SableUI3;
  TInputMode[3] = 0;
  const int16_t W = kSableTempWindow;
  Drive({Until(W), Do([] { EXPECT_EQ(rt::ControlState(3), 2); }), Click(W, 23),
         Do([] { EXPECT_EQ(rt::ControlState(3), 1); }), Shot(W, "w8-temperature-channels.png"),
         Click(W, 40)});
  SABLETEMPCHANNELS();
  EXPECT_EQ(TInputMode[3], 2);
  EXPECT_EQ(SableTempTitle(2).str(), "UI3Temperature Channels");

  ChannelVariables[2][ChanField::Input] = 11;
  Drive({Until(kTempChannelWindow), Do([] { EXPECT_EQ(rt::ControlState(3), 2); }),
         Click(kTempChannelWindow, 2), Shot(kTempChannelWindow, "w12-temperature-input.png"),
         Click(kTempChannelWindow, 10)});
  CheckUI2TempChannel(2);
  EXPECT_EQ(TInputMode[3], 1);
  EXPECT_EQ(TInputMode[2], 0);
}

TEST(SerialInstrumentRules, EntriesShowWhatTheReaderRecords) {
  // The line as read, its first byte already taken off.
  auto v = InstrumentValueTexts("N123,1.5,2.75:10,x");
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[0].str(), " 1.5");
  EXPECT_EQ(v[2].str(), " 10");
  EXPECT_EQ(v[3].str(), "--");
  v = InstrumentValueTexts("A,1,22");
  ASSERT_EQ(v.size(), 2u);
  EXPECT_EQ(v[1].str(), " 22");
  EXPECT_EQ(LabelFromEntryTitle(InstrumentEntryTitle(3)).str(),
            "value 3 of instrument" + std::string(9, ' '));
}

TEST_F(StreamWindowsTest, SerialInstrumentChannelPicksItsValueRangeAndLabel) {
  External_AD = ExternalADCode::SableUI2;
  nChannels = 2;
  ChannelVariables[1][ChanField::Input] = 15;
  ChannelVariables[2][ChanField::Input] = 2;
  port->ReplyNext("SN123,1.5,2.75:10,22\r", 2);
  const int16_t W = kSerialOptionsWindow, S = kSelectSerialWindow;
  Drive({Until(W), Shot(W, "w44-serial-instrument-options.png"), Click(W, 1),
         Do([] { EXPECT_FLOAT_EQ(ChannelVariables[1][ChanField::Input], 1.0f); }), Click(W, 2), Until(S),
         [] {  // the entries are built once the instrument answered
           rt::SetOutputWindow(kSelectSerialWindow);
           return rt::ControlExists(40);
         },
         Do([] { EXPECT_EQ(TextOf(kSelectSerialWindow, 54), " 22"); }), Click(S, 4), Type(S, 20, "30"),
         Type(S, 21, "-2"), Shot(S, "w11-select-serial-input.png"), Click(S, 40), Gone(S), Click(W, 40)});
  SerialInstrumentInput();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FLOAT_EQ(ChannelVariables[2][ChanField::Input], 15.0f);
  EXPECT_EQ(ADsensorType[2], 4);
  EXPECT_FLOAT_EQ(ChannelVariables[2][ChanField::PlotMax], 30.0f);
  EXPECT_FLOAT_EQ(ChannelVariables[2][ChanField::PlotMin], -2.0f);
  EXPECT_EQ(ChannelLabelField(2).str(), "value 4 of instrument" + std::string(9, ' '));
  EXPECT_EQ(port->Written(), "i\r");
}

TEST_F(StreamWindowsTest, SerialInputScaleNeverGivesAStripNoHeight) {
  External_AD = ExternalADCode::SableUI2;
  nChannels = 1;
  ChannelVariables[1][ChanField::Input] = 15;
  ChannelVariables[1][ChanField::PlotMax] = 40;
  ChannelVariables[1][ChanField::PlotMin] = -5;
  const int16_t S = kSelectSerialWindow;
  const auto pick = [&](const std::string& upper, const std::string& lower) {
    port->ReplyNext("SN1,1.5,2\r", 2);
    std::vector<Step> steps{Until(S), [] {
                              rt::SetOutputWindow(kSelectSerialWindow);
                              return rt::ControlExists(40);
                            }};
    if (!upper.empty()) steps.push_back(Type(S, 20, upper));
    if (!lower.empty()) steps.push_back(Type(S, 21, lower));
    steps.push_back(Click(S, 40));
    Drive(steps);
    InspectSerialInput(1);
    EXPECT_TRUE(ScriptDone());
    return std::pair{ChannelVariables[1][ChanField::PlotMin], ChannelVariables[1][ChanField::PlotMax]};
  };
  EXPECT_EQ(pick("", ""), (std::pair{-5.0f, 40.0f}));  // empty fields keep the channel's scale
  EXPECT_EQ(pick("0", "0"), (std::pair{0.0f, 1.0f}));
  EXPECT_EQ(pick("2", "7"), (std::pair{2.0f, 7.0f}));  // the wrong way round
}

}  // namespace
}  // namespace mv
