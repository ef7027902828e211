// The full menu handler on the menu model: every toggle and state rule, the
// commands that open other windows (as fakes), and the common ending.
#include <cmath>
#include <tuple>

#include "acquisition/state.h"
#include "control/state.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "files/state.h"
#include "menus_test_support.h"
#include "runtime/events.h"
#include "runtime/help.h"
#include "runtime/system.h"
#include "runtime/windows.h"
#include "setup/channel_table.h"
#include "setup/entry_points.h"
#include "setup/state.h"
#include "shell/kit/help.h"

namespace mv {
namespace {

using namespace MenuNumber;

class MenuCommandTest : public test::MenusTest {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    setup_hooks::ResetSetupHooks();
    MainMENU();
  }
  void TearDown() override {
    setup_hooks::ResetSetupHooks();
    MenusTest::TearDown();
  }
  void Choose(int16_t menu, int16_t item) {
    sounds.clear();
    DoMENU(menu, item);
  }
};

TEST_F(MenuCommandTest, FileFormatsSetTheSlotsMarksAndDataFileInfo) {
  Sound_Is_On = 1;
  Choose(File, 4);
  EXPECT_EQ(PrefsArray[16], 0);
  EXPECT_EQ(PrefsArray[17], 1);
  EXPECT_EQ(State(File, 4), 2);
  EXPECT_EQ(State(File, 3), 1);
  EXPECT_EQ(State(Edit, 13), 0) << "ASCII text has no file information";
  EXPECT_EQ(Played(), std::vector<std::string>{"MVsounds/downvip.mp3"});

  Choose(File, 5);
  EXPECT_EQ(PrefsArray[16], 1);
  EXPECT_EQ(PrefsArray[17], 0);
  EXPECT_EQ(State(File, 5), 2);
  EXPECT_EQ(State(File, 4), 1);
  EXPECT_EQ(State(Edit, 13), 1);
  EXPECT_EQ(Played(), std::vector<std::string>{"MVsounds/downvip.mp3"});

  Choose(File, 3);
  EXPECT_EQ(PrefsArray[16], 0);
  EXPECT_EQ(PrefsArray[17], 0);
  EXPECT_EQ(State(File, 3), 2);
  EXPECT_EQ(State(File, 5), 1);
  EXPECT_EQ(State(Edit, 13), 1);
  EXPECT_EQ(Played(), std::vector<std::string>{"MVsounds/upvip.mp3"});

  Sound_Is_On = 0;
  Choose(File, 4);
  EXPECT_TRUE(Played().empty()) << "confirmation cues only with sounds on";
}

TEST_F(MenuCommandTest, SoundSwitchesFlipAndOfferWeirdSoundsOnlyWithSounds) {
  Sound_Is_On = 1;
  PrefsArray[PrefsSlot::WeirdSounds] = 0;
  MainMENU();
  Choose(Edit, 10);
  EXPECT_EQ(Sound_Is_On, 0);
  EXPECT_EQ(State(Edit, 10), 1);
  EXPECT_EQ(State(Edit, 11), 0);
  EXPECT_TRUE(Played().empty()) << "the falling cue is silent once sounds are off";

  Choose(Edit, 10);
  EXPECT_EQ(Sound_Is_On, 1);
  EXPECT_EQ(State(Edit, 10), 2);
  EXPECT_EQ(State(Edit, 11), 1);
  EXPECT_EQ(Played(), std::vector<std::string>{"MVsounds/upvip.mp3"});

  Choose(Edit, 11);
  EXPECT_EQ(PrefsArray[PrefsSlot::WeirdSounds], 1);
  EXPECT_EQ(State(Edit, 11), 2);
  EXPECT_EQ(Played(), (std::vector<std::string>{"MVsounds/rip.mp3", "MVsounds/scream.mp3"}));
  Choose(Edit, 11);
  EXPECT_EQ(PrefsArray[PrefsSlot::WeirdSounds], 0);
  EXPECT_EQ(State(Edit, 11), 1);
  EXPECT_TRUE(Played().empty());

  PrefsArray[PrefsSlot::WeirdSounds] = 1;
  Choose(Edit, 10);
  Choose(Edit, 10);
  EXPECT_EQ(State(Edit, 11), 2) << "turned on again, weird sounds show their slot";
}

TEST_F(MenuCommandTest, CustomConversionsAndRearrangeLeaveTheirCodes) {
  commands::CUSTOMCON = Note("CUSTOMCON");
  Choose(Edit, 1);
  EXPECT_EQ(calls, std::vector<std::string>{"CUSTOMCON"});
  EXPECT_EQ(MENUID, 255);

  Action = 0;
  nChannels = 2;
  // The re-arrange window is cancelled by closing it as soon as it is up.
  rt::SetPumpHook([] {
    if (rt::WindowExists(6)) rt::CloseWindow(6);
  });
  Choose(Edit, 2);
  rt::SetPumpHook(nullptr);
  EXPECT_EQ(Action, 99) << "the calling window rebuilds its channel list";
  EXPECT_EQ(nChannels, 2);
}

TEST_F(MenuCommandTest, SampleRateInsideTheSetupWindowAsksTheWindow) {
  commands::GetSampleINTERVAL = [this](const Str255&) { calls.push_back("rate"); };
  DispSetupON = 1;
  for (auto [item, mode, code] : {std::tuple{16, 1, 1}, {17, 1, 1}, {16, 3, 1}, {17, 3, 8}}) {
    RecordingMODE = static_cast<int16_t>(mode);
    Action = 0;
    EventID = 0;
    Choose(Edit, static_cast<int16_t>(item));
    EXPECT_EQ(Action, 1) << item << " mode " << mode;
    EXPECT_EQ(EventID, code) << item << " mode " << mode;
  }
  EXPECT_TRUE(calls.empty());
}

TEST_F(MenuCommandTest, ChartRateCommandSetsAveraging) {
  nChannels = 3;
  MaxAvrg = 0;
  setup_hooks::MAXAVERAGE = [] { MaxAvrg = 7; };
  double chosen = 0.5;
  commands::GetSampleINTERVAL = [&](const Str255& title) {
    calls.push_back(title.str());
    SampleIntervalinSeconds = chosen;
  };
  PrefsArray[PrefsSlot::BeepEverySample] = 1;
  Choose(Edit, 16);
  EXPECT_EQ(calls, std::vector<std::string>{"Chart Channels"});
  EXPECT_EQ(MENUID, 0);
  EXPECT_EQ(item, 0);
  EXPECT_DOUBLE_EQ(ChartIntervalInSeconds, 0.5);
  EXPECT_FLOAT_EQ(ChartSampleInterval, 0.5f);
  for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(ChannelVariables[ch][ChanField::Averaged], 7) << ch;

  PrefsArray[PrefsSlot::AverageLastChannel] = 1;
  Choose(Edit, 16);
  EXPECT_EQ(ChannelVariables[2][ChanField::Averaged], 7);
  EXPECT_EQ(ChannelVariables[3][ChanField::Averaged], 0) << "the last channel averages continuously";

  PrefsArray[PrefsSlot::AverageLastChannel] = 0;
  PrefsArray[PrefsSlot::DT800FastScope] = 1;
  ChannelVariables[1][ChanField::Averaged] = 2;
  Choose(Edit, 16);
  EXPECT_EQ(ChannelVariables[1][ChanField::Averaged], 2) << "slot 40 keeps every channel's averaging";
}

TEST_F(MenuCommandTest, RateWindowThatChangesNothingKeepsTheIntervals) {
  ChartIntervalInSeconds = 2.0;
  ScopeIntervalInSeconds = 0.02;
  SampleIntervalinSeconds = 0;
  Choose(Edit, 16);
  EXPECT_DOUBLE_EQ(ChartIntervalInSeconds, 2.0);
  Choose(Edit, 17);
  EXPECT_DOUBLE_EQ(ScopeIntervalInSeconds, 0.02);
  EXPECT_FLOAT_EQ(scopeinterval, 0.02f);
}

TEST_F(MenuCommandTest, ViewSwitchesFlipTheirSlots) {
  Sound_Is_On = 1;
  struct Case {
    int16_t menu, item;
    int slot;
    bool sound;
  };
  for (Case c : {Case{View, 13, 6, true}, Case{View, 14, 5, true}, Case{View, 17, 10, false},
                 Case{TimeGrids, 2, 23, true}, Case{TimeGrids, 4, 27, true}, Case{ScaleGrid, 2, 26, false},
                 Case{ScaleGrid, 4, 24, true}}) {
    SCOPED_TRACE(testing::Message() << c.menu << "/" << c.item);
    PrefsArray[c.slot] = 0;
    Choose(c.menu, c.item);
    EXPECT_EQ(PrefsArray[c.slot], 1);
    EXPECT_TRUE(rt::MenuItemChecked(c.menu, c.item));
    EXPECT_EQ(Played(),
              c.sound ? std::vector<std::string>{"MVsounds/upvip.mp3"} : std::vector<std::string>{});
    Choose(c.menu, c.item);
    EXPECT_EQ(PrefsArray[c.slot], 0);
    EXPECT_FALSE(rt::MenuItemChecked(c.menu, c.item));
    EXPECT_EQ(Played(),
              c.sound ? std::vector<std::string>{"MVsounds/downvip.mp3"} : std::vector<std::string>{});
  }
}

TEST_F(MenuCommandTest, GridSwitchesOfferTheirDependentItemsOnlyWhileOn) {
  PrefsArray[PrefsSlot::TimeGrids] = 1;
  PrefsArray[PrefsSlot::DashedGrids] = 1;
  PrefsArray[PrefsSlot::ScaleGrid] = 1;
  PrefsArray[PrefsSlot::ManyGridLines] = 1;
  MainMENU();
  Choose(TimeGrids, 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::TimeGrids], 0);
  EXPECT_EQ(State(TimeGrids, 1), 1);
  EXPECT_EQ(State(TimeGrids, 2), 0);
  Choose(TimeGrids, 1);
  EXPECT_EQ(State(TimeGrids, 1), 2);
  EXPECT_EQ(State(TimeGrids, 2), 2) << "dashed grids come back checked from slot 23";

