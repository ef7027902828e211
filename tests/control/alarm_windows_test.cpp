// The alarm limits window, the trigger window and the alarm log, driven from the
// event pump as a user would, and the rules they apply.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "common/test_support.h"
#include "common/window_steps.h"
#include "control/alarm_log.h"
#include "control/alarm_window.h"
#include "control/state.h"
#include "control/trigger_window.h"
#include "conversions/evaluate.h"
#include "conversions/state.h"
#include "devices/state.h"
#include "kit/state.h"
#include "runtime/sound.h"
#include "runtime/windows.h"
#include "setup/state.h"

namespace mv::test {
namespace {

namespace AF = AlarmField;

class AlarmWindows : public ProgramTest, public WindowSteps {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setenv("MV_RESOURCES_DIR", SourcePath("resources").c_str(), 1);
    rt::SetSoundSink([this](const std::string& path) { sounds.push_back(SoundFileName(path)); });
    RecordingMODE = RecordingModeCode::Chart;
    MaximumChans = 16;
    nChannels = 3;
    datalabel = "O2 analyser                   CO2 analyser                  flow                          ";
  }
  void TearDown() override {
    rt::SetPumpHook(nullptr);
    for (int16_t w : {kAlarmWindow, kTriggerWindow})
      if (rt::WindowExists(w)) rt::CloseWindow(w);
    unsetenv("MV_RESOURCES_DIR");
    ProgramTest::TearDown();
  }
  int Count(const std::string& name) const {
    int n = 0;
    for (const auto& s : sounds) n += s == name ? 1 : 0;
    return n;
  }
  static Step Expect(std::function<void()> f) { return Do(std::move(f)); }