  Choose(ScaleGrid, 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::ScaleGrid], 0);
  EXPECT_EQ(State(ScaleGrid, 2), 0);
  Choose(ScaleGrid, 1);
  EXPECT_EQ(State(ScaleGrid, 1), 2);
  EXPECT_EQ(State(ScaleGrid, 2), 2);
}

TEST_F(MenuCommandTest, WindowSizeCommandsSetTheSizeScopeAndStrips) {
  nChannels = 2;
  PrefsArray[PrefsSlot::WindowHeight] = 0;
  SetChanParams(0, 0);  // 768 high, 354 pixels a strip
  ASSERT_EQ(PrefsArray[PrefsSlot::WindowHeight], 768);
  const float before = ChannelVariables[1][ChanField::StripHeight];
  ScopeMax = 500;
  Choose(WindowSize, 7);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 1250);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 753);
  EXPECT_EQ(ScopeMax, 1250);
  EXPECT_FLOAT_EQ(scopeXfactor, 1.0f);
  EXPECT_NEAR(ChannelVariables[1][ChanField::StripHeight], before * (753 - 60) / (768 - 60), 1.0)
      << "the strips keep their share of the new height";

  Choose(WindowSize, 3);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowWidth], 640);
  EXPECT_EQ(PrefsArray[PrefsSlot::WindowHeight], 480);
  EXPECT_EQ(ScopeMax, 1250);
  EXPECT_FLOAT_EQ(scopeXfactor, 640.0f / 1250.0f);

  commands::ChartWindowSize = Note("ChartWindowSize");
  Choose(WindowSize, 1);
  EXPECT_EQ(calls, std::vector<std::string>{"ChartWindowSize"});
}