  std::vector<std::string> sounds;
};

// ---- rules -------------------------------------------------------------------------------

TEST(AlarmRules, FlagsCountByTheirIntegerPartAndToggleToOneUnlessOne) {
  EXPECT_EQ(ToggledAlarmFlag(1.0f), 0.0f);
  EXPECT_EQ(ToggledAlarmFlag(0.0f), 1.0f);
  EXPECT_EQ(ToggledAlarmFlag(2.0f), 1.0f);
  EXPECT_EQ(ToggledAlarmFlag(0.5f), 1.0f);
  AlarmConditionsRecord r{};
  r[AF::AnyOn] = 1.0f;
  r[AF::UpperOn] = 0.5f;  // a set-up file may bring such a value: it counts as off
  SettleAnyAlarm(r);
  EXPECT_EQ(r[AF::AnyOn], 0.0f);
  r[AF::OverRangeOn] = -2.0f;
  SettleAnyAlarm(r);
  EXPECT_EQ(r[AF::AnyOn], 1.0f);
}

TEST(AlarmRules, ClearingCountsTouchesEveryRowAndOnlyTheCounters) {
  for (int ch = 0; ch <= 16; ++ch)
    for (int f = 0; f < kAlarmFields; ++f) alarmsArray[ch][f] = static_cast<float>(f + 1);
  nChannels = 2;
  CLEARALARMS();
  for (int ch = 1; ch <= 16; ++ch)
    for (int f = 0; f < kAlarmFields; ++f)
      EXPECT_EQ(alarmsArray[ch][f], f >= 6 && f <= 11 ? 0.0f : static_cast<float>(f + 1)) << ch << "/" << f;
  ResetControlState();
}

TEST(TriggerRules, GainFollowsTheLevelsMagnitude) {
  EXPECT_EQ(TriggerGainForLevel(-0.3f), 10);
  EXPECT_EQ(TriggerGainForLevel(2.5f), 1);
  EXPECT_EQ(TriggerGainForLevel(2.4999f), 2);
  EXPECT_EQ(TriggerGainForLevel(1.0f), 2);
  EXPECT_EQ(TriggerGainForLevel(0.5f), 5);
  EXPECT_EQ(TriggerGainForLevel(0.1f), 20);
  EXPECT_EQ(TriggerGainForLevel(-0.05f), 50);
  EXPECT_EQ(TriggerGainForLevel(0.0499f), 100);
  EXPECT_EQ(TriggerGainForLevel(0.0f), 100);
}

TEST(TriggerRules, ExtraInputNumberStaysWithinTheSixteenInputs) {
  EXPECT_EQ(TriggerInputFromTyped(0.0), 1);
  EXPECT_EQ(TriggerInputFromTyped(-4.0), 1);
  EXPECT_EQ(TriggerInputFromTyped(std::numeric_limits<double>::quiet_NaN()), 1);
  EXPECT_EQ(TriggerInputFromTyped(7.9), 7);
  EXPECT_EQ(TriggerInputFromTyped(17.0), 16);
  EXPECT_EQ(TriggerInputFromTyped(1e30), 16);
  EXPECT_EQ(TriggerChannelShown(0, 4), 16);
  EXPECT_EQ(TriggerChannelShown(-3, 4), 16);
  EXPECT_EQ(TriggerChannelShown(9, 4), 16);
  EXPECT_EQ(TriggerChannelShown(4, 4), 4);
}

TEST(AlarmLogRules, OverRangeTextsAndCounts) {
  EXPECT_EQ(OverRangeRuleText(0).str(), "v< -5 or v > 5");
  EXPECT_EQ(OverRangeRuleText(9).str(), "v<-0.42 or v > 0.42");
  EXPECT_EQ(OverRangeRuleText(3).str(), "v<-3.5 or v > 3.5");
  EXPECT_EQ(OverRangeRuleText(4).str(), "v<-3.5 or v > 3.5");
  EXPECT_EQ(OverRangeRuleText(5).str(), "v<-10 or v > 10");
  EXPECT_EQ(OverRangeRuleText(7).str(), "v<-3 or v > 3");
  EXPECT_EQ(OverRangeRuleText(1).str(), "v<-5 or v > 5") << "the UI2 reads +-5 V";
  EXPECT_EQ(OverRangeRuleText(2).str(), "v<-5 or v > 5") << "the UI3 reads +-5.12 V";
  EXPECT_EQ(OverRangeRuleText(8).str(), "v beyond its range") << "each ADAM input's range as set";
  EXPECT_EQ(OverRangeRuleText(11).str(), "none: not volts") << "a stream's fields";
  EXPECT_EQ(AlarmCountText(0.0f).str(), "   none");
  EXPECT_EQ(AlarmCountText(12.0f).str(), " 12");
}

// ---- the alarm window --------------------------------------------------------------------

TEST_F(AlarmWindows, FlagsLimitsAndAudibleAlarmsAreSetAndFieldZeroSettledOnOK) {
  alarmsArray[3][AF::OverRangeOn] = 1.0f;
  alarmsArray[3][AF::AnyOn] = 1.0f;
  alarmsArray[3][AF::UpperLimit] = 7.0f;
  Drive({Until(kAlarmWindow), Expect([] {
           EXPECT_EQ(TextOf(kAlarmWindow, 1), " 1: O2 analyser                   ");
           EXPECT_EQ(TextOf(kAlarmWindow, 403), " 7");
           EXPECT_EQ(rt::ControlState(503), 2);
         }),
         Click(kAlarmWindow, 101), Type(kAlarmWindow, 201, "5.5 ml"), Click(kAlarmWindow, 302),
         Type(kAlarmWindow, 402, "abc"), Click(kAlarmWindow, 603), Click(kAlarmWindow, 993),
         Expect([] { EXPECT_EQ(rt::ControlState(503), 1); }), Shot(kAlarmWindow, "w5-alarms.png"),
         Click(kAlarmWindow, 991)});
  SETALARMS();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(kAlarmWindow));
  EXPECT_EQ(alarmsArray[1][AF::LowerOn], 1.0f);
  EXPECT_EQ(alarmsArray[1][AF::LowerLimit], 5.5f);
  EXPECT_EQ(alarmsArray[1][AF::AnyOn], 1.0f);
  EXPECT_EQ(alarmsArray[2][AF::UpperOn], 1.0f);
  EXPECT_EQ(alarmsArray[2][AF::UpperLimit], 0.0f);  // letters give 0
  EXPECT_EQ(alarmsArray[2][AF::AnyOn], 1.0f);
  EXPECT_EQ(alarmsArray[3][AF::OverRangeOn], 0.0f);  // its "Clear"
  EXPECT_EQ(alarmsArray[3][AF::AnyOn], 0.0f);
  EXPECT_EQ(alarmsArray[3][AF::UpperLimit], 7.0f);
  EXPECT_EQ(AudibleALARM, 1);
  EXPECT_EQ(Count("AlarmBUZZ.mp3"), 1);
}

// A streaming instrument's fields are not volts: no row offers the over-range alarm.
TEST_F(AlarmWindows, AStreamingInstrumentsRowsOfferNoOverRangeAlarm) {
  External_AD = ExternalADCode::SerialStream;
  Drive({Until(kAlarmWindow), Expect([] {
           rt::SetOutputWindow(kAlarmWindow);
           for (int16_t n = 1; n <= 3; ++n) EXPECT_FALSE(rt::ControlExists(static_cast<int16_t>(500 + n))) << n;
           EXPECT_TRUE(rt::ControlExists(101)) << "the limits stay";
         }),
         Shot(kAlarmWindow, "w5-alarms-stream.png"), Click(kAlarmWindow, 991)});
  SETALARMS();
  EXPECT_TRUE(ScriptDone());
}