TEST_F(MenuCommandTest, SignificantDigitsCheckTheChosenItemOnly) {
  for (int16_t i = 1; i <= 3; ++i) {
    Choose(Digits, i);
    EXPECT_EQ(SignificantFigures, i + 3);
    for (int16_t k = 1; k <= 3; ++k) EXPECT_EQ(rt::MenuItemChecked(Digits, k), k == i);
  }
}

TEST_F(MenuCommandTest, TestModeSwitchesToTheDemonstration) {
  External_AD = ExternalADCode::DT800;
  MainMENU();
  rt::EnableMenuItem(AD, 16, false);
  rt::EnableMenuItem(DA, 0, false);
  Sound_Is_On = 1;
  Choose(AD, 9);
  EXPECT_EQ(External_AD, 0);
  EXPECT_EQ(DemonstrationMODE, 1);
  EXPECT_EQ(State(AD, 9), 2);
  EXPECT_TRUE(rt::MenuItemEnabled(AD, 16));
  EXPECT_TRUE(rt::MenuItemEnabled(DA, 0));
  for (int16_t i = 1; i <= 5; ++i) EXPECT_TRUE(rt::MenuItemEnabled(ExternalADDevice, i)) << i;
  EXPECT_EQ(Played(), std::vector<std::string>{"MVsounds/switch.mp3"});
}