// The log's over-range rule is the run's interface's, not one chosen after the run.
TEST_F(AlarmWindows, TheLogsOverRangeRuleIsTheRunsInterfaces) {
  External_AD = ExternalADCode::ADAM;
  ConversionsOfRun = CurrentConversions();
  External_AD = ExternalADCode::SerialStream;
  EXPECT_EQ(RunOverRangeRuleText().str(), "v beyond its range");
  ConversionsOfRun = {};
  EXPECT_EQ(RunOverRangeRuleText().str(), "none: not volts") << "no run in hand: the interface chosen";
}

TEST_F(AlarmWindows, ClearAllKeepsTheLimitsAndReturnEndsTheWindow) {
  AudibleALARM = 1;
  for (int ch = 1; ch <= 3; ++ch) {
    alarmsArray[ch] = AlarmConditionsRecord{1, 1, 1, 1, -2.0f * ch, 3.0f * ch};
  }
  Drive({Until(kAlarmWindow), Click(kAlarmWindow, 992), Expect([] { EXPECT_EQ(rt::ControlState(102), 1); }),
         Return(kAlarmWindow, 202)});
  SETALARMS();
  EXPECT_FALSE(rt::WindowExists(kAlarmWindow));
  for (int ch = 1; ch <= 3; ++ch) {
    EXPECT_EQ(alarmsArray[ch][AF::AnyOn], 0.0f);
    EXPECT_EQ(alarmsArray[ch][AF::LowerOn] + alarmsArray[ch][AF::UpperOn] + alarmsArray[ch][AF::OverRangeOn],
              0.0f);
    EXPECT_EQ(alarmsArray[ch][AF::LowerLimit], -2.0f * ch);
    EXPECT_EQ(alarmsArray[ch][AF::UpperLimit], 3.0f * ch);
  }
  EXPECT_EQ(Count("AlarmBUZZ.mp3"), 1);  // opened with audible alarms on
}

// Every one of sixteen chart channels has its row, and the limits typed in the last row
// are kept like any other.
TEST_F(AlarmWindows, SixteenChartChannelsEachHaveTheirRow) {
  nChannels = 16;
  for (int ch = 1; ch <= 16; ++ch) alarmsArray[ch] = AlarmConditionsRecord{};
  alarmsArray[4] = AlarmConditionsRecord{1, 1, 1, 0, 0.5f, 2.0f};
  alarmsArray[9][AF::AnyOn] = 1.0f;
  alarmsArray[9][AF::OverRangeOn] = 1.0f;
  Drive({Until(kAlarmWindow), Expect([] {
           rt::SetOutputWindow(kAlarmWindow);
           for (int16_t n = 1; n <= 16; ++n) {
             EXPECT_TRUE(rt::ControlExists(static_cast<int16_t>(100 + n))) << n;
             EXPECT_TRUE(rt::ControlExists(static_cast<int16_t>(600 + n))) << n;
           }
           EXPECT_EQ(rt::ControlState(104), 2);
           EXPECT_EQ(rt::ControlState(509), 2);
         }),
         Click(kAlarmWindow, 316), Type(kAlarmWindow, 416, "12.5"), Shot(kAlarmWindow, "w5-alarms-16.png"),
         Click(kAlarmWindow, 991)});
  SETALARMS();
  EXPECT_TRUE(ScriptDone());
  EXPECT_EQ(alarmsArray[16][AF::UpperOn], 1.0f);
  EXPECT_EQ(alarmsArray[16][AF::UpperLimit], 12.5f);
  EXPECT_EQ(alarmsArray[16][AF::AnyOn], 1.0f);
  EXPECT_EQ(alarmsArray[4][AF::LowerLimit], 0.5f);
}

TEST_F(AlarmWindows, OscilloscopeModeOpensNothingAndScopeChannelHasNoRow) {
  RecordingMODE = RecordingModeCode::Scope;
  SETALARMS();
  EXPECT_FALSE(rt::WindowExists(kAlarmWindow));

  RecordingMODE = RecordingModeCode::ScopeChart;
  nChannels = 16;
  alarmsArray[1][AF::AnyOn] = 1.0f;  // not shown, so not settled
  Drive(
      {Until(kAlarmWindow), Expect([] {
         EXPECT_FALSE(rt::ControlExists(101));
         EXPECT_TRUE(rt::ControlExists(116));
         EXPECT_EQ(rt::WindowContentRect(kAlarmWindow).bottom - rt::WindowContentRect(kAlarmWindow).top, 473);
       }),
       Click(kAlarmWindow, 516), Shot(kAlarmWindow, "w5-alarms-scope-chart-16.png"), CloseBox(kAlarmWindow)});
  SETALARMS();
  EXPECT_EQ(alarmsArray[1][AF::AnyOn], 1.0f);
  EXPECT_EQ(alarmsArray[16][AF::AnyOn], 1.0f);
}