TEST_F(MenuCommandTest, BeepAtSampleTurnsItselfOffBelowTwoTenths) {
  SetMenuItemState(AD, 15, 1);
  ChartIntervalInSeconds = 0.5;
  Choose(AD, 15);
  EXPECT_EQ(PrefsArray[PrefsSlot::BeepEverySample], 1);
  EXPECT_EQ(State(AD, 15), 2);
  EXPECT_EQ(Played(), std::vector<std::string>{"MVsounds/Sample.mp3"});
  Choose(AD, 15);
  EXPECT_EQ(PrefsArray[PrefsSlot::BeepEverySample], 0);
  EXPECT_EQ(State(AD, 15), 1);
  EXPECT_TRUE(Played().empty());

  ChartIntervalInSeconds = 0.15;
  Choose(AD, 15);
  EXPECT_EQ(PrefsArray[PrefsSlot::BeepEverySample], 0);
  EXPECT_EQ(State(AD, 15), 0);
}

TEST_F(MenuCommandTest, AutorepeatFlipsTheSlotOfTheMode) {
  RecordingMODE = RecordingModeCode::Chart;
  Choose(AD, 19);
  EXPECT_EQ(PrefsArray[PrefsSlot::Autorepeat], 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::Automarkers], 0);
  EXPECT_TRUE(rt::MenuItemChecked(AD, 19));
  RecordingMODE = RecordingModeCode::ScopeChart;
  Choose(AD, 19);
  EXPECT_EQ(PrefsArray[PrefsSlot::Autorepeat], 1);
  EXPECT_EQ(PrefsArray[PrefsSlot::Automarkers], 1);
  Choose(AD, 19);
  EXPECT_EQ(PrefsArray[PrefsSlot::Automarkers], 0);
  EXPECT_FALSE(rt::MenuItemChecked(AD, 19));
}

TEST_F(MenuCommandTest, AddAChannelLeavesTheWorkToTheWindow) {
  nChannels = 2;
  Choose(AD, 21);
  EXPECT_EQ(Action, 99);
  EXPECT_EQ(MENUID, 4);
  EXPECT_EQ(item, 21);
  EXPECT_EQ(nChannels, 2);
}

TEST_F(MenuCommandTest, SampleAveragingChoices) {
  nChannels = 3;
  Sound_Is_On = 1;
  setup_hooks::MAXAVERAGE = [] { MaxAvrg = 12; };
  ChannelVariables[3][ChanField::Averaged] = 5;
  Choose(SampleAveraging, 2);
  EXPECT_EQ(PrefsArray[PrefsSlot::AverageAllChannels], 0);
  EXPECT_EQ(ChannelVariables[3][ChanField::Averaged], 0);
  EXPECT_EQ(Played(), std::vector<std::string>{"MVsounds/switch.mp3"});
  Choose(SampleAveraging, 1);
  EXPECT_EQ(ChannelVariables[3][ChanField::Averaged], 12);
  Choose(SampleAveraging, 3);
  EXPECT_EQ(PrefsArray[PrefsSlot::AverageAllChannels], 1);
  for (int16_t i = 1; i <= 3; ++i) EXPECT_EQ(rt::MenuItemChecked(SampleAveraging, i), i == 3);
}

TEST_F(MenuCommandTest, ConversionEquationsStoreTheWindowsCoefficients) {
  nChannels = 2;
  External_AD = ExternalADCode::SableUI2;
  commands::CheckUI2TempChannel = NoteWith("temperature input");
  commands::InspectSerialInput = NoteWith("serial input");
  setup_hooks::ConversionsWindow = [this](int16_t ch) {
    calls.push_back("CONVERT " + std::to_string(ch));
    aval = 1.5f;
    bval = 2.5f;
    exponent = 3.5f;
    return true;
  };
  ChannelVariables[2][ChanField::Input] = 10;
  Choose(ConversionEquations, 2);
  EXPECT_EQ(calls, (std::vector<std::string>{"temperature input 2", "CONVERT 2"}));
  EXPECT_EQ(ChannelVariables[2][ChanField::A], 1.5f);
  EXPECT_EQ(ChannelVariables[2][ChanField::B], 2.5f);
  EXPECT_EQ(ChannelVariables[2][ChanField::C], 3.5f);
  EXPECT_EQ(Action, 5);

  calls.clear();
  ChannelVariables[1][ChanField::Input] = 15;
  Choose(ConversionEquations, 1);
  EXPECT_EQ(calls, (std::vector<std::string>{"serial input 1", "CONVERT 1"}));

  calls.clear();
  Action = 0;
  Choose(ConversionEquations, 3);
  EXPECT_TRUE(calls.empty()) << "no channel 3";
  EXPECT_EQ(Action, 0);
}

TEST_F(MenuCommandTest, ConversionEquationsKeepCoefficientsWhenTheWindowChangesNothing) {
  nChannels = 2;
  ChannelVariables[1][ChanField::A] = 19;
  ChannelVariables[1][ChanField::B] = 0.5f;
  ChannelVariables[1][ChanField::C] = 0;
  aval = 7;  // left over from another channel
  bval = 8;
  exponent = 9;
  Choose(ConversionEquations, 1);
  EXPECT_EQ(ChannelVariables[1][ChanField::A], 19);
  EXPECT_EQ(ChannelVariables[1][ChanField::B], 0.5f);
  EXPECT_EQ(ChannelVariables[1][ChanField::C], 0);
}

TEST_F(MenuCommandTest, ConversionOptionsAboveTheChannelCountOnlyRedraws) {
  nChannels = 1;
  commands::ConversionOptions = NoteWith("options");
  Choose(ConversionOptions, 1);
  Choose(ConversionOptions, 2);
  EXPECT_EQ(calls, std::vector<std::string>{"options 1"});
  EXPECT_EQ(Action, 5);
}

TEST_F(MenuCommandTest, SerialInstrumentsKeepTheInterfaceInUse) {
  External_AD = ExternalADCode::SableUI3;
  DemonstrationMODE = 0;
  MainMENU();
  rt::EnableMenuItem(DA, 0, false);
  OldScopeOn = 3;
  RecordingMODE = 1;
  commands::SerialInstrumentInput = Note("serial instruments");
  Choose(AD, 4);
  EXPECT_EQ(calls, std::vector<std::string>{"serial instruments"});
  EXPECT_EQ(External_AD, ExternalADCode::SableUI3);
  EXPECT_EQ(DemonstrationMODE, 0);
  EXPECT_EQ(RecordingMODE, 3);
  EXPECT_TRUE(rt::MenuItemChecked(AD, 4));
  EXPECT_TRUE(rt::MenuItemEnabled(DA, 0));

  OldScopeOn = 0;  // nothing saved: the mode stays
  Choose(AD, 4);
  EXPECT_EQ(RecordingMODE, 3);
}

TEST_F(MenuCommandTest, ExternalDeviceItemsByInterfaceAllEndHandled) {
  struct Case {
    int16_t code, item;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {{3, 1, {"DATATAKERSTATUS"}},
                                   {5, 1, {"DATATAKERSTATUS"}},
                                   {8, 1, {"ADAMseriesSTATUS"}},
                                   {2, 1, {"SABLETEMPCHANNELS", "CONVERT 0"}},
                                   {1, 1, {"SABLETEMPCHANNELS", "CONVERT 0"}},
                                   {5, 2, {"DT800COMMUNICATIONS"}},
                                   {1, 2, {"GetFirmware 0"}},
                                   {8, 3, {"GetFirmware 0"}},
                                   {3, 3, {"ResetDataTaker"}},
                                   {6, 4, {"GetFirmware 0"}},
                                   {5, 5, {"FlushDT800Buffer 0"}},
                                   {8, 5, {"SetADAMaddress"}}};
  setup_hooks::DATATAKERSTATUS = Note("DATATAKERSTATUS");
  commands::ADAMseriesSTATUS = Note("ADAMseriesSTATUS");
  commands::SABLETEMPCHANNELS = Note("SABLETEMPCHANNELS");
  setup_hooks::ConversionsWindow = [this](int16_t ch) {
    calls.push_back("CONVERT " + std::to_string(ch));
    return false;
  };
  commands::DT800COMMUNICATIONS = Note("DT800COMMUNICATIONS");
  services::GetFirmware = NoteWith("GetFirmware");
  commands::ResetDataTaker = Note("ResetDataTaker");
  commands::FlushDT800Buffer = NoteWith("FlushDT800Buffer");
  commands::SetADAMaddress = Note("SetADAMaddress");
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "interface " << c.code << " item " << c.item);
    External_AD = c.code;
    calls.clear();
    MENUID = 0;
    Choose(ExternalADDevice, c.item);
    EXPECT_EQ(calls, c.expected);
    EXPECT_EQ(MENUID, 255);
  }
}