// ---- the trigger window --------------------------------------------------------------------

TEST_F(AlarmWindows, ActivatingAndChoosingTheExtraInputStoresItsVoltsRecord) {
  Sound_Is_On = 1;
  nChannels = 4;
  TriggerChan = 2;
  ChannelVariables[16][ChanField::Input] = 5.0f;
  Drive({Until(kTriggerWindow), Expect([] {
           for (int16_t n = 1; n <= 4; ++n) EXPECT_EQ(rt::ControlState(n), 0) << n;
           EXPECT_EQ(TriggerChan, 0);
           EXPECT_EQ(TextOf(kTriggerWindow, 102), " 5");
         }),
         Click(kTriggerWindow, 21), Expect([] {
           EXPECT_EQ(rt::ControlState(1), 2);
           EXPECT_EQ(rt::ControlTitle(21).str(), "Deactivate");
         }),
         Click(kTriggerWindow, 17), Type(kTriggerWindow, 102, "0"), Click(kTriggerWindow, 19),
         Type(kTriggerWindow, 101, "-0.3"), Click(kTriggerWindow, 3), Click(kTriggerWindow, 17),
         Shot(kTriggerWindow, "w6-trigger.png"), Click(kTriggerWindow, 20)});
  TRIGGER();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(kTriggerWindow));
  EXPECT_EQ(TriggerON, 1);
  EXPECT_EQ(TriggerChan, kExtraTriggerInput);
  EXPECT_EQ(TriggerMode, 1);
  EXPECT_EQ(triggerval, -0.3f);
  EXPECT_EQ(TriggerGain, 10);
  const auto& extra = ChannelVariables[16];
  EXPECT_EQ(extra[ChanField::Input], 1.0f);
  EXPECT_EQ(extra[ChanField::A], 0.0f);
  EXPECT_EQ(extra[ChanField::B], 1.0f);
  EXPECT_EQ(extra[ChanField::C], 1.0f);
  EXPECT_EQ(Action, ActionCode::Redraw);
  EXPECT_EQ(Count("upvip.mp3"), 1);
}

TEST_F(AlarmWindows, AStoredChannelAboveTheCountShowsAsTheExtraInput) {
  nChannels = 4;
  TriggerON = 1;
  TriggerChan = 9;
  triggerval = 2.5f;
  Drive({Until(kTriggerWindow), Click(kTriggerWindow, 18), Expect([] {
           EXPECT_EQ(rt::ControlState(17), 2);
           EXPECT_EQ(rt::ControlState(4), 1);
           EXPECT_EQ(rt::ControlState(18), 2);
         }),
         Click(kTriggerWindow, 21), Expect([] { EXPECT_EQ(rt::ControlState(17), 0); }),
         Return(kTriggerWindow, 101)});
  TRIGGER();
  EXPECT_EQ(TriggerON, 0);
  EXPECT_EQ(TriggerChan, 0);
  EXPECT_EQ(TriggerGain, 1);
  EXPECT_EQ(ChannelVariables[16][ChanField::B], 0.0f) << "no extra input while triggering is off";
}

// With sixteen channels record 16 is channel 16's own: choosing the extra input there
// would overwrite that channel's input and conversion.
TEST_F(AlarmWindows, ExtraInputNeverOverwritesChannelSixteensConversion) {
  nChannels = 16;
  TriggerON = 1;
  TriggerChan = 0;
  auto& rec = ChannelVariables[16];
  rec[ChanField::Input] = 3.0f;
  rec[ChanField::A] = 2.0f;
  rec[ChanField::B] = 7.0f;
  rec[ChanField::C] = 0.0f;
  Drive({Until(kTriggerWindow), Expect([] {
           EXPECT_EQ(rt::ControlState(17), 0);
           EXPECT_EQ(rt::ControlState(16), 2);
         }),
         Click(kTriggerWindow, 17), Shot(kTriggerWindow, "w6-trigger-16.png"), Click(kTriggerWindow, 20)});
  TRIGGER();
  EXPECT_EQ(TriggerChan, 16);
  EXPECT_EQ(rec[ChanField::Input], 3.0f);
  EXPECT_EQ(rec[ChanField::A], 2.0f);
  EXPECT_EQ(rec[ChanField::B], 7.0f);
  EXPECT_EQ(rec[ChanField::C], 0.0f);
}