TEST_F(MenuCommandTest, CommandsOfOtherWindowsReachTheirEntryPoints) {
  struct Case {
    int16_t menu, item;
    std::string name;
    int16_t action;  // -1: not set by the command
  };
  commands::SAVEFILES = Note("SAVEFILES");
  commands::SetTimedSAVE = Note("SetTimedSAVE");
  commands::BACKUPFILENAME = Note("BACKUPFILENAME");
  commands::MAKESETUP = Note("MAKESETUP");
  commands::PRINTSETUP = Note("PRINTSETUP");
  commands::GETFILECOMMENTS = [this] {
    calls.push_back("GETFILECOMMENTS " + std::to_string(ScopeFileComments));
  };
  commands::SampleRatePRECISION = Note("SampleRatePRECISION");
  setup_hooks::ExternalDeviceControl = Note("ExternalDeviceControl");
  commands::SetPREFERENCES = Note("SetPREFERENCES");
  commands::SETCOLORS = Note("SETCOLORS");
  commands::ChangeCHARTHITE = Note("ChangeCHARTHITE");
  commands::SETCHARTVIEW = [this] {
    calls.push_back("SETCHARTVIEW");
    Action = 5;
  };
  commands::SETSCOPEVIEW = [this] {
    calls.push_back("SETSCOPEVIEW");
    Action = 5;
  };
  commands::STATUS_DISPLAYS = Note("STATUS_DISPLAYS");
  commands::SETSLOPETREND = Note("SETSLOPETREND");
  commands::SetSpikeFilter = Note("SetSpikeFilter");
  commands::AudibleTIMER = Note("AudibleTIMER");
  commands::SETALARMS = Note("SETALARMS");
  commands::TRIGGER = Note("TRIGGER");
  commands::XYPlotSetup = Note("XYPlotSetup");
  commands::EXTRAZERO = Note("EXTRAZERO");
  commands::AnalogOutputScript = NoteWith("AnalogOutputScript");
  commands::AnalogFEEDBACK = Note("AnalogFEEDBACK");
  commands::GETAOscript = Note("GETAOscript");
  commands::SAVEAOscript = Note("SAVEAOscript");
  ScopeFileComments = 1;
  const std::vector<Case> cases = {{File, 1, "SAVEFILES", -1},
                                   {File, 7, "SetTimedSAVE", -1},
                                   {File, 8, "BACKUPFILENAME", -1},
                                   {File, 10, "MAKESETUP", -1},
                                   {File, 11, "PRINTSETUP", -1},
                                   {Edit, 13, "GETFILECOMMENTS 0", -1},
                                   {Edit, 14, "SampleRatePRECISION", -1},
                                   {Edit, 19, "ExternalDeviceControl", 5},
                                   {Edit, 21, "SetPREFERENCES", 5},
                                   {View, 1, "SETCOLORS", -1},
                                   {View, 8, "ChangeCHARTHITE", -1},
                                   {View, 9, "SETCHARTVIEW", 0},
                                   {View, 10, "SETSCOPEVIEW", 0},
                                   {View, 12, "STATUS_DISPLAYS", -1},
                                   {View, 15, "SETSLOPETREND", -1},
                                   {AD, 12, "SetSpikeFilter", 5},
                                   {AD, 14, "AudibleTIMER", 5},
                                   {AD, 16, "SETALARMS", 5},
                                   {AD, 18, "TRIGGER", 5},
                                   {AD, 23, "XYPlotSetup", 5},
                                   {AD, 25, "EXTRAZERO", 5},
                                   {DA, 1, "AnalogOutputScript 1", -1},
                                   {DA, 2, "AnalogFEEDBACK", -1},
                                   {DA, 4, "AnalogOutputScript 2", -1},
                                   {DA, 5, "AnalogFEEDBACK", -1},
                                   {DA, 7, "GETAOscript", -1},
                                   {DA, 8, "SAVEAOscript", -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    calls.clear();
    Action = 77;
    Choose(c.menu, c.item);
    EXPECT_EQ(calls, std::vector<std::string>{c.name});
    if (c.action >= 0) {
      EXPECT_EQ(Action, c.action);
    }
  }
}

TEST_F(MenuCommandTest, SpecialItemsOpenTheirCalculators) {
  const std::vector<std::pair<int16_t, std::string>> cases = {{1, "SIMPLECALC"},
                                                              {2, "SimpleRegression"},
                                                              {3, "ExpressionEvaluator"},
                                                              {5, "STPflowAdjust"},
                                                              {6, "ALTITUDE"},
                                                              {7, "AltitudeSimulation"},
                                                              {8, "PO2CALC"},
                                                              {9, "DissolvedO2CALC"},
                                                              {11, "METABOLISM 0"},
                                                              {12, "METABOLISM 1"},
                                                              {13, "ChamberWashout"},
                                                              {14, "Q10adjust"},
                                                              {15, "ClosedSystemRespirometry"},
                                                              {17, "DayOfTheYear"},
                                                              {18, "Sunrise"},
                                                              {19, "UnitCONVERT"}};
  commands::SIMPLECALC = Note("SIMPLECALC");
  commands::SimpleRegression = Note("SimpleRegression");
  commands::ExpressionEvaluator = Note("ExpressionEvaluator");
  commands::STPflowAdjust = Note("STPflowAdjust");
  commands::ALTITUDE = Note("ALTITUDE");
  commands::AltitudeSimulation = Note("AltitudeSimulation");
  commands::PO2CALC = Note("PO2CALC");
  commands::DissolvedO2CALC = Note("DissolvedO2CALC");
  commands::METABOLISM = NoteWith("METABOLISM");
  commands::ChamberWashout = Note("ChamberWashout");
  commands::Q10adjust = Note("Q10adjust");
  commands::ClosedSystemRespirometry = Note("ClosedSystemRespirometry");
  commands::DayOfTheYear = Note("DayOfTheYear");
  commands::Sunrise = Note("Sunrise");
  commands::UnitCONVERT = [this] {
    calls.push_back("UnitCONVERT");
    rt::OpenWindow(18, "help", Rect{10, 10, 100, 100}, 5);
  };
  for (auto& [i, name] : cases) {
    calls.clear();
    Choose(Special, i);
    EXPECT_EQ(calls, std::vector<std::string>{name}) << "item " << i;
  }
  EXPECT_FALSE(rt::WindowExists(18)) << "window 18 closes after the unit conversions";
}

TEST_F(MenuCommandTest, EveryCommandEndsTheSameWay) {
  rt::EnableMenuItem(AD, 3, true);
  extswitchflag = 0;
  rt::OpenWindow(33, "About", Rect{10, 10, 200, 200}, 6);
  Choose(View, 14);
  EXPECT_FALSE(rt::WindowExists(33)) << "the About window closes before a command";
  EXPECT_FALSE(rt::MenuItemEnabled(AD, 3));
  EXPECT_EQ(extswitchflag, 1);
  EXPECT_EQ(MENUID, View);
  EXPECT_EQ(item, 14);
}

TEST_F(MenuCommandTest, HelpItemsOpenTheBookAndTheAddresses) {
  std::vector<std::string> urls;
  rt::SetURLOpener([&](const std::string& url) { urls.push_back(url); });
  Choose(Help, 3);
  Choose(Help, 4);
  EXPECT_EQ(urls, (std::vector<std::string>{OutsideAddress(1), OutsideAddress(2)}));
  rt::SetURLOpener(nullptr);
  Choose(Help, 1);
  EXPECT_NE(rt::HelpPageShown().find("Mirevant help book.html"), std::string::npos);
  rt::CloseHelpWindow();
  Choose(View, 18);
  EXPECT_NE(rt::HelpPageShown().find("Mirevant help book.html"), std::string::npos);
  rt::CloseHelpWindow();
}

}  // namespace
}  // namespace mv