// A trigger on an input the interface does not have would read nothing and wait for
// ever: the window offers the interface's inputs and refuses another, saying why.
TEST_F(AlarmWindows, TheExtraInputIsOneOfTheInterfacesInputs) {
  const struct {
    int16_t interfaceCode;
    int16_t adamSecondModule;
    const char* shownFirst;  // record 16 holds input 16
    const char* name;
    const char* refusal;  // of input 16
  } cases[] = {
      {ExternalADCode::SableUI3, 0, " 15", "UI3",
       "No A-D input 16 here: inputs 1-15 only."},
      {ExternalADCode::DT80, 0, " 5", "DT80",
       "No A-D input 16 here: inputs 1-5 only."},
      {ExternalADCode::ADAM, 0, " 8", "ADAM",
       "No A-D input 16 here: inputs 1-8 only."},
      {ExternalADCode::ADAM, 1, " 16", "two ADAM modules", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    External_AD = c.interfaceCode;
    PrefsArray[PrefsSlot::Adam16Inputs] = c.adamSecondModule;
    TriggerON = 1;
    TriggerChan = kExtraTriggerInput;
    ChannelVariables[16][ChanField::Input] = 16.0f;
    const bool refused = *c.refusal != 0;
    std::vector<Step> steps = {Until(kTriggerWindow), Expect([&c] {
                                 EXPECT_EQ(TextOf(kTriggerWindow, 102), c.shownFirst);
                               }),
                               Type(kTriggerWindow, 102, "16"), Click(kTriggerWindow, 20)};
    if (refused) {
      steps.push_back(Expect([&c] {
        ASSERT_TRUE(rt::WindowExists(kTriggerWindow)) << "refused: the window stays";
        EXPECT_EQ(TextOf(kTriggerWindow, 103), c.refusal);
      }));
      if (c.interfaceCode == ExternalADCode::SableUI3) steps.push_back(Shot(kTriggerWindow, "w6-trigger-ui3.png"));
      steps.push_back(Type(kTriggerWindow, 102, "2"));
      steps.push_back(Return(kTriggerWindow, 102));
    }
    Drive(steps);
    TRIGGER();
    EXPECT_TRUE(ScriptDone());
    EXPECT_FALSE(rt::WindowExists(kTriggerWindow));
    EXPECT_EQ(ChannelVariables[16][ChanField::Input], refused ? 2.0f : 16.0f);
  }
}

// ---- the alarm log ----------------------------------------------------------------------

TEST_F(AlarmWindows, LogShowsOnlyTheAlarmsSetWithTheirCounts) {
  External_AD = ExternalADCode::DT800;
  alarmsArray[1] = AlarmConditionsRecord{1, 1, 0, 0, 5.0f, 9.0f};
  alarmsArray[2] = AlarmConditionsRecord{1, 0, 1, 1, 0, 3.0f, 0, 0, 4.0f, 120.0f, 0, 0};
  alarmsArray[3][AF::LowerLimit] = 2.0f;  // set but off: nothing shown
  Drive({Until(kAlarmLogWindow), Expect([] {
           rt::SetOutputWindow(kAlarmLogWindow);
           EXPECT_EQ(TextOf(kAlarmLogWindow, 18), " 5");
           EXPECT_EQ(TextOf(kAlarmLogWindow, 19), "   none");
           EXPECT_FALSE(rt::EditFieldExists(20));
           EXPECT_FALSE(rt::EditFieldExists(21));
           EXPECT_EQ(TextOf(kAlarmLogWindow, 37), " 3");
           EXPECT_EQ(TextOf(kAlarmLogWindow, 38), " 4");
           EXPECT_EQ(TextOf(kAlarmLogWindow, 39), " 120");
           EXPECT_EQ(TextOf(kAlarmLogWindow, 40), "   none");
           EXPECT_EQ(TextOf(kAlarmLogWindow, 41), "");
           for (int16_t f = 50; f <= 57; ++f) EXPECT_FALSE(rt::EditFieldExists(f)) << f;
         }),
         Shot(kAlarmLogWindow, "w5-alarm-log.png"), Click(kAlarmLogWindow, kAlarmLogOK)});
  SHOWALARMS();
  EXPECT_TRUE(ScriptDone());
  EXPECT_FALSE(rt::WindowExists(kAlarmLogWindow));
  EXPECT_EQ(alarmsArray[2][AF::UpperCount], 4.0f);
}

}  // namespace
}  // namespace mv::test
